#include <gtest/gtest.h>

#include <random>

#include "dataedit/TrackSequence.h"

namespace magtune::dataedit {
namespace {

using Bytes = std::vector<std::uint8_t>;

TrackSequenceEntry field(std::uint16_t code) {
    return {code, {}};
}
TrackSequenceEntry literal(const std::string& text) {
    return {kTrackLiteral, text};
}

TEST(TrackSequence, EncodesAndDecodes) {
    struct Case {
        int track;
        TrackOutputSequence sequence;
        Bytes image;
    };
    const std::vector<Case> cases = {
        {1,
         {field(0x31), literal("^"), field(0x32)},
         {0x31, 0x5E, 0x32, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
          0xFF}},
        {2, {literal("12")}, {0xF1, 0xF2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {2, {}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {2,
         {field(0x30), field(0x31), field(0x32), field(0x33), field(0x34), literal("<t>0<*>")},
         {0x30, 0x31, 0x32, 0x33, 0x34, 0x09, 0xF0, 0xC6}},
        {1,
         {field(0x36), literal("<\"><<><>>9")},
         {0x36, 0x22, 0x3C, 0x3E, 0xF9, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
          0xFF}},
    };
    for (const Case& c : cases) {
        const auto image = EncodeTrackSequence(c.sequence, c.track);
        ASSERT_TRUE(image.has_value()) << TrackSequenceText(c.sequence, c.track);
        EXPECT_EQ(*image, c.image);
        EXPECT_EQ(DecodeTrackSequence(*image, c.track), c.sequence);
    }
}

TEST(TrackSequence, RefusesWhatTheTrackCannotHold) {
    struct Case {
        int track;
        TrackOutputSequence sequence;
    };
    const std::vector<Case> cases = {
        {2,
         {field(0x30), field(0x31), field(0x32), field(0x33), field(0x34), field(0x30),
          literal("abc")}},
        {2, {literal("123456789")}},
        {2, {literal("1234567"), field(0x30), field(0x31)}},
        {1, {literal(std::string(17, 'x'))}},
        {2, {field(0x35)}},     // track 2 has no sixth field
        {1, {field(0x29)}},     // no field below 0x30
        {1, {literal("<d>")}},  // wildcards belong to match strings
        {1, {literal("<zz>")}},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(EncodeTrackSequence(c.sequence, c.track).has_value())
            << TrackSequenceText(c.sequence, c.track);
    }
    EXPECT_TRUE(EncodeTrackSequence({literal("12345678")}, 2).has_value());
}

TEST(TrackSequence, AdjacentLiteralsComeBackAsOne) {
    const auto image = EncodeTrackSequence({literal("a"), literal("b"), field(0x31)}, 1);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(DecodeTrackSequence(*image, 1), (TrackOutputSequence{literal("ab"), field(0x31)}));
}

TEST(TrackSequence, DecodesAnyBytes) {
    struct Case {
        int track;
        Bytes image;
        TrackOutputSequence sequence;
    };
    const std::vector<Case> cases = {
        {2, {0x35, 0x31, 0xFF, 0x32}, {literal("5"), field(0x31)}},
        {1, {0x37, 0x36, 0x00, 0xC6}, {literal("7"), field(0x36), literal("<00><*>")}},
        {1, {0xFF, 0x31}, {}},
        {2, {0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x41, 0x31}, {literal("AAAAAAAA")}},
        {2, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeTrackSequence(c.image, c.track), c.sequence);
    }
}

TEST(TrackSequence, Texts) {
    EXPECT_EQ(TrackSequenceText({}, 1), "None");
    EXPECT_EQ(TrackSequenceText({field(0x31), literal("="), field(0x32)}, 2),
              "<Account>\"=\"<ExpireYear>");
    EXPECT_EQ(TrackSequenceText({field(0x32), field(0x36)}, 1), "<LastName><Discretion>");
    EXPECT_EQ(TrackEntryRowText(field(0x33), 1), "First Name");
    EXPECT_EQ(TrackEntryRowText(field(0x33), 2), "Expiration Month");
    EXPECT_EQ(TrackEntryRowText(literal("^"), 1), "\"^\"");
    EXPECT_EQ(TrackEntryRowText(literal(""), 1), "None");
    EXPECT_EQ(TrackFieldName(0x35, 2), "");
    EXPECT_EQ(TrackFieldTag(0x34, 2), "<Discretion>");
    EXPECT_EQ(TrackImageSize(1), 16u);
    EXPECT_EQ(TrackImageSize(2), 8u);
}

TEST(TrackSequence, ReadsTheMainWindowText) {
    struct Case {
        std::string text;
        int track;
        TrackOutputSequence sequence;
    };
    const std::vector<Case> cases = {
        {"None", 1, {}},
        {"<Account>\"=\"<ExpireYear>", 2, {field(0x31), literal("="), field(0x32)}},
        {"\"<\">\"", 1, {literal("<\">")}},
        {"\"a\"\"b\"", 1, {literal("a"), literal("b")}},
        {"\"\"<All>", 1, {literal(""), field(0x30)}},
        {"\"None\"", 2, {literal("None")}},
        {"\"12345678\"", 2, {literal("12345678")}},
        {"\"<*>< 5 >\"", 2, {literal("<*>< 5 >")}},
    };
    for (const Case& c : cases) {
        const TrackTextResult result = ReadTrackSequenceText(c.text, c.track);
        ASSERT_TRUE(result.sequence.has_value()) << c.text << ": " << result.error;
        EXPECT_EQ(*result.sequence, c.sequence) << c.text;
    }
}

TEST(TrackSequence, RefusesBadTextAtItsPosition) {
    struct Case {
        std::string text;
        int track;
        std::size_t position;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"", 1, 1, "expected a field, a quoted delimiter or \"None\" at position 1"},
        {"<LastName>", 2, 1, "track 2 has no field <LastName> at position 1"},
        {"<All><account>", 1, 6, "track 1 has no field <account> at position 6"},
        {"<Account", 1, 1, "\"<\" has no closing \">\" at position 1"},
        {"<All>\"abc", 1, 6, "the quotation mark is not closed at position 6"},
        {"x", 1, 1, "expected a field such as \"<Account>\" or a quoted delimiter at position 1"},
        {"\"a<d>\"", 1, 3, "\"<d>\" is allowed only in match strings at position 3"},
        {"\"<zz>\"", 1, 2, "unknown key code \"<zz>\" at position 2"},
        {"\"12345678\"<All>", 2, 11,
         "Definition cannot exceed 8 bytes limit. Please carefully design your output. at "
         "position 11"},
        {"\"123456789\"", 2, 10,
         "Definition cannot exceed 8 bytes limit. Please carefully design your output. at "
         "position 10"},
        {"\"\xC3\xA9\xC3\xA9<d>\"", 1, 4, "\"<d>\" is allowed only in match strings at position 4"},
        {"None<All>", 1, 1,
         "expected a field such as \"<Account>\" or a quoted delimiter at "
         "position 1"},
    };
    for (const Case& c : cases) {
        const TrackTextResult result = ReadTrackSequenceText(c.text, c.track);
        EXPECT_FALSE(result.sequence.has_value()) << c.text;
        EXPECT_EQ(result.errorPosition, c.position) << c.text;
        EXPECT_EQ(result.error, c.error) << c.text;
    }
}

TEST(TrackSequence, RandomImagesSettleAfterOneRoundTrip) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byteOf(0, 255);
    for (int round = 0; round < 2000; ++round) {
        for (int track : {1, 2}) {
            Bytes image(TrackImageSize(track));
            for (auto& b : image) {
                b = static_cast<std::uint8_t>(byteOf(rng) < 20 ? 0xFF : byteOf(rng));
            }
            const TrackOutputSequence decoded = DecodeTrackSequence(image, track);
            const auto encoded = EncodeTrackSequence(decoded, track);
            ASSERT_TRUE(encoded.has_value());
            EXPECT_EQ(DecodeTrackSequence(*encoded, track), decoded);
            const TrackTextResult read =
                ReadTrackSequenceText(TrackSequenceText(decoded, track), track);
            ASSERT_TRUE(read.sequence.has_value()) << read.error;
            EXPECT_EQ(*read.sequence, decoded);
        }
    }
}

}  // namespace
}  // namespace magtune::dataedit
