#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/DeviceAccess.h"

namespace magtune {

DeviceAccess SerialDeviceAccess(const std::string& device) {
    struct stat st {};
    if (device.empty() || ::stat(device.c_str(), &st) != 0) {
        return {kDeviceMissing, {}};
    }
    if (!S_ISCHR(st.st_mode)) {
        return {kDeviceNotTerminal, {}};
    }
    if (::access(device.c_str(), R_OK | W_OK) == 0) {
        return {kDeviceReady, {}};
    }
    const group* owner = ::getgrgid(st.st_gid);
    const std::string groupName = owner ? owner->gr_name : std::to_string(st.st_gid);
    if (groupName == "dialout") {
        return {kDeviceRefused,
                "You may not open " + device +
                    ": serial ports of the group dialout open once you are in it. Join it "
                    "(sudo adduser $USER dialout), then log out and in again."};
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return {kDeviceRefused, "You may not open " + device + " (group " + groupName + ", mode " +
                                mode + "): ask the administrator for access to it."};
}

int FileWriteProblem(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        return 0;
    }
    if (::stat(path.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode) ? EISDIR : ::access(path.c_str(), W_OK) != 0 ? errno : 0;
    }
    if (errno != ENOENT) {
        return errno;
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    return ::access(folder.c_str(), W_OK | X_OK) != 0 ? errno : 0;
}

}  // namespace magtune
