#pragma once

#include <semaphore.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SystemError.h"

namespace magtune {

// A POSIX named semaphore used as an auto-reset event between two processes:
// post() signals it, a successful wait consumes the signal.
class NamedSemaphore {
  public:
    enum class WaitResult { Signalled, TimedOut, Failed };

    NamedSemaphore() = default;
    NamedSemaphore(NamedSemaphore&& other) noexcept;
    NamedSemaphore& operator=(NamedSemaphore&& other) noexcept;
    NamedSemaphore(const NamedSemaphore&) = delete;
    NamedSemaphore& operator=(const NamedSemaphore&) = delete;
    ~NamedSemaphore() { close(); }

    // A new semaphore, not signalled, readable and writable by the owner
    // only. A stale one of the same name is removed first, so no earlier
    // signal and no foreign owner survives.
    static std::optional<NamedSemaphore> createFresh(const std::string& name, SystemError& error);
    // An existing semaphore.
    static std::optional<NamedSemaphore> open(const std::string& name, SystemError& error);
    // Removes the name; processes that hold the semaphore keep it.
    static void remove(const std::string& name);

    bool isOpen() const { return semaphore_ != nullptr; }
    bool post();
    // Waits for the signal; no time-out means for ever. EINTR does not end
    // the wait early.
    WaitResult wait(std::optional<std::uint32_t> timeoutMs);
    // Consumes a pending signal without waiting.
    bool tryWait();
    void close();

  private:
    explicit NamedSemaphore(sem_t* semaphore) : semaphore_(semaphore) {}

    sem_t* semaphore_ = nullptr;
};

}  // namespace magtune
