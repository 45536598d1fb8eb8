#include "settings/SettingFile.h"

#include <algorithm>

namespace magtune::settings {

namespace {
// The last two bytes carry nothing; they are not read and always written 0xFF.
constexpr std::size_t kClosingBytes = 2;
}  // namespace

SettingFileRead ReadSettingFile(platform::FileSystem& files, const std::string& path,
                                SettingStore& store, common::Prompter& prompter) {
    platform::SystemError error;
    auto data = files.readFile(path, error);
    if (!data) {
        return SettingFileRead::CannotOpen;
    }
    if (data->size() != kImageSize) {
        return SettingFileRead::WrongLength;
    }
    std::copy_n(data->begin(), kImageSize - kClosingBytes, store.image.begin());
    std::fill(store.image.end() - kClosingBytes, store.image.end(), 0xFF);
    store.UnpackImage(prompter);
    return SettingFileRead::Ok;
}

bool WriteSettingFile(platform::FileSystem& files, const std::string& path, SettingStore& store,
                      common::Prompter& prompter) {
    store.PackImage();
    platform::SystemError error;
    if (files.writeFileAtomically(path, store.image, error)) {
        return true;
    }
    // Never let a failed save pass in silence, even without a system text.
    std::string reason = platform::SystemMessageText(error.code);
    prompter.systemError("Failed to save " + path + (reason.empty() ? "." : ": " + reason));
    return false;
}

}  // namespace magtune::settings
