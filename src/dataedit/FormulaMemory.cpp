#include "dataedit/FormulaMemory.h"

#include <algorithm>
#include <utility>

#include "dataedit/KeyNotation.h"

namespace magtune::dataedit {

namespace {

namespace Code {
constexpr std::uint8_t InputIds = 0xC1;
constexpr std::uint8_t Length = 0xC2;
constexpr std::uint8_t Match = 0xC3;
constexpr std::uint8_t Piece = 0xC4;
constexpr std::uint8_t String = 0xC5;
constexpr std::uint8_t AnyPosition = 0xC6;
constexpr std::uint8_t LastPosition = 0xC7;
constexpr std::uint8_t End = 0xC8;
constexpr std::uint8_t Minus = 0x2D;
constexpr std::uint8_t Plus = 0x2B;
}  // namespace Code

// A string longer than the whole memory can never fit; the limit only
// bounds the conversion.
constexpr std::size_t kCompileStringCapacity = 160;
constexpr std::uint8_t kMaxInputId = 27;
constexpr std::uint8_t kMaxNumber = 127;

// ---- compiling ----

bool appendString(std::vector<std::uint8_t>& out, const std::string& text, bool allowWildcards,
                  bool allowDelay) {
    std::array<std::uint8_t, kCompileStringCapacity> bytes{};
    const int count = ParseKeySequence(text, bytes, allowWildcards, allowDelay);
    if (count < 0) {
        return false;
    }
    out.push_back(Code::String);
    out.insert(out.end(), bytes.begin(), bytes.begin() + count);
    out.push_back(Code::String);
    return true;
}

void appendLastPosition(std::vector<std::uint8_t>& out, const PositionOffset& minus) {
    out.push_back(Code::LastPosition);
    if (!minus.absent && minus.sign == OffsetSign::Minus) {
        out.push_back(Code::Minus);
        out.push_back(minus.value);
    }
}

bool appendSpec(std::vector<std::uint8_t>& out, const PositionSpec& spec) {
    switch (spec.kind) {
        case SpecKind::Number:
            out.push_back(spec.number);
            return true;
        case SpecKind::LastPosition:
            appendLastPosition(out, spec.offset);
            return true;
        case SpecKind::AfterMatch:
            if (!appendString(out, spec.matchString, true, false)) {
                return false;
            }
            if (!spec.offset.absent) {
                out.push_back(spec.offset.sign == OffsetSign::Plus ? Code::Plus : Code::Minus);
                out.push_back(spec.offset.value);
            }
            return true;
        default:
            return true;
    }
}

bool appendMatch(std::vector<std::uint8_t>& out, const MatchQualifier& match) {
    switch (match.kind) {
        case MatchKind::AtPosition:
            out.push_back(match.position);
            break;
        case MatchKind::AnyPosition:
            out.push_back(Code::AnyPosition);
            break;
        case MatchKind::LastPosition:
            appendLastPosition(out, match.lastMinus);
            break;
        default:
            break;
    }
    return appendString(out, match.matchString, true, false);
}

bool appendOutput(std::vector<std::uint8_t>& out, const OutputString& output) {
    switch (output.kind) {
        case OutputKind::FromOriginal:
            out.push_back(Code::Piece);
            return appendSpec(out, output.start) && appendSpec(out, output.end);
        case OutputKind::Literal:
            return appendString(out, output.literal, false, true);
        default:
            return true;
    }
}

// ---- decoding ----

// How one byte inside a string reads back. The two tables differ from the
// notation's formatter: a match string shows 0x08 in hexadecimal and 0xC6 /
// 0xC7 as its wildcards; a literal shows 0xC6 as the delay.
std::string stringByteText(std::uint8_t b, bool matchString) {
    switch (b) {
        case 0x08:
            return matchString ? "<08>" : "<b>";
        case 0xC6:
            return matchString ? "<d>" : "<*>";
        case 0xC7:
            return matchString ? "<a>" : "<C7>";
        case 0xFF:
            return "<FF>";
        default:
            // FormatKeyByte without the delay code agrees with both tables
            // for every other byte that may stand in a string.
            return FormatKeyByte(b, false);
    }
}

class FormulaDecoder {
  public:
    explicit FormulaDecoder(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::optional<Formula> decode() {
        Formula formula;
        int phase = 0;
        while (true) {
            const auto code = peek();
            if (!code) {
                return std::nullopt;
            }
            bool ok = false;
            switch (*code) {
                case Code::End:
                    // The formula ends at its 0xC8; the caller hands over
                    // exactly one formula.
                    if (phase == 0 || at_ + 1 != bytes_.size()) {
                        return std::nullopt;
                    }
                    formula.empty = false;
                    return formula;
                case Code::InputIds:
                    ok = phase < 1 && readInputIds(formula);
                    phase = 1;
                    break;
                case Code::Length:
                    ok = phase < 2 && readLength(formula);
                    phase = 2;
                    break;
                case Code::Match:
                    ok = phase < 3 && readMatches(formula);
                    phase = 3;
                    break;
                case Code::Piece:
                    ok = readPiece(formula);
                    phase = 4;
                    break;
                case Code::String:
                    ok = readLiteral(formula);
                    phase = 4;
                    break;
                default:
                    break;
            }
            if (!ok) {
                return std::nullopt;
            }
        }
    }

  private:
    std::optional<std::uint8_t> peek() const {
        if (at_ >= bytes_.size()) {
            return std::nullopt;
        }
        return bytes_[at_];
    }
    std::optional<std::uint8_t> take() {
        auto b = peek();
        if (b) {
            ++at_;
        }
        return b;
    }
    static bool isNumber(std::uint8_t b) { return b >= 1 && b <= kMaxNumber; }

    bool readInputIds(Formula& formula) {
        ++at_;
        bool any = false;
        while (peek() && *peek() <= kMaxInputId) {
            formula.inputIds[*take()] = 1;
            any = true;
        }
        return any;
    }

    bool readLength(Formula& formula) {
        ++at_;
        const auto min = take();
        const auto max = take();
        if (!min || !max || !isNumber(*min) || !isNumber(*max) || *max < *min) {
            return false;
        }
        formula.minLength = *min;
        formula.maxLength = *max;
        return true;
    }

    // After 0xC7: an optional 0x2D with its count, which must fit 0..127.
    bool readMinusCount(PositionOffset& offset) {
        if (peek() != Code::Minus) {
            return true;
        }
        ++at_;
        return readCount(offset, OffsetSign::Minus);
    }
    bool readCount(PositionOffset& offset, std::int32_t sign) {
        const auto n = take();
        if (!n || *n > kMaxNumber) {
            return false;
        }
        offset = {false, sign, *n};
        return true;
    }

    // The bytes after an opening 0xC5 up to the closing one.
    bool readString(std::string& text, bool matchString) {
        while (true) {
            const auto b = take();
            if (!b || *b == Code::Piece || *b == Code::End) {
                return false;
            }
            if (*b == Code::String) {
                return !text.empty();
            }
            text += stringByteText(*b, matchString);
        }
    }

    bool readMatches(Formula& formula) {
        ++at_;
        while (true) {
            const auto b = peek();
            if (!b) {
                return false;
            }
            MatchQualifier match;
            match.empty = false;
            if (*b == Code::AnyPosition) {
                match.kind = MatchKind::AnyPosition;
                ++at_;
            } else if (isNumber(*b)) {
                match.kind = MatchKind::AtPosition;
                match.position = *b;
                ++at_;
            } else if (*b == Code::LastPosition) {
                match.kind = MatchKind::LastPosition;
                ++at_;
                if (!readMinusCount(match.lastMinus)) {
                    return false;
                }
            } else {
                return !formula.matches.empty();
            }
            if (take() != Code::String || !readString(match.matchString, true)) {
                return false;
            }
            formula.matches.push_back(std::move(match));
        }
    }

    bool readSpec(PositionSpec& spec) {
        const auto b = take();
        if (!b) {
            return false;
        }
        spec.empty = false;
        if (isNumber(*b)) {
            spec.kind = SpecKind::Number;
            spec.number = *b;
            return true;
        }
        if (*b == Code::String) {
            spec.kind = SpecKind::AfterMatch;
            if (!readString(spec.matchString, true)) {
                return false;
            }
            const auto sign = peek();
            if (sign == Code::Plus || sign == Code::Minus) {
                ++at_;
                return readCount(spec.offset,
                                 sign == Code::Plus ? OffsetSign::Plus : OffsetSign::Minus);
            }
            return true;
        }
        if (*b == Code::LastPosition) {
            spec.kind = SpecKind::LastPosition;
            return readMinusCount(spec.offset);
        }
        return false;
    }

    bool readPiece(Formula& formula) {
        ++at_;
        OutputString output;
        output.empty = false;
        output.kind = OutputKind::FromOriginal;
        if (!readSpec(output.start) || !readSpec(output.end)) {
            return false;
        }
        formula.outputs.push_back(std::move(output));
        return true;
    }

    bool readLiteral(Formula& formula) {
        ++at_;
        OutputString output;
        output.empty = false;
        output.kind = OutputKind::Literal;
        if (!readString(output.literal, false)) {
            return false;
        }
        formula.outputs.push_back(std::move(output));
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

}  // namespace

int CompileFormula(const Formula& formula, int free, std::vector<std::uint8_t>& out) {
    out.clear();
    for (int id = 0; id < kInputIdCount; ++id) {
        if (formula.inputIds[id] == 1) {
            if (out.empty()) {
                out.push_back(Code::InputIds);
            }
            out.push_back(static_cast<std::uint8_t>(id));
        }
    }
    if (formula.minLength != 0 && formula.maxLength != 0) {
        out.insert(out.end(), {Code::Length, formula.minLength, formula.maxLength});
    }
    const auto tooLong = [&out, free] { return std::cmp_greater(out.size(), free); };
    if (!formula.matches.empty()) {
        out.push_back(Code::Match);
        for (const MatchQualifier& match : formula.matches) {
            // A string that does not convert cannot be stored either; the
            // dialogs refuse such strings before they get here.
            if (!appendMatch(out, match) || tooLong()) {
                return -1;
            }
        }
    }
    for (const OutputString& output : formula.outputs) {
        if (!appendOutput(out, output) || tooLong()) {
            return -1;
        }
    }
    out.push_back(Code::End);
    if (tooLong()) {
        return -1;
    }
    return static_cast<int>(out.size());
}

bool CompileFormulas(const FormulaList& list, FormulaMemory& target, common::Prompter& prompter) {
    target.fill(0xFF);
    std::size_t used = 0;
    std::vector<std::uint8_t> bytes;
    for (const Formula& formula : list) {
        const int count =
            CompileFormula(formula, static_cast<int>(kFormulaMemorySize - used), bytes);
        if (count < 0) {
            prompter.warning(
                "Memory space for data editing is full. "
                "Please reduce formulas or shorten formula expressions.");
            return false;
        }
        std::copy(bytes.begin(), bytes.end(), target.begin() + used);
        used += bytes.size();
    }
    return true;
}

std::optional<Formula> DecodeFormula(std::span<const std::uint8_t> bytes) {
    return FormulaDecoder(bytes).decode();
}

std::size_t UnreadFormulaCount(const FormulaMemory& memory) {
    std::size_t unread = 0;
    std::size_t start = 0;
    for (std::size_t b = 0; b < memory.size(); ++b) {
        if (memory[b] == Code::End) {
            unread += DecodeFormula(std::span(memory).subspan(start, b - start + 1)) ? 0 : 1;
            start = b + 1;
        }
    }
    return unread;
}

void LoadFormulas(const FormulaMemory& memory, FormulaList& formulas, common::Prompter& prompter) {
    formulas.clear();
    bool failed = false;
    std::size_t start = 0;
    for (std::size_t b = 0; b < memory.size(); ++b) {
        if (memory[b] != Code::End) {
            continue;
        }
        auto formula = DecodeFormula(std::span(memory).subspan(start, b - start + 1));
        if (formula) {
            formulas.push_back(std::move(*formula));
        } else {
            failed = true;
        }
        start = b + 1;
    }
    if (failed) {
        prompter.warning(formulas.empty()
                             ? "Error occurred while loading data editing, no formula is read."
                             : "Error occurred while loading data editing, not all formulas are "
                               "read.");
    }
}

}  // namespace magtune::dataedit
