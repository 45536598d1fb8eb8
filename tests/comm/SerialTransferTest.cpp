#include "comm/SerialTransfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

#include "comm/SerialFixture.h"
#include "comm/SerialTestPad.h"
#include "platform/SystemError.h"

namespace magtune::comm {
namespace {

using test::SerialFixture;

std::vector<std::uint8_t> Reply(const settings::ConfigurationImage& image) {
    const auto frame = SerialUploadReply(image);
    return {frame.begin(), frame.end()};
}

settings::ConfigurationImage CountingImage() {
    settings::ConfigurationImage image{};
    std::iota(image.begin(), image.end(), std::uint8_t{7});
    return image;
}

std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const common::Message& OnlyMessage(const test::FakePrompter& prompter) {
    EXPECT_EQ(prompter.messages.size(), 1u);
    return prompter.messages.front();
}

class SerialDownloadTest : public test::SerialFixture {
  protected:
    settings::ConfigurationImage image{};
};

TEST_F(SerialDownloadTest, AcknowledgedAtOnce) {
    reader.downloadAnswers = {{kAck}};
    session.DownloadSucceeded = true;  // a stale result must not survive a failure path
    ASSERT_TRUE(SerialDownload(link, clock, image, view));
    EXPECT_TRUE(session.DownloadSucceeded);

    // The whole frame of an all-zero image: 02 1B 57, 512 x "0", "74".
    std::vector<std::uint8_t> expected(3 + 512 + 2, 0x30);
    expected[0] = 0x02;
    expected[1] = 0x1B;
    expected[2] = 0x57;
    expected[515] = 0x37;
    expected[516] = 0x34;
    ASSERT_EQ(port.frames.size(), 2u);
    EXPECT_EQ(port.frames[1], expected);

    EXPECT_EQ(view.events,
              (std::vector<std::string>{"status Connecting to device ...", "busy on", "busy off",
                                        "progress 50", "status Downloading to device ...",
                                        "status Download succeed", "progress 100"}));
    const auto& m = OnlyMessage(prompter);
    EXPECT_EQ(m.text, "Download finished successfully.");
    EXPECT_EQ(m.caption, "Magtune Reader");
    EXPECT_EQ(m.icon, common::MessageIcon::Information);
    // Every read of the transfer returns what is there: the time-outs of the
    // options are waited out on the clock (AnswerWaitFollowsTheOptions).
    EXPECT_EQ(port.appliedTimeouts.back(), kIdleTimeouts);
    EXPECT_FALSE(port.closed);  // the quick test may follow
    EXPECT_EQ(files.calls, 0);  // logging is off
}

TEST_F(SerialDownloadTest, RetriesUntilAcknowledged) {
    struct Case {
        std::deque<std::vector<std::uint8_t>> answers;
        bool succeeds;
        int frames;
    };
    const Case cases[] = {
        {{{}, {kAck}}, true, 2},                   // silence, then ACK
        {{{0x15}, {kAck}}, true, 2},               // another byte counts as no ACK
        {{{0x15}, {0x15}, {kAck}}, true, 3},       // ACK on the last send
        {{{}, {}, {}}, false, 3},                  // three sends in all
        {{{0x15}, {}, {0x00}, {kAck}}, false, 3},  // a fourth send never happens
        // An ACK with another answer behind it answered a connect frame late.
        {{{kAck, 0x15}, {kAck, 0x15}, {kAck, 0x15}}, false, 3},
        {{{kAck, kAck}, {kAck}}, true, 2},
    };
    for (const auto& c : cases) {
        reader.downloadFrames = 0;
        reader.downloadAnswers = c.answers;
        prompter.clear();
        view.events.clear();
        EXPECT_EQ(SerialDownload(link, clock, image, view), c.succeeds);
        EXPECT_EQ(reader.downloadFrames, c.frames);
        if (!c.succeeds) {
            const auto& m = OnlyMessage(prompter);
            EXPECT_EQ(m.text, "Download setting failed.");
            EXPECT_EQ(m.caption, "Error");
            EXPECT_EQ(m.icon, common::MessageIcon::Warning);
            EXPECT_EQ(view.events.back(), "status Download failed");
        }
    }
}

TEST_F(SerialDownloadTest, NoReaderAtAnyRate) {
    reader.baudRate = 1;
    EXPECT_FALSE(SerialDownload(link, clock, image, view));
    EXPECT_EQ(reader.connectFrames, 800);
    EXPECT_EQ(reader.downloadFrames, 0);
    const auto& m = OnlyMessage(prompter);
    EXPECT_EQ(m.text, "Failed to connect to device.");
    EXPECT_EQ(m.icon, common::MessageIcon::Warning);
    EXPECT_EQ(view.events, (std::vector<std::string>{"status Connecting to device ...", "busy on",
                                                     "busy off", "status Connect failed"}));
    EXPECT_FALSE(session.DownloadSucceeded);
}

TEST_F(SerialDownloadTest, PortFailureEndsTheDownloadAtOnce) {
    // The first read for the answer to the frame fails.
    port.reader = [this](test::FakeSerialPort& p, std::span<const std::uint8_t> data) {
        answer(p, data);
        if (reader.downloadFrames == 1) {
            p.failReadAt = static_cast<int>(p.readSizes.size()) + 1;
        }
    };
    EXPECT_FALSE(SerialDownload(link, clock, image, view));
    EXPECT_EQ(reader.downloadFrames, 1);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{platform::SystemErrorText("ReadFile", EIO),
                                        "Download setting failed."}));

