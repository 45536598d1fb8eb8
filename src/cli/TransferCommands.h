#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/RuntimeConfig.h"
#include "common/Prompter.h"
#include "shell/Preferences.h"

namespace magtune::cli {

// The transfers and the preferences, over the same road as the window. Each
// takes the run-time configuration by value: its options (--sim-usb ...)
// may add to it for this command.
int CommandDownload(const std::vector<std::string>& args, std::ostream& out,
                    common::Prompter& prompter, app::RuntimeConfig config);
int CommandUpload(const std::vector<std::string>& args, std::ostream& out,
                  common::Prompter& prompter, app::RuntimeConfig config);
int CommandTest(const std::vector<std::string>& args, std::ostream& out, common::Prompter& prompter,
                app::RuntimeConfig config);
// The USB readers that a download or upload with --usb N can name.
int CommandUsbList(const std::vector<std::string>& args, std::ostream& out,
                   common::Prompter& prompter, app::RuntimeConfig config);
// COM1 ... COM32: the device each one opens, whether a link of the ports
// folder or its fixed place names it, and whether this user may open it.
int CommandPorts(const std::vector<std::string>& args, std::ostream& out,
                 common::Prompter& prompter, app::RuntimeConfig config);
// The user's preferences as the program loads them (defaults for what is
// missing), from the configuration's preferences file. Nothing is written.
bool LoadUserPreferences(common::Prompter& prompter, const app::RuntimeConfig& config,
                         shell::Preferences& preferences);

int CommandPrefs(const std::vector<std::string>& args, std::ostream& out,
                 common::Prompter& prompter, app::RuntimeConfig config);

}  // namespace magtune::cli
