#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "settings/ConfigurationImage.h"

namespace magtune::readersim {

// Misbehaviour on request, so that the PC side's retries, skips and failure
// paths can be exercised against a reader that is otherwise well behaved.
struct ReaderFaults {
    std::size_t noiseBytes = 0;                // junk (never STX or ACK) before every reply
    unsigned nakFirst = 0;                     // the first valid download frames get NAK, not ACK
    unsigned badChecksumFirst = 0;             // the first upload replies carry a wrong checksum
    unsigned lowercaseHeaderFirst = 0;         // the first upload replies are headed ESC "r"
    bool silent = false;                       // never sends a byte
    bool wrongImage = false;                   // keeps another beep tone than it was sent
    std::optional<std::uint64_t> hangupAfter;  // the line drops after this many bytes
};

// The reader's side of the serial dialect as a pure byte machine: bytes in,
// the reader's answer out. The line rate is an input, so the caller decides
// how it learns what rate the PC talks at.
class ReaderSim {
  public:
    using LogSink = std::function<void(const std::string&)>;

    ReaderSim(const settings::ConfigurationImage& image, unsigned baudRate,
              const ReaderFaults& faults, LogSink log = {});

    // Bytes that arrived while the PC side's line ran at lineBaud; returns
    // what the reader sends back. Bytes at another rate than the reader's
    // are garbage to it: they are dropped, with any frame they interrupt.
    std::vector<std::uint8_t> receive(std::span<const std::uint8_t> bytes, unsigned lineBaud);

    const settings::ConfigurationImage& image() const { return image_; }
    unsigned baudRate() const { return baudRate_; }
    // Download frames answered with ACK (the image was stored).
    std::uint64_t acceptedImages() const { return acceptedImages_; }
    // Accepted downloads plus correct upload replies sent.
    std::uint64_t completedTransfers() const { return completedTransfers_; }
    // The hang-up budget is spent: the caller closes the line and sends
    // nothing more.
    bool hangupDue() const { return hangupDue_; }

    static constexpr std::uint8_t kNak = 0x15;

  private:
    void consume(std::uint8_t byte, std::vector<std::uint8_t>& out);
    void dropPartialFrame(const char* why);
    void flushJunkCount();
    void handleFrame(std::vector<std::uint8_t>& out);
    void reply(std::span<const std::uint8_t> bytes, const std::string& what,
               std::vector<std::uint8_t>& out);
    void log(const std::string& line) const;

    settings::ConfigurationImage image_;
    unsigned baudRate_;
    ReaderFaults faults_;
    LogSink log_;

    std::vector<std::uint8_t> frame_;  // the frame being received, from its STX
    std::size_t expectedSize_ = 0;     // known once the command letter arrived
    std::uint64_t junkBytes_ = 0;      // skipped since the last frame
    std::uint64_t receivedBytes_ = 0;
    std::uint64_t noiseSent_ = 0;
    std::uint64_t acceptedImages_ = 0;
    std::uint64_t completedTransfers_ = 0;
    bool hangupDue_ = false;
};

}  // namespace magtune::readersim
