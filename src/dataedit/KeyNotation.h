#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace magtune::dataedit {

// Results of ParseKeySequence besides a byte count.
inline constexpr int kKeySyntaxError = -1;
inline constexpr int kKeyTooLong = -2;

// Converts a key text (UTF-8) into bytes. The destination's size is its
// capacity; it is filled with 0xFF first and stays all 0xFF on failure.
// Returns the number of bytes produced, kKeySyntaxError or kKeyTooLong
// (more than the capacity, or more than 256 bytes).
// What the user is told when a text needs more bytes than its destination
// holds (kKeyTooLong): "Input too long. The maximum allowed size for this
// input is " + capacity + " characters (bytes)."
std::string KeySequenceTooLongText(std::size_t capacity);

int ParseKeySequence(std::string_view text, std::span<std::uint8_t> destination,
                     bool allowWildcards, bool allowDelay);

// The whole text must be one token; the empty text gives 0xFF.
std::optional<std::uint8_t> ParseKeyByte(std::string_view text, bool allowWildcards,
                                         bool allowDelay);

// One or two hexadecimal digits, blanks at both ends ignored.
std::optional<std::uint8_t> ParseHexByte(std::string_view text);

// Text of a stored sequence; the first 0xFF ends it.
std::string FormatKeySequence(std::span<const std::uint8_t> bytes);

// Text of one stored key byte; 0xFF gives the empty text.
std::string FormatKeyByte(std::uint8_t byte, bool allowDelay);

}  // namespace magtune::dataedit
