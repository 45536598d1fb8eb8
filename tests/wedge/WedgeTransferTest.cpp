#include "comm/WedgeTransfer.h"

#include <gtest/gtest.h>

#include <numeric>

#include "FakeWedgeLibrary.h"
#include "WedgeFakes.h"
#include "comm/ProtocolFrames.h"
#include "support/FakePrompter.h"

namespace magtune::wedge {
namespace {

using test::FakeClock;
using test::FakePrompter;
using test::FakeWedgeLibrary;
using test::RecordedView;

const std::vector<std::uint8_t> kWake = {0xEC, 0xEC, 0xEC};
const std::vector<std::uint8_t> kUploadRequest = {0x02, 0x1B, 0x52};
constexpr const char* kDownloadFailed = "Download failed. Please check your device and connection.";
constexpr const char* kUploadFailed = "Upload failed. Please check your device and connection.";

settings::ConfigurationImage CountingImage() {
    settings::ConfigurationImage image{};
    std::iota(image.begin(), image.end(), std::uint8_t{0x10});
    return image;
}

// A reader that wakes on the wake bytes and then answers the command with
// the given characters.
auto Reader(std::string downloadAnswer, std::string uploadAnswer = "") {
    return [=](FakeWedgeLibrary& library, const std::vector<std::uint8_t>& bytes) {
        if (bytes == kWake) {
            library.type("O");
        } else if (bytes == kUploadRequest) {
            library.type(uploadAnswer);
        } else if (bytes.size() == comm::kKeyboardDownloadFrameSize) {
            library.type(downloadAnswer);
        }
    };
}

class WedgeTransferTest : public ::testing::Test {
  protected:
    // Drives the machine as its form's timer would.
    void run(comm::WedgeTransfer::Direction direction) {
        comm::WedgeTransfer transfer(direction, library, clock, prompter, view, 7, image);
        transfer.start();
        for (int tick = 0; tick < 100000 && !transfer.finished(); ++tick) {
            ASSERT_TRUE(transfer.timerOn()) << "stalled in phase " << int(transfer.phase());
            clock.sleepMs(transfer.intervalMs());
            transfer.timerFired();
        }
        ASSERT_TRUE(transfer.finished());
        EXPECT_FALSE(transfer.timerOn());
        EXPECT_FALSE(view.busy);
        succeeded = transfer.succeeded();
    }

    std::size_t sendsOf(const std::vector<std::uint8_t>& bytes) const {
        return static_cast<std::size_t>(
            std::count(library.sends.begin(), library.sends.end(), bytes));
    }

    FakeWedgeLibrary library;
    FakeClock clock;
    FakePrompter prompter;
    RecordedView view;
    settings::ConfigurationImage image = CountingImage();
    bool succeeded = false;
};

TEST_F(WedgeTransferTest, DownloadSendsTheFrameAfterTheReadyAnswer) {
    library.reader = Reader("Y");
    run(comm::WedgeTransfer::Direction::Download);
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(library.calls,
              (std::vector<std::string>{"ZebLoadDriver0", "ZebEnableEcho(1)", "ZebSetDelay(1)",
                                        "ZebSendData(3)", "ZebSendData(260)", "ZebEnableEcho(0)",
                                        "ZebUnloadDriver"}));
    ASSERT_EQ(library.sends.size(), 2u);
    EXPECT_EQ(library.sends[0], kWake);
    const auto frame = comm::KeyboardDownload(image);
    EXPECT_EQ(library.sends[1], std::vector<std::uint8_t>(frame.begin(), frame.end()));
    EXPECT_EQ(view.statuses,
              (std::vector<std::string>{"Preparing for download ...", "Connecting to device ...",
                                        "Sending data, please wait ...", "Download succeed"}));
    EXPECT_EQ(view.progress, (std::vector<int>{0, 50, 100}));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Download finished successfully.");
    EXPECT_EQ(prompter.messages[0].caption, common::kApplicationTitle);
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Information);
}

TEST_F(WedgeTransferTest, RejectedDownloadAsksAndRetriesFromTheWakeBytes) {
    int downloads = 0;
    library.reader = [&](FakeWedgeLibrary& l, const std::vector<std::uint8_t>& bytes) {
        if (bytes == kWake) {
            l.type("O");
        } else {
            l.type(++downloads == 1 ? "N" : "Y");
        }
    };
    prompter.answers = {common::Answer::Yes};
    run(comm::WedgeTransfer::Direction::Download);
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(sendsOf(kWake), 2u);
    EXPECT_EQ(downloads, 2);
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0].text, "Data or checksum error. Retry?");
    EXPECT_EQ(prompter.messages[0].caption, "Error");
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Question);
    EXPECT_EQ(prompter.messages[0].buttons, common::MessageButtons::YesNo);
    EXPECT_EQ(prompter.messages[1].text, "Download finished successfully.");
    // The driver stays loaded across the retry.
    EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "ZebLoadDriver0"), 1);
}

