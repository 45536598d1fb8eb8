#include <gtest/gtest.h>

#include <random>

#include "RandomFormula.h"
#include "dataedit/Formula.h"
#include "dataedit/FormulaTextReader.h"
#include "dataedit/OutputSpecCheck.h"

namespace magtune::dataedit {
namespace {

MatchQualifier match(std::int32_t kind, std::uint8_t position, const std::string& text,
                     PositionOffset lastMinus = {}) {
    return {false, kind, position, lastMinus, text};
}
PositionSpec number(std::uint8_t n) {
    return {false, SpecKind::Number, n, {}, {}};
}
PositionSpec last(PositionOffset minus = {}) {
    return {false, SpecKind::LastPosition, 0, {}, minus};
}
PositionSpec after(const std::string& text, PositionOffset offset = {}) {
    return {false, SpecKind::AfterMatch, 0, text, offset};
}
PositionOffset minus(std::uint8_t n) {
    return {false, OffsetSign::Minus, n};
}
PositionOffset plus(std::uint8_t n) {
    return {false, OffsetSign::Plus, n};
}
OutputString literal(const std::string& text) {
    return {false, OutputKind::Literal, text, {}, {}};
}
OutputString piece(PositionSpec start, PositionSpec end) {
    return {false, OutputKind::FromOriginal, {}, start, end};
}
Formula formula(std::initializer_list<int> ids, std::uint8_t min, std::uint8_t max,
                std::vector<MatchQualifier> matches, std::vector<OutputString> outputs) {
    Formula f;
    f.empty = false;
    for (int id : ids) {
        f.inputIds[id] = 1;
    }
    f.minLength = min;
    f.maxLength = max;
    f.matches = std::move(matches);
    f.outputs = std::move(outputs);
    return f;
}

TEST(FormulaText, InputIdTable) {
    std::vector<int> offered;
    for (const InputIdInfo& info : OfferedInputIds()) {
        offered.push_back(info.id);
    }
    EXPECT_EQ(offered, (std::vector<int>{20, 21, 22, 24, 27}));
    EXPECT_STREQ(InputIdTable[0].text, "Code 39 Full ASCII");
    EXPECT_STREQ(InputIdTable[23].text, "All MSR Input");
    EXPECT_EQ(InputIdTable[24].id, 27);
}

TEST(FormulaText, WritesTheOneLineForm) {
    struct Case {
        Formula formula;
        std::string text;
    };
    Formula unused = formula({21}, 1, 2, {}, {});
    unused.empty = true;
    const std::vector<Case> cases = {
        {formula({21}, 10, 40, {match(MatchKind::AtPosition, 1, "<d>")},
                 {literal("ID:"), piece(number(2), number(5))}),
         "IN_ID,21,LEN,10,40,MATCH,1,\"<d>\",\"ID:\",O-STR,2,5,ENTER"},
        {formula({20}, 0, 0, {}, {}), "IN_ID,20,ENTER"},
        {formula({0, 20, 27}, 0, 0, {}, {}), "IN_ID,0,20,27,ENTER"},
        {formula({}, 0, 0, {}, {}), "ENTER"},
        {unused, ""},
        {formula({}, 5, 0, {}, {literal("x")}), "\"x\",ENTER"},
        {formula({}, 0, 0, {match(MatchKind::LastPosition, 0, "AB", minus(2))}, {}),
         "MATCH,<#>-2,\"AB\",ENTER"},
        {formula({}, 0, 0, {match(MatchKind::LastPosition, 0, "AB")}, {}),
         "MATCH,<#>,\"AB\",ENTER"},
        {formula({}, 0, 0, {match(MatchKind::AnyPosition, 0, "<a>")}, {}),
         "MATCH,<*>,\"<a>\",ENTER"},
        {formula({}, 0, 0, {}, {piece(after("=", plus(1)), last(minus(1)))}),
         "O-STR,\"=\"+1,<#>-1,ENTER"},
        {formula({}, 0, 0, {}, {piece(last(), after("<d>", minus(0)))}),
         "O-STR,<#>,\"<d>\"-0,ENTER"},
        // Parts that are not filled in are left out of the text.
        {formula({}, 0, 0, {MatchQualifier{}, match(MatchKind::AtPosition, 3, "A")},
                 {OutputString{}, piece(number(1), PositionSpec{})}),
         "MATCH,3,\"A\",ENTER"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormulaText(c.formula), c.text);
    }
    EXPECT_EQ(MatchText(match(MatchKind::AtPosition, 3, "AB")), "3,\"AB\"");
    EXPECT_EQ(OutputText(literal("<*>")), "\"<*>\"");
    EXPECT_EQ(OutputText(OutputString{}), "");
}

TEST(FormulaText, ReadsTheOneLineForm) {
    const Formula expected = formula({21}, 10, 40, {match(MatchKind::AtPosition, 1, "<d>")},
                                     {literal("ID:"), piece(number(2), number(5))});
    const FormulaTextResult result =
        ReadFormulaText("IN_ID,21,LEN,10,40,MATCH,1,\"<d>\",\"ID:\",O-STR,2,5,ENTER");
    ASSERT_TRUE(result.formula.has_value()) << result.error;
    EXPECT_EQ(*result.formula, expected);

    struct Case {
        std::string text;
        Formula formula;
    };
    const std::vector<Case> cases = {
        {"LEN,5,5,ENTER", formula({}, 5, 5, {}, {})},
        {"IN_ID,007,ENTER", formula({7}, 0, 0, {}, {})},
        {"MATCH,<#>-0,\"<\">\",<*>,\"a\",ENTER",
         formula({}, 0, 0,
                 {match(MatchKind::LastPosition, 0, "<\">", minus(0)),
                  match(MatchKind::AnyPosition, 0, "a")},
                 {})},
        {"O-STR,<#>-0,45,ENTER", formula({}, 0, 0, {}, {piece(last(minus(0)), number(45))})},
        {"O-STR,\"=\"-1,43,ENTER",
         formula({}, 0, 0, {}, {piece(after("=", minus(1)), number(43))})},
        {"\"\xC3\xA9<41>< 5 >\",ENTER", formula({}, 0, 0, {}, {literal("\xC3\xA9<41>< 5 >")})},
        // The device reads a "<#>" match longer than its minus value plus one.
        {"MATCH,<#>,\"ABC\",ENTER",
         formula({}, 0, 0, {match(MatchKind::LastPosition, 0, "ABC")}, {})},
    };
    for (const Case& c : cases) {
        const FormulaTextResult read = ReadFormulaText(c.text);
        ASSERT_TRUE(read.formula.has_value()) << c.text << ": " << read.error;
        EXPECT_EQ(*read.formula, c.formula) << c.text;
    }
}

TEST(FormulaText, RefusesBadTextAtItsPosition) {
    struct Case {
        std::string text;
        std::size_t position;
        std::string error;
    };
    const std::string longLiteral = "\"" + std::string(159, 'x') + "\",ENTER";
    const std::vector<Case> cases = {
        {"", 1, "expected \"IN_ID,\", \"LEN,\", \"MATCH,\", an output or \"ENTER\" at position 1"},
        {"ENTER", 1,
         "a formula needs an input id, length, match or output before \"ENTER\" at position 1"},
        {"LEN,,5,ENTER", 5, "expected the minimum length after \"LEN,\" at position 5"},
        {"LEN,10,,ENTER", 8, "expected the maximum length after \"LEN,10,\" at position 8"},
        {"LEN,10,5,ENTER", 8,
         "the maximum length 5 is less than the minimum length 10 at position 8"},
        {"LEN,0,5,ENTER", 5, "the minimum length 0 is out of range (1 to 127) at position 5"},
        {"LEN,1,128,ENTER", 7, "the maximum length 128 is out of range (1 to 127) at position 7"},
        {"LEN,1,99999999999,ENTER", 7,
         "the maximum length 99999999999 is out of range (1 to 127) at position 7"},
        {"IN_ID,21,20,ENTER", 10, "input ids must rise: 20 after 21 at position 10"},
        {"IN_ID,21,21,ENTER", 10, "input ids must rise: 21 after 21 at position 10"},
        {"IN_ID,28,ENTER", 7, "the input id 28 is out of range (0 to 27) at position 7"},
        {"IN_ID,21ENTER", 9, "expected \",\" after \"IN_ID,21\" at position 9"},
        {"IN_ID,21,LEN,1,2,IN_ID,3,ENTER", 18,
         "expected \"MATCH,\", an output or \"ENTER\" at position 18"},
        {"MATCH,ENTER", 7, "expected a match after \"MATCH,\" at position 7"},
        {"MATCH,1,\"\",ENTER", 9, "the string is empty at position 9"},
        {"MATCH,1,A,ENTER", 9, "expected a quoted string after \"1,\" at position 9"},
        {"MATCH,0,\"A\",ENTER", 7, "the position 0 is out of range (1 to 127) at position 7"},
        {"MATCH,1,\"<*>\",ENTER", 10, "\"<*>\" is allowed only in output strings at position 10"},
        {"MATCH,1,\"AB,ENTER", 9, "the quotation mark is not closed at position 9"},
        {"MATCH,<#>-128,\"A\",ENTER", 11,
         "the minus value 128 is out of range (0 to 127) at position 11"},
        {"MATCH,<#>+1,\"A\",ENTER", 10, "expected \",\" after \"<#>\" at position 10"},
        {"\"<d>\",ENTER", 2, "\"<d>\" is allowed only in match strings at position 2"},
        {"\"\xC3\xA9<a>\",ENTER", 3, "\"<a>\" is allowed only in match strings at position 3"},
        {"\"A<C8>\",ENTER", 3,
         "a formula string cannot hold <C4>, <C5> or <C8>: they separate the parts of a formula "
         "at position 3"},
        {"MATCH,1,\"<c4>\",ENTER", 10,
         "a formula string cannot hold <C4>, <C5> or <C8>: they separate the parts of a formula "
         "at position 10"},
        {"\"<zz>\",ENTER", 2, "unknown key code \"<zz>\" at position 2"},
        {longLiteral, 160,
         "Input too long. The maximum allowed size for this input is 158 characters (bytes). at "
         "position 160"},
        {"O-STR,<#>,45,ENTER", 11,
         "The number of characters to output cannot be 45 after \"From Last Position\" without "
         "\"Minus\": the reader would take it for the minus value at position 11"},
        {"O-STR,\"=\",43,ENTER", 11,
         "The number of characters to output cannot be 43 or 45 after \"After Matching\" without "
         "\"Use Offset\": the reader would take it for an offset at position 11"},
        {"O-STR,1,ENTER", 9,
         "expected a number, \"<#>\" or a quoted string after \"O-STR,1,\" at "
         "position 9"},
        {"O-STR,<#>+1,5,ENTER", 10, "expected \",\" after \"O-STR,<#>\" at position 10"},
        {"O-STR,\"=\"+,5,ENTER", 11, "expected the offset after \"O-STR,\"=\"+\" at position 11"},
        {"\"A\"ENTER", 4, "expected \",\" after \"\"A\"\" at position 4"},
        {"IN_ID,1,ENTER,", 14, "unexpected text after \"ENTER\" at position 14"},
        {"enter", 1,
         "expected \"IN_ID,\", \"LEN,\", \"MATCH,\", an output or \"ENTER\" at position 1"},
        {"MATCH,1,\"ABCDEFGHIJKLMNOPQRSTUVWXYZ\"x", 37,
         "expected \",\" after \"...DEFGHIJKLMNOPQRSTUVWXYZ\"\" at position 37"},
    };
    for (const Case& c : cases) {
        const FormulaTextResult result = ReadFormulaText(c.text);
        EXPECT_FALSE(result.formula.has_value()) << c.text;
        EXPECT_EQ(result.errorPosition, c.position) << c.text;
        EXPECT_EQ(result.error, c.error) << c.text;
    }
}

TEST(FormulaText, OutputSpecCheck) {
    struct Case {
        OutputString output;
        bool refused;
    };
    const std::vector<Case> cases = {
        {piece(last(), number(45)), true},
        {piece(last(), number(43)), false},
        {piece(last(minus(1)), number(45)), false},
        {piece(last(plus(1)), number(45)), true},  // a plus offset is never written for "<#>"
        {piece(after("="), number(43)), true},
        {piece(after("="), number(45)), true},
        {piece(after("="), number(44)), false},
        {piece(after("=", plus(2)), number(45)), false},
        {piece(number(3), number(45)), false},
        {piece(after("="), after("x")), false},
        {literal("-"), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckOutputSpec(c.output).has_value(), c.refused) << OutputText(c.output);
    }
    EXPECT_TRUE(CheckFormulaString("A<C5>", true, false).has_value());
    EXPECT_TRUE(CheckFormulaString("< c8 >", false, true).has_value());
    EXPECT_FALSE(CheckFormulaString("<C6><C7><d>", true, false).has_value());
}

TEST(FormulaText, RandomFormulasReadBackEqual) {
    std::mt19937 rng(1234);
    test::RandomFormula random(rng, false);
    for (int round = 0; round < 3000; ++round) {
        const Formula f = random.next();
        const std::string text = FormulaText(f);
        const FormulaTextResult read = ReadFormulaText(text);
        ASSERT_TRUE(read.formula.has_value()) << text << ": " << read.error;
        ASSERT_EQ(*read.formula, f) << text;
    }
}

}  // namespace
}  // namespace magtune::dataedit
