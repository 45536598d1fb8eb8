#include "platform/ProcessorPin.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace magtune::platform {
namespace {

cpu_set_t Allowed(pid_t tid = 0) {
    cpu_set_t set;
    CPU_ZERO(&set);
    ::sched_getaffinity(tid, sizeof set, &set);
    return set;
}

bool Same(const cpu_set_t& a, const cpu_set_t& b) {
    return CPU_EQUAL(&a, &b) != 0;
}

int OtherThan(const cpu_set_t& allowed, const cpu_set_t& one) {
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &allowed) && !CPU_ISSET(cpu, &one)) {
            return cpu;
        }
    }
    return -1;
}

// A thread that reports its id and waits until it is told to end; it may
// first choose processors of its own.
class Waiter {
  public:
    explicit Waiter(int ownCpu = -1)
        : thread_([this, ownCpu] {
              if (ownCpu >= 0) {
                  cpu_set_t own;
                  CPU_ZERO(&own);
                  CPU_SET(ownCpu, &own);
                  ::sched_setaffinity(0, sizeof own, &own);
              }
              tid_ = ::gettid();
              while (!done_) {
                  std::this_thread::yield();
              }
          }) {
        while (tid_ == 0) {
            std::this_thread::yield();
        }
    }
    ~Waiter() {
        done_ = true;
        thread_.join();
    }
    pid_t tid() const { return tid_; }

  private:
    std::atomic<pid_t> tid_{0};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

class ProcessorPinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        before_ = Allowed();
        if (CPU_COUNT(&before_) < 2) {
            GTEST_SKIP() << "this machine lets the test run on one processor only";
        }
    }
    void TearDown() override { ::sched_setaffinity(0, sizeof before_, &before_); }

    cpu_set_t before_;
};

TEST_F(ProcessorPinTest, ThreadsStartedWhilePinnedGoBackWithTheProgram) {
    ProcessorPin pin;
    ASSERT_TRUE(pin.pinned());
    const cpu_set_t one = Allowed();
    EXPECT_EQ(CPU_COUNT(&one), 1);
    cpu_set_t inside;
    CPU_AND(&inside, &one, &before_);
    EXPECT_TRUE(Same(inside, one)) << "pinned to a processor it was not allowed";

    Waiter inherited;
    Waiter chooser(OtherThan(before_, one));
    const cpu_set_t chosen = Allowed(chooser.tid());
    EXPECT_TRUE(Same(Allowed(inherited.tid()), one));

    pin.release();
    EXPECT_FALSE(pin.pinned());
    EXPECT_TRUE(Same(Allowed(), before_));
    EXPECT_TRUE(Same(Allowed(inherited.tid()), before_));
    EXPECT_TRUE(Same(Allowed(chooser.tid()), chosen)) << "a thread's own choice was undone";
    Waiter later;
    EXPECT_TRUE(Same(Allowed(later.tid()), before_));

    pin.release();  // a second release changes nothing
    EXPECT_TRUE(Same(Allowed(), before_));
}

TEST_F(ProcessorPinTest, TheEndOfThePinReleasesIt) {
    {
        ProcessorPin pin;
        ASSERT_TRUE(pin.pinned());
        const cpu_set_t during = Allowed();
        EXPECT_EQ(CPU_COUNT(&during), 1);
    }
    EXPECT_TRUE(Same(Allowed(), before_));
}

TEST_F(ProcessorPinTest, AProgramOnOneProcessorStaysAsItIs) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(OtherThan(before_, one), &one);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    ProcessorPin pin;
    EXPECT_FALSE(pin.pinned());
    pin.release();
    EXPECT_TRUE(Same(Allowed(), one));
}

}  // namespace
}  // namespace magtune::platform
