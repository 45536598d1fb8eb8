#include "dataedit/FormulaTextReader.h"

#include <vector>

#include "dataedit/Ansi.h"
#include "dataedit/KeyNotation.h"
#include "dataedit/OutputSpecCheck.h"
#include "dataedit/QuotedKeyText.h"

namespace magtune::dataedit {

namespace {

// The dialogs take strings of at most this many bytes.
constexpr std::size_t kMaxStringBytes = 158;
constexpr int kMaxNumber = 127;
// Enough to tell "LEN,10," from "MATCH,1," without repeating a long string.
constexpr std::size_t kMaxContext = 24;

class FormulaTextParser {
  public:
    explicit FormulaTextParser(std::string_view text) : chars_(SplitCharacters(text)) {}

    FormulaTextResult read() {
        FormulaTextResult result;
        Formula formula;
        if (readFormula(formula)) {
            result.formula = std::move(formula);
        } else {
            result.errorPosition = errorIndex_ + 1;
            result.error = error_ + AtPosition(errorIndex_);
        }
        return result;
    }

  private:
    enum Phase { Nothing, InputIds, Length, Matches, Outputs };

    bool readFormula(Formula& formula) {
        formula.empty = false;
        Phase phase = Nothing;
        if (at("IN_ID,")) {
            if (!readInputIds(formula)) {
                return false;
            }
            phase = InputIds;
        }
        if (at("LEN,")) {
            if (!readLength(formula)) {
                return false;
            }
            phase = Length;
        }
        if (at("MATCH,")) {
            if (!readMatches(formula)) {
                return false;
            }
            phase = Matches;
        }
        while (at("\"") || at("O-STR,")) {
            itemStart_ = i_;
            OutputString output;
            if (!readOutput(output) || !comma()) {
                return false;
            }
            formula.outputs.push_back(std::move(output));
            phase = Outputs;
        }
        if (!at("ENTER")) {
            return fail(i_, "expected " + expectedAfter(phase));
        }
        if (phase == Nothing) {
            // A formula without any section does not load from memory.
            return fail(i_,
                        "a formula needs an input id, length, match or output before \"ENTER\"");
        }
        i_ += 5;
        if (i_ < chars_.size()) {
            return fail(i_, "unexpected text after \"ENTER\"");
        }
        return true;
    }

    static std::string expectedAfter(Phase phase) {
        switch (phase) {
            case Nothing:
                return "\"IN_ID,\", \"LEN,\", \"MATCH,\", an output or \"ENTER\"";
            case InputIds:
                return "an input id, \"LEN,\", \"MATCH,\", an output or \"ENTER\"";
            case Length:
                return "\"MATCH,\", an output or \"ENTER\"";
            case Matches:
                return "a match, an output or \"ENTER\"";
            case Outputs:
                break;
        }
        return "an output or \"ENTER\"";
    }

    bool readInputIds(Formula& formula) {
        itemStart_ = i_;
        i_ += 6;
        int previous = -1;
        do {
            const std::size_t start = i_;
            int id = 0;
            if (!number("the input id", 0, kInputIdCount - 1, id)) {
                return false;
            }
            if (id <= previous) {
                return fail(start, "input ids must rise: " + std::to_string(id) + " after " +
                                       std::to_string(previous));
            }
            if (!comma()) {
                return false;
            }
            formula.inputIds[id] = 1;
            previous = id;
        } while (digitAt());
        return true;
    }

    bool readLength(Formula& formula) {
        itemStart_ = i_;
        i_ += 4;
        int min = 0;
        int max = 0;
        if (!number("the minimum length", 1, kMaxNumber, min) || !comma()) {
            return false;
        }
        const std::size_t maxStart = i_;
        if (!number("the maximum length", 1, kMaxNumber, max)) {
            return false;
        }
        if (max < min) {
            return fail(maxStart, "the maximum length " + std::to_string(max) +
                                      " is less than the minimum length " + std::to_string(min));
        }
        formula.minLength = static_cast<std::uint8_t>(min);
        formula.maxLength = static_cast<std::uint8_t>(max);
        return comma();
    }

    bool startsMatch() const { return digitAt() || at("<*>") || at("<#>"); }

    bool readMatches(Formula& formula) {
        itemStart_ = i_;
        i_ += 6;
        if (!startsMatch()) {
            return fail(i_, "expected a match after " + context());
        }
        while (startsMatch()) {
            itemStart_ = i_;
            MatchQualifier match;
            match.empty = false;
            if (digitAt()) {
                int position = 0;
                if (!number("the position", 1, kMaxNumber, position)) {
                    return false;
                }
                match.kind = MatchKind::AtPosition;
                match.position = static_cast<std::uint8_t>(position);
            } else if (at("<*>")) {
                i_ += 3;
                match.kind = MatchKind::AnyPosition;
            } else {
                i_ += 3;
                match.kind = MatchKind::LastPosition;
                if (!minusValue(match.lastMinus)) {
                    return false;
                }
            }
            if (!comma() || !string(match.matchString, true, false) || !comma()) {
                return false;
            }
            formula.matches.push_back(std::move(match));
        }
        return true;
    }