struct FailureCase {
    const char* what;
    std::string downloadAnswer;
    std::vector<std::string> texts;
    std::uint64_t minimumMs;
};

TEST_F(WedgeTransferTest, FailedDownloadsEndWithTheFailureMessage) {
    const std::vector<FailureCase> cases = {
        {"rejected", "N", {"Data or checksum error. Retry?", kDownloadFailed}, 0},
        {"no answer", "", {"Time out error. Retry?", kDownloadFailed}, 40 * 200},
        {"unrelated keys", "QQ", {"Time out error. Retry?", kDownloadFailed}, 40 * 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        library = FakeWedgeLibrary();
        prompter = FakePrompter();
        library.reader = Reader(c.downloadAnswer);
        prompter.answers = {common::Answer::No};
        const std::uint64_t start = clock.now;
        run(comm::WedgeTransfer::Direction::Download);
        EXPECT_FALSE(succeeded);
        EXPECT_EQ(prompter.texts(), c.texts);
        EXPECT_EQ(prompter.messages.back().icon, common::MessageIcon::Warning);
        EXPECT_GE(clock.now - start, c.minimumMs);
        EXPECT_LT(clock.now - start, c.minimumMs + 1000);
        EXPECT_EQ(library.calls.back(), "ZebUnloadDriver");
    }
}

TEST_F(WedgeTransferTest, SilentReaderCostsTwentyWakeSendings) {
    const std::uint64_t start = clock.now;
    run(comm::WedgeTransfer::Direction::Download);
    EXPECT_FALSE(succeeded);
    EXPECT_EQ(library.sends.size(), 20u);
    EXPECT_EQ(sendsOf(kWake), 20u);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{"Failed to connect to device.", kDownloadFailed}));
    EXPECT_EQ(prompter.messages[0].caption, "Error");
    EXPECT_GE(clock.now - start, 20u * 40 * 20);
    EXPECT_LT(clock.now - start, 20u * 40 * 20 + 100);
}

TEST_F(WedgeTransferTest, ReadyAnswerFollowsTheEchoRule) {
    // 0x18 0x44: the first 0x44 has nothing after it.
    library.reader = [](FakeWedgeLibrary& l, const std::vector<std::uint8_t>&) {
        if (l.sends.size() == 1) {
            l.echo.insert(l.echo.end(), {0x18, 0x44});
        }
    };
    run(comm::WedgeTransfer::Direction::Upload);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{"Failed to connect to device.", kUploadFailed}));

    library = FakeWedgeLibrary();
    prompter = FakePrompter();
    library.reader = [](FakeWedgeLibrary& l, const std::vector<std::uint8_t>& bytes) {
        if (bytes == kWake) {
            l.echo.insert(l.echo.end(), {0x44, 0x18});
        } else {
            l.echo.insert(l.echo.end(), {0x35, 0x15});
        }
    };
    run(comm::WedgeTransfer::Direction::Download);
    EXPECT_TRUE(succeeded);
}

