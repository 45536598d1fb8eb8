#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "ReaderSim.h"

namespace magtune::readersim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

const Bytes kConnect{0x02, 0x1B, 0x48, 0x36, 0x35};
const Bytes kUploadRequest{0x02, 0x1B, 0x52, 0x36, 0x46};
const Bytes kAck{0x06};
const Bytes kNak{0x15};

// Image bytes 0 = 0xAB, the rest 0: 512 digits "AB000...0".
const std::string kAbDigits = "AB" + std::string(510, '0');
const std::string kZeroDigits(512, '0');

settings::ConfigurationImage AbImage() {
    settings::ConfigurationImage image{};
    image[0] = 0xAB;
    return image;
}

// 02 1B letter, the 512 digits, the 2 checksum digits.
Bytes ImageFrame(char letter, const std::string& digits, std::string_view checksum) {
    return Cat({{0x02, 0x1B, static_cast<std::uint8_t>(letter)}, Text(digits), Text(checksum)});
}

struct ExchangeCase {
    const char* name;
    ReaderFaults faults;
    unsigned lineBaud;
    std::vector<Bytes> chunks;  // fed one receive() call each
    Bytes expected;             // everything the reader sends, in order
    bool hangup = false;
};

void PrintTo(const ExchangeCase& c, std::ostream* os) {
    *os << c.name;
}

class ReaderSimExchange : public testing::TestWithParam<ExchangeCase> {};

TEST_P(ReaderSimExchange, AnswersExactly) {
    const ExchangeCase& c = GetParam();
    ReaderSim reader(settings::ConfigurationImage{}, 9600, c.faults);
    Bytes sent;
    for (const Bytes& chunk : c.chunks) {
        const Bytes out = reader.receive(chunk, c.lineBaud);
        sent.insert(sent.end(), out.begin(), out.end());
    }
    EXPECT_EQ(sent, c.expected);
    EXPECT_EQ(reader.hangupDue(), c.hangup);
}

ReaderFaults Noise(std::size_t n) {
    ReaderFaults f;
    f.noiseBytes = n;
    return f;
}
ReaderFaults Silent() {
    ReaderFaults f;
    f.silent = true;
    return f;
}
ReaderFaults HangupAfter(std::uint64_t n) {
    ReaderFaults f;
    f.hangupAfter = n;
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, ReaderSimExchange,
    testing::Values(
        ExchangeCase{"Connect", {}, 9600, {kConnect}, kAck},
        ExchangeCase{"ConnectAtWrongRate", {}, 2400, {kConnect}, {}},
        ExchangeCase{"ConnectSplit", {}, 9600, {{0x02, 0x1B}, {0x48, 0x36}, {0x35}}, kAck},
        ExchangeCase{"JunkBeforeAndAfter",
                     {},
                     9600,
                     {{0xFF, 0x41, 0x1B, 0x02, 0x02, 0x1B, 0x48, 0x36, 0x35, 0x00, 0x1B}},
                     kAck},
        ExchangeCase{"UnknownCommandThenConnect",
                     {},
                     9600,
                     {{0x02, 0x1B, 0x58, 0x36, 0x35}, kConnect},
                     kAck},
        ExchangeCase{"LowerCaseCommandIgnored", {}, 9600, {{0x02, 0x1B, 0x68, 0x36, 0x35}}, {}},
        ExchangeCase{"WrongConnectChecksum", {}, 9600, {{0x02, 0x1B, 0x48, 0x36, 0x36}}, {}},
        ExchangeCase{"StxWithoutEsc", {}, 9600, {{0x02, 0x48, 0x36, 0x35}}, {}},
        ExchangeCase{"CutShortByNextFrame", {}, 9600, {{0x02, 0x1B, 0x48, 0x36}, kConnect}, kAck},
        ExchangeCase{"TwoConnectsInOneRead", {}, 9600, {Cat({kConnect, kConnect})}, {0x06, 0x06}},
        ExchangeCase{"Silent", Silent(), 9600, {kConnect, kUploadRequest}, {}},
        ExchangeCase{"NoiseBeforeEveryAnswer",
                     Noise(3),
                     9600,
                     {kConnect, kConnect},
                     {0xFF, 0x00, 0x55, 0x06, 0xAA, 0x7E, 0x81, 0x06}},
        ExchangeCase{
            "HangupOnLastByteOfFrame", HangupAfter(5), 9600, {kConnect, kConnect}, {}, true},
        ExchangeCase{"HangupAfterAnsweredFrame",
                     HangupAfter(7),
                     9600,
                     {Cat({kConnect, kConnect})},
                     kAck,
                     true},
        ExchangeCase{"HangupCountsBytesAtWrongRate", HangupAfter(5), 2400, {kConnect}, {}, true},
        ExchangeCase{"NoHangupBeforeBudget", HangupAfter(6), 9600, {kConnect}, kAck, false}),
    [](const testing::TestParamInfo<ExchangeCase>& info) { return info.param.name; });

