// SPDX-License-Identifier: MIT
// An AnswerSink that writes down every call, in order, as one readable line each.
#pragma once

#include <string>
#include <vector>

#include "answer.h"

namespace q42::test {

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
