#include "shell/AboutText.h"

namespace magtune::shell {

std::string VersionText(int major, int minor, int patch) {
    return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(patch);
}

}  // namespace magtune::shell
