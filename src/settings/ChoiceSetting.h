#pragma once

#include <cstdint>

namespace magtune::settings {

// A value picked from a list: the 0-based index into the item's value texts,
// stored in the image as a bit field.
struct ChoiceSetting {
    std::int32_t defaultValue = 0;
    std::int32_t current = 0;
};

}  // namespace magtune::settings
