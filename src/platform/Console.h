#pragma once

#include <cstddef>
#include <memory>

namespace magtune::platform {

// The console of a command-line program: its input, whether a stream is a
// terminal, the terminal's key mode, and the interrupts the user gives it
// (Ctrl+C; on POSIX systems also SIGTERM and a hang-up, on Windows also
// Ctrl+Break and closing the console window).

enum class InputWait {
    Ready,     // something to read, or the end of the input
    TimedOut,  // nothing within the time (also: a signal cut the wait short)
    Failed,    // the input cannot be waited for
};

// Waits up to timeoutMs for input on descriptor `fd` (0: standard input).
InputWait WaitForInput(int fd, int timeoutMs);

// One read of what is there: the number of bytes (> 0), 0 at the end of the
// input or when it failed, -1 when a signal cut the read short (try again).
long ReadInput(int fd, char* buffer, std::size_t size);

bool IsTerminal(int fd);

// The terminal's width in columns; 0 when it is no terminal or cannot tell.
std::size_t TerminalColumns(int fd);

// While it lives, the terminal on `fd` delivers each key at once and shows
// nothing (Ctrl+C still interrupts). Its settings come back when this goes,
// and also when a signal ends the program. Keys typed before are dropped.
// One at a time; input that is no terminal is left as it is.
class RawKeyInput {
  public:
    explicit RawKeyInput(int fd);
    ~RawKeyInput();
    RawKeyInput(const RawKeyInput&) = delete;
    RawKeyInput& operator=(const RawKeyInput&) = delete;

    // The terminal's settings were changed.
    bool changed() const { return changed_; }

  private:
    int fd_;
    bool changed_ = false;
};

// While one lives, the user's interrupts set a flag instead of ending the
// process, so that a transfer is cancelled between two of its steps.
class InterruptFlag {
  public:
    InterruptFlag();
    ~InterruptFlag();
    InterruptFlag(const InterruptFlag&) = delete;
    InterruptFlag& operator=(const InterruptFlag&) = delete;

    static bool raised();
    // What it was, for the user: "Ctrl+C", "SIGTERM", ...
    static const char* cause();
};

// Ctrl+C and the request to end, taken by the thread that made this only:
// threads it starts afterwards never see them, so that no port call of
// theirs is cut short.
class InterruptWatch {
  public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Waits up to `ms`; true when an interrupt came.
    bool wait(int ms);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace magtune::platform
