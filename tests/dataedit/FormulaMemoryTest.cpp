#include <gtest/gtest.h>

#include <random>

#include "RandomFormula.h"
#include "dataedit/FormulaMemory.h"
#include "support/FakePrompter.h"

namespace magtune::dataedit {
namespace {

using Bytes = std::vector<std::uint8_t>;

Formula inUse() {
    Formula f;
    f.empty = false;
    return f;
}
OutputString literal(const std::string& text) {
    return {false, OutputKind::Literal, text, {}, {}};
}
MatchQualifier match(std::int32_t kind, std::uint8_t position, const std::string& text,
                     PositionOffset lastMinus = {}) {
    return {false, kind, position, lastMinus, text};
}

// A formula of exactly `size` bytes: one literal output.
Formula formulaOfSize(std::size_t size) {
    Formula f = inUse();
    f.outputs.push_back(literal(std::string(size - 3, 'x')));
    return f;
}

Bytes compile(const Formula& f, int free = 158) {
    Bytes out;
    const int count = CompileFormula(f, free, out);
    if (count < 0) {
        return {};
    }
    EXPECT_EQ(count, static_cast<int>(out.size()));
    return out;
}

Formula exampleFormula() {
    Formula f = inUse();
    f.inputIds[21] = 1;
    f.minLength = 10;
    f.maxLength = 40;
    f.matches.push_back(match(MatchKind::AtPosition, 1, "<d>"));
    f.outputs.push_back(literal("ID:"));
    f.outputs.push_back({false,
                         OutputKind::FromOriginal,
                         {},
                         {false, SpecKind::Number, 2, {}, {}},
                         {false, SpecKind::Number, 5, {}, {}}});
    return f;
}

TEST(FormulaMemory, CompilesTheDeviceFormat) {
    Formula lastMinus = inUse();
    lastMinus.matches.push_back(
        match(MatchKind::LastPosition, 0, "AB", {false, OffsetSign::Minus, 2}));
    Formula afterMatch = inUse();
    afterMatch.outputs.push_back(
        {false,
         OutputKind::FromOriginal,
         {},
         {false, SpecKind::AfterMatch, 0, "=", {false, OffsetSign::Plus, 1}},
         {false, SpecKind::LastPosition, 0, {}, {false, OffsetSign::Minus, 1}}});
    Formula any = inUse();
    any.inputIds[0] = 1;
    any.inputIds[27] = 1;
    any.matches.push_back(match(MatchKind::AnyPosition, 0, "<a>-"));
    any.outputs.push_back(literal("<*><t>"));

    struct Case {
        Formula formula;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {exampleFormula(),
         {0xC1, 0x15, 0xC2, 0x0A, 0x28, 0xC3, 0x01, 0xC5, 0xC6, 0xC5, 0xC5, 0x49, 0x44, 0x3A, 0xC5,
          0xC4, 0x02, 0x05, 0xC8}},
        {lastMinus, {0xC3, 0xC7, 0x2D, 0x02, 0xC5, 0x41, 0x42, 0xC5, 0xC8}},
        {afterMatch, {0xC4, 0xC5, 0x3D, 0xC5, 0x2B, 0x01, 0xC7, 0x2D, 0x01, 0xC8}},
        {any, {0xC1, 0x00, 0x1B, 0xC3, 0xC6, 0xC5, 0xC7, 0x2D, 0xC5, 0xC5, 0xC6, 0x09, 0xC5, 0xC8}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compile(c.formula), c.bytes);
        const auto decoded = DecodeFormula(c.bytes);
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(*decoded, c.formula);
    }
}

TEST(FormulaMemory, LengthNeedsBothBounds) {
    Formula f = inUse();
    f.inputIds[20] = 1;
    f.minLength = 5;
    EXPECT_EQ(compile(f), (Bytes{0xC1, 0x14, 0xC8}));
}

TEST(FormulaMemory, AFormulaFitsExactly) {
    Bytes out;
    EXPECT_EQ(CompileFormula(formulaOfSize(40), 40, out), 40);
    EXPECT_EQ(CompileFormula(formulaOfSize(41), 40, out), -1);
    EXPECT_EQ(CompileFormula(formulaOfSize(158), 158, out), 158);
    Formula tooLong = inUse();
    tooLong.outputs.push_back(literal(std::string(200, 'x')));
    EXPECT_EQ(CompileFormula(tooLong, 158, out), -1);
    Formula badNotation = inUse();
    badNotation.outputs.push_back(literal("<zz>"));
    EXPECT_EQ(CompileFormula(badNotation, 158, out), -1);
}

TEST(FormulaMemory, CompilesTheListUntilTheMemoryIsFull) {
    test::FakePrompter prompter;
    FormulaMemory memory;
    ASSERT_TRUE(CompileFormulas({formulaOfSize(100), formulaOfSize(58)}, memory, prompter));
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(memory[99], 0xC8);
    EXPECT_EQ(memory[157], 0xC8);

    ASSERT_TRUE(CompileFormulas({}, memory, prompter));
    for (std::uint8_t b : memory) {
        EXPECT_EQ(b, 0xFF);
    }

    EXPECT_FALSE(CompileFormulas({formulaOfSize(100), formulaOfSize(58), formulaOfSize(3)}, memory,
                                 prompter));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              "Memory space for data editing is full. Please reduce formulas or shorten formula "
              "expressions.");
    EXPECT_EQ(prompter.messages[0].caption, "Error");
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Warning);
}

