#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "comm/ProtocolFrames.h"
#include "wedge/common/WedgeKeyCodes.h"

namespace magtune::comm {

// ---- The reader's answers as captured echo ----

// "O" arrives as 0x18 (the O key) or 0x44, "Y" as 0x15 or 0x35, "N" as 0x31.
inline constexpr std::uint8_t kEchoReadyCode = 0x18;
inline constexpr std::uint8_t kEchoReadyAltCode = 0x44;
inline constexpr std::uint8_t kEchoAcceptedCode = 0x15;
inline constexpr std::uint8_t kEchoAcceptedAltCode = 0x35;
inline constexpr std::uint8_t kEchoRejectedCode = 0x31;

// Value 0-15 of the scan code of a hexadecimal digit key ("0"-"9", "A"-"F");
// 255 for every other code.
inline constexpr std::uint8_t kNoDigit = 255;
std::uint8_t ScanCodeDigit(std::uint8_t scanCode);

// The O answer: after the first 0x44 (or, without one, the first 0x18)
// another 0x44 or 0x18 follows somewhere.
bool EchoHasReady(std::span<const std::uint8_t> echo);
// The Y answer: two consecutive codes, each 0x15 or 0x35.
bool EchoHasAccepted(std::span<const std::uint8_t> echo);
// The N answer: 0x31 0x31.
bool EchoHasRejected(std::span<const std::uint8_t> echo);

// ---- Upload reply as captured echo ----

// 514 typed digits, each seen twice (key down and key up).
inline constexpr std::size_t kWedgeUploadCodes = 2 * kKeyboardReplyDigits;  // 1028

// Removes every code before the first digit key (all of them when none is a
// digit key), so that leftovers of the O answer do not shift the digits.
void DropCodesBeforeFirstDigit(std::vector<std::uint8_t>& echo);

// Decodes the image from the first 1028 codes: groups of four codes, the
// first two the high nibble and the last two the low nibble; both codes of a
// nibble must be the same digit key. The 257th group is the XOR of the 256
// image bytes. Fewer codes: WrongLength; a bad group: NonHexDigit; a wrong
// XOR: WrongChecksum.
ImageDecodeResult DecodeWedgeUpload(std::span<const std::uint8_t> echo);

}  // namespace magtune::comm
