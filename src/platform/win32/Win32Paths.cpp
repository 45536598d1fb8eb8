#include <windows.h>

#include <cstdlib>
#include <vector>

#include "platform/Paths.h"

namespace magtune::platform {
namespace {

// A variable of the environment when it names an absolute folder.
std::string FolderVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] == '\0') {
        return {};
    }
    const std::string folder = value;
    const bool absolute =
        (folder.size() > 2 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/')) ||
        folder.starts_with("\\\\");
    return absolute ? folder : std::string();
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

std::string HomeFolder() {
    return FolderVariable("USERPROFILE");
}

std::string ParentFolder(const std::string& path) {
    auto cut = path.find_last_of("\\/");
    if (cut == std::string::npos) {
        return ".";
    }
    // "C:\file" lies in "C:\", "\file" in "\".
    if (cut == 0 || (cut == 2 && path[1] == ':')) {
        return path.substr(0, cut + 1);
    }
    return path.substr(0, cut);
}

std::string ProgramFolder() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            return ".";
        }
        if (n < buffer.size()) {
            return ParentFolder(std::string(buffer.data(), n));
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool IsExecutableFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Everything is installed in one folder on Windows.
std::vector<std::string> HelperFolders() {
    return {ProgramFolder()};
}

// A Windows installation keeps everything in the program's folder, the
// transfer logs too, as a build tree does.
bool ProgramIsInstalled() {
    return false;
}

// %APPDATA%\Magtune: what roams with the user.
std::string UserConfigFolder() {
    const std::string base = FolderVariable("APPDATA");
    return base.empty() ? std::string() : base + "\\Magtune";
}

// %LOCALAPPDATA%\Magtune: what stays on this machine.
std::string UserStateFolder() {
    const std::string base = FolderVariable("LOCALAPPDATA");
    return base.empty() ? std::string() : base + "\\Magtune";
}

std::string UserFilePath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return {};
    }
    return IsSeparator(folder.back()) ? folder + name : folder + "\\" + name;
}

bool MakeFolders(const std::string& path, int& errorCode) {
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && !IsSeparator(path[pos])) {
            continue;
        }
        const std::string part = path.substr(0, pos);
        // A drive ("C:") or a share's name exists or does not; nothing to make.
        if (part.size() == 2 && part[1] == ':') {
            continue;
        }
        if (part.starts_with("\\\\") && part.find_first_of("\\/", 2) == std::string::npos) {
            continue;
        }
        if (!::CreateDirectoryA(part.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            const DWORD code = ::GetLastError();
            // A share's root cannot be made but may well be there.
            if (code != ERROR_ACCESS_DENIED || pos == path.size()) {
                errorCode = static_cast<int>(code);
                return false;
            }
        }
    }
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        errorCode = ERROR_DIRECTORY;
        return false;
    }
    return true;
}

}  // namespace magtune::platform
