#include "comm/WedgeEcho.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace magtune::wedge {
namespace {

using Codes = std::vector<std::uint8_t>;

// What the wedge captures while the reader types an upload reply: every
// digit key once down and once up.
Codes TypedReply(const std::string& digits) {
    Codes codes;
    for (char digit : digits) {
        const auto key = KeyStrokeForCharacter(digit);
        codes.push_back(key->scanCode);
        codes.push_back(key->scanCode);
    }
    return codes;
}

settings::ConfigurationImage CountingImage() {
    settings::ConfigurationImage image{};
    std::iota(image.begin(), image.end(), std::uint8_t{0});
    return image;
}

struct AnswerCase {
    Codes echo;
    bool ready;
    bool accepted;
    bool rejected;
};

TEST(WedgeEchoTest, AnswersAreRecognisedByTheirCodePatterns) {
    const std::vector<AnswerCase> cases = {
        {{0x18, 0x18}, true, false, false},
        {{0x44, 0x18}, true, false, false},
        {{0x44, 0x44}, true, false, false},
        // The first 0x44 has nothing after it.
        {{0x18, 0x44}, false, false, false},
        {{0x18, 0x02, 0x18}, true, false, false},
        {{0x18}, false, false, false},
        {{}, false, false, false},
        {{0x35, 0x15}, false, true, false},
        {{0x15, 0x15}, false, true, false},
        {{0x35, 0x35}, false, true, false},
        {{0x15, 0x02, 0x15}, false, false, false},
        {{0x31, 0x31}, false, false, true},
        {{0x31, 0x02, 0x31}, false, false, false},
        {{0x18, 0x18, 0x15, 0x15}, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.echo));
        EXPECT_EQ(comm::EchoHasReady(c.echo), c.ready);
        EXPECT_EQ(comm::EchoHasAccepted(c.echo), c.accepted);
        EXPECT_EQ(comm::EchoHasRejected(c.echo), c.rejected);
    }
}

TEST(WedgeEchoTest, ScanCodeDigitKnowsTheHexadecimalKeysOnly) {
    const std::vector<std::pair<std::uint8_t, std::uint8_t>> table = {
        {0x0B, 0},   {0x02, 1},   {0x03, 2},   {0x04, 3},   {0x05, 4},   {0x06, 5},
        {0x07, 6},   {0x08, 7},   {0x09, 8},   {0x0A, 9},   {0x1E, 10},  {0x30, 11},
        {0x2E, 12},  {0x20, 13},  {0x12, 14},  {0x21, 15},  {0x18, 255}, {0x31, 255},
        {0x22, 255}, {0x00, 255}, {0x82, 255}, {0xFF, 255},
    };
    for (const auto& [code, value] : table) {
        EXPECT_EQ(comm::ScanCodeDigit(code), value) << int(code);
    }
}

TEST(WedgeEchoTest, KeyTablesAgreeForEveryDigitAndLetter) {
    const std::string characters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (char c : characters) {
        const auto key = KeyStrokeForCharacter(c);
        ASSERT_TRUE(key) << c;
        EXPECT_EQ(key->virtualKey, static_cast<std::uint8_t>(c));
        EXPECT_EQ(VirtualKeyForScanCode(key->scanCode), key->virtualKey) << c;
        EXPECT_EQ(KeyStrokeForCharacter(static_cast<char>(std::tolower(c))), key) << c;
    }
    EXPECT_EQ(KeyStrokeForCharacter('O'), (KeyStroke{'O', comm::kEchoReadyCode}));
    EXPECT_EQ(KeyStrokeForCharacter('Y'), (KeyStroke{'Y', comm::kEchoAcceptedCode}));
    EXPECT_EQ(KeyStrokeForCharacter('N'), (KeyStroke{'N', comm::kEchoRejectedCode}));
    EXPECT_EQ(KeyStrokeForCharacter('1'), (KeyStroke{0x31, 0x02}));
    EXPECT_FALSE(KeyStrokeForCharacter(' '));
    EXPECT_FALSE(KeyStrokeForCharacter('\r'));
    EXPECT_EQ(VirtualKeyForScanCode(0x44), 0);
}

