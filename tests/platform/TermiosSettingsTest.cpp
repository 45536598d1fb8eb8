#include <gtest/gtest.h>

#include "platform/TermiosSettings.h"

namespace magtune::platform {
namespace {

PortSettings Block(std::uint32_t baud, std::uint8_t byteSize, std::uint8_t parity,
                   std::uint8_t stopBits) {
    PortSettings s;
    s.DCBlength = 28;
    s.BaudRate = baud;
    s.setFBinary(true);
    s.ByteSize = byteSize;
    s.Parity = parity;
    s.StopBits = stopBits;
    s.XonChar = 0x11;
    s.XoffChar = 0x13;
    return s;
}

TEST(TermiosSettingsTest, FramingMapsBothWays) {
    struct Case {
        std::uint8_t byteSize;
        std::uint8_t parity;
        std::uint8_t stopBits;
        tcflag_t cflag;  // the framing bits expected in c_cflag
    };
    const Case cases[] = {
        {8, PortSettings::kNoParity, PortSettings::kOneStopBit, CS8},
        {7, PortSettings::kEvenParity, PortSettings::kOneStopBit, CS7 | PARENB},
        {7, PortSettings::kOddParity, PortSettings::kTwoStopBits, CS7 | PARENB | PARODD | CSTOPB},
        {8, PortSettings::kMarkParity, PortSettings::kOneStopBit, CS8 | PARENB | PARODD | CMSPAR},
        {6, PortSettings::kSpaceParity, PortSettings::kTwoStopBits, CS6 | PARENB | CMSPAR | CSTOPB},
        {5, PortSettings::kNoParity, PortSettings::kOne5StopBits, CS5 | CSTOPB},
    };
    const tcflag_t framing = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.byteSize) << int(c.parity) << int(c.stopBits));
        PortSettings block = Block(4800, c.byteSize, c.parity, c.stopBits);
        termios tio{};
        ASSERT_TRUE(ApplyPortSettings(block, tio));
        EXPECT_EQ(tio.c_cflag & framing, c.cflag);
        EXPECT_EQ(cfgetospeed(&tio), B4800);
        EXPECT_EQ(cfgetispeed(&tio), B4800);
        EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(PortSettingsFromTermios(tio, block), block);
    }
}

TEST(TermiosSettingsTest, FlowControlAndParityCheck) {
    PortSettings block = Block(9600, 8, PortSettings::kEvenParity, PortSettings::kOneStopBit);
    block.setFParity(true);
    block.setFOutxCtsFlow(true);
    block.setFRtsControl(PortSettings::kRtsControlHandshake);
    block.setFOutX(true);
    block.setFInX(true);
    block.XonChar = 0x21;
    block.XoffChar = 0x22;
    termios tio{};
    ASSERT_TRUE(ApplyPortSettings(block, tio));
    EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(tio.c_iflag & (INPCK | IXON | IXOFF), tcflag_t(INPCK | IXON | IXOFF));
    EXPECT_EQ(tio.c_cc[VSTART], 0x21);
    EXPECT_EQ(tio.c_cc[VSTOP], 0x22);
    EXPECT_EQ(PortSettingsFromTermios(tio, block), block);

    // Handshake off again: RTS goes back to plainly on.
    PortSettings plain = Block(9600, 8, PortSettings::kNoParity, PortSettings::kOneStopBit);
    plain.setFRtsControl(PortSettings::kRtsControlEnable);
    ASSERT_TRUE(ApplyPortSettings(plain, tio));
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(tio.c_iflag & (INPCK | IXON | IXOFF), 0u);
    PortSettings back = PortSettingsFromTermios(tio, block);
    EXPECT_FALSE(back.fOutxCtsFlow());
    EXPECT_EQ(back.fRtsControl(), PortSettings::kRtsControlEnable);
}

TEST(TermiosSettingsTest, BaudRatesOfTheStandardSeries) {
    for (std::uint32_t baud :
         {110u, 300u, 600u, 1200u, 2400u, 4800u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
        speed_t code{};
        ASSERT_TRUE(SpeedCodeOf(baud, code)) << baud;
        EXPECT_EQ(BaudRateOf(code), baud);
    }
    for (std::uint32_t baud : {0u, 75u, 14400u, 56000u, 128000u, 230400u}) {
        speed_t code{};
        EXPECT_FALSE(SpeedCodeOf(baud, code)) << baud;
    }
}

TEST(TermiosSettingsTest, RefusedBlocksLeaveTheTermiosAlone) {
    const PortSettings refused[] = {
        Block(14400, 8, 0, 0), Block(9600, 4, 0, 0), Block(9600, 9, 0, 0), Block(9600, 8, 5, 0),
        Block(9600, 8, 0, 3),  Block(9600, 8, 0, 1), Block(9600, 5, 0, 2),
    };
    for (const PortSettings& block : refused) {
        termios tio{};
        tio.c_cflag = CS7 | PARENB;
        EXPECT_FALSE(ApplyPortSettings(block, tio)) << block.BaudRate << " " << int(block.ByteSize);
        EXPECT_EQ(tio.c_cflag, tcflag_t(CS7 | PARENB));
    }
}

}  // namespace
}  // namespace magtune::platform
