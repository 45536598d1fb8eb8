#include "shell/PortSettingsChoices.h"

#include <gtest/gtest.h>

namespace magtune::shell {
namespace {

TEST(PortSettingsChoicesTest, UnlistedRatesJoinTheListInOrder) {
    const auto listed = BaudRateChoices(9600);
    EXPECT_EQ(listed.front(), 110u);
    EXPECT_EQ(listed.back(), 256000u);
    EXPECT_EQ(BaudRateChoices(0), listed);  // a block never filled adds nothing
    auto with = BaudRateChoices(250000);
    ASSERT_EQ(with.size(), listed.size() + 1);
    EXPECT_EQ(with[with.size() - 2], 250000u);
    EXPECT_EQ(BaudRateChoices(5)[0], 5u);
}

TEST(PortSettingsChoicesTest, FlowControlSetsAndReadsTheHandshakeFields) {
    struct Case {
        FlowControl flow;
        bool cts, dsr, outX, inX;
        std::uint8_t dtr, rts;
    };
    const Case cases[] = {
        {FlowControl::Hardware, true, true, false, false,
         platform::PortSettings::kDtrControlHandshake,
         platform::PortSettings::kRtsControlHandshake},
        {FlowControl::XonXoff, false, false, true, true, platform::PortSettings::kDtrControlEnable,
         platform::PortSettings::kRtsControlEnable},
        {FlowControl::None, false, false, false, false, platform::PortSettings::kDtrControlEnable,
         platform::PortSettings::kRtsControlEnable},
    };
    for (const Case& c : cases) {
        platform::PortSettings s;
        s.flags = 0xFFFFFFFFu;  // every other bit must survive
        SetFlowControl(s, c.flow);
        EXPECT_EQ(s.fOutxCtsFlow(), c.cts);
        EXPECT_EQ(s.fOutxDsrFlow(), c.dsr);
        EXPECT_EQ(s.fOutX(), c.outX);
        EXPECT_EQ(s.fInX(), c.inX);
        EXPECT_EQ(s.fDtrControl(), c.dtr);
        EXPECT_EQ(s.fRtsControl(), c.rts);
        EXPECT_TRUE(s.fBinary());
        EXPECT_TRUE(s.fAbortOnError());
        EXPECT_EQ(FlowControlOf(s), c.flow);
    }
    // RTS handshake alone counts as hardware; XOFF sent alone as software.
    platform::PortSettings rts;
    rts.setFRtsControl(platform::PortSettings::kRtsControlHandshake);
    EXPECT_EQ(FlowControlOf(rts), FlowControl::Hardware);
    platform::PortSettings xoff;
    xoff.setFInX(true);
    EXPECT_EQ(FlowControlOf(xoff), FlowControl::XonXoff);
}

TEST(PortSettingsChoicesTest, DefaultsAre9600EightNoneOne) {
    platform::PortSettings s;
    s.DCBlength = platform::PortSettings::kByteSize;
    s.BaudRate = 110;
    s.ByteSize = 5;
    s.XonChar = 0x11;
    SetParity(s, platform::PortSettings::kOddParity);
    EXPECT_TRUE(s.fParity());
    s.StopBits = platform::PortSettings::kTwoStopBits;
    SetFlowControl(s, FlowControl::Hardware);
    RestorePortDefaults(s);
    EXPECT_EQ(s.BaudRate, 9600u);
    EXPECT_EQ(s.ByteSize, 8);
    EXPECT_EQ(s.Parity, platform::PortSettings::kNoParity);
    EXPECT_FALSE(s.fParity());
    EXPECT_EQ(s.StopBits, platform::PortSettings::kOneStopBit);
    EXPECT_EQ(FlowControlOf(s), FlowControl::None);
    EXPECT_EQ(s.XonChar, 0x11);
    EXPECT_EQ(s.DCBlength, platform::PortSettings::kByteSize);
}

}  // namespace
}  // namespace magtune::shell
