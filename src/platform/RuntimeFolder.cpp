#include "platform/RuntimeFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/Paths.h"
#include "platform/SystemError.h"

namespace magtune::platform {
namespace {

// Empty when the folder is private to the effective user, else why not.
std::string WhyNotPrivate(const std::string& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        return SystemMessageText(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return "not a folder";
    }
    if (info.st_uid != ::geteuid()) {
        return "belongs to another user";
    }
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        return "others may open it";
    }
    return {};
}

std::optional<std::string> FolderBelowHome(const RuntimeFolderCandidates& candidates,
                                           std::string& why) {
    struct stat home {};
    if (candidates.home.empty() || candidates.home.front() != '/' ||
        ::lstat(candidates.home.c_str(), &home) != 0 || !S_ISDIR(home.st_mode) ||
        home.st_uid != ::geteuid() || (home.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        why = "the home folder is not the user's own";
        return std::nullopt;
    }
    std::string host = candidates.host.empty() ? "localhost" : candidates.host;
    for (char& c : host) {
        if (c == '/') {
            c = '_';
        }
    }
    const std::string folder = candidates.home + "/.cache/magtune/run-" + host;
    int code = 0;
    if (!MakeFolders(folder, code)) {
        why = SystemMessageText(code);
        return std::nullopt;
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        ::chmod(folder.c_str(), S_IRWXU);
    }
    why = WhyNotPrivate(folder);
    if (!why.empty()) {
        why = folder + ": " + why;
        return std::nullopt;
    }
    return folder;
}

}  // namespace

std::optional<std::string> ChoosePrivateRuntimeFolder(const RuntimeFolderCandidates& candidates,
                                                      std::string& problem) {
    problem.clear();
    auto note = [&](const std::string& text) { problem += (problem.empty() ? "" : "; ") + text; };
    for (const std::string* folder : {&candidates.xdgRuntimeDir, &candidates.runUserDir}) {
        if (folder->empty() || folder->front() != '/') {
            continue;
        }
        const std::string why = WhyNotPrivate(*folder);
        if (why.empty()) {
            return *folder;
        }
        note(*folder + ": " + why);
    }
    std::string why;
    if (auto folder = FolderBelowHome(candidates, why)) {
        return folder;
    }
    note(why);
    return std::nullopt;
}

RuntimeFolderCandidates RuntimeFolderCandidatesOfThisProcess() {
    RuntimeFolderCandidates candidates;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR")) {
        candidates.xdgRuntimeDir = xdg;
    }
    candidates.runUserDir = "/run/user/" + std::to_string(::geteuid());
    candidates.home = HomeFolder();
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0) {
        candidates.host = host;
    }
    return candidates;
}

}  // namespace magtune::platform
