#include "platform/SignalPipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

namespace magtune::platform {

namespace {

std::atomic<int> gWriteFd{-1};

void OnSignal(int number) {
    // Only what is safe in a handler: one write, errno kept for the code
    // that was interrupted. A full pipe already wakes the loop.
    const int saved = errno;
    const int fd = gWriteFd.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(number);
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

struct SignalPipe::Saved {
    int number;
    struct sigaction action;
};

SignalPipe::SignalPipe(std::vector<int> numbers) : signals_(std::move(numbers)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    gWriteFd.store(writeFd_);
    for (int number : signals_) {
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        auto saved = std::make_unique<Saved>(Saved{number, {}});
        if (::sigaction(number, &action, &saved->action) == 0) {
            saved_.push_back(std::move(saved));
        }
    }
}

SignalPipe::~SignalPipe() {
    for (const auto& saved : saved_) {
        ::sigaction(saved->number, &saved->action, nullptr);
    }
    if (readFd_ >= 0) {
        gWriteFd.store(-1);
        ::close(readFd_);
        ::close(writeFd_);
    }
}

std::vector<int> SignalPipe::take() {
    std::vector<int> taken;
    if (readFd_ < 0) {
        return taken;
    }
    unsigned char buffer[64];
    for (;;) {
        const ssize_t n = ::read(readFd_, buffer, sizeof buffer);
        if (n > 0) {
            taken.insert(taken.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return taken;
    }
}

std::vector<int> SignalPipe::TerminationSignals() {
    return {SIGTERM, SIGHUP, SIGINT};
}

}  // namespace magtune::platform
