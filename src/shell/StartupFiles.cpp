#include "shell/StartupFiles.h"

#include "platform/Paths.h"

namespace magtune {

std::string WedgeEchoFilePath() {
    return UserFilePath(UserConfigFolder(), kWedgeEchoFileName);
}

void RemoveWedgeEchoFile(FileSystem& files, const std::string& path) {
    if (files.fileExists(path)) {
        SystemError ignored;
        files.removeFile(path, ignored);
    }
}

}  // namespace magtune
