#include <gtest/gtest.h>

#include <vector>

#include "dataedit/FormulaDialogRules.h"
#include "dataedit/FormulaMemory.h"
#include "dataedit/FormulaTextReader.h"

namespace magtune::dataedit {
namespace {

struct Refusal {
    std::string message;
    std::string focus;
};

void expectRefused(const DialogCheck& check, const Refusal& want, const std::string& context) {
    EXPECT_FALSE(check.accepted) << context;
    EXPECT_EQ(check.message, want.message) << context;
    EXPECT_EQ(check.focus, want.focus) << context;
}

TEST(FormulaDialogRules, ReadsWholeNumbers) {
    struct Case {
        const char* text;
        std::optional<int> value;
    };
    const std::vector<Case> cases = {
        {"7", 7},
        {"+7", 7},
        {"-3", -3},
        {"007", 7},
        {"  12 ", 12},
        {"-0", 0},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"7a", std::nullopt},
        {"+", std::nullopt},
        {"+-1", std::nullopt},
        {"1 2", std::nullopt},
        {"1.0", std::nullopt},
        {"99999999999999999999", 2147483647},
        {"-99999999999999999999", -2147483647},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseWholeNumber(c.text), c.value) << '"' << c.text << '"';
    }
}

// --- Formula dialog ------------------------------------------------------

FormulaDialogState lengthState(const std::string& minText, const std::string& maxText) {
    FormulaDialogState state;
    state.lengthChecked = true;
    state.minText = minText;
    state.maxText = maxText;
    return state;
}

TEST(FormulaDialogRules, FormulaRefusalsInOrder) {
    struct Case {
        FormulaDialogState state;
        Refusal want;
    };
    FormulaDialogState noIds;
    noIds.inputIdChecked = true;
    FormulaDialogState idsBeforeLength = lengthState("", "");
    idsBeforeLength.inputIdChecked = true;
    FormulaDialogState noMatches;
    noMatches.matchChecked = true;
    FormulaDialogState lengthBeforeMatch = lengthState("9", "8");
    lengthBeforeMatch.matchChecked = true;
    const std::vector<Case> cases = {
        {noIds, {"Please check input id.", "lstInpId"}},
        {idsBeforeLength, {"Please check input id.", "lstInpId"}},
        {lengthState("", "5"), {"Please input minimum length.", "txtMinLen"}},
        {lengthState(" ", "5"), {"Please input minimum length.", "txtMinLen"}},
        {lengthState("7a", "5"), {"Please input an integer value.", "txtMinLen"}},
        {lengthState("0", "5"),
         {"Minimum length must be greater than or equal to 1.", "txtMinLen"}},
        {lengthState("-4", "5"),
         {"Minimum length must be greater than or equal to 1.", "txtMinLen"}},
        {lengthState("128", "5"), {"Minimum length out of range.", "txtMinLen"}},
        {lengthState("5", ""), {"Please input maximum length.", "txtMaxLen"}},
        {lengthState("5", "x"), {"Please input an integer value.", "txtMaxLen"}},
        {lengthState("5", "0"),
         {"Maximum length must be greater than or equal to 1.", "txtMaxLen"}},
        {lengthState("5", "128"), {"Maximum length out of range.", "txtMaxLen"}},
        {lengthState("6", "5"),
         {"Minimum length cannot be greater than maximum length.", "txtMinLen"}},
        {lengthBeforeMatch, {"Minimum length cannot be greater than maximum length.", "txtMinLen"}},
        {noMatches, {"Please define match qualifier.", "lstMatch"}},
        {FormulaDialogState{}, {"", ""}},  // nothing defined: stays open without a word
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        expectRefused(CheckFormulaDialog(cases[i].state), cases[i].want,
                      "case " + std::to_string(i));
    }
}

