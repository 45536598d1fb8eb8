#include "comm/UsbTransfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <numeric>

#include "comm/CommFakes.h"
#include "comm/ProtocolFrames.h"
#include "support/FakePrompter.h"

namespace magtune::usbhid {
namespace {

using test::FakeClock;
using test::FakePrompter;
using test::MemoryFileSystem;
using test::RecordingView;
using Strings = std::vector<std::string>;

// The library as the transfers see it: every control code and channel in
// order, and scripted failures.
class FakeUsbLibrary : public comm::UsbLibraryCalls {
  public:
    std::vector<std::uint8_t> codes;
    Strings calls;  // channels and ready tests
    int notReadyFor = 0;
    int codeFailsAt = -1;  // index of the control code that fails
    bool channelFails = false;

    std::int32_t UsbHidGetAvailableDeviceList() override { return 1; }
    std::int32_t UsbHidReleaseDeviceList() override { return 1; }
    std::int32_t UsbHidEnumDeviceList(std::int32_t, char* name, std::uint8_t* flag) override {
        name[0] = '\0';
        *flag = 0;
        return 1;
    }
    std::int32_t UsbHidSelectDevice(std::int32_t) override { return 1; }
    std::int32_t UsbHidDeselectDevice() override { return 1; }
    std::int32_t UsbHidIsDeviceReady() override {
        calls.push_back("ready");
        return notReadyFor-- > 0 ? 0 : 1;
    }
    std::int32_t UsbHidSetDeviceControlCode(std::int32_t code) override {
        if (static_cast<int>(codes.size()) == codeFailsAt) {
            return 0;
        }
        codes.push_back(static_cast<std::uint8_t>(code));
        return 1;
    }
    std::int32_t UsbHidSetDownloadChannel(std::int32_t channel) override {
        calls.push_back("channel " + std::to_string(channel));
        return channelFails ? 0 : 1;
    }
};

const std::vector<std::uint8_t> kWake = {0xEC, 0xEC, 0xEC};

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

template <typename Frame>
std::vector<std::uint8_t> Bytes(const Frame& frame) {
    return {frame.begin(), frame.end()};
}

class UsbTransferTest : public ::testing::Test {
  protected:
    UsbTransferTest() {
        std::iota(image.begin(), image.end(), std::uint8_t{0x80});
        options.UsbDelay = 2;
        options.ProtocolDelay = 7;
    }

    comm::UsbTransfer& make(comm::UsbTransfer::Direction direction) {
        transfer = std::make_unique<comm::UsbTransfer>(direction, library, clock, prompter, view,
                                                       options, log, dump, image);
        return *transfer;
    }
    void type(const std::string& keys) {
        for (const char key : keys) {
            transfer->keyTyped(key);
        }
    }
    // Fires the timer until the transfer waits in `phase`.
    void runUntil(comm::TransferPhase phase) {
        for (int i = 0; i < 2000 && transfer->phase() != phase && !transfer->finished(); ++i) {
            transfer->timerFired();
        }
        ASSERT_EQ(transfer->phase(), phase);
    }