    prompter.clear();
    port.reader = [this](test::FakeSerialPort& p, std::span<const std::uint8_t> data) {
        answer(p, data);
    };
    port.failReadAt = 0;
    port.failSetTimeouts = true;
    EXPECT_FALSE(SerialDownload(link, clock, image, view));
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{platform::SystemErrorText("SetCommTimeouts", EIO),
                                        "Failed to connect to device."}));
}

// The answer may take 10 ms + ReadTotalTimeoutConstant after the frame has
// left the port; a later one counts as none and the frame goes again. The
// port takes the frame at once, the line needs 539 ms for its 517 bytes at
// 9600 baud (8N1), 2155 ms at 2400, 647 ms at 9600 with 8E2.
TEST_F(SerialDownloadTest, AnswerWaitFollowsTheOptions) {
    struct Case {
        std::uint32_t rate;
        std::uint8_t parity;
        std::uint8_t stopBits;
        std::int32_t totalConstant;
        std::uint64_t answerAfterMs;  // after the frame was handed to the port
        int frames;
    };
    constexpr std::uint8_t kNone = platform::PortSettings::kNoParity;
    constexpr std::uint8_t kEven = platform::PortSettings::kEvenParity;
    constexpr std::uint8_t kOne = platform::PortSettings::kOneStopBit;
    constexpr std::uint8_t kTwo = 2;
    for (const Case c :
         {Case{9600, kNone, kOne, 1000, 539 + 1005, 1},
          Case{9600, kNone, kOne, 1000, 539 + 1015, 2}, Case{9600, kNone, kOne, 0, 539 + 8, 1},
          Case{9600, kNone, kOne, 0, 539 + 14, 2}, Case{9600, kNone, kOne, 5000, 539 + 4990, 1},
          Case{9600, kEven, kTwo, 0, 647 + 8, 1}, Case{9600, kEven, kTwo, 0, 647 + 14, 2},
          Case{2400, kNone, kOne, 1000, 2155 + 1005, 1},
          Case{2400, kNone, kOne, 1000, 2155 + 1015, 2}}) {
        const std::string what = std::to_string(c.rate) + " " + std::to_string(c.totalConstant) +
                                 " " + std::to_string(c.answerAfterMs);
        options.ReadTotalTimeoutConstant = c.totalConstant;
        session.PortSettings.BaudRate = c.rate;
        session.PortSettings.Parity = c.parity;
        session.PortSettings.StopBits = c.stopBits;
        ASSERT_TRUE(link.applyPortSettings());
        reader.baudRate = c.rate;
        reader.downloadFrames = 0;
        std::uint64_t due = 0;
        port.reader = [&](test::FakeSerialPort& p, std::span<const std::uint8_t> data) {
            answer(p, data);
            if (data.size() == kSerialImageFrameSize && reader.downloadFrames == 1) {
                due = clock.now + c.answerAfterMs;
            }
        };
        port.onRead = [&] {
            ++clock.now;
            if (due != 0 && clock.now >= due) {
                port.input.push_back(kAck);
                due = 0;
            }
        };
        prompter.clear();
        EXPECT_TRUE(SerialDownload(link, clock, image, view)) << what;
        EXPECT_EQ(reader.downloadFrames, c.frames) << what;
    }
    port.reader = nullptr;
    port.onRead = nullptr;
}

