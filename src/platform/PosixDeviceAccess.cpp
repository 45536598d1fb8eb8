#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "platform/DeviceAccess.h"
#include "platform/PortRefusal.h"
#include "platform/SystemError.h"

namespace magtune::platform {

namespace {

bool ListsGroup(const std::vector<gid_t>& groups, gid_t group) {
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// The groups the user database gives `user`, whose own group is `primary`.
std::vector<gid_t> UserGroups(const char* user, gid_t primary) {
    int count = 32;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    while (::getgrouplist(user, primary, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count) + 32);
        count = static_cast<int>(groups.size());
    }
    groups.resize(static_cast<std::size_t>(count));
    return groups;
}

// The groups this program runs with.
std::vector<gid_t> SessionGroups() {
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(static_cast<std::size_t>(std::max(count, 0)));
    groups.push_back(::getegid());
    return groups;
}

// Whether the kernel files the character device `st` under a class other
// than tty (/dev/null is "mem"): then it is no serial port, though it opens.
// Pseudo-terminals and systems without /sys have no entry and count as
// terminals.
bool KnownNotTerminal(const struct stat& st) {
    const std::string entry = "/sys/dev/char/" + std::to_string(major(st.st_rdev)) + ":" +
                              std::to_string(minor(st.st_rdev)) + "/subsystem";
    std::error_code error;
    const std::filesystem::path subsystem = std::filesystem::read_symlink(entry, error);
    return !error && subsystem.filename() != "tty";
}

}  // namespace

DeviceOwnership SerialDeviceOwnership(const std::string& device) {
    DeviceOwnership owner;
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) {
        return owner;
    }
    owner.mode = static_cast<unsigned>(st.st_mode & 07777);
    const group* deviceGroup = ::getgrgid(st.st_gid);
    owner.group = deviceGroup ? deviceGroup->gr_name : std::to_string(st.st_gid);
    owner.sessionInGroup = ListsGroup(SessionGroups(), st.st_gid);
    if (const passwd* user = ::getpwuid(::geteuid())) {
        owner.user = user->pw_name;
        owner.userInGroup = ListsGroup(UserGroups(user->pw_name, user->pw_gid), st.st_gid);
    } else {
        owner.userInGroup = owner.sessionInGroup;
    }
    return owner;
}

std::string PortNotAvailableText(const SerialPlace& place, int code, const DeviceOwnership& owner) {
    PortRefusal refusal = PortRefusal::Other;
    switch (code) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            refusal = PortRefusal::Missing;
            break;
        case EBUSY:
            refusal = PortRefusal::Busy;
            break;
        case ENOTTY:
            refusal = PortRefusal::NotSerial;
            break;
        case EACCES:
        case EPERM:
            refusal = AccessRefusal(owner);
            break;
        default:
            break;
    }
    return PortRefusalText(place, SystemMessageText(code), refusal, owner);
}

std::string PortNotAvailableText(const SerialPlace& place, int code) {
    const bool refused = code == EACCES || code == EPERM;
    return PortNotAvailableText(place, code,
                                refused ? SerialDeviceOwnership(place.device) : DeviceOwnership{});
}

DeviceAccess SerialDeviceAccess(const std::string& device) {
    struct stat st {};
    if (device.empty() || ::stat(device.c_str(), &st) != 0) {
        return {kDeviceMissing, {}};
    }
    if (!S_ISCHR(st.st_mode) || KnownNotTerminal(st)) {
        return {kDeviceNotTerminal, {}};
    }
    if (::access(device.c_str(), R_OK | W_OK) == 0) {
        return {kDeviceReady, {}};
    }
    const DeviceOwnership owner = SerialDeviceOwnership(device);
    return {kDeviceRefused, AccessAdvice(AccessRefusal(owner), device, owner)};
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

}  // namespace magtune::platform