TEST(FormulaMemory, DecodesStringsByItsOwnTables) {
    struct Case {
        Bytes bytes;
        std::string text;
        bool matchString;
    };
    const std::vector<Case> cases = {
        {{0xC3, 0x01, 0xC5, 0x08, 0x41, 0xC5, 0xC8}, "<08>A", true},
        {{0xC5, 0x08, 0xC5, 0xC8}, "<b>", false},
        {{0xC3, 0x01, 0xC5, 0xC6, 0xC7, 0xC5, 0xC8}, "<d><a>", true},
        {{0xC5, 0xC6, 0xC7, 0xC5, 0xC8}, "<*><C7>", false},
        {{0xC5, 0x09, 0x0A, 0x0D, 0x22, 0x3C, 0x3E, 0xC5, 0xC8}, "<t><n><r><\"><<><>>", false},
        {{0xC3, 0x01, 0xC5, 0x00, 0x7F, 0xFF, 0xC1, 0x20, 0x7E, 0xC5, 0xC8},
         "<00><7F><FF><C1> ~",
         true},
    };
    for (const Case& c : cases) {
        const auto f = DecodeFormula(c.bytes);
        ASSERT_TRUE(f.has_value()) << c.text;
        EXPECT_EQ(c.matchString ? f->matches.at(0).matchString : f->outputs.at(0).literal, c.text);
    }
}

TEST(FormulaMemory, DecodeRejectsMalformedFormulas) {
    const std::vector<Bytes> cases = {
        {0xC8},                                                  // no section
        {},                                                      // nothing at all
        {0xC5, 0x41, 0xC5},                                      // no end code
        {0xC5, 0x41, 0xC5, 0xC8, 0x00},                          // bytes after the end code
        {0xC3, 0xC8},                                            // match section without a match
        {0xC1, 0xC8},                                            // input ids without an id
        {0xC1, 0x1C, 0xC8},                                      // id 28
        {0xC2, 0x00, 0x05, 0xC8},                                // minimum 0
        {0xC2, 0x05, 0x04, 0xC8},                                // maximum below minimum
        {0xC2, 0x01, 0x80, 0xC8},                                // maximum 128
        {0xC2, 0x01},                                            // cut short
        {0xC3, 0x01, 0xC5, 0x41, 0xC5, 0xC2, 0x01, 0x02, 0xC8},  // length after a match
        {0xC5, 0x41, 0xC5, 0xC1, 0x14, 0xC8},                    // input ids after an output
        {0xC5, 0x41, 0xC5, 0xC3, 0x01, 0xC5, 0x41, 0xC5, 0xC8},  // match after an output
        {0xC3, 0x01, 0xC5, 0x41, 0xC5, 0xC3, 0x02, 0xC5, 0x42, 0xC5, 0xC8},  // two match sections
        {0xC2, 0x01, 0x02, 0xC1, 0x14, 0xC8},              // input ids after the length
        {0xC3, 0x01, 0xC5, 0xC5, 0xC8},                    // empty match string
        {0xC3, 0x01, 0x41, 0xC5, 0xC8},                    // match string not opened
        {0xC3, 0xC7, 0x2D, 0x80, 0xC5, 0x41, 0xC5, 0xC8},  // minus count 128
        {0xC5, 0xC5, 0xC8},                                // empty literal
        {0xC5, 0x41, 0xC4, 0xC5, 0xC8},                    // 0xC4 inside a string
        {0xC4, 0x00, 0x01, 0xC8},                          // start 0
        {0xC4, 0x01, 0xC6, 0xC8},                          // end 0xC6
        {0xC4, 0xC5, 0xC5, 0x01, 0xC8},                    // empty string after matching
        {0xC4, 0xC5, 0x41, 0xC5, 0x2B, 0x80, 0x01, 0xC8},  // offset 128
        {0x41, 0xC8},                                      // not a code
    };
    for (const Bytes& bytes : cases) {
        EXPECT_FALSE(DecodeFormula(bytes).has_value()) << ::testing::PrintToString(bytes);
    }
}