TEST_F(SerialDownloadTest, LogHoldsOneLinePerReadThatReturnedBytes) {
    options.UsbLogEnable = true;
    files.put(test::kLogPath, "old transfer\n");
    reader.downloadAnswers = {{0x15}, {}, {kAck}};
    ASSERT_TRUE(SerialDownload(link, clock, image, view));
    // Connect answers are not logged; the silent second try writes nothing.
    EXPECT_EQ(files.text(test::kLogPath), "15\n06\n");
}

// A reader that takes a few milliseconds to answer has been sent several
// connect frames by the time its first ACK arrives, and it answers each of
// them. Those late answers must be gone before the first frame of the
// transfer goes out: taken for the answer to the download frame, they would
// report a download that the reader never stored.
TEST_F(SerialFixture, LateConnectAnswersAreNotTakenForTheTransfersAnswer) {
    using Direction = SerialTransfer::Direction;
    struct Case {
        std::uint64_t answerDelayMs;
        Direction direction;
        std::deque<std::vector<std::uint8_t>> downloadAnswers;
        bool succeeds;
        int frames;  // download frames or upload requests
    };
    const Case cases[] = {
        {3, Direction::Download, {}, false, 3},  // the reader never stores the image
        {3, Direction::Download, {{kAck}}, true, 1},
        {25, Direction::Download, {{}, {0x15}, {}}, false, 3},
        {25, Direction::Download, {{0x15}, {kAck}}, true, 2},
        {3, Direction::Upload, {}, true, 1},
        {25, Direction::Upload, {}, true, 1},
    };
    const settings::ConfigurationImage readerImage = CountingImage();
    for (const Case& c : cases) {
        const std::string what = std::to_string(c.answerDelayMs) + " ms " +
                                 (c.direction == Direction::Download ? "download" : "upload");
        session.SerialPort = std::make_unique<test::PortHandle>(port);
        reader = test::ScriptedReader{};
        reader.connectAnswerDelayMs = c.answerDelayMs;
        reader.downloadAnswers = c.downloadAnswers;
        reader.uploadReplies = {Reply(readerImage)};
        inFlight.clear();
        prompter.clear();
        bool cleanLine = true;
        port.reader = [&](test::FakeSerialPort& p, std::span<const std::uint8_t> data) {
            if (data.size() != kSerialCommandFrameSize || data[2] != kConnectCommand) {
                cleanLine = cleanLine && inFlight.empty() && p.input.empty();
            }
            answer(p, data);
        };
        settings::ConfigurationImage image{};
        SerialTransfer transfer(c.direction, link, clock, view, image);
        EXPECT_EQ(RunSerialTransfer(transfer, clock), c.succeeds) << what;
        EXPECT_GT(reader.connectFrames, 1) << what;  // the answer was late indeed
        EXPECT_TRUE(cleanLine) << what;
        if (c.direction == Direction::Download) {
            EXPECT_EQ(reader.downloadFrames, c.frames) << what;
            EXPECT_EQ(prompter.texts(),
                      std::vector<std::string>{c.succeeds ? "Download finished successfully."
                                                          : "Download setting failed."})
                << what;
        } else {
            EXPECT_EQ(reader.uploadRequests, c.frames) << what;
            EXPECT_EQ(image, readerImage) << what;
        }
    }
}