TEST(ReaderSim, FrameBrokenByRateChangeIsDropped) {
    ReaderSim reader(settings::ConfigurationImage{}, 9600, {});
    EXPECT_TRUE(reader.receive(Bytes{0x02, 0x1B, 0x48}, 9600).empty());
    EXPECT_TRUE(reader.receive(Bytes{0x36, 0x35}, 19200).empty());
    // The tail alone is not a frame, even back at the right rate.
    EXPECT_TRUE(reader.receive(Bytes{0x02, 0x1B, 0x48}, 9600).empty());
    EXPECT_TRUE(reader.receive(Bytes{0x36}, 0).empty());
    EXPECT_TRUE(reader.receive(Bytes{0x35}, 9600).empty());
    EXPECT_EQ(reader.receive(kConnect, 9600), kAck);
}

TEST(ReaderSim, AnswersOnlyAtItsOwnRate) {
    ReaderSim reader(settings::ConfigurationImage{}, 2400, {});
    for (unsigned rate : {300u, 600u, 1200u, 4800u, 9600u, 19200u, 38400u, 0u}) {
        EXPECT_TRUE(reader.receive(kConnect, rate).empty()) << rate;
    }
    EXPECT_EQ(reader.receive(kConnect, 2400), kAck);
}

struct UploadCase {
    const char* name;
    settings::ConfigurationImage image;
    ReaderFaults faults;
    Bytes firstReply;
    Bytes secondReply;
    std::uint64_t transfers;  // correct replies among the two
};

void PrintTo(const UploadCase& c, std::ostream* os) {
    *os << c.name;
}

ReaderFaults BadChecksum(unsigned n) {
    ReaderFaults f;
    f.badChecksumFirst = n;
    return f;
}
ReaderFaults LowercaseHeader(unsigned n) {
    ReaderFaults f;
    f.lowercaseHeaderFirst = n;
    return f;
}
ReaderFaults BothReplyFaults() {
    ReaderFaults f;
    f.badChecksumFirst = 1;
    f.lowercaseHeaderFirst = 2;
    return f;
}

class ReaderSimUpload : public testing::TestWithParam<UploadCase> {};

TEST_P(ReaderSimUpload, RepliesWithTheImage) {
    const UploadCase& c = GetParam();
    ReaderSim reader(c.image, 9600, c.faults);
    EXPECT_EQ(reader.receive(kUploadRequest, 9600), c.firstReply);
    EXPECT_EQ(reader.receive(kUploadRequest, 9600), c.secondReply);
    EXPECT_EQ(reader.completedTransfers(), c.transfers);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReaderSimUpload,
    testing::Values(
        // 0x02 + 0x1B + 0x52 + 512 * 0x30 = 0x6F (mod 256)
        UploadCase{"ZeroImage",
                   settings::ConfigurationImage{},
                   {},
                   ImageFrame('R', kZeroDigits, "6F"),
                   ImageFrame('R', kZeroDigits, "6F"),
                   2},
        // 0x6F + "A" + "B" - 2 * "0" = 0x92
        UploadCase{"SmallKnownImage",
                   AbImage(),
                   {},
                   ImageFrame('R', kAbDigits, "92"),
                   ImageFrame('R', kAbDigits, "92"),
                   2},
        UploadCase{"BadChecksumFirst", settings::ConfigurationImage{}, BadChecksum(1),
                   ImageFrame('R', kZeroDigits, "70"), ImageFrame('R', kZeroDigits, "6F"), 1},
        // "r" is 0x20 above "R": the checksum follows the header actually sent.
        UploadCase{"LowercaseHeaderFirst", settings::ConfigurationImage{}, LowercaseHeader(1),
                   ImageFrame('r', kZeroDigits, "8F"), ImageFrame('R', kZeroDigits, "6F"), 1},
        UploadCase{"BothFaults", settings::ConfigurationImage{}, BothReplyFaults(),
                   ImageFrame('r', kZeroDigits, "90"), ImageFrame('r', kZeroDigits, "8F"), 0}),
    [](const testing::TestParamInfo<UploadCase>& info) { return info.param.name; });

TEST(ReaderSim, DownloadThenUploadReturnsTheSameImage) {
    ReaderSim reader(settings::ConfigurationImage{}, 9600, {});
    EXPECT_EQ(reader.receive(kConnect, 9600), kAck);
    // 0x74 + "A" + "B" - 2 * "0" = 0x97
    EXPECT_EQ(reader.receive(ImageFrame('W', kAbDigits, "97"), 9600), kAck);
    EXPECT_EQ(reader.image(), AbImage());
    EXPECT_EQ(reader.acceptedImages(), 1u);
    EXPECT_EQ(reader.receive(kConnect, 9600), kAck);
    EXPECT_EQ(reader.receive(kUploadRequest, 9600), ImageFrame('R', kAbDigits, "92"));
    EXPECT_EQ(reader.completedTransfers(), 2u);
}

