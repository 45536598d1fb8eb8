#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/PortSettings.h"
#include "platform/SystemError.h"

namespace magtune::platform {

// "All bits set" in a 32-bit time-out field.
inline constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

// The port's time-out block with its Windows meaning (milliseconds):
// - interval = kMaxDword, multiplier = kMaxDword, 0 < constant < kMaxDword:
//   a read returns at once with what is buffered; with nothing buffered it
//   waits up to `constant` for the first byte and returns what is there.
// - interval = kMaxDword, multiplier = 0, constant = 0: a read returns at
//   once with what is buffered, possibly nothing.
// - otherwise: the read ends when the buffer is full, when the total time
//   multiplier * count + constant has passed (both 0: no total limit), or
//   when more than `interval` passed between two bytes after the first
//   (0: no interval limit).
// Writes: a write may take at most writeTotalTimeoutMultiplier * count +
// writeTotalTimeoutConstant until its last byte has left (both 0: the time
// the bytes need at the port's baud rate, with a generous margin, so that a
// port stopped by flow control never blocks the program for good).
struct CommTimeouts {
    std::uint32_t readIntervalTimeout = 0;
    std::uint32_t readTotalTimeoutMultiplier = 0;
    std::uint32_t readTotalTimeoutConstant = 0;
    std::uint32_t writeTotalTimeoutMultiplier = 0;
    std::uint32_t writeTotalTimeoutConstant = 0;

    friend bool operator==(const CommTimeouts&, const CommTimeouts&) = default;
};

// An open serial port. Failures name the call as the user sees it:
// "GetCommState", "SetCommState", "SetCommTimeouts", "PurgeComm",
// "ReadFile", "WriteFile" ("CreateFile" when opening, see ComPorts.h).
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    virtual bool getState(PortSettings& settings, SystemError& error) = 0;
    virtual bool setState(const PortSettings& settings, SystemError& error) = 0;
    virtual bool setTimeouts(const CommTimeouts& timeouts, SystemError& error) = 0;
    // Discards what is waiting in both directions.
    virtual bool purge(SystemError& error) = 0;
    // One read under the time-outs in force: true with `received` bytes
    // (fewer than asked on a time-out, possibly 0); false when the port
    // failed, including a hang-up of the other side.
    virtual bool read(std::span<std::uint8_t> buffer, std::size_t& received,
                      SystemError& error) = 0;
    // Writes all of `data` and returns when it has left the port; a port
    // that fails or does not take the bytes in time (ETIMEDOUT) gives false,
    // with `written` telling how much was handed over.
    virtual bool write(std::span<const std::uint8_t> data, std::size_t& written,
                       SystemError& error) = 0;
    // Idempotent; the destructor closes too.
    virtual void close() = 0;
    virtual std::string devicePath() const = 0;
};

}  // namespace magtune::platform
