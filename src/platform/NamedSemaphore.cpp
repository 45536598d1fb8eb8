#include "platform/NamedSemaphore.h"

#include <time.h>

#include <cerrno>
#include <utility>

namespace magtune::platform {

NamedSemaphore::NamedSemaphore(SharedMemoryBlock block) : block_(std::move(block)) {}

std::optional<NamedSemaphore> NamedSemaphore::createFresh(const std::string& path,
                                                          SystemError& error) {
    auto block = SharedMemoryBlock::createFresh(path, sizeof(sem_t), error);
    if (!block) {
        return std::nullopt;
    }
    if (::sem_init(static_cast<sem_t*>(block->data()), 1, 0) != 0) {
        error = {"sem_init", errno};
        SharedMemoryBlock::remove(path);
        return std::nullopt;
    }
    return NamedSemaphore(std::move(*block));
}

std::optional<NamedSemaphore> NamedSemaphore::open(const std::string& path, SystemError& error) {
    auto block = SharedMemoryBlock::open(path, sizeof(sem_t), error);
    if (!block) {
        return std::nullopt;
    }
    return NamedSemaphore(std::move(*block));
}

void NamedSemaphore::remove(const std::string& path) {
    SharedMemoryBlock::remove(path);
}

bool NamedSemaphore::post() {
    return isOpen() && ::sem_post(semaphore()) == 0;
}

NamedSemaphore::WaitResult NamedSemaphore::wait(std::optional<std::uint32_t> timeoutMs) {
    if (!isOpen()) {
        return WaitResult::Failed;
    }
    if (!timeoutMs) {
        while (::sem_wait(semaphore()) != 0) {
            if (errno != EINTR) {
                return WaitResult::Failed;
            }
        }
        return WaitResult::Signalled;
    }
    // An absolute deadline on the monotonic clock, so that neither EINTR nor
    // a change of the wall clock stretches the wait.
    timespec deadline{};
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(*timeoutMs / 1000);
    deadline.tv_nsec += static_cast<long>(*timeoutMs % 1000) * 1'000'000L;
    if (deadline.tv_nsec >= 1'000'000'000L) {
        deadline.tv_nsec -= 1'000'000'000L;
        ++deadline.tv_sec;
    }
    while (::sem_clockwait(semaphore(), CLOCK_MONOTONIC, &deadline) != 0) {
        if (errno == ETIMEDOUT) {
            return WaitResult::TimedOut;
        }
        if (errno != EINTR) {
            return WaitResult::Failed;
        }
    }
    return WaitResult::Signalled;
}

bool NamedSemaphore::tryWait() {
    while (isOpen()) {
        if (::sem_trywait(semaphore()) == 0) {
            return true;
        }
        if (errno != EINTR) {
            return false;
        }
    }
    return false;
}

// The semaphore is not destroyed: the other process may still use it. It
// goes with the last mapping of its block.
void NamedSemaphore::close() {
    block_.close();
}

}  // namespace magtune::platform
