#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "comm/CommOptions.h"
#include "comm/SerialSession.h"
#include "comm/TransferLog.h"
#include "comm/TransferView.h"
#include "common/Prompter.h"

namespace magtune::comm {

// Rates the connect scan steps through when the reader does not answer.
inline constexpr std::uint32_t kScanBaudRates[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400};
inline constexpr int kConnectFramesPerRate = 100;

// Time-outs while no transfer runs: a read returns what is buffered, waiting
// at most 1 ms for the first byte.
inline constexpr platform::CommTimeouts kIdleTimeouts{platform::kMaxDword, platform::kMaxDword, 1,
                                                      0, 0};
inline constexpr std::uint32_t kTransferTimeoutPerByte = 10;

// How long the line must stay quiet after the reader answered the connect
// frame before the transfer's first frame goes out: one more connect frame
// and its answer at `baudRate` (at most 12 bits a byte), and the time a
// reader and a USB adapter take to pass an answer on.
std::uint32_t ConnectSettleMs(std::uint32_t baudRate);

// How long `bytes` take on the line with `settings`: a start bit, the data
// bits, the parity bit and the stop bits each (1.5 stop bits count as 2).
std::uint64_t LineTimeMs(const platform::PortSettings& settings, std::size_t bytes);

// The rate after `current` in the connect scan: double, and from 38400
// (or from a rate that cannot double) back to 300.
std::uint32_t NextScanBaudRate(std::uint32_t current);

// The port layer of the serial transfers over the session's open port.
// Every failed port call is shown once through ShowSystemError under the
// name of the call and reported to the caller as a failure.
class SerialLink {
  public:
    SerialLink(SerialSession& session, const CommOptions& options, TransferLog& log,
               common::Prompter& prompter);

    SerialSession& session() { return session_; }
    const CommOptions& options() const { return options_; }
    TransferLog& log() { return log_; }
    common::Prompter& prompter() { return prompter_; }

    // Fills an unfilled PortSettings from the port with 9600 baud, 8 data
    // bits, no parity, one stop bit; applies it and the idle time-outs.
    bool OpenSerialPort();
    // Read interval ReadIntervalTimeout, 10 ms per byte plus
    // ReadTotalTimeoutConstant.
    bool SetTransferTimeouts();
    bool SerialWrite(std::span<const std::uint8_t> data);
    // One read of buffer.size() bytes: 1 when all arrived, 0 when fewer did
    // (time-out), -1 when the port failed. When `log` is set, what arrived is
    // appended to the transfer log as one line.
    int SerialRead(std::span<std::uint8_t> buffer, bool log);
    // One read of what is waiting (the idle time-outs wait at most 1 ms for
    // it), not logged: the transfers poll with it so that no step keeps the
    // user interface waiting. False when the port failed.
    bool ReadWaiting(std::span<std::uint8_t> buffer, std::size_t& received);
    // Discards both port buffers.
    bool purge();
    bool applyPortSettings();
    bool SetIdleTimeouts();

  private:
    SerialSession& session_;
    const CommOptions& options_;
    TransferLog& log_;
    common::Prompter& prompter_;
};

}  // namespace magtune::comm
