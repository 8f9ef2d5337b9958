// SPDX-License-Identifier: MIT
// An AnswerSink that writes down every call, in order, as one readable line each, and a receive
// buffer holding given bytes.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "answer.h"

namespace q42::test {

// A buffer holding `bytes` with count `count` (the bytes may run past the count, as stale data does).
inline ReceiveBuffer Held(const std::string& bytes, std::uint32_t count)
{
    ReceiveBuffer b;
    std::copy(bytes.begin(), bytes.end(), b.data.begin());
    b.count = count;
    return b;
}

inline ReceiveBuffer Held(const std::string& bytes)
{
    return Held(bytes, static_cast<std::uint32_t>(bytes.size()));
}

class RecordingSink : public AnswerSink {
public:
    std::vector<std::string> calls;

    void SetFieldText(TextField field, const std::string& text) override
    {
        calls.push_back(std::string(LabelOf(field)) + "=" + text);
    }
    void SetSwitchChoice(SwitchField field, int choice) override
    {
        calls.push_back(std::string(LabelOf(field)) + (choice == kSwitchOn ? "=ON" : "=OFF"));
    }
    void RefreshSwitches() override { calls.push_back("refresh"); }
    void ShowMessage(const std::string& text) override { calls.push_back("message " + text); }
};

}  // namespace q42::test
