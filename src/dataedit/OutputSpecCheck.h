#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dataedit/Formula.h"

namespace magtune::dataedit {

// Checks of formula parts that the memory encoding would store but the
// reader would read back as something else. The dialogs call them before
// they accept a part; the formula text reader refuses what they refuse.

// An end "Number Of Characters To Output" of 45 (the byte of "-") after a
// start "From Last Position" without "Minus", or of 43 or 45 ("+", "-")
// after a start "After Matching" without "Use Offset", is read as an offset
// of the start. Returns the message for the user, or nothing when the
// output is safe.
std::optional<std::string> CheckOutputSpec(const OutputString& output);

// The codes that separate the parts of a formula in memory: 0xC4, 0xC5
// and 0xC8.
bool IsFormulaDelimiterByte(std::uint8_t byte);

// A match string, or a literal output string, that converts to one of the
// delimiter bytes. Returns the message for the user, or nothing (texts with
// bad notation are the input dialog's to refuse, not this check's).
std::optional<std::string> CheckFormulaString(std::string_view text, bool allowWildcards,
                                              bool allowDelay);

}  // namespace magtune::dataedit
