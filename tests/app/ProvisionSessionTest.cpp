#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "app/ProvisionSession.h"
#include "platform/Clock.h"

namespace magtune::app {
namespace {

using namespace std::chrono_literals;

// Readers that hold their download until the gate opens; COM ports in
// `closed` do not open.
struct Gate {
    std::mutex mutex;
    std::condition_variable cv;
    bool open = false;
    int inside = 0;
    std::atomic<int> done = 0;
    std::set<std::string> closed;
    std::set<std::string> tried;

    void pass() {
        std::unique_lock lock(mutex);
        ++inside;
        cv.notify_all();
        cv.wait_for(lock, 10s, [this] { return open; });
    }
    void release() {
        std::lock_guard lock(mutex);
        open = true;
        cv.notify_all();
    }
    bool waitInside(int n) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, 10s, [&] { return inside >= n; });
    }
};

class GateReader : public ProvisionReader {
  public:
    GateReader(const ProvisionTarget& target, Gate& gate) : target_(target), gate_(gate) {}
    bool download(const settings::ConfigurationImage& image) override {
        gate_.pass();
        held_ = image;
        ++gate_.done;
        return true;
    }
    bool upload(settings::ConfigurationImage& image) override {
        image = held_;
        return true;
    }
    std::string devicePath() const override { return "/dev/" + target_.port; }

  private:
    ProvisionTarget target_;
    Gate& gate_;
    settings::ConfigurationImage held_{};
};

ProvisionSession::Machine Machine(Gate& gate, std::size_t usbReaders) {
    ProvisionSession::Machine machine;
    machine.readers = [&gate](const ProvisionTarget& target, common::Prompter&,
                              comm::TransferView&) {
        return std::make_unique<GateReader>(target, gate);
    };
    machine.opens = [&gate](const ProvisionTarget& target) {
        std::lock_guard lock(gate.mutex);
        gate.tried.insert(target.port);
        return gate.closed.count(target.port) == 0;
    };
    machine.usbReaderCount = [usbReaders](std::string& problem) {
        if (usbReaders == 0) {
            problem = "No USB device found. Please check your device connection.";
        }
        return usbReaders;
    };
    return machine;
}

bool WaitFor(ProvisionSession& session, ProvisionSession::Phase phase) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (session.phase() != phase && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(1ms);
    }
    return session.phase() == phase;
}

// The finder adds the readers one by one, and the first ones may already be
// in their downloads before the last one is added.
bool WaitForRows(ProvisionSession& session, std::size_t rows) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (session.results().size() < rows && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(1ms);
    }
    return session.results().size() == rows;
}

std::vector<std::string> Ports(const std::vector<ProvisionResult>& rows) {
    std::vector<std::string> ports;
    for (const auto& row : rows) {
        ports.push_back(row.target.port);
    }
    return ports;
}

settings::SettingStore Defaults() {
    settings::SettingStore store;
    store.settings.ResetToDefaults();
    return store;
}

