#include "comm/WedgeEcho.h"

#include <algorithm>

namespace magtune::comm {

namespace {

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

std::uint8_t ScanCodeDigit(std::uint8_t scanCode) {
    const std::uint8_t key = wedge::VirtualKeyForScanCode(scanCode);
    if (key >= '0' && key <= '9') {
        return static_cast<std::uint8_t>(key - '0');
    }
    if (key >= 'A' && key <= 'F') {
        return static_cast<std::uint8_t>(10 + key - 'A');
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
    settings::ConfigurationImage image{};
    for (std::size_t i = 0; i < settings::kImageSize; ++i) {
        const auto byte = DecodeGroup(echo.subspan(4 * i, 4));
        if (!byte) {
            return {std::nullopt, FrameError::NonHexDigit};
        }
        image[i] = *byte;
    }
    const auto check = DecodeGroup(echo.subspan(4 * settings::kImageSize, 4));
    if (!check) {
        return {std::nullopt, FrameError::NonHexDigit};
    }
    if (*check != XorCheck(image)) {
        return {std::nullopt, FrameError::WrongChecksum};
    }
    return {image, FrameError::None};
}

}  // namespace magtune::comm