TEST(FormulaDialogRules, FormulaAcceptsAndStores) {
    Formula formula;
    formula.inputIds[5] = 1;  // cleared: the list no longer selects it
    formula.matches.push_back({false, MatchKind::AnyPosition, 0, {}, "A"});
    formula.outputs.push_back({false, OutputKind::Literal, "x", {}, {}});

    FormulaDialogState state = lengthState("+5", "5");
    state.inputIdChecked = true;
    state.selectedIds = {21, 27};
    state.outputCount = 1;
    ASSERT_TRUE(CheckFormulaDialog(state).accepted);
    StoreFormulaDialog(state, formula);
    EXPECT_FALSE(formula.empty);
    EXPECT_EQ(formula.minLength, 5);
    EXPECT_EQ(formula.maxLength, 5);
    EXPECT_TRUE(formula.matches.empty());  // "Match" unchecked removes them
    ASSERT_EQ(formula.outputs.size(), 1u);
    EXPECT_EQ(FormulaText(formula), "IN_ID,21,27,LEN,5,5,\"x\",ENTER");

    // Only outputs, nothing checked: a formula without qualifiers.
    FormulaDialogState outputsOnly;
    outputsOnly.outputCount = 1;
    ASSERT_TRUE(CheckFormulaDialog(outputsOnly).accepted);
    StoreFormulaDialog(outputsOnly, formula);
    EXPECT_EQ(FormulaText(formula), "\"x\",ENTER");

    FormulaDialogState lengths = lengthState("1", "127");
    EXPECT_TRUE(CheckFormulaDialog(lengths).accepted);
}

TEST(FormulaDialogRules, FormulaOpensOnItsRecord) {
    Formula formula;
    formula.empty = false;
    formula.inputIds[21] = 1;
    formula.inputIds[2] = 1;  // a scanner source: this edition does not offer it
    formula.minLength = 10;
    formula.maxLength = 40;
    formula.matches.push_back({false, MatchKind::AtPosition, 1, {}, "<d>"});
    const FormulaDialogState state = FormulaDialogFromRecord(formula);
    EXPECT_TRUE(state.inputIdChecked);
    EXPECT_EQ(state.selectedIds, (std::vector<int>{2, 21}));
    EXPECT_TRUE(state.lengthChecked);
    EXPECT_EQ(state.minText, "10");
    EXPECT_EQ(state.maxText, "40");
    EXPECT_TRUE(state.matchChecked);
    EXPECT_EQ(state.matchRows, 1u);

    // The held scanner source keeps a row, so OK does not drop it.
    std::vector<int> ids;
    for (const InputIdRow& row : InputIdRows(formula)) {
        ids.push_back(row.id);
    }
    EXPECT_EQ(ids, (std::vector<int>{2, 20, 21, 22, 24, 27}));
    Formula copy = formula;
    StoreFormulaDialog(state, copy);
    EXPECT_EQ(copy, formula);

    // A length of 5 to 0 is no length qualifier.
    formula.maxLength = 0;
    EXPECT_FALSE(FormulaDialogFromRecord(formula).lengthChecked);
    EXPECT_FALSE(FormulaDialogFromRecord(Formula{}).inputIdChecked);
}

TEST(FormulaDialogRules, InputIdRowsOfANewFormula) {
    const std::vector<InputIdRow> rows = InputIdRows(Formula{});
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].text, "MSR Track 1");
    EXPECT_EQ(rows[4].text, "All Input");
    Formula odd;
    odd.inputIds[23] = 1;
    EXPECT_EQ(InputIdRows(odd)[3].text, "Input ID 23");
}

// --- Match dialog --------------------------------------------------------

MatchDialogState matchState(std::int32_t kind, const std::string& positionText, bool minus,
                            const std::string& minusText, const std::string& matchString) {
    return {kind, positionText, minus, minusText, matchString};
}

