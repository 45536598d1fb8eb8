#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/ConfigurationImage.h"

namespace magtune::comm {

// Control bytes shared by the serial and the keyboard dialect.
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEsc = 0x1B;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kWakeByte = 0xEC;

// Command letters, the third byte of every frame.
inline constexpr std::uint8_t kConnectCommand = 'H';
inline constexpr std::uint8_t kWriteCommand = 'W';
inline constexpr std::uint8_t kReadCommand = 'R';

// Serial dialect: printable hexadecimal text with an additive checksum.
inline constexpr std::size_t kSerialCommandFrameSize = 5;
inline constexpr std::size_t kSerialImageFrameSize = 3 + 2 * settings::kImageSize + 2;  // 517
// What follows the STX of an upload reply: ESC, "R", 512 digits, 2 digits.
inline constexpr std::size_t kSerialReplyBodySize = kSerialImageFrameSize - 1;  // 516

using SerialCommandFrame = std::array<std::uint8_t, kSerialCommandFrameSize>;
using SerialImageFrame = std::array<std::uint8_t, kSerialImageFrameSize>;

// Keyboard dialect: raw binary with an XOR check byte, answers typed as keys.
inline constexpr std::size_t kWakeSequenceSize = 3;
inline constexpr std::size_t kKeyboardDownloadFrameSize = 3 + settings::kImageSize + 1;  // 260
inline constexpr std::size_t kKeyboardUploadRequestSize = 3;
inline constexpr std::size_t kKeyboardReplyDigits = 2 * settings::kImageSize + 2;  // 514

using WakeSequenceFrame = std::array<std::uint8_t, kWakeSequenceSize>;
using KeyboardDownloadFrame = std::array<std::uint8_t, kKeyboardDownloadFrameSize>;
using KeyboardUploadRequestFrame = std::array<std::uint8_t, kKeyboardUploadRequestSize>;

// Why a frame carrying an image was refused.
enum class FrameError {
    None,
    WrongLength,    // fewer or more bytes than the frame has
    WrongHeader,    // not STX/ESC/letter where they belong
    WrongChecksum,  // additive checksum or XOR byte does not match
    NonHexDigit,    // a payload character outside the accepted digits
};

// The image carried by a frame, or the reason it was refused; the image is
// set only when error is None.
struct ImageDecodeResult {
    std::optional<settings::ConfigurationImage> image;
    FrameError error = FrameError::None;

    bool ok() const { return error == FrameError::None && image.has_value(); }
};

// Sum of the bytes modulo 256.
std::uint8_t AdditiveChecksum(std::span<const std::uint8_t> bytes);
// XOR of the bytes.
std::uint8_t XorCheck(std::span<const std::uint8_t> bytes);

// "0"-"9", "A"-"F" for a nibble value 0-15.
char HexDigitChar(std::uint8_t nibble);
// Value of a hexadecimal digit; lower-case letters only when allowed.
std::optional<std::uint8_t> HexDigitValue(std::uint8_t character, bool acceptLowerCase);

// ---- Serial dialect, PC side ----

// 02 1B 48 "6" "5"
SerialCommandFrame SerialConnectFrame();
// 02 1B 52 "6" "F"
SerialCommandFrame SerialUploadRequest();
// 02 1B 57, the image as 512 upper-case digits, 2 checksum digits.
SerialImageFrame SerialDownloadFrame(const settings::ConfigurationImage& image);

// Checks the 516 bytes that follow the STX of an upload reply (ESC, "R",
// 512 digits, 2 checksum digits; the checksum counts the STX too) and
// decodes the image from the digits.
ImageDecodeResult DecodeSerialUploadReply(std::span<const std::uint8_t> afterStx);

// ---- Serial dialect, reader side ----

// A whole received download frame (517 bytes starting with STX).
ImageDecodeResult ParseSerialDownloadFrame(std::span<const std::uint8_t> frame);
// 02 1B 52, the image as 512 upper-case digits, 2 checksum digits.
SerialImageFrame SerialUploadReply(const settings::ConfigurationImage& image);

// ---- Keyboard dialect, PC side ----

// EC EC EC
WakeSequenceFrame WakeSequence();
// 02 1B 57, the 256 image bytes, their XOR.
KeyboardDownloadFrame KeyboardDownload(const settings::ConfigurationImage& image);
// 02 1B 52, no check byte.
KeyboardUploadRequestFrame KeyboardUploadRequest();

// Decodes the 514 typed digits of an upload reply (either case): 512 image
// digits, then the 2 digits of the XOR of the image bytes.
ImageDecodeResult DecodeKeyboardUploadReply(std::string_view digits);

// What a character typed by the reader means.
enum class KeyboardAnswer {
    Other,
    Ready,     // "O": woken, ready for a command
    Accepted,  // "Y": download accepted
    Rejected,  // "N": data or checksum error
    HexDigit,  // upload data
};
KeyboardAnswer ClassifyKeyboardAnswer(char typed);

// ---- Keyboard dialect, reader side ----

// A whole received download frame (260 bytes starting with STX).
ImageDecodeResult ParseKeyboardDownloadFrame(std::span<const std::uint8_t> frame);
// The 514 upper-case digits the reader types as its upload reply.
std::string KeyboardUploadReplyDigits(const settings::ConfigurationImage& image);

}  // namespace magtune::comm
