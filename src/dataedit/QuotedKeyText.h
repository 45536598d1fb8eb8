#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace magtune::dataedit {

// A key-notation text between quotation marks inside a one-line text (a
// formula or a track sequence). The notation's own "<">" token holds a
// quotation mark, so the closing mark is found token by token, the way
// ParseKeySequence splits a text.
struct QuotedKeyText {
    bool ok = false;
    std::string text;                 // as written between the marks
    std::vector<std::uint8_t> bytes;  // what the text converts to
    std::vector<std::size_t> byteAt;  // character index of the token of each byte
    std::size_t next = 0;             // index after the closing mark
    std::size_t errorIndex = 0;       // character index of the fault
    std::string error;                // without the position
};

// chars are the characters of the whole line; chars[open] is the opening
// quotation mark. Length limits are the caller's (byteAt locates them).
QuotedKeyText ReadQuotedKeyText(const std::vector<std::string>& chars, std::size_t open,
                                bool allowWildcards, bool allowDelay);

// " at position N" for a 0-based character index.
std::string AtPosition(std::size_t index);

}  // namespace magtune::dataedit
