#include "cli/CliSupport.h"

#include <cerrno>

#include <charconv>
#include <sstream>

#include "platform/DeviceAccess.h"
#include "platform/FileSystem.h"
#include "settings/SettingFile.h"

namespace magtune::cli {
namespace {

// Keeps the messages that WriteSettingFile shows, so that they become the
// command's error text instead of a second report.
class CollectingPrompter : public common::Prompter {
  public:
    std::string text;
    common::Answer show(const common::Message& message) override {
        if (!text.empty()) {
            text += ' ';
        }
        text += message.text;
        return message.defaultButton;
    }
    void beep() override {}
};

}  // namespace

void LoadSettingFile(const std::string& path, settings::SettingStore& store,
                     common::Prompter& prompter) {
    platform::FileSystem& files = platform::RealFileSystem();
    switch (settings::ReadSettingFile(files, path, store, prompter)) {
        case settings::SettingFileRead::Ok:
            return;
        case settings::SettingFileRead::CannotOpen: {
            platform::SystemError error;
            files.readFile(path, error);
            std::string reason = platform::SystemMessageText(error.code);
            throw UsageError{"Failed to open " + path + "." +
                             (reason.empty() ? "" : " (" + reason + ")")};
        }
        case settings::SettingFileRead::WrongLength:
            throw UsageError{path +
                             ": Incorrect file format. A setting file holds exactly 256 bytes."};
    }
}

void SaveSettingFile(const std::string& path, settings::SettingStore& store,
                     common::Prompter& /*prompter*/) {
    CollectingPrompter collected;
    if (!WriteSettingFile(platform::RealFileSystem(), path, store, collected)) {
        throw UsageError{collected.text};
    }
}

std::size_t ParseRowNumber(const std::string& text, const char* what) {
    std::size_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0) {
        throw UsageError{std::string("expected a ") + what + " number of 1 or more, not \"" + text +
                         "\""};
    }
    return value;
}

int WriteTargetProblem(const std::string& path) {
    return platform::FileWriteProblem(path);
}

}  // namespace magtune::cli
