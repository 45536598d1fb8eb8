// A stop of a provisioning run reaches a serial reader that is still trying
// the baud rates; a transfer that has begun to send is left to finish.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/SerialReaderTransport.h"
#include "comm/CommFakes.h"
#include "comm/ProtocolFrames.h"
#include "support/FakePrompter.h"
#include "support/MemoryFileSystem.h"

namespace magtune::app {
namespace {

using test::FakeSerialPort;

bool IsConnectFrame(std::span<const std::uint8_t> frame) {
    const auto connect = comm::SerialConnectFrame();
    return std::equal(frame.begin(), frame.end(), connect.begin(), connect.end());
}

bool IsDownloadFrame(std::span<const std::uint8_t> frame) {
    return frame.size() == comm::kSerialImageFrameSize;
}

// The start of a frame with data: ESC "W" (the image) or ESC "R" (a request
// for it).
bool StartsDataFrame(const std::vector<std::uint8_t>& write) {
    return write.size() >= 3 && write[0] == comm::kStx && write[1] == comm::kEsc &&
           (write[2] == comm::kWriteCommand || write[2] == comm::kReadCommand);
}

struct Bench {
    FakeSerialPort port;
    test::FakeClock clock;
    test::FakePrompter prompter;
    test::RecordingView view;
    test::MemoryFileSystem files;
    comm::CommOptions options;
    SerialReaderTransport transport{prompter, view, options, files, "", clock};
    settings::ConfigurationImage readerImage{};
    bool answers = true;  // the reader answers at 9600 baud

    Bench() {
        transport.session().SerialPort = std::make_unique<test::PortHandle>(port);
        transport.session().PortSettings.DCBlength = platform::PortSettings::kByteSize;
        transport.session().PortSettings.BaudRate = 9600;
        for (std::size_t i = 0; i < readerImage.size(); ++i) {
            readerImage[i] = static_cast<std::uint8_t>(i * 7);
        }
        port.onRead = [this] { ++clock.now; };
        // Written in pieces, the frames reach the reader whole.
        port.writeChunk = 64;
        port.reader = [this](FakeSerialPort& p, std::span<const std::uint8_t> frame) {
            const bool inStep = p.appliedStates.empty() || p.appliedStates.back().BaudRate == 9600;
            if (!answers || !inStep) {
                return;
            }
            if (IsConnectFrame(frame) || IsDownloadFrame(frame)) {
                p.input.push_back(comm::kAck);
            } else {
                const auto reply = comm::SerialUploadReply(readerImage);
                p.input.insert(p.input.end(), reply.begin(), reply.end());
            }
        };
    }

    int connectFrames() const {
        return static_cast<int>(std::count_if(port.frames.begin(), port.frames.end(),
                                              [](const auto& f) { return IsConnectFrame(f); }));
    }
    bool dataWritten() const {
        return std::any_of(port.writes.begin(), port.writes.end(), StartsDataFrame);
    }
};

TEST(SerialReaderTransport, AStopGivesUpTheConnectButNotAFrameUnderWay) {
    enum class Stop { AfterConnectFrames, OnceDataIsWritten };
    const struct Case {
        const char* what;
        bool answers;
        bool download;
        Stop stop;
        int connectFrames;  // for AfterConnectFrames
        bool done;
    } cases[] = {
        {"silent reader, first rate", false, true, Stop::AfterConnectFrames, 5, false},
        // The scan has moved on to 19200 baud: the port goes back to 9600.
        {"silent reader, second rate", false, true, Stop::AfterConnectFrames, 150, false},
        {"silent reader, upload", false, false, Stop::AfterConnectFrames, 5, false},
        {"download frame under way", true, true, Stop::OnceDataIsWritten, 0, true},
        {"upload request under way", true, false, Stop::OnceDataIsWritten, 0, true},
    };
    for (const Case& c : cases) {
        Bench b;
        b.answers = c.answers;
        b.transport.connectCancelRequested = [&] {
            return c.stop == Stop::AfterConnectFrames ? b.connectFrames() >= c.connectFrames
                                                      : b.dataWritten();
        };
        settings::ConfigurationImage image{};
        const bool done =
            c.download ? b.transport.download(b.readerImage) : b.transport.upload(image);
        EXPECT_EQ(done, c.done) << c.what;
        EXPECT_EQ(b.transport.cancelled(), !c.done) << c.what;
        // Given up without a word: the caller says why.
        EXPECT_EQ(b.prompter.texts().size(), c.done ? 1u : 0u) << c.what;
        EXPECT_EQ(b.transport.session().PortSettings.BaudRate, 9600u) << c.what;
        if (!b.port.appliedStates.empty()) {
            EXPECT_EQ(b.port.appliedStates.back().BaudRate, 9600u) << c.what;
        }
        if (c.done) {
            // Whole: nothing was cut short once it had begun.
            EXPECT_EQ(b.port.frames.back().size(),
                      c.download ? comm::kSerialImageFrameSize : comm::kSerialCommandFrameSize)
                << c.what;
            if (!c.download) {
                EXPECT_EQ(image, b.readerImage) << c.what;
            }
        } else {
            EXPECT_EQ(b.connectFrames(), c.connectFrames) << c.what;
            EXPECT_FALSE(b.dataWritten()) << c.what;
            EXPECT_EQ(image, settings::ConfigurationImage{}) << c.what;
        }
    }
}

}  // namespace
}  // namespace magtune::app
