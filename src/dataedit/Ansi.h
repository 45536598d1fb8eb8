#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace magtune::dataedit {

// Texts in the program are UTF-8; the reader stores single bytes of the
// Windows ANSI code page (Windows-1252). These two functions are the only
// place where the two meet.

// One byte per character of the UTF-8 text. A character that Windows-1252
// cannot represent becomes '?', as the Windows conversion does; a malformed
// UTF-8 byte is taken as the Windows-1252 character of the same value.
std::vector<std::uint8_t> AnsiFromText(std::string_view text);

// The UTF-8 text of Windows-1252 bytes (the five undefined bytes map to the
// control characters of the same value).
std::string TextFromAnsi(const std::vector<std::uint8_t>& bytes);
std::string TextFromAnsiByte(std::uint8_t byte);

// The characters of a UTF-8 text, each as its own UTF-8 string (positions in
// the notation count characters, not bytes).
std::vector<std::string> SplitCharacters(std::string_view text);

}  // namespace magtune::dataedit