    FakeUsbLibrary library;
    FakeClock clock;
    FakePrompter prompter;
    RecordingView view;
    comm::CommOptions options;
    MemoryFileSystem files;
    comm::TransferLog log{files, "/p/USBLog.txt"};
    comm::TransferLog dump{files, "/p/USBDump.txt"};
    settings::ConfigurationImage image{};
    std::unique_ptr<comm::UsbTransfer> transfer;
};

TEST_F(UsbTransferTest, DownloadEntersTheChannelWakesSendsAndLeaves) {
    comm::UsbTransfer& t = make(comm::UsbTransfer::Direction::Download);
    t.start();
    EXPECT_EQ(t.phase(), comm::TransferPhase::Init);
    EXPECT_EQ(t.intervalMs(), 1u);
    runUntil(comm::TransferPhase::Connect);
    EXPECT_EQ(t.intervalMs(), 500u);
    EXPECT_EQ(library.codes, kWake);
    EXPECT_EQ(library.calls, (Strings{"ready", "channel 253"}));

    type("Y");  // before "O": ignored
    EXPECT_EQ(t.phase(), comm::TransferPhase::Connect);
    const std::uint64_t before = clock.now;
    type("o");
    EXPECT_EQ(t.phase(), comm::TransferPhase::Download);
    EXPECT_EQ(t.intervalMs(), 20000u);
    EXPECT_EQ(library.codes, Concat({kWake, Bytes(comm::KeyboardDownload(image))}));
    // The protocol delay, then the download frame at the USB delay per byte.
    EXPECT_EQ(clock.now - before, 7u + 260u * 2u);
    type("O");  // the frame is out: ignored
    EXPECT_EQ(library.codes.size(), 263u);

    type("y");
    EXPECT_TRUE(t.finished());
    EXPECT_TRUE(t.succeeded());
    EXPECT_EQ(library.calls, (Strings{"ready", "channel 253", "channel 254"}));
    EXPECT_EQ(prompter.texts(), Strings{"Download finished successfully."});
    EXPECT_EQ(prompter.messages[0].caption, common::kApplicationTitle);
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Information);
    EXPECT_EQ(view.events, (Strings{"status Preparing for download ...", "progress 0", "busy on",
                                    "status Connecting to device ...", "busy on", "progress 50",
                                    "status Sending data, please wait ...", "busy off",
                                    "progress 100", "status Download succeed", "busy off"}));
}

TEST_F(UsbTransferTest, RejectedDownloadAsksAndRetriesFromTheWake) {
    comm::UsbTransfer& t = make(comm::UsbTransfer::Direction::Download);
    prompter.answers = {common::Answer::Yes, common::Answer::No};
    t.start();
    runUntil(comm::TransferPhase::Connect);
    type("ON");
    EXPECT_EQ(prompter.texts(), Strings{"Data or checksum error. Retry?"});
    EXPECT_EQ(prompter.messages[0].caption, common::kErrorCaption);
    EXPECT_EQ(prompter.messages[0].buttons, common::MessageButtons::YesNo);
    EXPECT_EQ(t.phase(), comm::TransferPhase::Init);
    library.codes.clear();
    runUntil(comm::TransferPhase::Connect);
    EXPECT_EQ(library.codes, kWake);
    type("O");
    // No answer in 20 s: time-out question, answered No.
    t.timerFired();
    EXPECT_TRUE(t.finished());
    EXPECT_FALSE(t.succeeded());
    EXPECT_EQ(prompter.texts(),
              (Strings{"Data or checksum error. Retry?", "Time out error. Retry?",
                       "Download failed. Please check your device and connection."}));
    EXPECT_EQ(library.calls, (Strings{"ready", "channel 253", "channel 254", "ready", "channel 253",
                                      "channel 254"}));
}

TEST_F(UsbTransferTest, FailuresEndTheTransferWithTheirMessages) {
    struct Case {
        const char* name;
        int notReadyFor;
        bool channelFails;
        int codeFailsAt;
        bool typeO;
        Strings messages;
        Strings channels;
    };
    const std::vector<Case> cases = {
        {"no reader answers the wake",
         0,
         false,
         -1,
         false,
         {"Failed to connect to device.",
          "Download failed. Please check your device and connection."},
         {"channel 253", "channel 254"}},
        {"the library never gets ready",
         5000,
         false,
         -1,
         false,
         {"Failed to load USB driver.",
          "Download failed. Please check your device and connection."},
         {}},
        {"the channel cannot be entered",
         0,
         true,
         -1,
         false,
         {"UsbHidSetDownloadChannel() failed.",
          "Download failed. Please check your device and connection."},
         {"channel 253"}},
        {"a wake byte fails",
         0,
         false,
         1,
         false,
         {"UsbHidSetDeviceControlCode() failed.",
          "Download failed. Please check your device and connection."},
         {"channel 253", "channel 254"}},
        {"a frame byte fails",
         0,
         false,
         100,
         true,
         {"UsbHidSetDeviceControlCode() failed.",
          "Download failed. Please check your device and connection."},
         {"channel 253", "channel 254"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        library = FakeUsbLibrary{};
        library.notReadyFor = c.notReadyFor;
        library.channelFails = c.channelFails;
        library.codeFailsAt = c.codeFailsAt;
        prompter.clear();
        comm::UsbTransfer& t = make(comm::UsbTransfer::Direction::Download);
        t.start();
        for (int i = 0; i < 2000 && !t.finished() && t.phase() != comm::TransferPhase::Connect;
             ++i) {
            t.timerFired();
        }
        if (c.typeO) {
            type("O");
        } else if (!t.finished()) {
            t.timerFired();
        }
        EXPECT_TRUE(t.finished());
        EXPECT_FALSE(t.succeeded());
        EXPECT_EQ(prompter.texts(), c.messages);
        Strings channels;
        std::copy_if(library.calls.begin(), library.calls.end(), std::back_inserter(channels),
                     [](const std::string& call) { return call != "ready"; });
        EXPECT_EQ(channels, c.channels);
    }
    // The last case: the library got ready at the first test.
    EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "ready"), 1);
}

TEST_F(UsbTransferTest, UploadCollectsDigitsInEitherCaseAndChecksThem) {
    prompter.answers = {common::Answer::Yes};
    options.UsbLogEnable = true;
    make(comm::UsbTransfer::Direction::Upload);
    files.put("/p/USBLog.txt", "old");
    files.put("/p/USBDump.txt", "old");
    transfer->start();
    EXPECT_EQ(transfer->intervalMs(), 10u);
    EXPECT_EQ(files.text("/p/USBLog.txt"), "");
    EXPECT_EQ(files.text("/p/USBDump.txt"), "");
    runUntil(comm::TransferPhase::Connect);
    type("O");
    EXPECT_EQ(library.codes, Concat({kWake, Bytes(comm::KeyboardUploadRequest())}));

    settings::ConfigurationImage sent;
    std::iota(sent.begin(), sent.end(), std::uint8_t{0x1F});
    std::string wrong = comm::KeyboardUploadReplyDigits(sent);
    wrong[513] = wrong[513] == '0' ? '1' : '0';
    type(wrong);
    EXPECT_EQ(prompter.texts(), Strings{"Data or checksum error. Retry?"});
    EXPECT_NE(image, sent);

    runUntil(comm::TransferPhase::Connect);
    std::string lower = comm::KeyboardUploadReplyDigits(sent);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(c));
    }
    type("O");
    type("x" + lower.substr(0, 100) + "O\r" + lower.substr(100));
    EXPECT_TRUE(transfer->finished());
    EXPECT_TRUE(transfer->succeeded());
    EXPECT_EQ(image, sent);
    EXPECT_EQ(prompter.texts().back(), "Upload finished successfully.");
    // Every key the form got, one line each; the dump file stays empty.
    const std::string logged = files.text("/p/USBLog.txt");
    EXPECT_EQ(logged.substr(0, 6), "O\n1\nF\n");
    // "O" and 514 digits, then "O", "x", 514 digits, "O" and "\r".
    EXPECT_EQ(std::count(logged.begin(), logged.end(), '\n'), 515 + 518);
    EXPECT_EQ(files.text("/p/USBDump.txt"), "");
}