class SerialUploadTest : public test::SerialFixture {
  protected:
    settings::ConfigurationImage image{};  // the caller's image
    const settings::ConfigurationImage readerImage = CountingImage();

    void expectFailed(const std::vector<std::string>& messages) {
        EXPECT_EQ(prompter.texts(), messages);
        EXPECT_EQ(image, settings::ConfigurationImage{});
        EXPECT_FALSE(session.UploadSucceeded);
        EXPECT_TRUE(port.closed);
        EXPECT_FALSE(session.isPortOpen());
    }
};

TEST_F(SerialUploadTest, ReplyAfterNoise) {
    reader.uploadReplies = {Concat({0x00, 0x41, 0x1B, 0xFF}, Reply(readerImage))};
    ASSERT_TRUE(SerialUpload(link, clock, image, view));
    EXPECT_EQ(image, readerImage);
    EXPECT_TRUE(session.UploadSucceeded);
    EXPECT_EQ(port.writes[1], (std::vector<std::uint8_t>{0x02, 0x1B, 0x52, 0x36, 0x46}));
    // Single bytes up to STX, then no more than the rest of the reply.
    EXPECT_EQ(port.readSizes.front(), 1u);
    EXPECT_LE(*std::max_element(port.readSizes.begin(), port.readSizes.end()), 516u);
    EXPECT_EQ(view.events,
              (std::vector<std::string>{"status Connecting to Reader1 ...", "busy on", "busy off",
                                        "progress 50", "status Upload setting from Reader1 ...",
                                        "status Upload succeed", "progress 100"}));
    const auto& m = OnlyMessage(prompter);
    EXPECT_EQ(m.text, "Upload finished successfully.");
    EXPECT_EQ(m.caption, "Magtune Reader");
    EXPECT_EQ(m.icon, common::MessageIcon::Information);
    EXPECT_TRUE(port.closed);
}

TEST_F(SerialUploadTest, BadRepliesAreRequestedAgain) {
    auto lowerR = Reply(readerImage);
    lowerR[2] = 'r';
    auto badSum = Reply(readerImage);
    badSum[516] = badSum[516] == '0' ? '1' : '0';
    auto shortReply = Reply(readerImage);
    shortReply.resize(300);
    // "1F" -> "0G" keeps the checksum but is no digit pair.
    settings::ConfigurationImage ones{};
    ones.fill(0x1F);
    auto notHex = Reply(ones);
    notHex[3] = '0';
    notHex[4] = 'G';

    const std::vector<std::uint8_t> cases[] = {lowerR, badSum, shortReply, notHex, {}};
    for (const auto& bad : cases) {
        image = {};
        reader.uploadRequests = 0;
        reader.uploadReplies = {bad, Reply(readerImage)};
        session.SerialPort = std::make_unique<test::PortHandle>(port);
        prompter.clear();
        EXPECT_TRUE(SerialUpload(link, clock, image, view));
        EXPECT_EQ(reader.uploadRequests, 2);
        EXPECT_EQ(image, readerImage);
        EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Upload finished successfully."});
    }
}

TEST_F(SerialUploadTest, SixBadRepliesFail) {
    auto lowerR = Reply(readerImage);
    lowerR[2] = 'r';
    for (int i = 0; i < 7; ++i) {
        reader.uploadReplies.push_back(lowerR);
    }
    EXPECT_FALSE(SerialUpload(link, clock, image, view));
    EXPECT_EQ(reader.uploadRequests, 6);
    expectFailed({"Upload setting from Reader1 failed."});
    const auto& m = prompter.messages.front();
    EXPECT_EQ(m.caption, "Error");
    EXPECT_EQ(m.icon, common::MessageIcon::Warning);
    EXPECT_EQ(view.events.back(), "status Upload failed");
}

