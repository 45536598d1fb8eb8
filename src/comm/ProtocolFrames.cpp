#include "comm/ProtocolFrames.h"

#include <algorithm>

namespace magtune::comm {

namespace {

// Writes the image as upper-case digits from position 3 on, then the
// checksum of everything before it as two digits.
template <std::size_t N>
void FillSerialImageFrame(std::array<std::uint8_t, N>& frame, std::uint8_t letter,
                          const settings::ConfigurationImage& image) {
    static_assert(N == kSerialImageFrameSize);
    frame[0] = kStx;
    frame[1] = kEsc;
    frame[2] = letter;
    std::size_t pos = 3;
    for (std::uint8_t byte : image) {
        frame[pos++] = static_cast<std::uint8_t>(HexDigitChar(byte >> 4));
        frame[pos++] = static_cast<std::uint8_t>(HexDigitChar(byte & 0x0F));
    }
    const std::uint8_t sum = AdditiveChecksum(std::span(frame).first(pos));
    frame[pos++] = static_cast<std::uint8_t>(HexDigitChar(sum >> 4));
    frame[pos] = static_cast<std::uint8_t>(HexDigitChar(sum & 0x0F));
}

SerialCommandFrame SerialCommand(std::uint8_t letter) {
    SerialCommandFrame frame{kStx, kEsc, letter, 0, 0};
    const std::uint8_t sum = AdditiveChecksum(std::span(frame).first(3));
    frame[3] = static_cast<std::uint8_t>(HexDigitChar(sum >> 4));
    frame[4] = static_cast<std::uint8_t>(HexDigitChar(sum & 0x0F));
    return frame;
}

std::optional<std::uint8_t> HexPair(std::uint8_t high, std::uint8_t low, bool acceptLowerCase) {
    const auto h = HexDigitValue(high, acceptLowerCase);
    const auto l = HexDigitValue(low, acceptLowerCase);
    if (!h || !l) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*h << 4 | *l);
}

// Decodes 512 digits into the image; false at the first character that is
// not a digit of the dialect.
bool DecodeImageDigits(std::span<const std::uint8_t> digits, bool acceptLowerCase,
                       settings::ConfigurationImage& image) {
    if (digits.size() != 2 * settings::kImageSize) {
        return false;
    }
    for (std::size_t i = 0; i < settings::kImageSize; ++i) {
        const auto byte = HexPair(digits[2 * i], digits[2 * i + 1], acceptLowerCase);
        if (!byte) {
            return false;
        }
        image[i] = *byte;
    }
    return true;
}

ImageDecodeResult Failure(FrameError error) {
    return {std::nullopt, error};
}

// body = ESC, letter, 512 digits, 2 checksum digits (the bytes after STX).
ImageDecodeResult DecodeSerialImageBody(std::uint8_t letter, std::span<const std::uint8_t> body) {
    if (body.size() != kSerialReplyBodySize) {
        return Failure(FrameError::WrongLength);
    }
    if (body[0] != kEsc || body[1] != letter) {
        return Failure(FrameError::WrongHeader);
    }
    const auto covered = body.first(kSerialReplyBodySize - 2);
    const std::uint8_t sum = static_cast<std::uint8_t>(kStx + AdditiveChecksum(covered));
    const auto sent =
        HexPair(body[kSerialReplyBodySize - 2], body[kSerialReplyBodySize - 1], false);
    if (!sent || *sent != sum) {
        return Failure(FrameError::WrongChecksum);
    }
    settings::ConfigurationImage image{};
    if (!DecodeImageDigits(covered.subspan(2), false, image)) {
        return Failure(FrameError::NonHexDigit);
    }
    return {image, FrameError::None};
}

}  // namespace

std::uint8_t AdditiveChecksum(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) {
        sum = static_cast<std::uint8_t>(sum + b);
    }
    return sum;
}

std::uint8_t XorCheck(std::span<const std::uint8_t> bytes) {
    std::uint8_t x = 0;
    for (std::uint8_t b : bytes) {
        x ^= b;
    }
    return x;
}

char HexDigitChar(std::uint8_t nibble) {
    return "0123456789ABCDEF"[nibble & 0x0F];
}

std::optional<std::uint8_t> HexDigitValue(std::uint8_t character, bool acceptLowerCase) {
    if (character >= '0' && character <= '9') {
        return static_cast<std::uint8_t>(character - '0');
    }
    if (character >= 'A' && character <= 'F') {
        return static_cast<std::uint8_t>(character - 'A' + 10);
    }
    if (acceptLowerCase && character >= 'a' && character <= 'f') {
        return static_cast<std::uint8_t>(character - 'a' + 10);
    }
    return std::nullopt;
}

