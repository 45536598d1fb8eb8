#include "shell/AppState.h"

#include <utility>

#include "comm/TransferLog.h"
#include "platform/Paths.h"

namespace magtune::shell {

AppState::AppState(std::string executableFolder, std::string documentFolder)
    : programFolder(std::move(executableFolder)),
      settingFolder(std::move(documentFolder)),
      TransferLogFolder(comm::ChooseTransferLogFolder(platform::RealFileSystem(), programFolder,
                                                      platform::UserStateFolder(),
                                                      platform::ProgramIsInstalled())),
      TransferLogPath(magtune::comm::TransferLogPath(TransferLogFolder)),
      TransferDumpPath(magtune::comm::TransferDumpPath(TransferLogFolder)) {}

void ApplyPreferences(const Preferences& preferences, AppState& state) {
    state.serial.CurrentComIndex = static_cast<std::uint16_t>(preferences.CurrentCom);
    state.store.CurrentInterface = preferences.CurrentInterface;
    state.GroupChars = preferences.GroupChars;
    state.Reduction = preferences.Reduction;
    state.options = preferences.options;
}

void CollectPreferences(const AppState& state, Preferences& preferences) {
    preferences.CurrentCom = state.serial.CurrentComIndex;
    preferences.CurrentInterface = state.store.CurrentInterface;
    preferences.GroupChars = state.GroupChars;
    preferences.Reduction = state.Reduction;
    preferences.options = state.options;
}

std::string ChooseSettingFolder(const std::string& programFolder, bool programFolderWritable,
                                const std::string& documentsFolder) {
    if (programFolderWritable || documentsFolder.empty()) {
        return programFolder;
    }
    return documentsFolder;
}

}  // namespace magtune::shell
