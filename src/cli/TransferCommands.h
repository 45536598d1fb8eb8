#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "common/Prompter.h"

namespace magtune {

// Serial transfers and the preferences, over the same logic as the window.
int CommandDownload(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter);
int CommandUpload(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter);
int CommandTest(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter);
// The USB readers that a download or upload with --usb N can name.
int CommandUsbList(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter);
int CommandPrefs(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter);

}  // namespace magtune
