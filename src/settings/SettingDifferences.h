#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/ConfigurationImage.h"
#include "settings/ImageFields.h"
#include "settings/SettingStore.h"

namespace magtune::settings {

// What differs between two settings, as `diff` lists it: first the rows of
// the five groups by "GROUP/LABEL" with their value texts, then the other
// stored fields by name. Both stores are packed first.
std::vector<ImageFieldDifference> DifferingSettings(SettingStore& first, SettingStore& second);

// Compares the image a reader holds with the image that was sent to it:
// every byte that carries a setting (0-253 but byte 77, without the bits the
// layout keeps 0). Nothing when they agree; else the first differing
// setting, named as `diff` names it (byte 0 is the device type the download
// set, so it must come back as sent).
std::optional<ImageFieldDifference> FirstReadBackDifference(const ConfigurationImage& sent,
                                                            const ConfigurationImage& held);

}  // namespace magtune::settings