TEST_F(UsbTransferTest, AnUploadThatStopsHalfWayTimesOut) {
    comm::UsbTransfer& t = make(comm::UsbTransfer::Direction::Upload);
    prompter.answers = {common::Answer::No};
    t.start();
    runUntil(comm::TransferPhase::Connect);
    type("O" + comm::KeyboardUploadReplyDigits(image).substr(0, 300));
    EXPECT_EQ(t.phase(), comm::TransferPhase::Upload);
    t.timerFired();
    EXPECT_TRUE(t.finished());
    EXPECT_EQ(prompter.texts(),
              (Strings{"Time out error. Retry?",
                       "Upload failed. Please check your device and connection."}));
    EXPECT_EQ(library.calls.back(), "channel 254");
}

// Keys from a script, the clock moving by the waits.
class ScriptedKeys : public comm::KeySource {
  public:
    ScriptedKeys(FakeClock& clock, std::deque<std::pair<std::uint64_t, std::string>> script)
        : clock_(clock), script_(std::move(script)) {}
    std::string waitForKeys(std::uint32_t timeoutMs) override {
        if (!script_.empty() && script_.front().first <= clock_.now + timeoutMs) {
            clock_.now = std::max(clock_.now, script_.front().first);
            std::string keys = script_.front().second;
            script_.pop_front();
            return keys;
        }
        clock_.now += timeoutMs;
        return {};
    }

  private:
    FakeClock& clock_;
    std::deque<std::pair<std::uint64_t, std::string>> script_;
};

TEST_F(UsbTransferTest, RunningWithoutAWindowFollowsTheTimer) {
    make(comm::UsbTransfer::Direction::Download);
    library.notReadyFor = 3;
    // "O" 100 ms after the wake, "Y" well within the 20 s.
    ScriptedKeys keys(clock, {{200, "O"}, {5000, "Y"}});
    EXPECT_TRUE(comm::RunUsbTransfer(*transfer, keys, clock));
    EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "ready"), 4);

    make(comm::UsbTransfer::Direction::Download);
    prompter.clear();
    ScriptedKeys silent(clock, {});
    const std::uint64_t start = clock.now;
    EXPECT_FALSE(comm::RunUsbTransfer(*transfer, silent, clock));
    EXPECT_EQ(prompter.texts().front(), "Failed to connect to device.");
    EXPECT_LT(clock.now - start, 1000u);
}

}  // namespace
}  // namespace magtune::usbhid

