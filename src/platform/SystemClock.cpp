#include <chrono>
#include <thread>

#include "platform/Clock.h"

namespace magtune::platform {
namespace {

class SteadyClock : public Clock {
  public:
    std::uint64_t nowMs() override {
        auto since = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    }
    void sleepMs(std::uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    std::uint64_t nowUs() override {
        auto since = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(since).count());
    }
    void sleepUntilUs(std::uint64_t deadlineUs) override {
        std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
            std::chrono::microseconds(static_cast<std::int64_t>(deadlineUs))));
    }
};

}  // namespace

Clock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

}  // namespace magtune::platform
