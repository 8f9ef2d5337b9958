// SPDX-License-Identifier: MIT
// What a received burst means: an acknowledgement, the unit's settings, or nothing.
#pragma once

#include <string>

#include "device_settings.h"
#include "receive_buffer.h"

namespace q42 {

inline constexpr char kSuccessText[] = "Success!";
inline constexpr char kSearchSuccessText[] = "Search Success!";
inline constexpr std::size_t kMinQueryAnswerBytes = 30;

// What answer interpretation needs of the window.
class AnswerSink {
public:
    virtual ~AnswerSink() = default;
    virtual void SetFieldText(TextField field, const std::string& text) = 0;
    // The unit keeps "ISO TIME" in minutes; the form shows whole hours, a copy needs the minutes.
    virtual void SetIsoTimeMinutes(int /*minutes*/) {}
    // Stores the choice; the buttons show it only after RefreshSwitches.
    virtual void SetSwitchChoice(SwitchField field, int choice) = 0;
    virtual void RefreshSwitches() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
};

enum class AnswerOutcome {
    NoFrame,       // nothing complete was held; the buffer was zeroed
    Acknowledged,  // a one-byte answer: "Success!"
    Settings,      // a query answer filled the form: "Search Success!"
    Ignored,       // a frame of any other length, dropped without a word
};

// Interprets the burst held in the buffer; call only with a non-zero count. Every change to the
// form and the buffer is made before ShowMessage, so a nested call sees a consistent state.
AnswerOutcome ParseAnswer(ReceiveBuffer& buffer, AnswerSink& sink);

// Decoded length of the complete answer frame the buffer holds now, or 0 while there is none (the
// frame is still arriving, or its digits are not hex). Reads a copy: the buffer is left as it is.
std::size_t HeldAnswerBytes(const ReceiveBuffer& buffer);

}  // namespace q42
