#pragma once

#include <cstdint>

namespace magtune {

// Time as the transfers see it, injected so that tests run without waiting.
class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start; never goes backwards.
    virtual std::uint64_t nowMs() = 0;
    virtual void sleepMs(std::uint32_t milliseconds) = 0;
};

// The monotonic clock of this machine.
Clock& SystemClock();

}  // namespace magtune