TEST_F(WedgeTransferTest, UploadFillsTheImageFromTheTypedDigits) {
    const settings::ConfigurationImage sent = image;
    image.fill(0);
    // Leftovers of the O answer come first; the digits arrive over many polls.
    library.reader = Reader("", "OO" + comm::KeyboardUploadReplyDigits(sent));
    library.maxPerRead = 100;
    library.oversizedReads = 1;
    run(comm::WedgeTransfer::Direction::Upload);
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(image, sent);
    EXPECT_EQ(library.sends, (std::vector<std::vector<std::uint8_t>>{kWake, kUploadRequest}));
    EXPECT_EQ(view.statuses,
              (std::vector<std::string>{"Preparing for upload ...", "Connecting to device ...",
                                        "Receiving data, please wait ...", "Upload succeed"}));
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Upload finished successfully."});
}

TEST_F(WedgeTransferTest, BadUploadLeavesTheImageAlone) {
    const settings::ConfigurationImage before = image;
    std::string digits = comm::KeyboardUploadReplyDigits(CountingImage());
    struct Case {
        const char* what;
        std::function<void(FakeWedgeLibrary&)> answer;
        const char* question;
    };
    const std::vector<Case> cases = {
        {"a digit whose two codes differ",
         [&](FakeWedgeLibrary& l) {
             l.type(digits);
             l.echo[0] = 0x02;
             l.echo[1] = 0x03;
         },
         "Data or checksum error. Retry?"},
        {"wrong check digits",
         [&](FakeWedgeLibrary& l) {
             std::string wrong = digits;
             wrong[513] = wrong[513] == '0' ? '1' : '0';
             l.type(wrong);
         },
         "Data or checksum error. Retry?"},
        {"reply stops half way", [&](FakeWedgeLibrary& l) { l.type(digits.substr(0, 300)); },
         "Time out error. Retry?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        library = FakeWedgeLibrary();
        prompter = FakePrompter();
        library.reader = [&](FakeWedgeLibrary& l, const std::vector<std::uint8_t>& bytes) {
            if (bytes == kWake) {
                l.type("O");
            } else {
                c.answer(l);
            }
        };
        prompter.answers = {common::Answer::No};
        run(comm::WedgeTransfer::Direction::Upload);
        EXPECT_FALSE(succeeded);
        EXPECT_EQ(image, before);
        EXPECT_EQ(prompter.texts(), (std::vector<std::string>{c.question, kUploadFailed}));
    }
}

TEST_F(WedgeTransferTest, LibraryFailuresShowTheCallAndTheLibraryText) {
    struct Case {
        std::string failing;
        std::string box;
        std::vector<std::string> closing;  // calls after the failure
    };
    const std::vector<Case> cases = {
        {"ZebLoadDriver0", "ZebLoadDriver()\n", {}},
        {"ZebEnableEcho(1)", "ZebEnableEcho()\n", {"ZebUnloadDriver"}},
        {"ZebSetDelay(1)", "ZebSetDelay()\n", {"ZebEnableEcho(0)", "ZebUnloadDriver"}},
        {"ZebSendData(3)", "ZebSendData()\n", {"ZebEnableEcho(0)", "ZebUnloadDriver"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        library = FakeWedgeLibrary();
        prompter = FakePrompter();
        library.failing = {c.failing};
        library.errorText = "Unable to open the driver,\nNo such file or directory";
        run(comm::WedgeTransfer::Direction::Download);
        EXPECT_FALSE(succeeded);
        ASSERT_EQ(prompter.messages.size(), 2u);
        EXPECT_EQ(prompter.messages[0].text, c.box + library.errorText);
        EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Error);
        EXPECT_EQ(prompter.messages[0].caption, "Error");
        EXPECT_EQ(prompter.messages[1].text, kDownloadFailed);
        const auto failedAt = std::find(library.calls.begin(), library.calls.end(), c.failing);
        EXPECT_EQ(std::vector<std::string>(failedAt + 1, library.calls.end()), c.closing);
    }
}

TEST_F(WedgeTransferTest, FailingToLeaveTheLibraryCountsAsFailure) {
    library.reader = Reader("Y");
    library.failing = {"ZebUnloadDriver"};
    library.errorText = "No driver loaded";
    run(comm::WedgeTransfer::Direction::Download);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{"Download finished successfully.",
                                        "ZebUnloadDriver()\nNo driver loaded", kDownloadFailed}));
}

}  // namespace
}  // namespace magtune::wedge
