#pragma once

#include <memory>

namespace magtune::platform {

// Keeps the program on the one processor it runs on while it builds its
// first window, and then puts it back on every processor it was allowed.
//
// Drawing the first frame hands small pieces of work to Qt's drawing threads
// and waits for them; on another processor each hand-over first has to wake
// that processor, which on a virtual machine costs more than the work. On
// one processor the threads take turns and nothing waits for a wake-up.
//
// Threads started meanwhile share the pin and are put back with the program;
// where threads have their own sets (Linux), one that chose other
// processors keeps them. Nothing is pinned when the program may run on one
// processor only, or when the system refuses.
class ProcessorPin {
  public:
    ProcessorPin();
    ~ProcessorPin();

    ProcessorPin(const ProcessorPin&) = delete;
    ProcessorPin& operator=(const ProcessorPin&) = delete;

    bool pinned() const { return saved_ != nullptr; }
    // Every thread of the program that is still pinned may run on all the
    // processors it was allowed before; later calls do nothing.
    void release();

  private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

}  // namespace magtune::platform
