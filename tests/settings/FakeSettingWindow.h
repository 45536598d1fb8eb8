#pragma once

#include <map>
#include <string>

#include "settings/SettingWindow.h"

namespace magtune::test {

// The main window as the file commands see it.
class FakeSettingWindow : public settings::SettingWindow {
  public:
    std::string caption;
    std::string status;
    bool treeBuilt = false;
    int clears = 0;
    std::map<settings::SettingCommand, bool> enabled;
    settings::RecentMenu recentMenu;
    int recentRefreshes = 0;

    void clearSettingView() override {
        ++clears;
        treeBuilt = false;
    }
    void buildSettingTree() override { treeBuilt = true; }
    void setCaption(const std::string& text) override { caption = text; }
    void setStatusText(const std::string& text) override { status = text; }
    void setCommandEnabled(settings::SettingCommand command, bool on) override {
        enabled[command] = on;
    }
    void showRecentMenu(const settings::RecentMenu& menu) override {
        recentMenu = menu;
        ++recentRefreshes;
    }

    bool isEnabled(settings::SettingCommand command) const {
        auto it = enabled.find(command);
        return it != enabled.end() && it->second;
    }
};

}  // namespace magtune::test
