#pragma once

#include "settings/ConfigurationImage.h"

namespace magtune::test {

// The bits of an image that carry a setting, written out from the layout by
// hand (not taken from the code's own tables): everything except the bits the
// layout keeps 0 (bit 3 of byte 5, bits 7-6 of byte 8, bit 5 of byte 11,
// bit 7 of byte 13, bits 7-5 of byte 14), byte 77 and bytes 254-255.
inline settings::ConfigurationImage CarriedBits() {
    settings::ConfigurationImage mask;
    mask.fill(0xFF);
    mask[5] = 0xF7;
    mask[8] = 0x3F;
    mask[11] = 0xDF;
    mask[13] = 0x7F;
    mask[14] = 0x1F;
    mask[77] = 0x00;
    mask[254] = 0x00;
    mask[255] = 0x00;
    return mask;
}

}  // namespace magtune::test
