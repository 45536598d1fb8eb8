#pragma once

#include <memory>
#include <vector>

namespace magtune::platform {

// Signals that end a program (SIGTERM, SIGHUP, SIGINT), caught and handed to
// its event loop as bytes on a pipe: the handler writes the signal number and
// nothing else, so the program decides in peace what to keep before it
// ends. One at a time per process; the previous handlers come back when it
// goes.
class SignalPipe {
  public:
    // Catches the signals `numbers` from now on. When the pipe cannot be made, the
    // signals keep their previous handling and ok() is false.
    explicit SignalPipe(std::vector<int> numbers);
    ~SignalPipe();

    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    bool ok() const { return readFd_ >= 0; }
    // Readable while a caught signal waits to be taken.
    int readFd() const { return readFd_; }
    // The signals that came since the last call, in order; never blocks.
    std::vector<int> take();

    // The signals that end a desktop program: the system's shutdown, the
    // end of the session, Ctrl+C in the terminal that started it.
    static std::vector<int> TerminationSignals();

  private:
    struct Saved;
    std::vector<int> signals_;
    std::vector<std::unique_ptr<Saved>> saved_;
    int readFd_ = -1;
    int writeFd_ = -1;
};

}  // namespace magtune::platform
