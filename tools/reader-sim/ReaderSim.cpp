#include "ReaderSim.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "comm/ProtocolFrames.h"

namespace magtune::readersim {

namespace {

// Junk that can never be taken for the start of a frame, for an
// acknowledge, or for flow control (XON/XOFF).
constexpr std::array<std::uint8_t, 8> kNoisePattern{0xFF, 0x00, 0x55, 0xAA, 0x7E, 0x81, 0x3C, 0xC3};

const char* FrameErrorText(comm::FrameError error) {
    switch (error) {
        case comm::FrameError::None:
            return "none";
        case comm::FrameError::WrongLength:
            return "wrong length";
        case comm::FrameError::WrongHeader:
            return "wrong header";
        case comm::FrameError::WrongChecksum:
            return "wrong checksum";
        case comm::FrameError::NonHexDigit:
            return "character that is not a hexadecimal digit";
    }
    return "unknown";
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%s%02X", text.empty() ? "" : " ", b);
        text += digits;
    }
    return text;
}

// Rewrites the two checksum digits at the end of a frame.
void SetChecksumDigits(comm::SerialImageFrame& frame, std::uint8_t sum) {
    frame[comm::kSerialImageFrameSize - 2] =
        static_cast<std::uint8_t>(comm::HexDigitChar(sum >> 4));
    frame[comm::kSerialImageFrameSize - 1] =
        static_cast<std::uint8_t>(comm::HexDigitChar(sum & 0x0F));
}

std::uint8_t ChecksumOfFrame(const comm::SerialImageFrame& frame) {
    return comm::AdditiveChecksum(std::span(frame).first(comm::kSerialImageFrameSize - 2));
}

}  // namespace

ReaderSim::ReaderSim(const settings::ConfigurationImage& image, unsigned baudRate,
                     const ReaderFaults& faults, LogSink log)
    : image_(image), baudRate_(baudRate), faults_(faults), log_(std::move(log)) {}

std::vector<std::uint8_t> ReaderSim::receive(std::span<const std::uint8_t> bytes,
                                             unsigned lineBaud) {
    std::vector<std::uint8_t> out;
    if (hangupDue_) {
        return out;
    }
    // The reader's receiver cannot frame bytes sent at another rate: they
    // are garbage to it, but they still arrive and count towards a hang-up.
    const bool inStep = lineBaud == baudRate_;
    if (!inStep && !bytes.empty()) {
        dropPartialFrame("line rate changed");
        log(std::to_string(bytes.size()) + " byte(s) at " + std::to_string(lineBaud) +
            " baud ignored (reader at " + std::to_string(baudRate_) + " baud)");
    }
    for (std::uint8_t byte : bytes) {
        ++receivedBytes_;
        const std::size_t before = out.size();
        if (inStep) {
            consume(byte, out);
        }
        if (faults_.hangupAfter && receivedBytes_ >= *faults_.hangupAfter) {
            // The line drops with this byte: an answer it completed never leaves.
            out.resize(before);
            hangupDue_ = true;
            log("hanging up after " + std::to_string(receivedBytes_) + " received byte(s)");
            break;
        }
    }
    return out;
}

void ReaderSim::consume(std::uint8_t byte, std::vector<std::uint8_t>& out) {
    if (byte == comm::kStx) {
        // Hex text never holds an STX, so it always starts a frame, also in
        // the middle of one that was cut short.
        dropPartialFrame("new frame started");
        flushJunkCount();
        frame_.push_back(byte);
        return;
    }
    if (frame_.empty()) {
        ++junkBytes_;
        return;
    }
    if (frame_.size() == 1 && byte != comm::kEsc) {
        junkBytes_ += frame_.size() + 1;
        frame_.clear();
        return;
    }
    if (frame_.size() == 2) {
        switch (byte) {
            case comm::kConnectCommand:
            case comm::kReadCommand:
                expectedSize_ = comm::kSerialCommandFrameSize;
                break;
            case comm::kWriteCommand:
                expectedSize_ = comm::kSerialImageFrameSize;
                break;
            default:
                log("unknown command " + HexBytes(std::span(&byte, 1)) + " ignored");
                frame_.clear();
                return;
        }
    }
    frame_.push_back(byte);
    if (expectedSize_ != 0 && frame_.size() == expectedSize_) {
        handleFrame(out);
        frame_.clear();
        expectedSize_ = 0;
    }
}

