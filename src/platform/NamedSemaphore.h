#pragma once

#include <semaphore.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SharedMemoryBlock.h"
#include "platform/SystemError.h"

namespace magtune::platform {

// A semaphore shared between processes, used as an auto-reset event: post()
// signals it, a successful wait consumes the signal. It lives in a shared
// memory block of its own, named by a file in the user's private runtime
// folder, so that only the owner can meet it and its owner is checked
// before it is trusted (sem_open's system-wide names allow neither).
class NamedSemaphore {
  public:
    enum class WaitResult { Signalled, TimedOut, Failed };

    NamedSemaphore() = default;
    NamedSemaphore(NamedSemaphore&& other) noexcept = default;
    NamedSemaphore& operator=(NamedSemaphore&& other) noexcept = default;
    NamedSemaphore(const NamedSemaphore&) = delete;
    NamedSemaphore& operator=(const NamedSemaphore&) = delete;
    ~NamedSemaphore() = default;

    // A new semaphore, not signalled, readable and writable by the owner
    // only. A stale one of the same name is removed first, so no earlier
    // signal and no foreign owner survives.
    static std::optional<NamedSemaphore> createFresh(const std::string& path, SystemError& error);
    // An existing semaphore of this user, refused as SharedMemoryBlock::open
    // refuses a block.
    static std::optional<NamedSemaphore> open(const std::string& path, SystemError& error);
    // Removes the name; processes that hold the semaphore keep it.
    static void remove(const std::string& path);

    bool isOpen() const { return semaphore() != nullptr; }
    bool post();
    // Waits for the signal; no time-out means for ever. EINTR does not end
    // the wait early.
    WaitResult wait(std::optional<std::uint32_t> timeoutMs);
    // Consumes a pending signal without waiting.
    bool tryWait();
    void close();

  private:
    explicit NamedSemaphore(SharedMemoryBlock block);

    sem_t* semaphore() const { return static_cast<sem_t*>(block_.data()); }

    SharedMemoryBlock block_;
};

}  // namespace magtune::platform
