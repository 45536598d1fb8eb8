#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "dataedit/Ansi.h"
#include "dataedit/KeyNotation.h"

namespace magtune::dataedit {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Ansi, EveryByteSurvivesTheTripThroughText) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const std::string text = TextFromAnsiByte(byte);
        EXPECT_EQ(AnsiFromText(text), Bytes{byte}) << b;
        EXPECT_EQ(SplitCharacters(text).size(), 1u) << b;
    }
}

TEST(Ansi, ConvertsWindows1252Characters) {
    struct Case {
        std::string text;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {"A~", {0x41, 0x7E}},
        {"\xE2\x82\xAC", {0x80}},  // euro sign
        {"\xC2\x81", {0x81}},      // undefined byte keeps its value
        {"\xC2\x9D", {0x9D}},
        {"\xC5\xB8", {0x9F}},  // Y with diaeresis
        {"\xC3\xA9", {0xE9}},  // e acute
        {"\xC2\xA0\xC3\xBF", {0xA0, 0xFF}},
        {"\xE4\xB8\xAD", {'?'}},               // not in the code page
        {"\xC2\x80", {'?'}},                   // a C1 control the code page has no byte for
        {"\xF0\x9F\x98\x80", {'?'}},           // outside the BMP
        {"\xE9x", {0xE9, 'x'}},                // malformed: the byte stands for itself
        {"\xC0\xAF", {0xC0, 0xAF}},            // overlong form is malformed
        {"\xED\xA0\x80", {0xED, 0xA0, 0x80}},  // surrogate is malformed
        {"\xE2\x82", {0xE2, 0x82}},            // cut short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AnsiFromText(c.text), c.bytes) << c.text;
    }
    EXPECT_EQ(TextFromAnsi({0x41, 0x80, 0xE9}), "A\xE2\x82\xAC\xC3\xA9");
    EXPECT_EQ(SplitCharacters("a\xC3\xA9\xE2\x82\xAC\xE9"),
              (std::vector<std::string>{"a", "\xC3\xA9", "\xE2\x82\xAC", "\xE9"}));
}

struct SequenceCase {
    std::string text;
    bool wildcards;
    bool delay;
    std::size_t capacity;
    int result;
    Bytes bytes;
};

TEST(KeyNotation, ParseKeySequence) {
    const std::vector<SequenceCase> cases = {
        {"", false, false, 8, 0, {}},
        {"A<t>B", false, false, 8, 3, {0x41, 0x09, 0x42}},
        {"<<>x<>>", false, false, 8, 3, {0x3C, 0x78, 0x3E}},
        {"<\">", false, false, 8, 1, {0x22}},
        {"<b><r><n>", false, false, 8, 3, {0x08, 0x0D, 0x0A}},
        {">", false, false, 8, 1, {0x3E}},
        {"<", false, false, 8, -1, {}},
        {"A<>", false, false, 8, -1, {}},
        {"ab<cd", false, false, 8, -1, {}},
        {"<>x>", false, false, 8, -1, {}},
        {"\"", false, false, 8, -1, {}},
        {"< 5 >", false, false, 8, 1, {0x05}},
        {"< >", false, false, 8, -1, {}},
        {"<123>", false, false, 8, -1, {}},
        {"<d>", true, false, 8, 1, {0xC6}},
        {"<d>", false, true, 8, -1, {}},
        {"<a>", true, false, 8, 1, {0xC7}},
        {"<a>", false, false, 8, -1, {}},
        {"<*>", false, true, 8, 1, {0xC6}},
        {"<*>", true, false, 8, -1, {}},
        {"<D><A><B><c><E><f>", false, false, 8, 6, {0x0D, 0x0A, 0x0B, 0x0C, 0x0E, 0x0F}},
        {"<N>", false, false, 8, -1, {}},
        {"<T>", false, false, 8, -1, {}},
        {"<R>", false, false, 8, -1, {}},
        {"<FF>", false, false, 8, 1, {0xFF}},
        {"<e0>", false, false, 8, 1, {0xE0}},
        {"ABC", false, false, 3, 3, {0x41, 0x42, 0x43}},
        {"ABCD", false, false, 3, -2, {}},
        // The capacity test comes before the bad token is converted.
        {"AB<zz>", false, false, 2, -2, {}},
        {"AB<", false, false, 2, -1, {}},
        {"\xC3\xA9\xE2\x82\xAC", false, false, 2, 2, {0xE9, 0x80}},
        {"\xE4\xB8\xAD", false, false, 2, 1, {0x3F}},
        {std::string(256, 'A'), false, false, 300, 256, Bytes(256, 0x41)},
        {std::string(257, 'A'), false, false, 300, -2, {}},
    };
    for (const SequenceCase& c : cases) {
        Bytes destination(c.capacity, 0x00);
        EXPECT_EQ(ParseKeySequence(c.text, destination, c.wildcards, c.delay), c.result) << c.text;
        Bytes expected = c.bytes;
        expected.resize(c.capacity, 0xFF);
        EXPECT_EQ(destination, expected) << c.text;
    }
}