SerialCommandFrame SerialConnectFrame() {
    return SerialCommand(kConnectCommand);
}

SerialCommandFrame SerialUploadRequest() {
    return SerialCommand(kReadCommand);
}

SerialImageFrame SerialDownloadFrame(const settings::ConfigurationImage& image) {
    SerialImageFrame frame{};
    FillSerialImageFrame(frame, kWriteCommand, image);
    return frame;
}

ImageDecodeResult DecodeSerialUploadReply(std::span<const std::uint8_t> afterStx) {
    return DecodeSerialImageBody(kReadCommand, afterStx);
}

ImageDecodeResult ParseSerialDownloadFrame(std::span<const std::uint8_t> frame) {
    if (frame.size() != kSerialImageFrameSize) {
        return Failure(FrameError::WrongLength);
    }
    if (frame[0] != kStx) {
        return Failure(FrameError::WrongHeader);
    }
    return DecodeSerialImageBody(kWriteCommand, frame.subspan(1));
}

SerialImageFrame SerialUploadReply(const settings::ConfigurationImage& image) {
    SerialImageFrame frame{};
    FillSerialImageFrame(frame, kReadCommand, image);
    return frame;
}

WakeSequenceFrame WakeSequence() {
    return {kWakeByte, kWakeByte, kWakeByte};
}

KeyboardDownloadFrame KeyboardDownload(const settings::ConfigurationImage& image) {
    KeyboardDownloadFrame frame{};
    frame[0] = kStx;
    frame[1] = kEsc;
    frame[2] = kWriteCommand;
    std::copy(image.begin(), image.end(), frame.begin() + 3);
    frame[3 + settings::kImageSize] = XorCheck(image);
    return frame;
}

KeyboardUploadRequestFrame KeyboardUploadRequest() {
    return {kStx, kEsc, kReadCommand};
}

ImageDecodeResult DecodeKeyboardUploadReply(std::string_view digits) {
    if (digits.size() != kKeyboardReplyDigits) {
        return Failure(FrameError::WrongLength);
    }
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(digits.data()),
                                              digits.size());
    settings::ConfigurationImage image{};
    if (!DecodeImageDigits(bytes.first(2 * settings::kImageSize), true, image)) {
        return Failure(FrameError::NonHexDigit);
    }
    const auto check =
        HexPair(bytes[2 * settings::kImageSize], bytes[2 * settings::kImageSize + 1], true);
    if (!check) {
        return Failure(FrameError::NonHexDigit);
    }
    if (*check != XorCheck(image)) {
        return Failure(FrameError::WrongChecksum);
    }
    return {image, FrameError::None};
}

KeyboardAnswer ClassifyKeyboardAnswer(char typed) {
    switch (typed) {
        case 'O':
        case 'o':
            return KeyboardAnswer::Ready;
        case 'Y':
        case 'y':
            return KeyboardAnswer::Accepted;
        case 'N':
        case 'n':
            return KeyboardAnswer::Rejected;
        default:
            break;
    }
    return HexDigitValue(static_cast<std::uint8_t>(typed), true) ? KeyboardAnswer::HexDigit
                                                                 : KeyboardAnswer::Other;
}

ImageDecodeResult ParseKeyboardDownloadFrame(std::span<const std::uint8_t> frame) {
    if (frame.size() != kKeyboardDownloadFrameSize) {
        return Failure(FrameError::WrongLength);
    }
    if (frame[0] != kStx || frame[1] != kEsc || frame[2] != kWriteCommand) {
        return Failure(FrameError::WrongHeader);
    }
    settings::ConfigurationImage image{};
    std::copy(frame.begin() + 3, frame.begin() + 3 + settings::kImageSize, image.begin());
    if (frame[3 + settings::kImageSize] != XorCheck(image)) {
        return Failure(FrameError::WrongChecksum);
    }
    return {image, FrameError::None};
}

std::string KeyboardUploadReplyDigits(const settings::ConfigurationImage& image) {
    std::string digits;
    digits.reserve(kKeyboardReplyDigits);
    for (std::uint8_t byte : image) {
        digits += HexDigitChar(byte >> 4);
        digits += HexDigitChar(byte & 0x0F);
    }
    const std::uint8_t check = XorCheck(image);
    digits += HexDigitChar(check >> 4);
    digits += HexDigitChar(check & 0x0F);
    return digits;
}

}  // namespace magtune::comm
