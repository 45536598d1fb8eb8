#pragma once

#include <string>
#include <vector>

#include "settings/ConfigurationImage.h"

namespace magtune::settings {

// One stored field of the image that differs between two images, named as
// the setting store names it, with both values as text.
struct ImageFieldDifference {
    std::string name;
    std::string first;
    std::string second;
};

// The fields that the property list does not show (device, scanner port,
// symbologies, reserved flags, preamble, postamble ...), compared field by
// field. The rows of the five groups are compared by their value texts.
// Bytes that no field shows but that a download sends (after the end of a
// key or track sequence, after the last formula) are compared too, as
// hexadecimal digits.
std::vector<ImageFieldDifference> DifferingImageFields(const ConfigurationImage& first,
                                                       const ConfigurationImage& second);

// The bits of an image that carry a setting: every bit of bytes 0-253 but
// byte 77, less the bits that the layout keeps 0 in bytes 1-15 and 94.
ConfigurationImage CarriedImageBits();

}  // namespace magtune::settings
