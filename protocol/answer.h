// SPDX-License-Identifier: MIT
// What a received burst means: an acknowledgement, the unit's settings, or nothing. The reading is
// one typed result; the window renders it into its form, q42ctl takes the values as they are.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <string>

#include "device_settings.h"
#include "parameter_table.h"
#include "receive_buffer.h"

namespace q42 {

inline constexpr char kSuccessText[] = "Success!";
inline constexpr char kSearchSuccessText[] = "Search Success!";

// The window takes a query answer from 30 decoded bytes on and fills what it carries: the operator
// sees the form, and a short answer still shows the values it holds.
inline constexpr std::size_t kMinQueryAnswerBytes = 30;

enum class AnswerKind {
    NoFrame,       // nothing complete was held; the buffer was zeroed
    Acknowledged,  // a one-byte answer to a set or a save
    Settings,      // a query answer
    Ignored,       // a frame of any other length, dropped without a word
};

// One interpreted answer. For Settings, each parameter row's value as the unit keeps it (ISO TIME in
// minutes, every other row its byte) and which rows the answer was long enough to carry.
struct UnitAnswer {
    AnswerKind kind = AnswerKind::NoFrame;
    std::size_t decodedBytes = 0;
    WireValues rowValue{};
    std::bitset<kParameterCount> carried;

    bool Carries(TextField f) const { return carried[RowOf(f)]; }
    bool Carries(SwitchField f) const { return carried[RowOf(f)]; }
    // ISO TIME in minutes; every other numeric field its byte, 0-255.
    int Value(TextField f) const { return static_cast<int>(rowValue[RowOf(f)]); }
    // Only the byte 1 means ON.
    bool SwitchOn(SwitchField f) const { return rowValue[RowOf(f)] == 1; }

    // q42ctl writes back what it read and copies one unit to the next, so a value the unit did not
    // send must never become one it sends: it takes a settings answer only when all thirteen came.
    bool CarriesEveryValue() const;
};

// What answer interpretation needs of the window.
class AnswerSink {
public:
    virtual ~AnswerSink() = default;
    virtual void SetFieldText(TextField field, const std::string& text) = 0;
    // Stores the choice; the buttons show it only after RefreshSwitches.
    virtual void SetSwitchChoice(SwitchField field, int choice) = 0;
    virtual void RefreshSwitches() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
};

// Extracts and decodes the burst held in the buffer, in place; call only with a non-zero count. A
// burst without a complete frame zeroes the data; the count keeps what extraction left of it.
UnitAnswer InterpretAnswer(ReceiveBuffer& buffer);

// Shows an answer in the window: the field texts ("%d", ISO TIME in whole hours), the switch choices,
// the buttons, and last the message, so that a nested call sees a consistent form.
void RenderAnswer(const UnitAnswer& answer, AnswerSink& sink);

// InterpretAnswer, then RenderAnswer.
AnswerKind ParseAnswer(ReceiveBuffer& buffer, AnswerSink& sink);

// Decoded length of the complete answer frame the buffer holds now, or 0 while there is none (the
// frame is still arriving, or its digits are not hex). Reads a copy: the buffer is left as it is.
std::size_t HeldAnswerBytes(const ReceiveBuffer& buffer);

}  // namespace q42
