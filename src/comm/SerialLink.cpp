#include "comm/SerialLink.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <iterator>

#include "comm/ProtocolFrames.h"
#include "platform/SystemError.h"

namespace magtune::comm {

namespace {

constexpr std::uint32_t kDefaultBaudRate = 9600;
constexpr std::uint8_t kDefaultByteSize = 8;

// A call without an open port fails the way the system fails a call on an
// invalid handle.
const platform::SystemError kNoPort{"", EBADF};

bool Fail(common::Prompter& prompter, const char* function, const platform::SystemError& error) {
    platform::ShowSystemError(prompter, function, error.code);
    return false;
}

}  // namespace

std::uint32_t NextScanBaudRate(std::uint32_t current) {
    // A rate of 0 would double to itself for ever.
    if (current == 0 || current >= 38400) {
        return 300;
    }
    return current * 2;
}

std::uint32_t ConnectSettleMs(std::uint32_t baudRate) {
    constexpr std::uint32_t kBitsPerByte = 12;
    constexpr std::uint32_t kAnswerLatencyMs = 20;
    const std::uint32_t rate = std::max(baudRate, kScanBaudRates[0]);
    const std::uint32_t bits = (kSerialCommandFrameSize + 1) * kBitsPerByte * 1000;
    return (bits + rate - 1) / rate + kAnswerLatencyMs;
}

std::uint64_t LineTimeMs(const platform::PortSettings& settings, std::size_t bytes) {
    const std::uint64_t dataBits = settings.ByteSize != 0 ? settings.ByteSize : kDefaultByteSize;
    const std::uint64_t bitsPerByte =
        1 + dataBits + (settings.Parity != platform::PortSettings::kNoParity ? 1 : 0) +
        (settings.StopBits == platform::PortSettings::kOneStopBit ? 1 : 2);
    const std::uint64_t rate = std::max(settings.BaudRate, kScanBaudRates[0]);
    return (bytes * bitsPerByte * 1000 + rate - 1) / rate;
}

SerialLink::SerialLink(SerialSession& session, const CommOptions& options, TransferLog& log,
                       common::Prompter& prompter)
    : session_(session), options_(options), log_(log), prompter_(prompter) {}

bool SerialLink::OpenSerialPort() {
    auto& port = session_.SerialPort;
    auto& settings = session_.PortSettings;
    if (!port) {
        return Fail(prompter_, settings.DCBlength == 0 ? "GetCommState" : "SetCommState", kNoPort);
    }
    platform::SystemError error;
    if (settings.DCBlength == 0) {
        if (!port->getState(settings, error)) {
            return Fail(prompter_, "GetCommState", error);
        }
        // Marks the block as filled, so later opens apply it unchanged.
        settings.DCBlength = platform::PortSettings::kByteSize;
        settings.BaudRate = kDefaultBaudRate;
        settings.ByteSize = kDefaultByteSize;
        settings.Parity = platform::PortSettings::kNoParity;
        settings.StopBits = platform::PortSettings::kOneStopBit;
    }
    if (!applyPortSettings()) {
        return false;
    }
    if (!port->setTimeouts(kIdleTimeouts, error)) {
        return Fail(prompter_, "SetCommTimeouts", error);
    }
    return true;
}

bool SerialLink::applyPortSettings() {
    platform::SystemError error = kNoPort;
    if (!session_.SerialPort || !session_.SerialPort->setState(session_.PortSettings, error)) {
        return Fail(prompter_, "SetCommState", error);
    }
    return true;
}

bool SerialLink::SetTransferTimeouts() {
    const platform::CommTimeouts timeouts{
        static_cast<std::uint32_t>(options_.ReadIntervalTimeout), kTransferTimeoutPerByte,
        static_cast<std::uint32_t>(options_.ReadTotalTimeoutConstant), 0, 0};
    platform::SystemError error = kNoPort;
    if (!session_.SerialPort || !session_.SerialPort->setTimeouts(timeouts, error)) {
        return Fail(prompter_, "SetCommTimeouts", error);
    }
    return true;
}

bool SerialLink::SerialWrite(std::span<const std::uint8_t> data) {
    if (!session_.SerialPort) {
        return Fail(prompter_, "WriteFile", kNoPort);
    }
    while (!data.empty()) {
        std::size_t written = 0;
        platform::SystemError error;
        if (!session_.SerialPort->write(data, written, error)) {
            return Fail(prompter_, "WriteFile", error);
        }
        if (written == 0 || written > data.size()) {
            // A port that takes nothing would keep us here for ever.
            return Fail(prompter_, "WriteFile", platform::SystemError{"", EIO});
        }
        data = data.subspan(written);
    }
    return true;
}

int SerialLink::SerialRead(std::span<std::uint8_t> buffer, bool log) {
    if (!session_.SerialPort) {
        Fail(prompter_, "ReadFile", kNoPort);
        return -1;
    }
    std::size_t received = 0;
    platform::SystemError error;
    if (!session_.SerialPort->read(buffer, received, error)) {
        Fail(prompter_, "ReadFile", error);
        return -1;
    }
    received = std::min(received, buffer.size());
    if (log && received > 0) {
        log_.appendHexLine(buffer.first(received));
    }
    return received >= buffer.size() ? 1 : 0;
}

bool SerialLink::purge() {
    platform::SystemError error = kNoPort;
    if (!session_.SerialPort || !session_.SerialPort->purge(error)) {
        return Fail(prompter_, "PurgeComm", error);
    }
    return true;
}

bool SerialLink::SetIdleTimeouts() {
    platform::SystemError error = kNoPort;
    if (!session_.SerialPort || !session_.SerialPort->setTimeouts(kIdleTimeouts, error)) {
        return Fail(prompter_, "SetCommTimeouts", error);
    }
    return true;
}

bool SerialLink::ReadWaiting(std::span<std::uint8_t> buffer, std::size_t& received) {
    received = 0;
    platform::SystemError error = kNoPort;
    if (!session_.SerialPort || !session_.SerialPort->read(buffer, received, error)) {
        received = 0;
        return Fail(prompter_, "ReadFile", error);
    }
    received = std::min(received, buffer.size());
    return true;
}

}  // namespace magtune::comm