TEST(WedgeEchoTest, TypedUploadReplyDecodesToTheImage) {
    const settings::ConfigurationImage image = CountingImage();
    const Codes codes = TypedReply(comm::KeyboardUploadReplyDigits(image));
    ASSERT_EQ(codes.size(), comm::kWedgeUploadCodes);
    const comm::ImageDecodeResult result = comm::DecodeWedgeUpload(codes);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(*result.image, image);
}

TEST(WedgeEchoTest, FirstGroupIsTheHighThenLowNibbleOfByteZero) {
    settings::ConfigurationImage image{};
    image[0] = 0x5A;                         // XOR of the image is 0x5A as well
    Codes codes = {0x06, 0x06, 0x1E, 0x1E};  // "5" "A"
    for (std::size_t i = 1; i < settings::kImageSize; ++i) {
        codes.insert(codes.end(), {0x0B, 0x0B, 0x0B, 0x0B});
    }
    codes.insert(codes.end(), {0x06, 0x06, 0x1E, 0x1E});
    const comm::ImageDecodeResult result = comm::DecodeWedgeUpload(codes);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(*result.image, image);
}

TEST(WedgeEchoTest, UploadEchoThatStartsWithUnrelatedCodesIsStillDecoded) {
    const settings::ConfigurationImage image = CountingImage();
    Codes codes = {0x18, 0x18, 0x44, 0x1C};  // the O answer and an Enter key
    const Codes reply = TypedReply(comm::KeyboardUploadReplyDigits(image));
    codes.insert(codes.end(), reply.begin(), reply.end());
    comm::DropCodesBeforeFirstDigit(codes);
    EXPECT_EQ(codes, reply);
    const comm::ImageDecodeResult result = comm::DecodeWedgeUpload(codes);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(*result.image, image);
}

TEST(WedgeEchoTest, DroppingLeavesNothingWithoutADigitKey) {
    Codes codes = {0x18, 0x18, 0x31};
    comm::DropCodesBeforeFirstDigit(codes);
    EXPECT_TRUE(codes.empty());
}

TEST(WedgeEchoTest, BadUploadEchoesAreRefused) {
    const Codes good = TypedReply(comm::KeyboardUploadReplyDigits(CountingImage()));
    struct Case {
        const char* what;
        Codes codes;
        comm::FrameError error;
    };
    Codes differ = good;
    differ[0] = 0x02;  // a digit whose two codes differ: "1" down, "2" up
    differ[1] = 0x03;
    Codes notDigit = good;
    notDigit[514] = 0x18;
    notDigit[515] = 0x18;
    Codes badCheck = good;
    badCheck[1026] = badCheck[1027] = (badCheck[1026] == 0x02 ? 0x03 : 0x02);
    Codes badCheckHigh = good;
    badCheckHigh[1024] = badCheckHigh[1025] = 0x1F;  // "S" is no hexadecimal key
    const std::vector<Case> cases = {
        {"digit codes differ", differ, comm::FrameError::NonHexDigit},
        {"letter in the data", notDigit, comm::FrameError::NonHexDigit},
        {"wrong check byte", badCheck, comm::FrameError::WrongChecksum},
        {"check byte not a digit", badCheckHigh, comm::FrameError::NonHexDigit},
        {"one code short", Codes(good.begin(), good.end() - 1), comm::FrameError::WrongLength},
        {"nothing", {}, comm::FrameError::WrongLength},
    };
    for (const auto& c : cases) {
        const comm::ImageDecodeResult result = comm::DecodeWedgeUpload(c.codes);
        EXPECT_FALSE(result.ok()) << c.what;
        EXPECT_FALSE(result.image) << c.what;
        EXPECT_EQ(result.error, c.error) << c.what;
    }
}

TEST(WedgeEchoTest, CodesAfterTheCheckByteAreIgnored) {
    Codes codes = TypedReply(comm::KeyboardUploadReplyDigits(CountingImage()));
    codes.insert(codes.end(), {0x1C, 0x1C});
    EXPECT_TRUE(comm::DecodeWedgeUpload(codes).ok());
}

}  // namespace
}  // namespace magtune::wedge
