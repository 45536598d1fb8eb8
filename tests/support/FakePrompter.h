#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/Prompter.h"

namespace magtune::test {

// Records every message and answers questions from a script (Yes when the
// script runs dry is a test bug, so it answers the box's default instead).
class FakePrompter : public common::Prompter {
  public:
    std::vector<common::Message> messages;
    std::deque<common::Answer> answers;
    int beeps = 0;

    common::Answer show(const common::Message& message) override {
        messages.push_back(message);
        if (message.buttons == common::MessageButtons::Ok) {
            return common::Answer::Ok;
        }
        if (answers.empty()) {
            return message.defaultButton;
        }
        common::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void beep() override { ++beeps; }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : messages) {
            out.push_back(m.text);
        }
        return out;
    }
    void clear() {
        messages.clear();
        beeps = 0;
    }
};

}  // namespace magtune::test
