#include "comm/WedgeEcho.h"

#include <algorithm>
#include <array>

namespace magtune {

namespace {

// Set-1 make codes of the letter keys A-Z.
constexpr std::array<std::uint8_t, 26> kLetterScanCodes = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
};

// Set-1 make codes of the digit keys 0-9 (the top row: 1 is 0x02, 0 is 0x0B).
constexpr std::array<std::uint8_t, 10> kDigitScanCodes = {
    0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A,
};

bool IsReadyCode(std::uint8_t code) {
    return code == kEchoReadyCode || code == kEchoReadyAltCode;
}

bool IsAcceptedCode(std::uint8_t code) {
    return code == kEchoAcceptedCode || code == kEchoAcceptedAltCode;
}

// Both codes of a typed digit (key down, key up) must name the same key.
std::optional<std::uint8_t> DecodeNibble(std::uint8_t down, std::uint8_t up) {
    const std::uint8_t value = ScanCodeDigit(down);
    if (value == kNoDigit || down != up) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint8_t> DecodeGroup(std::span<const std::uint8_t> group) {
    const auto high = DecodeNibble(group[0], group[1]);
    const auto low = DecodeNibble(group[2], group[3]);
    if (!high || !low) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*high << 4 | *low);
}

}  // namespace

std::optional<KeyStroke> KeyStrokeForCharacter(char character) {
    if (character >= '0' && character <= '9') {
        const auto digit = static_cast<std::size_t>(character - '0');
        return KeyStroke{static_cast<std::uint8_t>(character), kDigitScanCodes[digit]};
    }
    if (character >= 'a' && character <= 'z') {
        character = static_cast<char>(character - 'a' + 'A');
    }
    if (character >= 'A' && character <= 'Z') {
        const auto letter = static_cast<std::size_t>(character - 'A');
        return KeyStroke{static_cast<std::uint8_t>(character), kLetterScanCodes[letter]};
    }
    return std::nullopt;
}

std::uint8_t VirtualKeyForScanCode(std::uint8_t scanCode) {
    for (std::size_t i = 0; i < kDigitScanCodes.size(); ++i) {
        if (kDigitScanCodes[i] == scanCode) {
            return static_cast<std::uint8_t>('0' + i);
        }
    }
    for (std::size_t i = 0; i < kLetterScanCodes.size(); ++i) {
        if (kLetterScanCodes[i] == scanCode) {
            return static_cast<std::uint8_t>('A' + i);
        }
    }
    return 0;
}

std::uint8_t ScanCodeDigit(std::uint8_t scanCode) {
    for (std::size_t i = 0; i < kDigitScanCodes.size(); ++i) {
        if (kDigitScanCodes[i] == scanCode) {
            return static_cast<std::uint8_t>(i);
        }
    }
    for (std::size_t i = 0; i < 6; ++i) {
        if (kLetterScanCodes[i] == scanCode) {
            return static_cast<std::uint8_t>(10 + i);
        }
    }
    return kNoDigit;
}

bool EchoHasReady(std::span<const std::uint8_t> echo) {
    auto first = std::find(echo.begin(), echo.end(), kEchoReadyAltCode);
    if (first == echo.end()) {
        first = std::find(echo.begin(), echo.end(), kEchoReadyCode);
    }
    return first != echo.end() && std::any_of(first + 1, echo.end(), IsReadyCode);
}

bool EchoHasAccepted(std::span<const std::uint8_t> echo) {
    return std::adjacent_find(echo.begin(), echo.end(), [](std::uint8_t a, std::uint8_t b) {
               return IsAcceptedCode(a) && IsAcceptedCode(b);
           }) != echo.end();
}

bool EchoHasRejected(std::span<const std::uint8_t> echo) {
    return std::adjacent_find(echo.begin(), echo.end(), [](std::uint8_t a, std::uint8_t b) {
               return a == kEchoRejectedCode && b == kEchoRejectedCode;
           }) != echo.end();
}

void DropCodesBeforeFirstDigit(std::vector<std::uint8_t>& echo) {
    const auto digit = std::find_if(echo.begin(), echo.end(), [](std::uint8_t code) {
        return ScanCodeDigit(code) != kNoDigit;
    });
    echo.erase(echo.begin(), digit);
}

ImageDecodeResult DecodeWedgeUpload(std::span<const std::uint8_t> echo) {
    if (echo.size() < kWedgeUploadCodes) {
        return {std::nullopt, FrameError::WrongLength};
    }
    ConfigurationImage image{};
    for (std::size_t i = 0; i < kImageSize; ++i) {
        const auto byte = DecodeGroup(echo.subspan(4 * i, 4));
        if (!byte) {
            return {std::nullopt, FrameError::NonHexDigit};
        }
        image[i] = *byte;
    }
    const auto check = DecodeGroup(echo.subspan(4 * kImageSize, 4));
    if (!check) {
        return {std::nullopt, FrameError::NonHexDigit};
    }
    if (*check != XorCheck(image)) {
        return {std::nullopt, FrameError::WrongChecksum};
    }
    return {image, FrameError::None};
}

}  // namespace magtune
