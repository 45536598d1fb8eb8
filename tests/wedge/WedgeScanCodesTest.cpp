#include "WedgeScanCodes.h"

#include <gtest/gtest.h>

#include "SimOptions.h"
#include "comm/WedgeEcho.h"

namespace magtune::wedge {
namespace {

using Codes = std::vector<std::uint8_t>;

TEST(WedgeScanCodesTest, EveryCharacterIsAKeyDownAndUp) {
    EXPECT_EQ(readersim::WedgeScanCodes("O"), (Codes{0x18, 0x98}));
    EXPECT_EQ(readersim::WedgeScanCodes("Yn"), (Codes{0x15, 0x95, 0x31, 0xB1}));
    EXPECT_EQ(readersim::WedgeScanCodes("0A9f"),
              (Codes{0x0B, 0x8B, 0x1E, 0x9E, 0x0A, 0x8A, 0x21, 0xA1}));
    EXPECT_TRUE(readersim::WedgeScanCodes("").empty());
}

TEST(WedgeScanCodesTest, NoiseIsNeverAnAnswerOrADigit) {
    const Codes codes = readersim::WedgeScanCodes("!#$%&*+-/=?@ \r");
    ASSERT_EQ(codes.size(), 28u);
    for (std::size_t i = 0; i < codes.size(); i += 2) {
        const std::uint8_t make = codes[i];
        EXPECT_EQ(codes[i + 1], make | 0x80);
        EXPECT_EQ(comm::ScanCodeDigit(make), comm::kNoDigit) << int(make);
        EXPECT_EQ(VirtualKeyForScanCode(make), 0) << int(make);
        const Codes pair = {make, make};
        EXPECT_FALSE(comm::EchoHasReady(pair) || comm::EchoHasAccepted(pair) ||
                     comm::EchoHasRejected(pair))
            << int(make);
    }
}

TEST(WedgeScanCodesTest, WedgeOptionNamesTheSocket) {
    const std::vector<std::string> wedge = {"--wedge", "/tmp/port", "--noise", "2"};
    const readersim::SimOptionsResult parsed = readersim::ParseSimOptions(wedge);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->wedgePath, "/tmp/port");
    EXPECT_EQ(parsed.options->faults.noiseBytes, 2u);

    const std::vector<std::string> both = {"--wedge=/tmp/a", "--usb=/tmp/b"};
    const readersim::SimOptionsResult refused = readersim::ParseSimOptions(both);
    EXPECT_FALSE(refused.options);
    EXPECT_EQ(refused.error, "--usb and --wedge cannot be used together");
}

}  // namespace
}  // namespace magtune::wedge