TEST_F(SerialUploadTest, SilentReaderCostsSixRequests) {
    EXPECT_FALSE(SerialUpload(link, clock, image, view));
    EXPECT_EQ(reader.uploadRequests, 6);
    expectFailed({"Upload setting from Reader1 failed."});
}

TEST_F(SerialUploadTest, EndlessNoiseCountsAsFailedReplies) {
    // A reader that answers every request with more noise than a whole reply.
    reader.uploadReplies.assign(6, std::vector<std::uint8_t>(20000, 0x55));
    EXPECT_FALSE(SerialUpload(link, clock, image, view));
    EXPECT_EQ(reader.uploadRequests, 6);
    expectFailed({"Upload setting from Reader1 failed."});
}

TEST_F(SerialUploadTest, ConnectFailure) {
    reader.baudRate = 1;
    EXPECT_FALSE(SerialUpload(link, clock, image, view));
    expectFailed({"Failed to connect to Reader1."});
    EXPECT_EQ(view.events.back(), "status Connect failed");
}

TEST_F(SerialUploadTest, HangUpMidReplyEndsAtOnce) {
    // The read after STX, the first of the body, fails.
    reader.uploadReplies = {Reply(readerImage)};
    port.reader = [this](test::FakeSerialPort& p, std::span<const std::uint8_t> data) {
        answer(p, data);
        if (reader.uploadRequests == 1) {
            p.failReadAt = static_cast<int>(p.readSizes.size()) + 2;
        }
    };
    EXPECT_FALSE(SerialUpload(link, clock, image, view));
    EXPECT_EQ(reader.uploadRequests, 1);
    expectFailed(
        {platform::SystemErrorText("ReadFile", EIO), "Upload setting from Reader1 failed."});
}

TEST_F(SerialUploadTest, HangUpAfterPartOfTheReplyIsAReadFailure) {
    // The reader goes away after 300 bytes of its reply: no purge, no retry.
    auto reply = Reply(readerImage);
    reply.resize(300);
    reader.uploadReplies = {reply};
    port.reader = [this](test::FakeSerialPort& p, std::span<const std::uint8_t> data) {
        answer(p, data);
        p.hangUpWhenDrained = reader.uploadRequests > 0;
    };
    EXPECT_FALSE(SerialUpload(link, clock, image, view));
    EXPECT_EQ(reader.uploadRequests, 1);
    expectFailed(
        {platform::SystemErrorText("ReadFile", EIO), "Upload setting from Reader1 failed."});
}

TEST_F(SerialUploadTest, WriteFailureEndsAtOnce) {
    port.failWriteAt = 2;  // the upload request
    EXPECT_FALSE(SerialUpload(link, clock, image, view));
    expectFailed(
        {platform::SystemErrorText("WriteFile", EIO), "Upload setting from Reader1 failed."});
}

TEST_F(SerialUploadTest, LogOnAndOff) {
    auto reply = Concat({0x41}, Reply(readerImage));
    reader.uploadReplies = {reply};
    ASSERT_TRUE(SerialUpload(link, clock, image, view));
    EXPECT_EQ(files.calls, 0);

    options.UsbLogEnable = true;
    files.put(test::kLogPath, "old\n");
    session.SerialPort = std::make_unique<test::PortHandle>(port);
    reader.uploadReplies = {reply};
    ASSERT_TRUE(SerialUpload(link, clock, image, view));
    std::string body;
    for (auto it = reply.begin() + 2; it != reply.end(); ++it) {
        body += HexDigitChar(*it >> 4);
        body += HexDigitChar(*it & 0xF);
    }
    EXPECT_EQ(files.text(test::kLogPath), "41\n02\n" + body + "\n");
}

