#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace magtune::settings {

// The reader's whole configuration: what a setting file holds and what a
// transfer moves. Bytes 96-253 are the formula memory.
inline constexpr std::size_t kImageSize = 256;
inline constexpr std::size_t kFormulaMemoryOffset = 96;
using ConfigurationImage = std::array<std::uint8_t, kImageSize>;

}  // namespace magtune::settings
