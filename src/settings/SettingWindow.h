#pragma once

#include <string>

#include "settings/RecentMenu.h"

namespace magtune::settings {

// Commands whose enabled state follows the open setting. Each stands for
// its menu item and, where there is one, its toolbar button, which always
// change together.
enum class SettingCommand {
    Save,        // mnuFileSave, button "Save"
    SaveAs,      // mnuFileSaveAs
    Close,       // mnuFileClose
    Download,    // mnuSettingDownload, button "Download"
    FormulaAdd,  // mnuDataEditingAdd, button "Add"
    FormulaDelete,
    FormulaUp,
    FormulaDown,
};

// What the file commands need of the main window.
class SettingWindow {
  public:
    virtual ~SettingWindow() = default;

    // Empties the setting tree and the property list.
    virtual void clearSettingView() = 0;
    // Builds the tree skeleton (root and the five groups).
    virtual void buildSettingTree() = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // The first status bar panel.
    virtual void setStatusText(const std::string& text) = 0;
    virtual void setCommandEnabled(SettingCommand command, bool enabled) = 0;
    virtual void showRecentMenu(const RecentMenu& menu) = 0;
};

}  // namespace magtune::settings