TEST(ReaderSim, DownloadArrivingByteByByte) {
    ReaderSim reader(AbImage(), 9600, {});
    const Bytes frame = ImageFrame('W', kZeroDigits, "74");
    Bytes sent;
    for (std::uint8_t b : frame) {
        const Bytes out = reader.receive(Bytes{b}, 9600);
        sent.insert(sent.end(), out.begin(), out.end());
    }
    EXPECT_EQ(sent, kAck);
    EXPECT_EQ(reader.image(), settings::ConfigurationImage{});
}

struct RefusedDownloadCase {
    const char* name;
    Bytes frame;
};

void PrintTo(const RefusedDownloadCase& c, std::ostream* os) {
    *os << c.name;
}

class ReaderSimRefusedDownload : public testing::TestWithParam<RefusedDownloadCase> {};

TEST_P(ReaderSimRefusedDownload, GetsNoAnswerAndKeepsTheImage) {
    ReaderSim reader(AbImage(), 9600, {});
    EXPECT_TRUE(reader.receive(GetParam().frame, 9600).empty());
    EXPECT_EQ(reader.image(), AbImage());
    EXPECT_EQ(reader.acceptedImages(), 0u);
    // The reader is back in step for the next frame.
    EXPECT_EQ(reader.receive(kConnect, 9600), kAck);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, ReaderSimRefusedDownload,
    testing::Values(
        RefusedDownloadCase{"WrongChecksum", ImageFrame('W', kZeroDigits, "75")},
        // 0x74 + "F" - "0" = 0x8A
        RefusedDownloadCase{"LowerCaseChecksumDigits",
                            ImageFrame('W', "0F" + std::string(510, '0'), "8a")},
        RefusedDownloadCase{"LowerCasePayload",
                            ImageFrame('W', "ab" + std::string(510, '0'), "D7")},
        RefusedDownloadCase{"NonHexPayloadWithMatchingSum",
                            ImageFrame('W', "G" + std::string(511, '0'), "8B")},
        // Cut short by the STX of the connect frame that follows.
        RefusedDownloadCase{"OneDigitShort", ImageFrame('W', std::string(511, '0'), "44")},
        // The frame ends one digit early: its checksum reads "07".
        RefusedDownloadCase{"OneDigitLong", ImageFrame('W', std::string(513, '0'), "74")}),
    [](const testing::TestParamInfo<RefusedDownloadCase>& info) { return info.param.name; });

TEST(ReaderSim, NakFirstDownloadsWithoutStoringThem) {
    ReaderFaults faults;
    faults.nakFirst = 2;
    faults.noiseBytes = 1;
    ReaderSim reader(AbImage(), 9600, faults);
    const Bytes frame = ImageFrame('W', kZeroDigits, "74");
    EXPECT_EQ(reader.receive(frame, 9600), (Bytes{0xFF, 0x15}));
    EXPECT_EQ(reader.image(), AbImage());
    EXPECT_EQ(reader.receive(frame, 9600), (Bytes{0x00, 0x15}));
    EXPECT_EQ(reader.receive(frame, 9600), (Bytes{0x55, 0x06}));
    EXPECT_EQ(reader.image(), settings::ConfigurationImage{});
    EXPECT_EQ(reader.acceptedImages(), 1u);
    EXPECT_EQ(reader.completedTransfers(), 1u);
}

TEST(ReaderSim, SilentReaderStoresNothing) {
    ReaderSim reader(AbImage(), 9600, Silent());
    EXPECT_TRUE(reader.receive(ImageFrame('W', kZeroDigits, "74"), 9600).empty());
    EXPECT_EQ(reader.image(), AbImage());
    EXPECT_EQ(reader.completedTransfers(), 0u);
}

TEST(ReaderSim, NothingAfterHangup) {
    ReaderSim reader(settings::ConfigurationImage{}, 9600, HangupAfter(3));
    EXPECT_TRUE(reader.receive(kConnect, 9600).empty());
    EXPECT_TRUE(reader.hangupDue());
    EXPECT_TRUE(reader.receive(kConnect, 9600).empty());
}

TEST(ReaderSim, LogsFramesWhenAsked) {
    std::vector<std::string> lines;
    ReaderSim reader(settings::ConfigurationImage{}, 9600, {},
                     [&](const std::string& line) { lines.push_back(line); });
    reader.receive(Cat({Bytes{0x41}, kConnect}), 9600);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "skipped 1 byte(s) outside a frame");
    EXPECT_EQ(lines[1], "received connect frame 02 1B 48 36 35");
    EXPECT_EQ(lines[2], "sent ACK");
}

}  // namespace
}  // namespace magtune::readersim