TEST(FormulaMemory, DecodeAcceptsWhatTheDialogsCannotWrite) {
    const auto unordered = DecodeFormula(Bytes{0xC1, 0x15, 0x14, 0x15, 0xC8});
    ASSERT_TRUE(unordered.has_value());
    EXPECT_EQ(unordered->inputIds[20], 1);
    EXPECT_EQ(unordered->inputIds[21], 1);
    // A match section that ends the formula, and a last-position count of 0.
    const auto matchOnly = DecodeFormula(Bytes{0xC3, 0xC7, 0x2D, 0x00, 0xC5, 0x41, 0xC5, 0xC8});
    ASSERT_TRUE(matchOnly.has_value());
    EXPECT_EQ(matchOnly->matches.at(0).lastMinus, (PositionOffset{false, OffsetSign::Minus, 0}));
}

TEST(FormulaMemory, EndCountsThatReadAsOffsetsAreLost) {
    // The format binds: these compile as written and the loader refuses them.
    const auto output = [](PositionSpec start, std::uint8_t end) {
        Formula f = inUse();
        f.outputs.push_back(
            {false, OutputKind::FromOriginal, {}, start, {false, SpecKind::Number, end, {}, {}}});
        return f;
    };
    const PositionSpec last{false, SpecKind::LastPosition, 0, {}, {}};
    const PositionSpec after{false, SpecKind::AfterMatch, 0, "=", {}};
    struct Case {
        Formula formula;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {output(last, 45), {0xC4, 0xC7, 0x2D, 0xC8}},
        {output(after, 45), {0xC4, 0xC5, 0x3D, 0xC5, 0x2D, 0xC8}},
        {output(after, 43), {0xC4, 0xC5, 0x3D, 0xC5, 0x2B, 0xC8}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compile(c.formula), c.bytes);
        EXPECT_FALSE(DecodeFormula(c.bytes).has_value());
    }
    EXPECT_TRUE(DecodeFormula(compile(output(last, 43))).has_value());
}

TEST(FormulaMemory, LoadFormulas) {
    struct Case {
        Bytes memory;  // the rest is 0xFF
        std::size_t formulas;
        std::string message;
    };
    const std::string notAll =
        "Error occurred while loading data editing, not all formulas are read.";
    const std::string none = "Error occurred while loading data editing, no formula is read.";
    const std::vector<Case> cases = {
        {{}, 0, ""},
        {{0x41, 0x42}, 0, ""},
        {{0xC1, 0x14, 0xC8, 0xC5, 0x41, 0xC5, 0xC8}, 2, ""},
        {{0xC8}, 0, none},
        {{0xC3, 0xC8, 0xC1, 0x14, 0xC8}, 1, notAll},
        {{0xC1, 0x14, 0xC8, 0xC3, 0xC8, 0xC1, 0x15, 0xC8}, 2, notAll},
        {{0xC1, 0x14, 0xC8, 0x00, 0x01}, 1, ""},  // after the last end code
    };
    for (const Case& c : cases) {
        FormulaMemory memory;
        memory.fill(0xFF);
        std::copy(c.memory.begin(), c.memory.end(), memory.begin());
        test::FakePrompter prompter;
        FormulaList formulas(3);
        LoadFormulas(memory, formulas, prompter);
        EXPECT_EQ(formulas.size(), c.formulas) << ::testing::PrintToString(c.memory);
        if (c.message.empty()) {
            EXPECT_TRUE(prompter.messages.empty());
        } else {
            ASSERT_EQ(prompter.messages.size(), 1u);
            EXPECT_EQ(prompter.messages[0].text, c.message);
            EXPECT_EQ(prompter.messages[0].caption, "Error");
            EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Warning);
        }
    }
}

TEST(FormulaMemory, RandomFormulasDecodeBackEqual) {
    std::mt19937 rng(99);
    test::RandomFormula random(rng, true);
    int fitted = 0;
    for (int round = 0; round < 3000; ++round) {
        const Formula f = random.next();
        Bytes bytes;
        if (CompileFormula(f, 158, bytes) < 0) {
            continue;
        }
        ++fitted;
        const auto decoded = DecodeFormula(bytes);
        ASSERT_TRUE(decoded.has_value()) << ::testing::PrintToString(bytes);
        ASSERT_EQ(*decoded, f) << ::testing::PrintToString(bytes);
    }
    EXPECT_GT(fitted, 2000);
}

TEST(FormulaMemory, RandomListsLoadBackEqual) {
    std::mt19937 rng(5);
    test::RandomFormula random(rng, true);
    test::FakePrompter prompter;
    for (int round = 0; round < 300; ++round) {
        FormulaList list;
        FormulaMemory memory;
        for (int n = std::uniform_int_distribution<int>(0, 4)(rng); n > 0; --n) {
            list.push_back(random.next());
            if (!CompileFormulas(list, memory, prompter)) {
                list.pop_back();
            }
        }
        ASSERT_TRUE(CompileFormulas(list, memory, prompter));
        FormulaList loaded;
        LoadFormulas(memory, loaded, prompter);
        EXPECT_EQ(loaded, list);
    }
}

}  // namespace
}  // namespace magtune::dataedit
