#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "app/ProvisionRun.h"
#include "platform/Clock.h"
#include "settings/DeviceTypeCodes.h"

namespace magtune::app {
namespace {

// How a fake reader behaves.
struct Behaviour {
    bool opens = true;
    bool downloads = true;
    bool uploads = true;
    std::size_t corruptByte = 0;  // 0: the reader holds what it was sent
    std::uint8_t corruptFlip = 0;
    const char* failure = "";  // what the transfer tells when it fails
};

// Counts how many readers are in a transfer at once; serial readers wait
// for `gather` readers to be in theirs, which only parallel workers reach.
struct Meeting {
    std::mutex mutex;
    std::condition_variable cv;
    int inside = 0;
    int arrived = 0;
    int most = 0;
    int gather = 0;

    void enter() {
        std::unique_lock lock(mutex);
        most = std::max(most, ++inside);
        ++arrived;
        cv.notify_all();
        cv.wait_for(lock, std::chrono::seconds(5), [this] { return arrived >= gather; });
    }
    void leave() {
        std::lock_guard lock(mutex);
        --inside;
    }
};

class FakeReader : public ProvisionReader {
  public:
    FakeReader(const ProvisionTarget& target, Behaviour behaviour, common::Prompter& prompter,
               comm::TransferView& view, Meeting& meeting,
               std::vector<settings::ConfigurationImage>* received)
        : target_(target),
          behaviour_(behaviour),
          prompter_(prompter),
          view_(view),
          meeting_(meeting),
          received_(received) {}

    bool prepare() override {
        if (!behaviour_.opens) {
            prompter_.warning(behaviour_.failure);
        }
        return behaviour_.opens;
    }
    bool download(const settings::ConfigurationImage& image) override {
        meeting_.enter();
        view_.setStatus("Downloading to device ...");
        held_ = image;
        if (received_) {
            // Readers of one kind share the list and their meeting's lock.
            std::lock_guard lock(meeting_.mutex);
            received_->push_back(image);
        }
        if (behaviour_.corruptByte != 0) {
            held_[behaviour_.corruptByte] ^= behaviour_.corruptFlip;
        }
        if (!behaviour_.downloads) {
            prompter_.systemError("ReadFile():\nInput/output error");
            prompter_.warning(behaviour_.failure);
        } else {
            prompter_.information("Download finished successfully.", common::kApplicationTitle);
        }
        meeting_.leave();
        return behaviour_.downloads;
    }
    bool upload(settings::ConfigurationImage& image) override {
        if (!behaviour_.uploads) {
            prompter_.warning(behaviour_.failure);
            return false;
        }
        image = held_;
        return true;
    }
    std::string devicePath() const override { return "/dev/fake-" + target_.port; }
    std::uint32_t baudRate() const override { return target_.usb() ? 0 : 9600; }

  private:
    ProvisionTarget target_;
    Behaviour behaviour_;
    common::Prompter& prompter_;
    comm::TransferView& view_;
    Meeting& meeting_;
    std::vector<settings::ConfigurationImage>* received_;
    settings::ConfigurationImage held_{};
};

class CountingClock : public platform::Clock {
  public:
    std::uint64_t nowMs() override { return now_ += 5; }
    void sleepMs(std::uint32_t) override {}

  private:
    std::atomic<std::uint64_t> now_{0};
};

ProvisionTarget Serial(const std::string& port) {
    ProvisionTarget target;
    target.port = port;
    target.device = "/dev/" + port;
    return target;
}

ProvisionTarget Usb(std::size_t number) {
    ProvisionTarget target;
    target.port = "USB " + std::to_string(number);
    target.usbNumber = number;
    return target;
}

class ProvisionRunTest : public ::testing::Test {
  protected:
    std::map<std::string, Behaviour> behaviours;  // filled before the run starts
    // The readers' workers look up at once: find, never insert.
    Behaviour behaviourOf(const std::string& port) const {
        const auto found = behaviours.find(port);
        return found == behaviours.end() ? Behaviour{} : found->second;
    }
    Meeting serialMeeting;
    Meeting usbMeeting;
    CountingClock clock;
    std::vector<settings::ConfigurationImage> serialImages;
    std::vector<settings::ConfigurationImage> usbImages;
    settings::SettingStore store;

