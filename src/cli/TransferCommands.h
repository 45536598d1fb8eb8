#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "common/Prompter.h"
#include "shell/Preferences.h"

namespace magtune {

// Serial transfers and the preferences, over the same logic as the window.
int CommandDownload(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter);
int CommandUpload(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter);
int CommandTest(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter);
// The USB readers that a download or upload with --usb N can name.
int CommandUsbList(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter);
// The user's preferences as the program loads them (defaults for what is
// missing); `path`, when given, receives the file's path. Nothing is written.
bool LoadUserPreferences(Prompter& prompter, Preferences& preferences, std::string* path);

int CommandPrefs(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter);

}  // namespace magtune
