#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace magtune::dataedit {

// Kinds of the formula records. They are plain numbers because a fresh
// record has kind 0, which is none of the named kinds.
namespace MatchKind {
inline constexpr std::int32_t AtPosition = 1;
inline constexpr std::int32_t AnyPosition = 2;
inline constexpr std::int32_t LastPosition = 3;
}  // namespace MatchKind

namespace SpecKind {
inline constexpr std::int32_t Number = 1;  // "From Position" / "Number Of Characters To Output"
inline constexpr std::int32_t LastPosition = 2;  // "From Last Position" / "All Remaining"
inline constexpr std::int32_t AfterMatch = 3;    // "After Matching"
}  // namespace SpecKind

namespace OutputKind {
inline constexpr std::int32_t FromOriginal = 1;
inline constexpr std::int32_t Literal = 2;  // "Add New"
}  // namespace OutputKind

namespace OffsetSign {
inline constexpr std::int32_t Plus = 1;
inline constexpr std::int32_t Minus = 2;
}  // namespace OffsetSign

inline constexpr int kInputIdCount = 28;

struct PositionOffset {
    bool absent = true;
    std::int32_t sign = 0;
    std::uint8_t value = 0;
    bool operator==(const PositionOffset&) const = default;
};

struct MatchQualifier {
    bool empty = true;
    std::int32_t kind = 0;
    std::uint8_t position = 0;
    PositionOffset lastMinus;
    std::string matchString;
    bool operator==(const MatchQualifier&) const = default;
};

struct PositionSpec {
    bool empty = true;
    std::int32_t kind = 0;
    std::uint8_t number = 0;
    std::string matchString;
    PositionOffset offset;
    bool operator==(const PositionSpec&) const = default;
};

struct OutputString {
    bool empty = true;
    std::int32_t kind = 0;
    std::string literal;
    PositionSpec start;
    PositionSpec end;
    bool operator==(const OutputString&) const = default;
};

struct Formula {
    bool empty = true;
    std::array<std::uint8_t, kInputIdCount> inputIds{};
    std::uint8_t minLength = 0;
    std::uint8_t maxLength = 0;
    std::vector<MatchQualifier> matches;
    std::vector<OutputString> outputs;
    bool operator==(const Formula&) const = default;
};

using FormulaList = std::vector<Formula>;

// Which build offers an input id in the formula dialog.
enum class InputIdOffer { Barcode, MagneticStripe, Always };

struct InputIdInfo {
    int id;
    const char* text;
    InputIdOffer offer;
};

// The input sources by id, in table order (ids 23, 25 and 26 have no row).
extern const std::array<InputIdInfo, 25> InputIdTable;

// The rows that this build (the magnetic stripe edition) offers: 20, 21, 22, 24, 27.
std::vector<InputIdInfo> OfferedInputIds();

// One-line texts, as the formula dialog lists parts and the property list
// shows formulas. FormulaText of a formula whose empty flag is set is empty.
std::string MatchText(const MatchQualifier& match);
std::string OutputText(const OutputString& output);
std::string FormulaText(const Formula& formula);

}  // namespace magtune::dataedit
