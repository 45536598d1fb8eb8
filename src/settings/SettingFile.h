#pragma once

#include <string>

#include "common/Prompter.h"
#include "platform/FileSystem.h"
#include "settings/SettingStore.h"

namespace magtune::settings {

enum class SettingFileRead {
    Ok,
    CannotOpen,   // missing or unreadable
    WrongLength,  // not exactly the 256 image bytes
};

// Reads a setting file into the image and unpacks it. On any failure the
// image and the settings are left as they were.
SettingFileRead ReadSettingFile(platform::FileSystem& files, const std::string& path,
                                SettingStore& store, common::Prompter& prompter);

// Packs the image and replaces the file with its 256 bytes. A failure is
// reported as "Failed to save " + path + ": " + the system's reason and
// returns false; the file on disk is then the old one.
bool WriteSettingFile(platform::FileSystem& files, const std::string& path, SettingStore& store,
                      common::Prompter& prompter);

}  // namespace magtune::settings
