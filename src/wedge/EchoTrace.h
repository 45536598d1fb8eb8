#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace magtune::wedge {

// One read of the echo as the trace file records it: the count and the ring
// indexes, then every event as its key code (as a character) and its scan
// code in hexadecimal, eight to a line.
std::string FormatEchoTrace(std::span<const std::uint8_t> keys, std::span<const std::uint8_t> scans,
                            std::size_t start, std::size_t end);

}  // namespace magtune::wedge
