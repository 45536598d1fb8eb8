#include "KeyboardReaderSim.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "comm/ProtocolFrames.h"

namespace magtune::readersim {

namespace {

// Keys that are neither an answer nor a hexadecimal digit in either case.
constexpr std::string_view kNoiseKeys = "!#$%&*+-/=?@";

}  // namespace

KeyboardFaults KeyboardFaults::From(const ReaderFaults& faults, bool lowercaseDigits) {
    KeyboardFaults keyboard;
    keyboard.noiseKeys = faults.noiseBytes;
    keyboard.nakFirst = faults.nakFirst;
    keyboard.badChecksumFirst = faults.badChecksumFirst;
    keyboard.lowercaseDigits = lowercaseDigits;
    keyboard.silent = faults.silent;
    keyboard.hangupAfter = faults.hangupAfter;
    return keyboard;
}

KeyboardReaderSim::KeyboardReaderSim(const settings::ConfigurationImage& image,
                                     const KeyboardFaults& faults, LogSink log)
    : image_(image), faults_(faults), log_(std::move(log)) {}

std::string KeyboardReaderSim::receive(std::span<const std::uint8_t> bytes) {
    std::string typed;
    for (const std::uint8_t byte : bytes) {
        if (hangupDue_) {
            break;
        }
        ++receivedBytes_;
        const std::size_t before = typed.size();
        consume(byte, typed);
        if (faults_.hangupAfter && receivedBytes_ >= *faults_.hangupAfter) {
            // The reader drops off with this byte: an answer it completed
            // is never typed.
            typed.resize(before);
            hangupDue_ = true;
            log("hanging up after " + std::to_string(receivedBytes_) + " received byte(s)");
        }
    }
    return typed;
}

void KeyboardReaderSim::reset() {
    if (!frame_.empty()) {
        log("incomplete frame of " + std::to_string(frame_.size()) + " byte(s) dropped");
    }
    frame_.clear();
    expectedSize_ = 0;
    wakeBytes_ = 0;
    awake_ = false;
}

void KeyboardReaderSim::consume(std::uint8_t byte, std::string& typed) {
    if (!frame_.empty()) {
        if (frame_.size() == 1 && byte != comm::kEsc) {
            log("STX not followed by ESC: frame dropped");
            frame_.clear();
            // The byte itself may start the next wake or frame.
        } else {
            if (frame_.size() == 2) {
                if (byte == comm::kWriteCommand) {
                    expectedSize_ = comm::kKeyboardDownloadFrameSize;
                } else if (byte == comm::kReadCommand) {
                    expectedSize_ = comm::kKeyboardUploadRequestSize;
                } else {
                    log("unknown command " + std::to_string(byte) + " ignored");
                    frame_.clear();
                    return;
                }
            }
            frame_.push_back(byte);
            if (expectedSize_ != 0 && frame_.size() == expectedSize_) {
                handleFrame(typed);
                frame_.clear();
                expectedSize_ = 0;
            }
            return;
        }
    }
    if (byte == comm::kWakeByte) {
        if (++wakeBytes_ == static_cast<int>(comm::kWakeSequenceSize)) {
            wakeBytes_ = 0;
            awake_ = true;
            type("O", "woken", typed);
        }
        return;
    }
    wakeBytes_ = 0;
    if (byte != comm::kStx) {
        return;
    }
    if (!awake_) {
        log("frame without a wake sequence ignored");
        return;
    }
    frame_.push_back(byte);
}

void KeyboardReaderSim::handleFrame(std::string& typed) {
    // Every frame takes a fresh wake.
    awake_ = false;
    if (frame_[2] == comm::kReadCommand) {
        log("received upload request");
        std::string digits = comm::KeyboardUploadReplyDigits(image_);
        std::string what = "upload reply (514 digits)";
        bool correct = true;
        if (faults_.badChecksumFirst > 0) {
            --faults_.badChecksumFirst;
            const std::uint8_t wrong = static_cast<std::uint8_t>(comm::XorCheck(image_) + 1);
            digits[comm::kKeyboardReplyDigits - 2] = comm::HexDigitChar(wrong >> 4);
            digits[comm::kKeyboardReplyDigits - 1] = comm::HexDigitChar(wrong & 0x0F);
            what += ", wrong check digits";
            correct = false;
        }
        if (faults_.lowercaseDigits) {
            std::transform(digits.begin(), digits.end(), digits.begin(),
                           [](char c) { return static_cast<char>(std::tolower(c)); });
            what += ", lower case";
        }
        type(digits, what, typed);
        if (correct && !faults_.silent) {
            ++completedTransfers_;
        }
        return;
    }
    const comm::ImageDecodeResult decoded = comm::ParseKeyboardDownloadFrame(frame_);
    if (!decoded.ok()) {
        log("download frame with a wrong check byte");
        type("N", "N (data or checksum error)", typed);
        return;
    }
    log("received download frame (260 bytes)");
    if (faults_.silent) {
        log("silent: no answer");
        return;
    }
    if (faults_.nakFirst > 0) {
        --faults_.nakFirst;
        type("N", "N (image not stored)", typed);
        return;
    }
    image_ = *decoded.image;
    ++acceptedImages_;
    ++completedTransfers_;
    type("Y", "Y (image stored)", typed);
}

void KeyboardReaderSim::type(const std::string& keys, const std::string& what, std::string& typed) {
    if (faults_.silent) {
        log("silent: " + what + " not typed");
        return;
    }
    for (std::size_t i = 0; i < faults_.noiseKeys; ++i) {
        typed += kNoiseKeys[noiseTyped_++ % kNoiseKeys.size()];
    }
    typed += keys;
    log("typed " + what);
}

void KeyboardReaderSim::log(const std::string& line) const {
    if (log_) {
        log_(line);
    }
}

}  // namespace magtune::readersim