    std::vector<ProvisionResult> provision(const std::vector<ProvisionTarget>& targets,
                                           bool verify = true) {
        ProvisionRun run(
            store,
            [this](const ProvisionTarget& target, common::Prompter& prompter,
                   comm::TransferView& view) {
                return std::make_unique<FakeReader>(target, behaviourOf(target.port), prompter,
                                                    view, target.usb() ? usbMeeting : serialMeeting,
                                                    target.usb() ? &usbImages : &serialImages);
            },
            clock, verify);
        for (const auto& target : targets) {
            run.add(target);
        }
        run.wait();
        return run.results();
    }
};

TEST_F(ProvisionRunTest, FailedReadersNeverStopTheOthers) {
    behaviours["COM2"] = {false, true, true, 0, 0, "COM2 is not available."};
    behaviours["COM3"] = {true, false, true, 0, 0, "Download setting failed."};
    behaviours["COM4"] = {true, true, false, 0, 0, "Upload setting from COM4 failed."};
    behaviours["COM5"] = {true, true, true, 1, 0x10, ""};
    behaviours["COM6"] = {true, true, true, 5, 0x08, ""};  // a bit the layout keeps 0
    serialMeeting.gather = 6;
    const auto rows = provision({Serial("COM1"), Serial("COM2"), Serial("COM3"), Serial("COM4"),
                                 Serial("COM5"), Serial("COM6"), Serial("COM7")});
    ASSERT_EQ(rows.size(), 7u);
    struct Expected {
        ProvisionState state;
        const char* message;
    } expected[] = {
        {ProvisionState::Verified, ""},
        {ProvisionState::Failed, "COM2 is not available."},
        {ProvisionState::Failed, "ReadFile(): Input/output error Download setting failed."},
        {ProvisionState::Failed,
         "Verify failed: the setting could not be read back. Upload setting from COM4 failed."},
        {ProvisionState::Failed,
         "Verify failed: Beeps and Delays/Beep Tone differs (the setting has \"Medium\", the "
         "reader \"High\")."},
        {ProvisionState::Verified, ""},
        {ProvisionState::Verified, ""},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].state, expected[i].state) << rows[i].target.port;
        EXPECT_EQ(rows[i].message, expected[i].message) << rows[i].target.port;
        EXPECT_GT(rows[i].durationMs, 0u) << rows[i].target.port;
    }
    EXPECT_EQ(rows[0].device, "/dev/fake-COM1");
    EXPECT_EQ(rows[0].baudRate, 9600u);
    EXPECT_EQ(rows[0].status, "Downloading to device ...");
    // Every port that opened was in its download at the same time.
    EXPECT_EQ(serialMeeting.most, 6);
}

TEST_F(ProvisionRunTest, UsbReadersTakeTurnsBesideTheSerialPorts) {
    serialMeeting.gather = 2;
    usbMeeting.gather = 1;
    const auto rows = provision({Usb(1), Serial("COM1"), Usb(2), Serial("COM2"), Usb(3)});
    for (const auto& row : rows) {
        EXPECT_EQ(row.state, ProvisionState::Verified) << row.target.port << row.message;
    }
    EXPECT_EQ(usbMeeting.most, 1);
    EXPECT_EQ(serialMeeting.most, 2);
}

TEST_F(ProvisionRunTest, EachInterfaceGetsItsOwnDeviceType) {
    store.settings.BeepTone.current = 4;
    provision({Serial("COM1"), Usb(1)});
    ASSERT_EQ(serialImages.size(), 1u);
    ASSERT_EQ(usbImages.size(), 1u);
    EXPECT_EQ(serialImages[0][0],
              settings::DeviceTypeCodes[settings::kSerialWedgeDeviceIndex].code);
    EXPECT_EQ(usbImages[0][0],
              settings::DeviceTypeCodes[settings::kKeyboardlessWedgeDeviceIndex].code);
    EXPECT_EQ(serialImages[0][1], usbImages[0][1]);
    EXPECT_EQ((serialImages[0][1] >> 4) & 7, 4) << "the setting's own values are sent";
    EXPECT_EQ(store.settings.DeviceId.current, store.settings.DeviceId.defaultValue)
        << "the setting itself is not changed";
}

TEST_F(ProvisionRunTest, WithoutVerificationReadersEndDownloaded) {
    behaviours["COM1"] = {true, true, false, 0, 0, "never read back"};
    const auto rows = provision({Serial("COM1")}, false);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].state, ProvisionState::Downloaded);
    EXPECT_EQ(rows[0].message, "");
}

