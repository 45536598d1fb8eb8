#pragma once

#include "common/HelpViewer.h"
#include "common/Prompter.h"
#include "platform/FilePreferencesStore.h"
#include "platform/FileSystem.h"
#include "settings/FileDialog.h"

namespace magtune::shell {

// What the main window is given besides the program state: where messages,
// help topics, file dialogs, preferences and setting files go. main() hands
// it the desktop's; tests hand it fakes and a preferences file of their own.
struct MainWindowServices {
    common::Prompter& prompter;
    common::HelpViewer& help;
    settings::FileDialog& fileDialog;
    platform::FilePreferencesStore& preferences;
    platform::FileSystem& files;
};

}  // namespace magtune::shell
