#include "shell/StartupFiles.h"

#include "platform/Paths.h"

namespace magtune::shell {

std::string WedgeEchoFilePath() {
    return platform::UserFilePath(platform::UserConfigFolder(), kWedgeEchoFileName);
}

void RemoveWedgeEchoFile(platform::FileSystem& files, const std::string& path) {
    if (files.fileExists(path)) {
        platform::SystemError ignored;
        files.removeFile(path, ignored);
    }
}

}  // namespace magtune::shell