TEST_F(ProvisionRunTest, TheObserverSeesEveryRowReachItsEnd) {
    std::mutex mutex;
    std::map<std::size_t, std::vector<ProvisionState>> seen;
    {
        ProvisionRun run(
            store,
            [this](const ProvisionTarget& target, common::Prompter& prompter,
                   comm::TransferView& view) {
                return std::make_unique<FakeReader>(target, behaviourOf(target.port), prompter,
                                                    view, serialMeeting, nullptr);
            },
            clock);
        run.setObserver([&](std::size_t index, const ProvisionResult& row) {
            std::lock_guard lock(mutex);
            auto& states = seen[index];
            if (states.empty() || states.back() != row.state) {
                states.push_back(row.state);
            }
        });
        run.add(Serial("COM1"));
        run.add(Serial("COM2"));
        // Destroying the run waits for its readers.
    }
    for (std::size_t i : {0u, 1u}) {
        ASSERT_FALSE(seen[i].empty());
        EXPECT_EQ(seen[i].back(), ProvisionState::Verified);
        EXPECT_NE(std::find(seen[i].begin(), seen[i].end(), ProvisionState::Verifying),
                  seen[i].end());
    }
}

TEST_F(ProvisionRunTest, AStoppedRunLeavesWaitingReadersUntouched) {
    usbMeeting.gather = 2;  // the first USB reader waits in its download
    std::atomic<int> made{0};
    ProvisionRun run(
        store,
        [&](const ProvisionTarget& target, common::Prompter& prompter, comm::TransferView& view) {
            ++made;
            return std::make_unique<FakeReader>(target, behaviourOf(target.port), prompter, view,
                                                usbMeeting, nullptr);
        },
        clock);
    for (std::size_t n : {1u, 2u, 3u}) {
        run.add(Usb(n));
    }
    {
        std::unique_lock lock(usbMeeting.mutex);
        usbMeeting.cv.wait_for(lock, std::chrono::seconds(5),
                               [&] { return usbMeeting.inside == 1; });
    }
    run.stop();
    {
        std::lock_guard lock(usbMeeting.mutex);
        usbMeeting.arrived = usbMeeting.gather;
    }
    usbMeeting.cv.notify_all();
    run.wait();
    const auto rows = run.results();
    EXPECT_EQ(rows[0].state, ProvisionState::Verified);
    for (std::size_t i : {1u, 2u}) {
        EXPECT_EQ(rows[i].state, ProvisionState::Failed);
        EXPECT_EQ(rows[i].message, "Not started: the run was stopped.");
    }
    EXPECT_EQ(made, 1);
}

// A serial reader whose reader never answers in one of its transfers: that
// transfer keeps trying until the run is stopped.
class ConnectingReader : public ProvisionReader {
  public:
    ConnectingReader(bool answersDownload, std::atomic<int>& connecting)
        : answersDownload_(answersDownload), connecting_(connecting) {}
    bool download(const settings::ConfigurationImage& image) override {
        held_ = image;
        return answersDownload_ || connect();
    }
    bool upload(settings::ConfigurationImage& image) override {
        if (!connect()) {
            return false;
        }
        image = held_;
        return true;
    }
    std::string devicePath() const override { return "/dev/fake"; }
    bool gaveUpForStop() const override { return gaveUp_; }

  private:
    bool connect() {
        ++connecting_;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!stopRequested() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        gaveUp_ = stopRequested();
        return false;
    }

    bool answersDownload_;
    std::atomic<int>& connecting_;
    bool gaveUp_ = false;
    settings::ConfigurationImage held_{};
};

TEST_F(ProvisionRunTest, AStopEndsTheReadersStillConnecting) {
    const struct {
        bool answersDownload;
        ProvisionState state;
        const char* message;
    } cases[] = {
        {false, ProvisionState::Failed,
         "Stopped while connecting: nothing was written to the reader."},
        {true, ProvisionState::Downloaded, "Stopped before it was read back: not verified."},
    };
    for (const auto& c : cases) {
        std::atomic<int> connecting{0};
        ProvisionRun run(
            store,
            [&](const ProvisionTarget&, common::Prompter&, comm::TransferView&) {
                return std::make_unique<ConnectingReader>(c.answersDownload, connecting);
            },
            clock);
        run.add(Serial("COM1"));
        run.add(Serial("COM2"));
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (connecting < 2 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(connecting, 2);
        run.stop();
        run.wait();
        for (const auto& row : run.results()) {
            EXPECT_EQ(row.state, c.state) << row.target.port;
            EXPECT_EQ(row.message, c.message) << row.target.port;
        }
    }
}

}  // namespace
}  // namespace magtune::app