TEST(ProvisionSession, AllPortsTakesThePortsThatOpenThenTheUsbReaders) {
    Gate gate;
    for (int n = 1; n <= 32; ++n) {
        if (n != 2 && n != 7) {
            gate.closed.insert("COM" + std::to_string(n));
        }
    }
    gate.release();
    ProvisionSession session(Machine(gate, 2), platform::SystemClock());
    EXPECT_EQ(session.phase(), ProvisionSession::Phase::Idle);
    EXPECT_EQ(session.summary(), "");
    ProvisionChoice choice;
    choice.allPorts = true;
    choice.devices = "/dev/ttyUSB0";
    choice.usb = true;
    ASSERT_TRUE(session.start(Defaults(), ProvisionChoiceTargets(choice), true));
    ASSERT_TRUE(WaitFor(session, ProvisionSession::Phase::Finished));
    const auto rows = session.results();
    EXPECT_EQ(Ports(rows),
              (std::vector<std::string>{"COM2", "COM7", "/dev/ttyUSB0", "USB 1", "USB 2"}));
    // A device path is taken as it is given, never tried first.
    EXPECT_EQ(gate.tried.size(), 32u);
    EXPECT_EQ(session.summary(), "5 readers: 5 verified, 0 failed.");
    // Each row is reported as changed once, however often it changed.
    const auto changed = session.takeChanged();
    EXPECT_EQ(changed, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(session.takeChanged().empty());
}

TEST(ProvisionSession, StopLetsTheReadersUnderWayFinishAndStartsNoOther) {
    Gate gate;
    ProvisionSession session(Machine(gate, 2), platform::SystemClock());
    ProvisionChoice choice;
    choice.comPorts = true;
    choice.comList = "1-2";
    choice.usb = true;
    ASSERT_TRUE(session.start(Defaults(), ProvisionChoiceTargets(choice), false));
    // COM1, COM2 and the first USB reader are in their downloads, the second
    // USB reader waits for its turn.
    ASSERT_TRUE(gate.waitInside(3));
    ASSERT_TRUE(WaitForRows(session, 4));
    EXPECT_EQ(session.phase(), ProvisionSession::Phase::Running);
    EXPECT_EQ(session.summary(), "4 readers: 0 failed, 4 unfinished.");
    // A second run cannot start over the first.
    EXPECT_FALSE(session.start(Defaults(), ProvisionChoiceTargets(choice), false));

    session.stop();
    EXPECT_EQ(session.phase(), ProvisionSession::Phase::Stopping);
    EXPECT_EQ(session.summary(), "Stopping: waiting for 3 readers under way ...");
    gate.release();
    ASSERT_TRUE(WaitFor(session, ProvisionSession::Phase::Finished));
    const auto rows = session.results();
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].state, ProvisionState::Downloaded) << rows[i].target.port;
    }
    EXPECT_EQ(rows[3].state, ProvisionState::Failed);
    EXPECT_EQ(rows[3].message, "Not started: the run was stopped.");
    EXPECT_EQ(session.summary(), "Stopped. 4 readers: 3 downloaded, 1 failed.");

    // The next run starts afresh.
    ASSERT_TRUE(session.start(Defaults(), ProvisionChoiceTargets(choice), true));
    ASSERT_TRUE(WaitFor(session, ProvisionSession::Phase::Finished));
    EXPECT_EQ(session.summary(), "4 readers: 4 verified, 0 failed.");
}

TEST(ProvisionSession, NoPortThatOpensFindsNoReader) {
    Gate gate;
    for (int n = 1; n <= 32; ++n) {
        gate.closed.insert("COM" + std::to_string(n));
    }
    ProvisionSession session(Machine(gate, 0), platform::SystemClock());
    ProvisionChoice choice;
    choice.allPorts = true;
    choice.usb = true;
    ASSERT_TRUE(session.start(Defaults(), ProvisionChoiceTargets(choice), true));
    ASSERT_TRUE(WaitFor(session, ProvisionSession::Phase::Finished));
    EXPECT_TRUE(session.results().empty());
    EXPECT_EQ(session.summary(),
              "No reader found. USB: No USB device found. Please check your device connection.");
}

TEST(ProvisionSession, EndingTheSessionWaitsForTheReadersUnderWay) {
    Gate gate;
    std::thread opener;
    {
        ProvisionSession session(Machine(gate, 0), platform::SystemClock());
        ProvisionChoice choice;
        choice.comPorts = true;
        choice.comList = "1";
        ASSERT_TRUE(session.start(Defaults(), ProvisionChoiceTargets(choice), false));
        ASSERT_TRUE(gate.waitInside(1));
        opener = std::thread([&gate] {
            std::this_thread::sleep_for(50ms);
            gate.release();
        });
    }
    // The reader's download ran to its end before the session went.
    EXPECT_EQ(gate.done, 1);
    opener.join();
}

}  // namespace
}  // namespace magtune::app
