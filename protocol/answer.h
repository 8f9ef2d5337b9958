// SPDX-License-Identifier: MIT
// What a received burst means: an acknowledgement, the unit's settings, or nothing. The reading is
// one typed result; the window renders it into its form, q42ctl takes the values as they are.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <string>

#include "receive_buffer.h"
#include "unit_values.h"

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

// One interpreted answer. For Settings, the values the answer was long enough to carry, as the
// unit keeps them (a switch read as ON or OFF), and which those were.
struct UnitAnswer {
    AnswerKind kind = AnswerKind::NoFrame;
    std::size_t decodedBytes = 0;
    UnitValues values{};
    std::bitset<kValueCount> carried;

    // q42ctl writes back what it read and copies one unit to the next, so a value the unit did not
    // send must never become one it sends: it takes a settings answer only when all thirteen came.
    bool CarriesEveryValue() const { return kind == AnswerKind::Settings && carried.all(); }
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

}  // namespace q42
