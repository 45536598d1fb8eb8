#include "DefaultImage.h"

#include <algorithm>

namespace magtune {

ConfigurationImage DefaultReaderImage() {
    ConfigurationImage image;
    // Unused key bytes, empty sequences and the empty formula memory are all 0xFF.
    image.fill(0xFF);
    constexpr std::uint8_t kOptions[16] = {0x01, 0xA0, 0x00, 0x00, 0x65, 0x04, 0x84, 0x99,
                                           0x2B, 0x48, 0x62, 0xDA, 0xD1, 0x19, 0x0C, 0x00};
    constexpr std::uint8_t kCodeIds[19] = {0x4D, 0x4D, 0x46, 0x41, 0xE0, 0x45, 0x49,
                                           0x4E, 0x4B, 0x4C, 0x48, 0x4F, 0xFF, 0x54,
                                           0x44, 0x42, 0x50, 0x4A, 0x43};
    constexpr std::uint8_t kLengths[16] = {0x00, 0x30, 0x0A, 0x40, 0x04, 0x30, 0x01, 0x40,
                                           0x01, 0x10, 0x01, 0x30, 0x01, 0x30, 0x03, 0x30};
    std::copy(std::begin(kOptions), std::end(kOptions), image.begin());
    std::copy(std::begin(kCodeIds), std::end(kCodeIds), image.begin() + 58);
    std::copy(std::begin(kLengths), std::end(kLengths), image.begin() + 78);
    image[94] = 0x00;
    return image;
}

}  // namespace magtune
