#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "comm/CommFakes.h"
#include "comm/CommOptions.h"
#include "comm/ProtocolFrames.h"
#include "comm/SerialLink.h"
#include "comm/SerialSession.h"
#include "comm/TransferLog.h"
#include "support/FakePrompter.h"

namespace magtune::test {

inline constexpr const char* kLogPath = "/opt/magtune/USBLog.txt";

// A reader on the far end of the fake port: it answers the connect frame at
// its own baud rate and takes its answers to downloads and uploads from the
// queues (an empty queue: silence).
struct ScriptedReader {
    std::uint32_t baudRate = 9600;
    std::deque<std::vector<std::uint8_t>> downloadAnswers;
    std::deque<std::vector<std::uint8_t>> uploadReplies;
    // How long an acknowledge of a connect frame takes to come back (the
    // rest of the frame on the wire, the reader, the way back); 0: at once.
    std::uint64_t connectAnswerDelayMs = 0;
    int connectFrames = 0;
    int downloadFrames = 0;
    int uploadRequests = 0;
};

class SerialFixture : public ::testing::Test {
  protected:
    FakeSerialPort port;
    comm::SerialSession session;
    comm::CommOptions options;
    MemoryFileSystem files;
    comm::TransferLog log{files, kLogPath};
    FakePrompter prompter;
    comm::SerialLink link{session, options, log, prompter};
    RecordingView view;
    FakeClock clock;
    ScriptedReader reader;
    // Answers on their way back: due time, bytes. A purge does not reach them.
    std::deque<std::pair<std::uint64_t, std::vector<std::uint8_t>>> inFlight;

    SerialFixture() {
        session.SerialPort = std::make_unique<PortHandle>(port);
        session.PortSettings.DCBlength = platform::PortSettings::kByteSize;
        session.PortSettings.BaudRate = 9600;
        session.DeviceName = "Reader1";
        port.onRead = [this] {
            ++clock.now;
            while (!inFlight.empty() && inFlight.front().first <= clock.now) {
                Queue(port, inFlight.front().second);
                inFlight.pop_front();
            }
        };
        port.reader = [this](FakeSerialPort& p, std::span<const std::uint8_t> data) {
            answer(p, data);
        };
    }

    std::uint32_t portBaudRate() const {
        return port.appliedStates.empty() ? 9600 : port.appliedStates.back().BaudRate;
    }

    static void Queue(FakeSerialPort& p, const std::vector<std::uint8_t>& bytes) {
        p.input.insert(p.input.end(), bytes.begin(), bytes.end());
    }

    void answer(FakeSerialPort& p, std::span<const std::uint8_t> data) {
        const std::vector<std::uint8_t> written(data.begin(), data.end());
        const auto connect = comm::SerialConnectFrame();
        const auto request = comm::SerialUploadRequest();
        if (written == std::vector<std::uint8_t>(connect.begin(), connect.end())) {
            ++reader.connectFrames;
            if (portBaudRate() == reader.baudRate) {
                if (reader.connectAnswerDelayMs == 0) {
                    Queue(p, {comm::kAck});
                } else {
                    inFlight.emplace_back(clock.now + reader.connectAnswerDelayMs,
                                          std::vector<std::uint8_t>{comm::kAck});
                }
            }
        } else if (written == std::vector<std::uint8_t>(request.begin(), request.end())) {
            ++reader.uploadRequests;
            if (!reader.uploadReplies.empty()) {
                Queue(p, reader.uploadReplies.front());
                reader.uploadReplies.pop_front();
            }
        } else if (written.size() == comm::kSerialImageFrameSize) {
            ++reader.downloadFrames;
            if (!reader.downloadAnswers.empty()) {
                Queue(p, reader.downloadAnswers.front());
                reader.downloadAnswers.pop_front();
            }
        }
    }

    std::vector<std::uint32_t> appliedBaudRates() const {
        std::vector<std::uint32_t> rates;
        for (const auto& s : port.appliedStates) {
            rates.push_back(s.BaudRate);
        }
        return rates;
    }
};

}  // namespace magtune::test