namespace magtune::usbhid {
namespace {

// A clock of microseconds whose control calls take time, as they do through
// the library, its server and the bus.
class CostlyCalls : public FakeUsbLibrary {
  public:
    class MicroClock : public platform::Clock {
      public:
        std::uint64_t us = 0;
        std::uint64_t nowMs() override { return us / 1000; }
        void sleepMs(std::uint32_t ms) override { us += std::uint64_t{ms} * 1000; }
        std::uint64_t nowUs() override { return us; }
        void sleepUntilUs(std::uint64_t deadline) override { us = std::max(us, deadline); }
    };

    MicroClock clock;
    std::uint64_t costUs = 0;
    std::size_t stallAt = SIZE_MAX;  // this call takes stallUs more
    std::uint64_t stallUs = 0;
    std::vector<std::uint64_t> sentAt;

    std::int32_t UsbHidSetDeviceControlCode(std::int32_t code) override {
        sentAt.push_back(clock.us);
        clock.us += costUs + (sentAt.size() - 1 == stallAt ? stallUs : 0);
        return FakeUsbLibrary::UsbHidSetDeviceControlCode(code);
    }
};

// The waits run to absolute deadlines: what a call costs comes out of the
// wait after it instead of adding up over the 260 bytes of a frame, a short
// stall is caught up with, and after a long one the bytes keep their delay.
TEST(UsbTransferPacing, TheFrameTakesItsPrescribedTimeWhateverTheCallsCost) {
    struct Case {
        int usbDelay;
        std::uint64_t costUs;
        std::size_t stallAt;  // frame byte whose call takes stallUs more
        std::uint64_t stallUs;
        std::uint64_t frameUs;     // from "O" to the answer timer, the last wait included
        std::uint64_t leastGapUs;  // between the starts of two frame bytes
    };
    const Case cases[] = {
        {2, 0, SIZE_MAX, 0, 7'000 + 260 * 2'000, 2'000},
        {2, 300, SIZE_MAX, 0, 7'000 + 260 * 2'000, 2'000},
        {1, 900, SIZE_MAX, 0, 7'000 + 260 * 1'000, 1'000},
        {0, 300, SIZE_MAX, 0, 7'000 + 260 * 300, 300},
        {5, 300, 100, 10'000, 7'000 + 260 * 5'000, 300},
        {5, 300, 100, 100'000, 7'000 + 260 * 5'000 + 100'300 - 5'000, 5'000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("UsbDelay " + std::to_string(c.usbDelay) + ", " + std::to_string(c.costUs) +
                     " us a call");
        CostlyCalls library;
        library.costUs = c.costUs;
        library.stallAt = c.stallAt == SIZE_MAX ? SIZE_MAX : 3 + c.stallAt;
        library.stallUs = c.stallUs;
        FakePrompter prompter;
        RecordingView view;
        comm::CommOptions options;
        options.UsbDelay = c.usbDelay;
        options.ProtocolDelay = 7;
        MemoryFileSystem files;
        comm::TransferLog log{files, "/p/USBLog.txt"};
        settings::ConfigurationImage image{};
        comm::UsbTransfer transfer(comm::UsbTransfer::Direction::Download, library, library.clock,
                                   prompter, view, options, log, log, image);
        transfer.start();
        for (int i = 0; i < 10 && transfer.phase() != comm::TransferPhase::Connect; ++i) {
            transfer.timerFired();
        }
        ASSERT_EQ(transfer.phase(), comm::TransferPhase::Connect);
        const std::uint64_t keyAt = library.clock.us;
        transfer.keyTyped('O');
        ASSERT_EQ(transfer.phase(), comm::TransferPhase::Download);
        EXPECT_EQ(library.clock.us - keyAt, c.frameUs);
        ASSERT_EQ(library.sentAt.size(), 263u);
        std::uint64_t least = UINT64_MAX;
        for (std::size_t i = 4; i < library.sentAt.size(); ++i) {
            least = std::min(least, library.sentAt[i] - library.sentAt[i - 1]);
        }
        EXPECT_EQ(least, c.leastGapUs);
    }
}

}  // namespace
}  // namespace magtune::usbhid
