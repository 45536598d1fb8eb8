#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ReaderSim.h"
#include "settings/ConfigurationImage.h"

namespace magtune::readersim {

// Misbehaviour on request for the keyboard dialect, the counterpart of
// ReaderFaults.
struct KeyboardFaults {
    std::size_t noiseKeys = 0;      // junk keys (never an answer or a digit) before every answer
    unsigned nakFirst = 0;          // the first valid download frames get "N", image not stored
    unsigned badChecksumFirst = 0;  // the first upload replies carry wrong check digits
    bool lowercaseDigits = false;   // upload replies typed in lower case
    bool silent = false;            // never types a key
    std::optional<std::uint64_t> hangupAfter;  // the reader drops off after this many bytes

    // The serial faults that mean something here (all but the upload
    // header, which the keyboard dialect does not send).
    static KeyboardFaults From(const ReaderFaults& faults, bool lowercaseDigits);
};

// The reader's side of the keyboard dialect as a pure machine: bytes that the
// PC sends into the reader in, the characters the reader types in answer
// out. Transports wrap it: the simulated USB bus hands it control codes and
// passes the characters on as typed keys; a keyboard wedge would type them
// as scan codes.
//
// Three wake bytes (EC EC EC) make the reader type "O" and wait for one
// frame: a download frame (02 1B 57, 256 image bytes, their XOR) is stored
// and answered "Y", or answered "N" when its check byte is wrong; an upload
// request (02 1B 52) is answered with the 514 digits of the image and its
// XOR. Every frame needs a wake of its own; a frame without one is ignored.
class KeyboardReaderSim {
  public:
    using LogSink = std::function<void(const std::string&)>;

    KeyboardReaderSim(const settings::ConfigurationImage& image, const KeyboardFaults& faults,
                      LogSink log = {});

    // Bytes from the PC; the characters typed in answer, in order.
    std::string receive(std::span<const std::uint8_t> bytes);
    // Forgets a wake or a frame in progress, as when the PC leaves the
    // programming mode.
    void reset();

    const settings::ConfigurationImage& image() const { return image_; }
    // Download frames answered "Y" (the image was stored).
    std::uint64_t acceptedImages() const { return acceptedImages_; }
    // Accepted downloads plus correct upload replies typed.
    std::uint64_t completedTransfers() const { return completedTransfers_; }
    // The hang-up budget is spent: the reader is gone and types nothing.
    bool hangupDue() const { return hangupDue_; }

  private:
    void consume(std::uint8_t byte, std::string& typed);
    void handleFrame(std::string& typed);
    void type(const std::string& keys, const std::string& what, std::string& typed);
    void log(const std::string& line) const;

    settings::ConfigurationImage image_;
    KeyboardFaults faults_;
    LogSink log_;

    std::vector<std::uint8_t> frame_;  // the frame being received, from its STX
    std::size_t expectedSize_ = 0;     // known once the command letter arrived
    int wakeBytes_ = 0;                // wake bytes in a row outside a frame
    bool awake_ = false;               // woken, waiting for a frame
    std::uint64_t receivedBytes_ = 0;
    std::uint64_t noiseTyped_ = 0;
    std::uint64_t acceptedImages_ = 0;
    std::uint64_t completedTransfers_ = 0;
    bool hangupDue_ = false;
};

}  // namespace magtune::readersim
