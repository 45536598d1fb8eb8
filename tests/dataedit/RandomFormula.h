#pragma once

#include <array>
#include <random>
#include <string>
#include <vector>

#include "dataedit/Formula.h"
#include "dataedit/OutputSpecCheck.h"

namespace magtune::test {

// Random formulas in the form that the dialogs and the memory decoder
// produce. With decoderStrings, strings are written the way the decoder
// writes them back, so a compiled formula decodes to an equal one; without,
// any valid spelling is used ("<41>", "< 5 >", "é").
class RandomFormula {
  public:
    RandomFormula(std::mt19937& rng, bool decoderStrings) : rng_(rng), decoder_(decoderStrings) {}

    dataedit::Formula next() {
        dataedit::Formula f;
        f.empty = false;
        if (chance(2)) {
            for (int n = pick(1, 3); n > 0; --n) {
                f.inputIds[pick(0, dataedit::kInputIdCount - 1)] = 1;
            }
        }
        if (chance(2)) {
            f.minLength = static_cast<std::uint8_t>(pick(1, 127));
            f.maxLength = static_cast<std::uint8_t>(pick(f.minLength, 127));
        }
        if (chance(2)) {
            for (int n = pick(1, 3); n > 0; --n) {
                f.matches.push_back(match());
            }
        }
        for (int n = pick(0, 3); n > 0; --n) {
            f.outputs.push_back(output());
        }
        if (f.matches.empty() && f.outputs.empty() && f.minLength == 0) {
            f.inputIds[27] = 1;
        }
        return f;
    }

  private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool chance(int oneIn) { return pick(1, oneIn) == 1; }
    std::uint8_t number() { return static_cast<std::uint8_t>(pick(1, 127)); }
    dataedit::PositionOffset offset(std::int32_t sign) {
        return {false, sign, static_cast<std::uint8_t>(pick(0, 127))};
    }

    std::string text(bool matchString) {
        static const std::vector<std::string> common = {
            "A",    "z",    "0",    "9",    " ",    "~",    ",",   "+",
            "-",    "'",    "<t>",  "<n>",  "<r>",  "<\">", "<<>", "<>>",
            "<00>", "<1F>", "<7F>", "<80>", "<C1>", "<E9>", "<FF>"};
        static const std::vector<std::string> matchOnly = {"<d>", "<a>", "<08>"};
        static const std::vector<std::string> literalOnly = {"<b>", "<*>", "<C7>"};
        static const std::vector<std::string> spellings = {"<41>", "< 5 >", "<D>", "<B>",
                                                           "<c>",  "é",     "€",   "<2c>"};
        const auto& own = matchString ? matchOnly : literalOnly;
        std::string s;
        for (int n = pick(1, 5); n > 0; --n) {
            const int kind = pick(0, decoder_ ? 3 : 4);
            if (kind == 0) {
                s += own[pick(0, static_cast<int>(own.size()) - 1)];
            } else if (kind == 4) {
                s += spellings[pick(0, static_cast<int>(spellings.size()) - 1)];
            } else {
                s += common[pick(0, static_cast<int>(common.size()) - 1)];
            }
        }
        return s;
    }

    dataedit::MatchQualifier match() {
        dataedit::MatchQualifier m;
        m.empty = false;
        m.kind = pick(1, 3);
        if (m.kind == dataedit::MatchKind::AtPosition) {
            m.position = number();
        } else if (m.kind == dataedit::MatchKind::LastPosition && chance(2)) {
            m.lastMinus = offset(dataedit::OffsetSign::Minus);
        }
        m.matchString = text(true);
        return m;
    }

    dataedit::PositionSpec spec() {
        dataedit::PositionSpec s;
        s.empty = false;
        s.kind = pick(1, 3);
        if (s.kind == dataedit::SpecKind::Number) {
            s.number = number();
        } else if (s.kind == dataedit::SpecKind::LastPosition) {
            if (chance(2)) {
                s.offset = offset(dataedit::OffsetSign::Minus);
            }
        } else {
            s.matchString = text(true);
            if (chance(2)) {
                s.offset = offset(pick(dataedit::OffsetSign::Plus, dataedit::OffsetSign::Minus));
            }
        }
        return s;
    }

    dataedit::OutputString output() {
        dataedit::OutputString o;
        o.empty = false;
        if (chance(2)) {
            o.kind = dataedit::OutputKind::Literal;
            o.literal = text(false);
            return o;
        }
        o.kind = dataedit::OutputKind::FromOriginal;
        o.start = spec();
        o.end = spec();
        if (dataedit::CheckOutputSpec(o)) {
            o.end.number = 44;  // a count the reader cannot take for a sign
        }
        return o;
    }

    std::mt19937& rng_;
    bool decoder_;
};

}  // namespace magtune::test
