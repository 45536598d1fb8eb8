#pragma once

#include <cstdint>
#include <string>

#include "common/Prompter.h"
#include "settings/ConfigurationImage.h"
#include "settings/DeviceSettings.h"
#include "settings/InterfaceCode.h"

namespace magtune::settings {

// The process-wide setting state: created once by main() and passed by
// reference to the windows, the commands and the transfers.
struct SettingStore {
    DeviceSettings settings;
    // Filled by PackImage before a save or download, by a file read or an
    // upload before UnpackImage.
    ConfigurationImage image{};

    bool Modified = false;
    std::string EditGroup;  // tree group of the row being edited
    std::string EditItem;   // label of that row
    std::int32_t CurrentInterface = InterfaceCode::KeyboardWedge;

    // The settings start at their defaults and the image matches them.
    SettingStore() { PackImage(); }

    void PackImage() { settings.PackImage(image); }
    void UnpackImage(common::Prompter& prompter) { settings.UnpackImage(image, prompter); }
};

}  // namespace magtune::settings
