#pragma once

#include <string>

namespace magtune::shell {

// Texts of the About box that come with the build.
inline constexpr const char* kLegalNotice =
    "Copyright \xC2\xA9 Tarvik Veviriz Inc. All rights reserved.";

// "Version 1.10.1": each part as a plain decimal number, so a file version
// 1.10.0001 reads 1.10.1.
std::string VersionText(int major, int minor, int patch);

}  // namespace magtune::shell
