#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iterator>

#include "platform/Console.h"

namespace magtune::platform {

InputWait WaitForInput(int fd, int timeoutMs) {
    pollfd input{fd, POLLIN, 0};
    const int ready = ::poll(&input, 1, timeoutMs);
    if (ready < 0) {
        return errno == EINTR ? InputWait::TimedOut : InputWait::Failed;
    }
    return ready == 0 ? InputWait::TimedOut : InputWait::Ready;
}

long ReadInput(int fd, char* buffer, std::size_t size) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n < 0) {
        return errno == EINTR ? -1 : 0;
    }
    return static_cast<long>(n);
}

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

std::size_t TerminalColumns(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_col;
}

namespace {

// What a signal handler needs to put the terminal back; set only while a
// RawKeyInput holds the terminal (one at a time).
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

RawKeyInput::RawKeyInput(int fd) : fd_(fd) {
    if (savedFd >= 0 || !::isatty(fd_) || ::tcgetattr(fd_, &savedSettings) != 0) {
        return;
    }
    termios keys = savedSettings;
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
    ::tcflush(fd_, TCIFLUSH);
    changed_ = true;
}

RawKeyInput::~RawKeyInput() {
    if (!changed_) {
        return;
    }
    ::tcsetattr(fd_, TCSANOW, &savedSettings);
    savedFd = -1;
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
        ::sigaction(kEndingSignals[i], &previousActions[i], nullptr);
    }
}

namespace {

volatile std::sig_atomic_t interruptSignal = 0;

void OnInterrupt(int signal) {
    interruptSignal = signal;
}

constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousInterruptActions[std::size(kInterruptSignals)]{};

}  // namespace

InterruptFlag::InterruptFlag() {
    interruptSignal = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kInterruptSignals); ++i) {
        ::sigaction(kInterruptSignals[i], &action, &previousInterruptActions[i]);
    }
}

InterruptFlag::~InterruptFlag() {
    for (std::size_t i = 0; i < std::size(kInterruptSignals); ++i) {
        ::sigaction(kInterruptSignals[i], &previousInterruptActions[i], nullptr);
    }
}

bool InterruptFlag::raised() {
    return interruptSignal != 0;
}

const char* InterruptFlag::cause() {
    return interruptSignal == SIGINT    ? "Ctrl+C"
           : interruptSignal == SIGTERM ? "SIGTERM"
                                        : "SIGHUP (the terminal went away)";
}

struct InterruptWatch::State {
    sigset_t set;
    sigset_t previous;
};

InterruptWatch::InterruptWatch() : state_(std::make_unique<State>()) {
    sigemptyset(&state_->set);
    sigaddset(&state_->set, SIGINT);
    sigaddset(&state_->set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &state_->set, &state_->previous);
}

InterruptWatch::~InterruptWatch() {
    pthread_sigmask(SIG_SETMASK, &state_->previous, nullptr);
}

bool InterruptWatch::wait(int ms) {
    const timespec limit{ms / 1000, (ms % 1000) * 1000000L};
    int signal = sigtimedwait(&state_->set, nullptr, &limit);
    while (signal < 0 && errno == EINTR) {
        signal = sigtimedwait(&state_->set, nullptr, &limit);
    }
    return signal > 0;
}

}  // namespace magtune::platform