// Closing a transfer form (or a signal to the command line) cancels the
// transfer between two steps: failed, nothing shown, PortSettings and the
// port at the rate they had, the caller's image untouched.
TEST_F(SerialUploadTest, CancelLeavesPortSettingsAndImageAsTheyWere) {
    struct Case {
        const char* when;
        std::uint32_t readerRate;
        SerialTransfer::Direction direction;
        std::function<bool()> cancelNow;
    };
    const Case cases[] = {
        {"in the scan, at 19200", 1, SerialTransfer::Direction::Download,
         [this] { return reader.connectFrames == 150; }},
        {"after the reader answered at 2400", 2400, SerialTransfer::Direction::Download,
         [this] { return reader.downloadFrames == 1 && port.readSizes.size() > 800; }},
        {"in the middle of the reply", 2400, SerialTransfer::Direction::Upload,
         [this] { return reader.uploadRequests == 1 && !port.input.empty(); }},
    };
    for (const Case& c : cases) {
        session.SerialPort = std::make_unique<test::PortHandle>(port);
        session.PortSettings.BaudRate = 9600;
        port.appliedStates.clear();
        reader = test::ScriptedReader{};
        reader.baudRate = c.readerRate;
        reader.uploadReplies = {Reply(readerImage)};
        prompter.clear();
        image = {};
        SerialTransfer transfer(c.direction, link, clock, view, image);
        EXPECT_FALSE(RunSerialTransfer(transfer, clock, c.cancelNow)) << c.when;
        EXPECT_TRUE(transfer.cancelled()) << c.when;
        EXPECT_TRUE(transfer.finished()) << c.when;
        EXPECT_TRUE(prompter.messages.empty()) << c.when;
        EXPECT_EQ(session.PortSettings.BaudRate, 9600u) << c.when;
        EXPECT_EQ(portBaudRate(), 9600u) << c.when;
        EXPECT_EQ(image, settings::ConfigurationImage{}) << c.when;
        EXPECT_FALSE(session.DownloadSucceeded || session.UploadSucceeded) << c.when;
        EXPECT_EQ(view.events.back(),
                  "status " + std::string(c.direction == SerialTransfer::Direction::Download
                                              ? "Download failed"
                                              : "Upload failed"))
            << c.when;
    }
}

class SerialTestPadTest : public test::SerialFixture {};

TEST_F(SerialTestPadTest, ShowsBytesUntilStopped) {
    port.input = {'%', 'B', '1'};
    SerialTestPad pad(link);
    std::string shown;
    int idle = 0;
    pad.run([&](std::uint8_t b) { shown += static_cast<char>(b); },
            [&] {
                if (port.input.empty() && ++idle == 3) {
                    pad.stop();
                }
            });
    EXPECT_EQ(shown, "%B1");
    EXPECT_TRUE(port.closed);
    EXPECT_FALSE(session.isPortOpen());
    EXPECT_EQ(files.calls, 0);  // the test pad never logs
}

TEST_F(SerialTestPadTest, ReaderThatNeverPausesCanStillBeStopped) {
    port.onRead = [this] { port.input.push_back('x'); };
    SerialTestPad pad(link);
    int shown = 0;
    pad.run([&](std::uint8_t) { ++shown; },
            [&] {
                if (shown == 50) {
                    pad.stop();
                }
            });
    EXPECT_EQ(shown, 50);
    EXPECT_TRUE(port.closed);
}

TEST_F(SerialTestPadTest, PortFailureEndsTheLoop) {
    port.input = {'A'};
    port.failReadAt = 2;
    SerialTestPad pad(link);
    std::string shown;
    pad.run([&](std::uint8_t b) { shown += static_cast<char>(b); }, nullptr);
    EXPECT_EQ(shown, "A");
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{platform::SystemErrorText("ReadFile", EIO)});
    EXPECT_TRUE(port.closed);
}

TEST_F(SerialTestPadTest, StoppedBeforeItRunsClosesThePort) {
    SerialTestPad pad(link);
    pad.stop();  // the window was closed before the loop began
    pad.run(nullptr, nullptr);
    EXPECT_TRUE(port.readSizes.empty());
    EXPECT_TRUE(port.closed);
}

}  // namespace
}  // namespace magtune::comm