    bool readOutput(OutputString& output) {
        output.empty = false;
        if (at("\"")) {
            output.kind = OutputKind::Literal;
            return string(output.literal, false, true);
        }
        i_ += 6;
        output.kind = OutputKind::FromOriginal;
        if (!spec(output.start, "the start position") || !comma()) {
            return false;
        }
        const std::size_t endStart = i_;
        if (!spec(output.end, "the number of characters")) {
            return false;
        }
        if (auto problem = CheckOutputSpec(output)) {
            // The check speaks in sentences for the dialogs.
            if (!problem->empty() && problem->back() == '.') {
                problem->pop_back();
            }
            return fail(endStart, *problem);
        }
        return true;
    }

    bool spec(PositionSpec& spec, const char* numberName) {
        spec.empty = false;
        if (digitAt()) {
            int value = 0;
            if (!number(numberName, 1, kMaxNumber, value)) {
                return false;
            }
            spec.kind = SpecKind::Number;
            spec.number = static_cast<std::uint8_t>(value);
            return true;
        }
        if (at("<#>")) {
            i_ += 3;
            spec.kind = SpecKind::LastPosition;
            return minusValue(spec.offset);
        }
        if (at("\"")) {
            spec.kind = SpecKind::AfterMatch;
            if (!string(spec.matchString, true, false)) {
                return false;
            }
            if (at("+") || at("-")) {
                const std::int32_t sign = at("+") ? OffsetSign::Plus : OffsetSign::Minus;
                ++i_;
                int value = 0;
                if (!number("the offset", 0, kMaxNumber, value)) {
                    return false;
                }
                spec.offset = {false, sign, static_cast<std::uint8_t>(value)};
            }
            return true;
        }
        return fail(i_, "expected a number, \"<#>\" or a quoted string after " + context());
    }

    // After "<#>": an optional "-" with the count.
    bool minusValue(PositionOffset& offset) {
        if (!at("-")) {
            return true;
        }
        ++i_;
        int value = 0;
        if (!number("the minus value", 0, kMaxNumber, value)) {
            return false;
        }
        offset = {false, OffsetSign::Minus, static_cast<std::uint8_t>(value)};
        return true;
    }

    bool string(std::string& text, bool allowWildcards, bool allowDelay) {
        if (!at("\"")) {
            return fail(i_, "expected a quoted string after " + context());
        }
        const QuotedKeyText quoted = ReadQuotedKeyText(chars_, i_, allowWildcards, allowDelay);
        if (!quoted.ok) {
            return fail(quoted.errorIndex, quoted.error);
        }
        if (quoted.bytes.empty()) {
            return fail(i_, "the string is empty");
        }
        if (quoted.bytes.size() > kMaxStringBytes) {
            return fail(quoted.byteAt[kMaxStringBytes], KeySequenceTooLongText(kMaxStringBytes));
        }
        for (std::size_t k = 0; k < quoted.bytes.size(); ++k) {
            if (IsFormulaDelimiterByte(quoted.bytes[k])) {
                return fail(quoted.byteAt[k],
                            "a formula string cannot hold <C4>, <C5> or <C8>: they separate the "
                            "parts of a formula");
            }
        }
        text = quoted.text;
        i_ = quoted.next;
        return true;
    }

    bool number(const std::string& name, int min, int max, int& value) {
        if (!digitAt()) {
            return fail(i_, "expected " + name + " after " + context());
        }
        const std::size_t start = i_;
        std::string digits;
        while (digitAt()) {
            digits += chars_[i_++];
        }
        // Anything longer is out of range anyway; this keeps the value small.
        value = digits.size() > 4 ? 99999 : std::stoi(digits);
        if (value < min || value > max) {
            return fail(start, name + " " + digits + " is out of range (" + std::to_string(min) +
                                   " to " + std::to_string(max) + ")");
        }
        return true;
    }

    bool comma() {
        if (!at(",")) {
            return fail(i_, "expected \",\" after " + context());
        }
        ++i_;
        return true;
    }

    // The text of the current item read so far, quoted for a message.
    std::string context() const {
        std::string text;
        const std::size_t from = i_ - itemStart_ > kMaxContext ? i_ - kMaxContext : itemStart_;
        for (std::size_t k = from; k < i_; ++k) {
            text += chars_[k];
        }
        return (from > itemStart_ ? "\"..." : "\"") + text + "\"";
    }

    bool at(std::string_view word) const {
        if (i_ + word.size() > chars_.size()) {
            return false;
        }
        for (std::size_t k = 0; k < word.size(); ++k) {
            if (chars_[i_ + k].size() != 1 || chars_[i_ + k][0] != word[k]) {
                return false;
            }
        }
        return true;
    }

    bool digitAt() const {
        return i_ < chars_.size() && chars_[i_].size() == 1 && chars_[i_][0] >= '0' &&
               chars_[i_][0] <= '9';
    }

    bool fail(std::size_t index, std::string message) {
        errorIndex_ = index;
        error_ = std::move(message);
        return false;
    }

    std::vector<std::string> chars_;
    std::size_t i_ = 0;
    std::size_t itemStart_ = 0;
    std::size_t errorIndex_ = 0;
    std::string error_;
};

}  // namespace

FormulaTextResult ReadFormulaText(std::string_view text) {
    return FormulaTextParser(text).read();
}

}  // namespace magtune::dataedit
