#pragma once

#include <cstdint>

namespace magtune::platform {

// Time as the transfers see it, injected so that tests run without waiting.
class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start; never goes backwards.
    virtual std::uint64_t nowMs() = 0;
    virtual void sleepMs(std::uint32_t milliseconds) = 0;

    // The same time in microseconds, for pacing to absolute deadlines.
    virtual std::uint64_t nowUs() { return nowMs() * 1000; }
    // Sleeps until nowUs() reaches `deadlineUs`; returns at once when it
    // has passed.
    virtual void sleepUntilUs(std::uint64_t deadlineUs) {
        const std::uint64_t now = nowUs();
        if (deadlineUs > now) {
            sleepMs(static_cast<std::uint32_t>((deadlineUs - now + 999) / 1000));
        }
    }
};

// The monotonic clock of this machine.
Clock& SystemClock();

}  // namespace magtune::platform
