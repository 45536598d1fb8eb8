#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/Prompter.h"
#include "dataedit/Formula.h"

namespace magtune::dataedit {

inline constexpr std::size_t kFormulaMemorySize = 158;
using FormulaMemory = std::array<std::uint8_t, kFormulaMemorySize>;

// Encodes one formula, its closing 0xC8 included. Returns the byte count, or
// -1 when it would need more than `free` bytes (then `out` is unspecified).
int CompileFormula(const Formula& formula, int free, std::vector<std::uint8_t>& out);

// Fills the 158-byte target with the whole list (0xFF after the last
// formula). When the list does not fit, shows the memory-full message and
// returns false; the caller discards the target.
bool CompileFormulas(const FormulaList& list, FormulaMemory& target, common::Prompter& prompter);

// Decodes one formula: the bytes up to and including its 0xC8.
std::optional<Formula> DecodeFormula(std::span<const std::uint8_t> bytes);

// Rebuilds the list from the memory, skipping formulas that do not decode
// and reporting them with one of the two load messages.
// How many formulas of the memory (bytes up to an 0xC8) cannot be decoded.
// LoadFormulas leaves them out of the list; the next compile drops them.
std::size_t UnreadFormulaCount(const FormulaMemory& memory);

void LoadFormulas(const FormulaMemory& memory, FormulaList& formulas, common::Prompter& prompter);

}  // namespace magtune::dataedit
