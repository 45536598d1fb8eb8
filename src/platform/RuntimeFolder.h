#pragma once

#include <optional>
#include <string>

namespace magtune::platform {

// Where the user's private run-time objects live (locks, the USB channel's
// shared memory and events): a folder that belongs to the user and that no
// one else may open, so that another user can neither meet nor plant them.
// Candidates in order of preference; an empty one is skipped.
struct RuntimeFolderCandidates {
    std::string xdgRuntimeDir;  // $XDG_RUNTIME_DIR, used only when absolute
    std::string runUserDir;     // /run/user/<uid>, as the login manager makes it
    std::string home;           // the fallback goes below it, made if missing
    std::string host;           // keeps machines apart that share one home
};

// The first candidate that is a real folder (no symbolic link) of the
// effective user with no access for group or others. The folder below the
// home, <home>/.cache/magtune/run-<host>, is made with mode 0700 (and set
// to it when the user's own folder is more open), and only when the home
// itself belongs to the user and others cannot write to it. Never the shared
// /tmp. nullopt, with what was wrong with each candidate in `problem`, when
// none will do.
std::optional<std::string> ChoosePrivateRuntimeFolder(const RuntimeFolderCandidates& candidates,
                                                      std::string& problem);

// The candidates of this process: its environment, user id and host name.
RuntimeFolderCandidates RuntimeFolderCandidatesOfThisProcess();

inline std::optional<std::string> PrivateRuntimeFolder(std::string& problem) {
    return ChoosePrivateRuntimeFolder(RuntimeFolderCandidatesOfThisProcess(), problem);
}

}  // namespace magtune::platform
