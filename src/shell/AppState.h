#pragma once

#include <cstdint>
#include <string>

#include "comm/CommOptions.h"
#include "comm/SerialSession.h"
#include "settings/SettingStore.h"
#include "shell/Preferences.h"

namespace magtune::shell {

// The state of the whole program, created once by main() and handed by
// reference to the main window, the dialogs and the transfers. The open
// setting (file or device, recent list) belongs to the main window.
struct AppState {
    // programFolder: the folder of the executable (help pages, transfer
    // logs, the USB server). settingFolder: where New places its untitled
    // setting and the file dialogs start.
    AppState(std::string programFolder, std::string settingFolder);

    std::string programFolder;
    std::string settingFolder;

    // DeviceSettings, the image, Modified, EditGroup/EditItem and
    // CurrentInterface.
    settings::SettingStore store;
    // The COM port, CurrentComIndex and PortSettings of the transfers.
    comm::SerialSession serial;
    comm::CommOptions options;

    // Kept only so that the stored preferences survive a run unchanged.
    std::int32_t GroupChars = 12;
    std::int32_t Reduction = 0;

    // The USB reader selected for a transfer; released when the program ends.
    std::string SelectedUsbName;

    // The transfer log files ("USBLog.txt", "USBDump.txt") and their
    // folder: the program folder when writable, else the user's state folder.
    std::string TransferLogFolder;
    std::string TransferLogPath;
    std::string TransferDumpPath;
};

// The values read at start-up that live in the program state: the port, the
// interface, the options and the two kept values.
void ApplyPreferences(const Preferences& preferences, AppState& state);

// The reverse, before the preferences are written at program end; the window
// layout and the recent list are the window's to fill in.
void CollectPreferences(const AppState& state, Preferences& preferences);

// Setting files go to the program folder when the user may write there (a
// build tree, a portable copy), else to the user's documents folder: an
// installed program's folder (/usr/bin) is not the user's to write.
std::string ChooseSettingFolder(const std::string& programFolder, bool programFolderWritable,
                                const std::string& documentsFolder);

}  // namespace magtune::shell
