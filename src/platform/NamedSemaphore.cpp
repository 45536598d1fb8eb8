#include "platform/NamedSemaphore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <cerrno>
#include <utility>

namespace magtune {

NamedSemaphore::NamedSemaphore(NamedSemaphore&& other) noexcept
    : semaphore_(std::exchange(other.semaphore_, nullptr)) {}

NamedSemaphore& NamedSemaphore::operator=(NamedSemaphore&& other) noexcept {
    if (this != &other) {
        close();
        semaphore_ = std::exchange(other.semaphore_, nullptr);
    }
    return *this;
}

std::optional<NamedSemaphore> NamedSemaphore::createFresh(const std::string& name,
                                                          SystemError& error) {
    ::sem_unlink(name.c_str());
    sem_t* semaphore = ::sem_open(name.c_str(), O_CREAT | O_EXCL, S_IRUSR | S_IWUSR, 0);
    if (semaphore == SEM_FAILED) {
        error = {"sem_open", errno};
        return std::nullopt;
    }
    return NamedSemaphore(semaphore);
}

std::optional<NamedSemaphore> NamedSemaphore::open(const std::string& name, SystemError& error) {
    sem_t* semaphore = ::sem_open(name.c_str(), 0);
    if (semaphore == SEM_FAILED) {
        error = {"sem_open", errno};
        return std::nullopt;
    }
    return NamedSemaphore(semaphore);
}

void NamedSemaphore::remove(const std::string& name) {
    ::sem_unlink(name.c_str());
}

bool NamedSemaphore::post() {
    return semaphore_ != nullptr && ::sem_post(semaphore_) == 0;
}

NamedSemaphore::WaitResult NamedSemaphore::wait(std::optional<std::uint32_t> timeoutMs) {
    if (semaphore_ == nullptr) {
        return WaitResult::Failed;
    }
    if (!timeoutMs) {
        while (::sem_wait(semaphore_) != 0) {
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
    while (::sem_clockwait(semaphore_, CLOCK_MONOTONIC, &deadline) != 0) {
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
    while (semaphore_ != nullptr) {
        if (::sem_trywait(semaphore_) == 0) {
            return true;
        }
        if (errno != EINTR) {
            return false;
        }
    }
    return false;
}

void NamedSemaphore::close() {
    if (semaphore_ != nullptr) {
        ::sem_close(semaphore_);
        semaphore_ = nullptr;
    }
}

}  // namespace magtune