TEST(KeyNotation, ParseKeyByte) {
    struct Case {
        std::string text;
        bool wildcards;
        bool delay;
        std::optional<std::uint8_t> byte;
    };
    const std::vector<Case> cases = {
        {"", false, false, 0xFF},         {"A", false, false, 0x41},
        {">", false, false, 0x3E},        {"<", false, false, {}},
        {"\"", false, false, {}},         {"<\">", false, false, 0x22},
        {"<t>", false, false, 0x09},      {"<41>", false, false, 0x41},
        {"<<>", false, false, 0x3C},      {"<>>", false, false, 0x3E},
        {"<d>", true, false, 0xC6},       {"<d>", false, false, {}},
        {"<*>", false, true, 0xC6},       {"<*>", false, false, {}},
        {"ab", false, false, {}},         {"<A", false, false, {}},
        {"<>", false, false, {}},         {"A>", false, false, {}},
        {"\xC3\xA9", false, false, 0xE9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseKeyByte(c.text, c.wildcards, c.delay), c.byte) << c.text;
    }
}

TEST(KeyNotation, ParseHexByte) {
    const std::vector<std::pair<std::string, std::optional<std::uint8_t>>> cases = {
        {"FF", 0xFF}, {" 5 ", 0x05}, {"0b", 0x0B}, {"a", 0x0A}, {"", {}},    {"  ", {}},
        {"123", {}},  {"G", {}},     {"1 2", {}},  {"-1", {}},  {"\t5", {}},
    };
    for (const auto& [text, byte] : cases) {
        EXPECT_EQ(ParseHexByte(text), byte) << text;
    }
}

TEST(KeyNotation, FormatKeySequence) {
    EXPECT_EQ(FormatKeySequence(Bytes{0x41, 0xC6, 0x0D, 0xFF, 0x42}), "A<*><r>");
    EXPECT_EQ(FormatKeySequence(Bytes{0x08, 0x09, 0x0A, 0x0D, 0x22, 0x3C, 0x3E, 0x0B, 0x7F, 0x80,
                                      0xE0, 0x20, 0x7E, 0x00, 0xC7}),
              "<b><t><n><r><\"><<><>><0B><7F><80><E0> ~<00><C7>");
    EXPECT_EQ(FormatKeySequence(Bytes{0xFF, 0x41}), "");
    EXPECT_EQ(FormatKeySequence(Bytes{}), "");
}

TEST(KeyNotation, FormatKeyByte) {
    struct Case {
        std::uint8_t byte;
        bool delay;
        std::string text;
    };
    const std::vector<Case> cases = {
        {0xC6, false, "<C6>"}, {0xC6, true, "<*>"},  {0xFF, true, ""},      {0x22, false, "<\">"},
        {0x3C, false, "<<>"},  {0x3E, false, "<>>"}, {0x0B, false, "<0B>"}, {0x41, false, "A"},
        {0x09, false, "<t>"},  {0x08, false, "<b>"}, {0x0D, true, "<r>"},   {0x0A, true, "<n>"},
        {0x7F, true, "<7F>"},  {0x20, true, " "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatKeyByte(c.byte, c.delay), c.text) << int(c.byte);
    }
}

TEST(KeyNotation, FormattedBytesParseBack) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        for (bool delay : {false, true}) {
            EXPECT_EQ(ParseKeyByte(FormatKeyByte(byte, delay), false, delay), byte) << b;
        }
    }
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> byteOf(0, 0xFE);
    std::uniform_int_distribution<int> lengthOf(0, 40);
    for (int round = 0; round < 500; ++round) {
        Bytes sequence(lengthOf(rng));
        for (auto& b : sequence) {
            b = static_cast<std::uint8_t>(byteOf(rng));
        }
        Bytes parsed(64);
        const int count = ParseKeySequence(FormatKeySequence(sequence), parsed, false, true);
        ASSERT_EQ(count, static_cast<int>(sequence.size()));
        parsed.resize(sequence.size());
        EXPECT_EQ(parsed, sequence);
    }
}

}  // namespace
}  // namespace magtune::dataedit