void ReaderSim::dropPartialFrame(const char* why) {
    if (!frame_.empty()) {
        log("incomplete frame of " + std::to_string(frame_.size()) + " byte(s) dropped (" + why +
            ")");
    }
    frame_.clear();
    expectedSize_ = 0;
}

void ReaderSim::flushJunkCount() {
    if (junkBytes_ != 0) {
        log("skipped " + std::to_string(junkBytes_) + " byte(s) outside a frame");
        junkBytes_ = 0;
    }
}

void ReaderSim::handleFrame(std::vector<std::uint8_t>& out) {
    const std::uint8_t command = frame_[2];
    if (command == comm::kConnectCommand || command == comm::kReadCommand) {
        const comm::SerialCommandFrame expected = command == comm::kConnectCommand
                                                      ? comm::SerialConnectFrame()
                                                      : comm::SerialUploadRequest();
        const char* name = command == comm::kConnectCommand ? "connect frame" : "upload request";
        if (!std::equal(frame_.begin(), frame_.end(), expected.begin(), expected.end())) {
            log(std::string("malformed ") + name + " " + HexBytes(frame_) + ": no answer");
            return;
        }
        log(std::string("received ") + name + " " + HexBytes(frame_));
        if (faults_.silent) {
            log("silent: no answer");
            return;
        }
        if (command == comm::kConnectCommand) {
            reply(std::span(&comm::kAck, 1), "ACK", out);
            return;
        }
        comm::SerialImageFrame answer = comm::SerialUploadReply(image_);
        std::string what = "upload reply (517 bytes)";
        bool correct = true;
        if (faults_.lowercaseHeaderFirst > 0) {
            --faults_.lowercaseHeaderFirst;
            answer[2] = 'r';
            SetChecksumDigits(answer, ChecksumOfFrame(answer));
            what += ", headed ESC \"r\"";
            correct = false;
        }
        if (faults_.badChecksumFirst > 0) {
            --faults_.badChecksumFirst;
            SetChecksumDigits(answer, static_cast<std::uint8_t>(ChecksumOfFrame(answer) + 1));
            what += ", wrong checksum";
            correct = false;
        }
        what += ", checksum digits " + std::string(answer.end() - 2, answer.end());
        reply(answer, what, out);
        if (correct) {
            ++completedTransfers_;
        }
        return;
    }

    const comm::ImageDecodeResult decoded = comm::ParseSerialDownloadFrame(frame_);
    if (!decoded.ok()) {
        log(std::string("download frame refused (") + FrameErrorText(decoded.error) +
            "): no answer");
        return;
    }
    log("received download frame (517 bytes)");
    if (faults_.silent) {
        log("silent: no answer");
        return;
    }
    if (faults_.nakFirst > 0) {
        --faults_.nakFirst;
        reply(std::span(&kNak, 1), "NAK (image not stored)", out);
        return;
    }
    image_ = *decoded.image;
    if (faults_.wrongImage) {
        // A reader whose memory fails: it answers ACK but holds another
        // beep tone (bit 4 of byte 1) than it was sent.
        image_[1] ^= 0x10;
        log("wrong image: the beep tone is stored changed");
    }
    ++acceptedImages_;
    ++completedTransfers_;
    reply(std::span(&comm::kAck, 1), "ACK (image stored)", out);
}

void ReaderSim::reply(std::span<const std::uint8_t> bytes, const std::string& what,
                      std::vector<std::uint8_t>& out) {
    if (faults_.noiseBytes != 0) {
        for (std::size_t i = 0; i < faults_.noiseBytes; ++i) {
            out.push_back(kNoisePattern[noiseSent_++ % kNoisePattern.size()]);
        }
        log("sent " + std::to_string(faults_.noiseBytes) + " noise byte(s)");
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
    log("sent " + what);
}

void ReaderSim::log(const std::string& line) const {
    if (log_) {
        log_(line);
    }
}

}  // namespace magtune::readersim
