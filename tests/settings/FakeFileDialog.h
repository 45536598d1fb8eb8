#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "settings/FileDialog.h"

namespace magtune::test {

// Answers each dialog with the next scripted choice (nullopt = Cancel) and
// records what was asked.
class FakeFileDialog : public settings::FileDialog {
  public:
    std::deque<std::optional<std::string>> choices;
    std::vector<settings::FileDialogRequest> requests;

    std::optional<std::string> choose(const settings::FileDialogRequest& request) override {
        requests.push_back(request);
        if (choices.empty()) {
            return std::nullopt;
        }
        auto choice = choices.front();
        choices.pop_front();
        return choice;
    }
};

}  // namespace magtune::test
