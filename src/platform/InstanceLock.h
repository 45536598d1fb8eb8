#pragma once

#include <optional>
#include <string>

#include "platform/FileLock.h"
#include "platform/SystemError.h"

namespace magtune::platform {

// Keeps the program to one running instance per user: the first instance
// holds a lock on a file in the user's runtime folder for as long as it
// runs. The system drops the lock when the process ends, however it ends,
// so a crashed instance never blocks the next start.
class InstanceLock {
  public:
    enum class State {
        Held,           // this process is the one instance
        OtherInstance,  // another process holds the lock
        Unavailable,    // the lock file could not be opened (see error())
    };

    // Tries to take the lock at once, without waiting; an empty path is
    // Unavailable.
    explicit InstanceLock(const std::string& path);

    State state() const { return state_; }
    const SystemError& error() const { return error_; }

    // The lock file of the current user: "magtune-<uid>.lock" in the user's
    // private runtime folder, where no other user can plant it; empty when
    // the user has no such folder (never the shared /tmp).
    static std::string DefaultPath();
    // Beside it, "magtune-<uid>.sock": the local socket on which the holder
    // takes what a second start hands over. Empty without the folder.
    static std::string DefaultChannelPath();

  private:
    std::optional<FileLock> lock_;
    State state_ = State::Unavailable;
    SystemError error_;
};

}  // namespace magtune::platform
