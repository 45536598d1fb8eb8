#include "comm/ProtocolFrames.h"

#include <gtest/gtest.h>

#include <cctype>
#include <numeric>
#include <string>
#include <vector>

namespace magtune::comm {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

settings::ConfigurationImage CountingImage() {
    settings::ConfigurationImage image{};
    std::iota(image.begin(), image.end(), std::uint8_t{0});
    return image;
}

TEST(ProtocolFrames, SerialCommandFramesAreExact) {
    EXPECT_EQ(SerialConnectFrame(), (SerialCommandFrame{0x02, 0x1B, 0x48, 0x36, 0x35}));
    EXPECT_EQ(SerialUploadRequest(), (SerialCommandFrame{0x02, 0x1B, 0x52, 0x36, 0x46}));
}

TEST(ProtocolFrames, AllZeroImageDownloadFrame) {
    const auto frame = SerialDownloadFrame(settings::ConfigurationImage{});
    ASSERT_EQ(frame.size(), 517u);
    EXPECT_EQ(frame[0], 0x02);
    EXPECT_EQ(frame[1], 0x1B);
    EXPECT_EQ(frame[2], 0x57);
    for (std::size_t i = 3; i < 515; ++i) {
        ASSERT_EQ(frame[i], '0') << i;
    }
    // (0x74 + 512 * 0x30) mod 256 = 0x74
    EXPECT_EQ(frame[515], '7');
    EXPECT_EQ(frame[516], '4');
}

TEST(ProtocolFrames, DownloadFrameDigitsAreUpperCaseHighNibbleFirst) {
    settings::ConfigurationImage image{};
    image[0] = 0xAB;
    image[1] = 0x0F;
    image[255] = 0xE1;
    const auto frame = SerialDownloadFrame(image);
    EXPECT_EQ(std::string(frame.begin() + 3, frame.begin() + 7), "AB0F");
    EXPECT_EQ(std::string(frame.begin() + 513, frame.begin() + 515), "E1");
    // 0x74 + 510 * '0' + 'A' 'B' '0' 'F' 'E' '1' (characters, not nibbles)
    unsigned sum = 0x74 + 506 * 0x30 + 'A' + 'B' + '0' + 'F' + 'E' + '1';
    const char expected[] = {HexDigitChar((sum >> 4) & 0xF), HexDigitChar(sum & 0xF)};
    EXPECT_EQ(frame[515], expected[0]);
    EXPECT_EQ(frame[516], expected[1]);
}

TEST(ProtocolFrames, UploadReplyRoundTrip) {
    const auto image = CountingImage();
    const auto reply = SerialUploadReply(image);
    EXPECT_EQ(reply[0], 0x02);
    EXPECT_EQ(reply[1], 0x1B);
    EXPECT_EQ(reply[2], 0x52);
    const auto decoded = DecodeSerialUploadReply(std::span(reply).subspan(1));
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(*decoded.image, image);
}

TEST(ProtocolFrames, AllZeroUploadReplyChecksumCountsStx) {
    // 0x02 + 0x1B + 0x52 + 512 * 0x30 = 0x6F + 0x6000 -> 0x6F
    const auto reply = SerialUploadReply(settings::ConfigurationImage{});
    EXPECT_EQ(reply[515], '6');
    EXPECT_EQ(reply[516], 'F');
}

struct ReplyCase {
    const char* name;
    std::size_t index;  // into the 516 bytes after STX
    std::uint8_t value;
    FrameError expected;
};

class BadSerialReply : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(BadSerialReply, IsRefusedWithItsReason) {
    const auto& c = GetParam();
    auto reply = SerialUploadReply(CountingImage());
    std::vector<std::uint8_t> body(reply.begin() + 1, reply.end());
    body[c.index] = c.value;
    const auto decoded = DecodeSerialUploadReply(body);
    EXPECT_EQ(decoded.error, c.expected);
    EXPECT_FALSE(decoded.image.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadSerialReply,
    ::testing::Values(ReplyCase{"EscMissing", 0, 0x1C, FrameError::WrongHeader},
                      ReplyCase{"LowerCaseR", 1, 'r', FrameError::WrongHeader},
                      ReplyCase{"WriteLetter", 1, 'W', FrameError::WrongHeader},
                      ReplyCase{"PayloadChanged", 10, 'F', FrameError::WrongChecksum},
                      ReplyCase{"ChecksumDigitChanged", 515, '0', FrameError::WrongChecksum},
                      ReplyCase{"ChecksumDigitNotHex", 514, 'g', FrameError::WrongChecksum}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProtocolFrames, NonHexPayloadWithMatchingChecksumIsRefused) {
    // "0G" and "1F" add up to the same checksum (0x30+0x47 = 0x31+0x46).
    auto body = Bytes("\x1BR");
    for (int i = 0; i < 256; ++i) {
        body.push_back('1');
        body.push_back('F');
    }
    body[2] = '0';
    body[3] = 'G';
    const unsigned sum = 2 + 0x1B + 'R' + 256 * ('1' + 'F');
    body.push_back(static_cast<std::uint8_t>(HexDigitChar((sum >> 4) & 0xF)));
    body.push_back(static_cast<std::uint8_t>(HexDigitChar(sum & 0xF)));
    EXPECT_EQ(DecodeSerialUploadReply(body).error, FrameError::NonHexDigit);

    // Lower-case digits are not digits of the serial dialect either.
    body[2] = '1';
    body[3] = 'F';
    ASSERT_TRUE(DecodeSerialUploadReply(body).ok());
    body[4] = '1';
    body[5] = 'f';
    body[514] = static_cast<std::uint8_t>(HexDigitChar(((sum + 0x20) >> 4) & 0xF));
    body[515] = static_cast<std::uint8_t>(HexDigitChar((sum + 0x20) & 0xF));
    EXPECT_EQ(DecodeSerialUploadReply(body).error, FrameError::NonHexDigit);
}

TEST(ProtocolFrames, ShortOrLongRepliesAreRefused) {
    const auto reply = SerialUploadReply(CountingImage());
    EXPECT_EQ(DecodeSerialUploadReply(std::span(reply).subspan(1, 515)).error,
              FrameError::WrongLength);
    EXPECT_EQ(DecodeSerialUploadReply(reply).error, FrameError::WrongLength);
    EXPECT_EQ(DecodeSerialUploadReply({}).error, FrameError::WrongLength);
}

TEST(ProtocolFrames, ReaderParsesDownloadFrame) {
    const auto image = CountingImage();
    auto frame = SerialDownloadFrame(image);
    auto parsed = ParseSerialDownloadFrame(frame);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(*parsed.image, image);

    frame[0] = 0x03;
    EXPECT_EQ(ParseSerialDownloadFrame(frame).error, FrameError::WrongHeader);
    frame[0] = 0x02;
    frame[2] = 'R';
    EXPECT_EQ(ParseSerialDownloadFrame(frame).error, FrameError::WrongHeader);
    frame[2] = 'W';
    frame[100] ^= 0x01;
    EXPECT_EQ(ParseSerialDownloadFrame(frame).error, FrameError::WrongChecksum);
    EXPECT_EQ(ParseSerialDownloadFrame(std::span(frame).first(516)).error, FrameError::WrongLength);
}

TEST(ProtocolFrames, KeyboardFrames) {
    EXPECT_EQ(WakeSequence(), (WakeSequenceFrame{0xEC, 0xEC, 0xEC}));
    EXPECT_EQ(KeyboardUploadRequest(), (KeyboardUploadRequestFrame{0x02, 0x1B, 0x52}));

    const auto zero = KeyboardDownload(settings::ConfigurationImage{});
    ASSERT_EQ(zero.size(), 260u);
    EXPECT_EQ(zero[0], 0x02);
    EXPECT_EQ(zero[1], 0x1B);
    EXPECT_EQ(zero[2], 0x57);
    EXPECT_EQ(zero[259], 0x00);

    settings::ConfigurationImage image{};
    image[0] = 0x5A;
    image[7] = 0x0F;
    image[255] = 0x81;
    const auto frame = KeyboardDownload(image);
    EXPECT_EQ(frame[3], 0x5A);
    EXPECT_EQ(frame[10], 0x0F);
    EXPECT_EQ(frame[258], 0x81);
    EXPECT_EQ(frame[259], 0x5A ^ 0x0F ^ 0x81);  // the payload only, not STX/ESC/letter
}

TEST(ProtocolFrames, ReaderParsesKeyboardDownloadFrame) {
    const auto image = CountingImage();
    auto frame = KeyboardDownload(image);
    ASSERT_TRUE(ParseKeyboardDownloadFrame(frame).ok());
    EXPECT_EQ(*ParseKeyboardDownloadFrame(frame).image, image);
    frame[259] ^= 0x01;
    EXPECT_EQ(ParseKeyboardDownloadFrame(frame).error, FrameError::WrongChecksum);
    frame[2] = 'R';
    EXPECT_EQ(ParseKeyboardDownloadFrame(frame).error, FrameError::WrongHeader);
    EXPECT_EQ(ParseKeyboardDownloadFrame(std::span(frame).first(259)).error,
              FrameError::WrongLength);
}

TEST(ProtocolFrames, KeyboardUploadReplyEitherCase) {
    settings::ConfigurationImage image{};
    image[0] = 0xAB;
    image[1] = 0xCD;
    image[255] = 0xEF;
    const std::string upper = KeyboardUploadReplyDigits(image);
    ASSERT_EQ(upper.size(), 514u);
    EXPECT_EQ(upper.substr(0, 4), "ABCD");
    EXPECT_EQ(upper.substr(510), "EF89");  // AB ^ CD ^ EF = 89

    std::string lower = upper;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const auto& digits : {upper, lower}) {
        const auto decoded = DecodeKeyboardUploadReply(digits);
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(*decoded.image, image);
    }

    std::string wrongCheck = upper;
    wrongCheck[513] = '8';
    EXPECT_EQ(DecodeKeyboardUploadReply(wrongCheck).error, FrameError::WrongChecksum);
    std::string notHex = upper;
    notHex[5] = 'G';
    EXPECT_EQ(DecodeKeyboardUploadReply(notHex).error, FrameError::NonHexDigit);
    EXPECT_EQ(DecodeKeyboardUploadReply(upper.substr(0, 513)).error, FrameError::WrongLength);
}

TEST(ProtocolFrames, TypedAnswers) {
    struct Case {
        char typed;
        KeyboardAnswer answer;
    };
    const Case cases[] = {
        {'O', KeyboardAnswer::Ready},    {'o', KeyboardAnswer::Ready},
        {'Y', KeyboardAnswer::Accepted}, {'y', KeyboardAnswer::Accepted},
        {'N', KeyboardAnswer::Rejected}, {'n', KeyboardAnswer::Rejected},
        {'0', KeyboardAnswer::HexDigit}, {'9', KeyboardAnswer::HexDigit},
        {'a', KeyboardAnswer::HexDigit}, {'F', KeyboardAnswer::HexDigit},
        {'G', KeyboardAnswer::Other},    {'0' - 1, KeyboardAnswer::Other},
        {'\r', KeyboardAnswer::Other},   {'\xEC', KeyboardAnswer::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyKeyboardAnswer(c.typed), c.answer) << c.typed;
    }
}

}  // namespace
}  // namespace magtune::comm