TEST(FormulaDialogRules, MatchRefusalsInOrder) {
    using namespace MatchKind;
    struct Case {
        MatchDialogState state;
        Refusal want;
    };
    const std::vector<Case> cases = {
        {matchState(AtPosition, "", false, "", ""), {"Please input start position.", "txtPos"}},
        {matchState(AtPosition, "1x", false, "", "A"),
         {"Please input an integer value.", "txtPos"}},
        {matchState(AtPosition, "-3", false, "", "A"),
         {"Start position must be greater than or equal to 1.", "txtPos"}},
        {matchState(AtPosition, "128", false, "", "A"),
         {"Start position must be less than or equal to 127.", "txtPos"}},
        {matchState(AtPosition, "1", false, "", ""), {"Please input match string.", "txtMatchStr"}},
        {matchState(AnyPosition, "x", false, "", ""),
         {"Please input match string.", "txtMatchStr"}},
        {matchState(LastPosition, "", true, "", "A"),
         {"Please input last position minus value.", "txtLastPos"}},
        {matchState(LastPosition, "", true, "two", "A"),
         {"Please input an integer value.", "txtLastPos"}},
        {matchState(LastPosition, "", true, "0", "A"),
         {"Value must be greater than or equal to 1.", "txtLastPos"}},
        {matchState(LastPosition, "", true, "200", "A"),
         {"Value must be less than or equal to 127.", "txtLastPos"}},
        {matchState(LastPosition, "", false, "", "AB"), {"Match string too long.", ""}},
        {matchState(LastPosition, "", true, "3", "<d><d>ABC"), {"Match string too long.", ""}},
        {matchState(LastPosition, "", false, "", ""),
         {"Please input match string.", "txtMatchStr"}},
        {matchState(AnyPosition, "", false, "", "A<C5>"),
         {"The codes <C4>, <C5> and <C8> cannot be used in a formula string: the reader uses "
          "them to separate the parts of a formula.",
          "txtMatchStr"}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        expectRefused(CheckMatchDialog(cases[i].state), cases[i].want, "case " + std::to_string(i));
    }
}

TEST(FormulaDialogRules, MatchAcceptsAndRoundTrips) {
    using namespace MatchKind;
    struct Case {
        MatchDialogState state;
        MatchQualifier match;
        const char* text;
    };
    const std::vector<Case> cases = {
        {matchState(AtPosition, "007", false, "", "ID:"),
         {false, AtPosition, 7, {}, "ID:"},
         "7,\"ID:\""},
        {matchState(AtPosition, "127", false, "", "A"),
         {false, AtPosition, 127, {}, "A"},
         "127,\"A\""},
        {matchState(AnyPosition, "", false, "", "<a>"),
         {false, AnyPosition, 0, {}, "<a>"},
         "<*>,\"<a>\""},
        {matchState(LastPosition, "", false, "", "<d>"),
         {false, LastPosition, 0, {}, "<d>"},
         "<#>,\"<d>\""},
        {matchState(LastPosition, "", true, "1", "AB"),
         {false, LastPosition, 0, {false, OffsetSign::Minus, 1}, "AB"},
         "<#>-1,\"AB\""},
        {matchState(LastPosition, "", true, "3", "<d><d>AB"),
         {false, LastPosition, 0, {false, OffsetSign::Minus, 3}, "<d><d>AB"},
         "<#>-3,\"<d><d>AB\""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(CheckMatchDialog(c.state).accepted) << c.text;
        const MatchQualifier match = MatchFromDialog(c.state);
        EXPECT_EQ(match, c.match) << c.text;
        EXPECT_EQ(MatchText(match), c.text);
        const MatchDialogState reopened = MatchDialogFromRecord(match);
        EXPECT_EQ(MatchFromDialog(reopened), match) << c.text;
    }
    // A stored match of the last position minus 2 reopens with "Minus" and 2.
    const MatchDialogState reopened =
        MatchDialogFromRecord({false, LastPosition, 0, {false, OffsetSign::Minus, 2}, "AB"});
    EXPECT_EQ(reopened.kind, LastPosition);
    EXPECT_TRUE(reopened.minus);
    EXPECT_EQ(reopened.minusText, "2");
    EXPECT_EQ(MatchDialogFromRecord(MatchQualifier{}).kind, AtPosition);
}

// --- Output string dialog ------------------------------------------------

SpecDialogState number(const std::string& text) {
    SpecDialogState side;
    side.kind = SpecKind::Number;
    side.numberText = text;
    return side;
}
SpecDialogState last(bool minus, const std::string& text) {
    SpecDialogState side;
    side.kind = SpecKind::LastPosition;
    side.minus = minus;
    side.minusText = text;
    return side;
}
SpecDialogState after(const std::string& match, bool useOffset, bool plus,
                      const std::string& offset) {
    SpecDialogState side;
    side.kind = SpecKind::AfterMatch;
    side.matchString = match;
    side.useOffset = useOffset;
    side.plus = plus;
    side.offsetText = offset;
    return side;
}

TEST(FormulaDialogRules, OutputRefusalsInOrder) {
    struct Case {
        OutputDialogState state;
        Refusal want;
    };
    const std::vector<Case> cases = {
        {{number(""), number("")}, {"Please input start position.", "txtStaFrom"}},
        {{number("x"), number("")}, {"Please input an integer value.", "txtStaFrom"}},
        {{number("-3"), number("1")},
         {"Position must be greater than or equal to 1.", "txtStaFrom"}},
        {{number("300"), number("1")},
         {"Position must be less than or equal to 127.", "txtStaFrom"}},
        {{last(true, ""), number("1")}, {"Please input minus value.", "txtStaMinus"}},
        {{last(true, "+"), number("1")}, {"Please input an integer value.", "txtStaMinus"}},
        {{last(true, "0"), number("1")},
         {"Value must be greater than or equal to 1.", "txtStaMinus"}},
        {{last(true, "128"), number("1")},
         {"Value must be less than or equal to 127.", "txtStaMinus"}},
        {{after("", true, true, ""), number("1")}, {"Please input string pattern.", "txtStaMatch"}},
        {{after("=", true, true, ""), number("1")}, {"Please input offset.", "txtStaOffset"}},
        {{after("=", true, true, "1-"), number("1")},
         {"Please input an integer value.", "txtStaOffset"}},
        {{after("=", true, false, "0"), number("1")},
         {"Offset must be greater than or equal to 1.", "txtStaOffset"}},
        {{after("=", true, false, "128"), number("1")},
         {"Offset must be less than or equal to 127.", "txtStaOffset"}},
        {{number("1"), number("")},
         {"Please input number of characters to output.", "txtEndNumber"}},
        {{number("1"), number("5x")}, {"Please input an integer value.", "txtEndNumber"}},
        {{number("1"), number("0")},
         {"Number must be greater than or equal to 1.", "txtEndNumber"}},
        {{number("1"), number("128")},
         {"Number must be less than or equal to 127.", "txtEndNumber"}},
        {{number("1"), last(true, "")}, {"Please input minus value.", "txtEndMinus"}},
        {{number("1"), last(true, "-1")},
         {"Value must be greater than or equal to 1.", "txtEndMinus"}},
        {{number("1"), after("", false, true, "")},
         {"Please input string pattern.", "txtEndMatch"}},
        {{number("1"), after("x", true, true, "")}, {"Please input offset.", "txtEndOffset"}},
        {{number("1"), after("x", true, true, "999")},
         {"Offset must be less than or equal to 127.", "txtEndOffset"}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        expectRefused(CheckOutputDialog(cases[i].state), cases[i].want,
                      "case " + std::to_string(i));
    }
}

TEST(FormulaDialogRules, OutputRefusesStringsWithFormulaCodes) {
    for (const char* text : {"<C4>", "a<C5>", "<c8>b", "<C5><C5>"}) {
        const DialogCheck start = CheckOutputDialog({after(text, false, true, ""), number("1")});
        EXPECT_FALSE(start.accepted) << text;
        EXPECT_EQ(start.focus, "txtStaMatch") << text;
        const DialogCheck end = CheckOutputDialog({number("1"), after(text, false, true, "")});
        EXPECT_EQ(end.focus, "txtEndMatch") << text;
        EXPECT_TRUE(CheckMatchString(text).has_value()) << text;
        EXPECT_TRUE(CheckLiteralString(text).has_value()) << text;
    }
    // Wildcards and the delay code are other bytes (0xC6, 0xC7) and stay allowed.
    EXPECT_FALSE(CheckMatchString("<d><a><C6><C7>").has_value());
    EXPECT_FALSE(CheckLiteralString("<*>ID:<C7>").has_value());
}

// A count of 43 or 45 right after a start without its own offset compiles to
// the byte of "+" or "-": the reader takes it for an offset of the start.
TEST(FormulaDialogRules, OutputRefusesCountsReadAsOffsets) {
    struct Case {
        SpecDialogState start;
        const char* count;
        bool refused;
    };
    const std::vector<Case> cases = {
        {after("=", false, true, ""), "43", true},
        {after("=", false, true, ""), "45", true},
        {after("=", false, true, ""), "44", false},
        {after("=", true, true, "1"), "45", false},
        {last(false, ""), "45", true},
        {last(false, ""), "43", false},
        {last(true, "2"), "45", false},
        {number("45"), "45", false},
    };
    for (const Case& c : cases) {
        const OutputDialogState state{c.start, number(c.count)};
        const DialogCheck check = CheckOutputDialog(state);
        EXPECT_EQ(check.accepted, !c.refused) << c.count << ' ' << check.message;
        if (c.refused) {
            EXPECT_EQ(check.focus, "txtEndNumber");
            EXPECT_FALSE(check.message.empty());
        } else {
            // What is accepted reads back from the memory unchanged.
            Formula formula;
            formula.empty = false;
            formula.outputs.push_back(OutputFromDialog(state));
            std::vector<std::uint8_t> bytes;
            ASSERT_GT(CompileFormula(formula, 158, bytes), 0);
            EXPECT_EQ(DecodeFormula(bytes), formula) << OutputText(formula.outputs[0]);
        }
    }
}

TEST(FormulaDialogRules, OutputAcceptsAndRoundTrips) {
    struct Case {
        OutputDialogState state;
        const char* text;
    };
    const std::vector<Case> cases = {
        {{number("2"), number("5")}, "O-STR,2,5"},
        {{number("007"), number("+127")}, "O-STR,7,127"},
        {{after("=", true, true, "1"), last(true, "1")}, "O-STR,\"=\"+1,<#>-1"},
        {{after("<d>", true, false, "2"), after("^", false, true, "")}, "O-STR,\"<d>\"-2,\"^\""},
        {{last(false, ""), last(false, "")}, "O-STR,<#>,<#>"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(CheckOutputDialog(c.state).accepted) << c.text;
        const OutputString output = OutputFromDialog(c.state);
        EXPECT_EQ(OutputText(output), c.text);
        EXPECT_EQ(OutputFromDialog(OutputDialogFromRecord(output)), output) << c.text;
    }
    // Only the selected option is stored; the hidden boxes keep their texts.
    OutputDialogState switched{after("=", true, true, "3"), number("4")};
    switched.start.kind = SpecKind::Number;
    switched.start.numberText = "1";
    const OutputString output = OutputFromDialog(switched);
    EXPECT_TRUE(output.start.matchString.empty());
    EXPECT_TRUE(output.start.offset.absent);
    EXPECT_EQ(switched.start.matchString, "=");

    const OutputDialogState fresh = OutputDialogFromRecord(OutputString{});
    EXPECT_EQ(fresh.start.kind, SpecKind::Number);
    EXPECT_EQ(fresh.end.kind, SpecKind::Number);
    EXPECT_TRUE(fresh.start.numberText.empty());
}

// --- Track output sequence dialog ----------------------------------------

TEST(FormulaDialogRules, TypedFormulasMeetTheDialogsRules) {
    struct Case {
        const char* text;
        std::optional<std::string> fault;
    };
    const std::vector<Case> cases = {
        {"MATCH,1,\"A\",O-STR,2,5,ENTER", std::nullopt},
        {"MATCH,<#>,\"A\",ENTER", std::nullopt},
        {"MATCH,<#>,\"AB\",ENTER", "Match string too long."},
        {"MATCH,<#>-1,\"AB\",ENTER", std::nullopt},
        {"MATCH,<#>-3,\"<d>BCD\",ENTER", std::nullopt},
        {"MATCH,<#>-0,\"A\",ENTER", "Value must be greater than or equal to 1."},
        {"O-STR,<#>-0,45,ENTER", "Value must be greater than or equal to 1."},
        {"O-STR,\"=\"+0,5,ENTER", "Offset must be greater than or equal to 1."},
        {"O-STR,\"=\"+1,<#>-1,ENTER", std::nullopt},
    };
    for (const auto& c : cases) {
        FormulaTextResult read = ReadFormulaText(c.text);
        ASSERT_TRUE(read.formula) << c.text << ": " << read.error;
        EXPECT_EQ(CheckFormulaByDialogRules(*read.formula), c.fault) << c.text;
    }
}

TEST(FormulaDialogRules, TrackSourcesCaptionAndHelp) {
    std::vector<std::string> names;
    std::vector<std::uint16_t> codes;
    for (const TrackSource& source : TrackSources(2)) {
        names.push_back(source.name);
        codes.push_back(source.code);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Account Number", "Expiration Year",
                                               "Expiration Month", "Discretionary Data",
                                               "All Information", "Delimiter/Text"}));
    EXPECT_EQ(codes, (std::vector<std::uint16_t>{0x31, 0x32, 0x33, 0x34, 0x30, 0}));
    const std::vector<TrackSource> track1 = TrackSources(1);
    ASSERT_EQ(track1.size(), 8u);
    EXPECT_EQ(track1[1].name, "Last Name");
    EXPECT_EQ(track1[5].name, "Discretionary Data");
    EXPECT_EQ(track1[6].code, 0x30);
    EXPECT_EQ(TrackDialogCaption(2), "Track 2 Output Sequence");
    EXPECT_EQ(TrackHelpTopic(1), "::/html/deftrack1.htm");
}

TEST(FormulaDialogRules, TrackSequenceLimits) {
    const TrackSequenceEntry account{0x31, {}};
    struct Case {
        int track;
        TrackOutputSequence sequence;
        std::optional<std::string> message;
    };
    const std::string limit8 =
        "Definition cannot exceed 8 bytes limit. Please carefully design your output.";
    const std::string limit16 =
        "Definition cannot exceed 16 bytes limit. Please carefully design your output.";
    const std::vector<Case> cases = {
        {2, {}, std::nullopt},
        {2, {{0, "12345678"}}, std::nullopt},
        {2, {{0, "12345678"}, account}, limit8},
        {2, {account, account, account, account, account, account, {0, "abc"}}, limit8},
        {1, {{0, std::string(16, 'x')}}, std::nullopt},
        {1, {{0, std::string(16, 'x')}, account}, limit16},
        {1, {account, {0, "<FF>"}}, CheckTrackDelimiter("<FF>")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckTrackSequence(c.sequence, c.track), c.message)
            << TrackSequenceText(c.sequence, c.track);
    }
    ASSERT_TRUE(CheckTrackDelimiter("a<FF>").has_value());
    EXPECT_FALSE(CheckTrackDelimiter("<FE><*><t>").has_value());
    EXPECT_FALSE(CheckTrackDelimiter("<").has_value());  // bad notation is the input dialog's
}

}  // namespace
}  // namespace magtune::dataedit
