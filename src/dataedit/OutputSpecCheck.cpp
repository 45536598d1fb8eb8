#include "dataedit/OutputSpecCheck.h"

#include <algorithm>
#include <array>

#include "dataedit/KeyNotation.h"

namespace magtune::dataedit {

namespace {

constexpr std::uint8_t kPlusByte = 0x2B;
constexpr std::uint8_t kMinusByte = 0x2D;

}  // namespace

std::optional<std::string> CheckOutputSpec(const OutputString& output) {
    if (output.kind != OutputKind::FromOriginal || output.end.kind != SpecKind::Number) {
        return std::nullopt;
    }
    const PositionSpec& start = output.start;
    const std::uint8_t count = output.end.number;
    if (start.kind == SpecKind::LastPosition && count == kMinusByte &&
        (start.offset.absent || start.offset.sign != OffsetSign::Minus)) {
        return "The number of characters to output cannot be 45 after \"From Last Position\" "
               "without \"Minus\": the reader would take it for the minus value.";
    }
    if (start.kind == SpecKind::AfterMatch && start.offset.absent &&
        (count == kPlusByte || count == kMinusByte)) {
        return "The number of characters to output cannot be 43 or 45 after \"After Matching\" "
               "without \"Use Offset\": the reader would take it for an offset.";
    }
    return std::nullopt;
}

bool IsFormulaDelimiterByte(std::uint8_t byte) {
    return byte == 0xC4 || byte == 0xC5 || byte == 0xC8;
}

std::optional<std::string> CheckFormulaString(std::string_view text, bool allowWildcards,
                                              bool allowDelay) {
    std::array<std::uint8_t, 256> bytes{};
    const int count = ParseKeySequence(text, bytes, allowWildcards, allowDelay);
    if (count > 0 && std::any_of(bytes.begin(), bytes.begin() + count, IsFormulaDelimiterByte)) {
        return "The codes <C4>, <C5> and <C8> cannot be used in a formula string: the reader "
               "uses them to separate the parts of a formula.";
    }
    return std::nullopt;
}

}  // namespace magtune::dataedit
