#pragma once

#include <optional>
#include <string>

#include "platform/SystemError.h"

namespace magtune::platform {

// An advisory lock on a file (flock). The system drops it when the holding
// process ends, however it ends, so a held lock always means a live holder.
class FileLock {
  public:
    FileLock() = default;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() { close(); }

    // Opens the lock file, creating it readable and writable by the owner
    // only. A symbolic link, a file of another user or one that others may
    // open (and so hold the lock) is refused.
    static std::optional<FileLock> open(const std::string& path, SystemError& error);

    // Takes the lock without waiting; false when another holder has it.
    bool tryLock();
    void unlock();
    // Whether some other holder has the lock now (probes and releases).
    bool heldElsewhere();
    void close();

  private:
    explicit FileLock(int fd) : fd_(fd) {}

    int fd_ = -1;
    bool locked_ = false;
};

}  // namespace magtune::platform
