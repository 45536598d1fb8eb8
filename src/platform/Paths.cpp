#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace magtune::platform {
namespace {

std::string AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    // The XDG rules say relative values are invalid and must be ignored.
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    return value;
}

}  // namespace

std::string HomeFolder() {
    std::string home = AbsoluteEnv("HOME");
    if (!home.empty()) {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir) {
        return found->pw_dir;
    }
    // Never a shared folder such as /tmp, where another user could plant
    // the files first.
    return {};
}

// base/magtune, or home + below + "/magtune"; "" without either.
static std::string UserFolder(const char* variable, const char* belowHome) {
    std::string base = AbsoluteEnv(variable);
    if (base.empty()) {
        std::string home = HomeFolder();
        if (home.empty()) {
            return {};
        }
        base = home + belowHome;
    }
    return base + "/magtune";
}

std::string ParentFolder(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ProgramFolder() {
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
        return ".";
    }
    return ParentFolder(std::string(buffer.data(), static_cast<std::size_t>(n)));
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> HelperFolders() {
    const std::string program = ProgramFolder();
    std::vector<std::string> folders{program};
    // Resolved, because the USB server names its channel after its own
    // folder as the system reports it, without ".." or links.
    const std::string installed = program + "/" MAGTUNE_HELPER_FOLDER;
    if (char* resolved = ::realpath(installed.c_str(), nullptr)) {
        if (resolved != program) {
            folders.emplace_back(resolved);
        }
        std::free(resolved);
    }
    return folders;
}

bool ProgramIsInstalled() {
    return HelperFolders().size() > 1;
}

std::string UserConfigFolder() {
    return UserFolder("XDG_CONFIG_HOME", "/.config");
}

std::string UserStateFolder() {
    return UserFolder("XDG_STATE_HOME", "/.local/state");
}

std::string UserFilePath(const std::string& folder, const std::string& name) {
    return folder.empty() ? std::string() : folder + "/" + name;
}

bool MakeFolders(const std::string& path, int& errorCode) {
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') {
            continue;
        }
        std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            errorCode = errno;
            return false;
        }
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        errorCode = ENOTDIR;
        return false;
    }
    return true;
}

}  // namespace magtune::platform
