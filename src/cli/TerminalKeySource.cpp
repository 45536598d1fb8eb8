#include "cli/TerminalKeySource.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace magtune {

namespace {

// What a signal handler needs to put the terminal back; set only while a
// source holds the terminal (one at a time).
termios savedSettings{};
volatile std::sig_atomic_t savedFd = -1;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction previousActions[std::size(kEndingSignals)];

void RestoreAndEnd(int signal) {
    if (savedFd >= 0) {
        ::tcsetattr(savedFd, TCSANOW, &savedSettings);
    }
    // The signal's own end (status, core), now with the terminal restored.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

TerminalKeySource::TerminalKeySource(int fd) : fd_(fd) {
    if (savedFd >= 0 || !::isatty(fd_) || ::tcgetattr(fd_, &savedSettings) != 0) {
        return;
    }
    termios keys = savedSettings;
    // Each key at once and unseen; Ctrl+C still interrupts, output is as it was.
    keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    savedFd = fd_;
    struct sigaction restore {};
    restore.sa_handler = RestoreAndEnd;
    sigemptyset(&restore.sa_mask);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
        ::sigaction(kEndingSignals[i], &restore, &previousActions[i]);
    }
    if (::tcsetattr(fd_, TCSANOW, &keys) != 0) {
        savedFd = -1;
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            ::sigaction(kEndingSignals[i], &previousActions[i], nullptr);
        }
        return;
    }
    // Keys typed before the transfer are no answer of the reader.
    ::tcflush(fd_, TCIFLUSH);
    changed_ = true;
}

TerminalKeySource::~TerminalKeySource() {
    if (!changed_) {
        return;
    }
    ::tcsetattr(fd_, TCSANOW, &savedSettings);
    savedFd = -1;
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
        ::sigaction(kEndingSignals[i], &previousActions[i], nullptr);
    }
}

std::string TerminalKeySource::waitForKeys(std::uint32_t timeoutMs) {
    std::string keys;
    if (ended_) {
        return keys;
    }
    pollfd input{fd_, POLLIN, 0};
    int wait = static_cast<int>(timeoutMs);
    for (;;) {
        const int ready = ::poll(&input, 1, wait);
        if (ready < 0 && errno == EINTR) {
            return keys;
        }
        if (ready <= 0) {
            if (ready < 0) {
                ended_ = true;
            }
            return keys;
        }
        char buffer[512];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            return keys;
        }
        if (n <= 0) {
            // The end of the input: nobody types any more.
            ended_ = true;
            return keys;
        }
        keys.append(buffer, static_cast<std::size_t>(n));
        // Take what is already there without waiting again.
        wait = 0;
    }
}

std::unique_ptr<KeySource> TerminalKeys() {
    return std::make_unique<TerminalKeySource>();
}

}  // namespace magtune
