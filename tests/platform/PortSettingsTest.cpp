#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/PortSettings.h"

namespace magtune::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ToVector(const std::array<std::uint8_t, 28>& bytes) {
    return {bytes.begin(), bytes.end()};
}

TEST(PortSettingsTest, TypicalBlockHasTheWindowsByteLayout) {
    PortSettings s;
    s.DCBlength = 28;
    s.BaudRate = 9600;
    s.setFBinary(true);
    s.setFDtrControl(PortSettings::kDtrControlEnable);
    s.setFRtsControl(PortSettings::kRtsControlEnable);
    s.XonLim = 2048;
    s.XoffLim = 512;
    s.ByteSize = 8;
    s.Parity = PortSettings::kNoParity;
    s.StopBits = PortSettings::kOneStopBit;
    s.XonChar = 0x11;
    s.XoffChar = 0x13;

    const Bytes expected = {
        0x1C, 0x00, 0x00, 0x00,  // DCBlength
        0x80, 0x25, 0x00, 0x00,  // BaudRate 9600
        0x11, 0x10, 0x00, 0x00,  // fBinary, fDtrControl enable, fRtsControl enable
        0x00, 0x00,              // wReserved
        0x00, 0x08,              // XonLim
        0x00, 0x02,              // XoffLim
        0x08,                    // ByteSize
        0x00,                    // Parity
        0x00,                    // StopBits
        0x11,                    // XonChar
        0x13,                    // XoffChar
        0x00,                    // ErrorChar
        0x00,                    // EofChar
        0x00,                    // EvtChar
        0x00, 0x00,              // wReserved1
    };
    EXPECT_EQ(ToVector(s.toBytes()), expected);
    EXPECT_EQ(PortSettings::fromBytes(expected), s);
}

TEST(PortSettingsTest, EveryFieldHasItsOwnOffset) {
    const Bytes bytes = {
        0x1C, 0x00, 0x00, 0x00,  // DCBlength
        0x00, 0x96, 0x00, 0x00,  // BaudRate 38400
        0x04, 0x20, 0x00, 0x80,  // fOutxCtsFlow, fRtsControl handshake, bit 31
        0x01, 0x02,              // wReserved
        0x03, 0x04,              // XonLim
        0x05, 0x06,              // XoffLim
        0x07,                    // ByteSize
        0x02,                    // Parity even
        0x02,                    // StopBits two
        0x21,                    // XonChar
        0x22,                    // XoffChar
        0x23,                    // ErrorChar
        0x24,                    // EofChar
        0x25,                    // EvtChar
        0x26, 0x27,              // wReserved1
    };
    PortSettings s = PortSettings::fromBytes(bytes);
    EXPECT_EQ(s.DCBlength, 28u);
    EXPECT_EQ(s.BaudRate, 38400u);
    EXPECT_EQ(s.flags, 0x80002004u);
    EXPECT_TRUE(s.fOutxCtsFlow());
    EXPECT_EQ(s.fRtsControl(), PortSettings::kRtsControlHandshake);
    EXPECT_FALSE(s.fBinary());
    EXPECT_EQ(s.wReserved, 0x0201);
    EXPECT_EQ(s.XonLim, 0x0403);
    EXPECT_EQ(s.XoffLim, 0x0605);
    EXPECT_EQ(s.ByteSize, 7);
    EXPECT_EQ(s.Parity, PortSettings::kEvenParity);
    EXPECT_EQ(s.StopBits, PortSettings::kTwoStopBits);
    EXPECT_EQ(s.XonChar, 0x21);
    EXPECT_EQ(s.XoffChar, 0x22);
    EXPECT_EQ(s.ErrorChar, 0x23);
    EXPECT_EQ(s.EofChar, 0x24);
    EXPECT_EQ(s.EvtChar, 0x25);
    EXPECT_EQ(s.wReserved1, 0x2726);
    EXPECT_EQ(ToVector(s.toBytes()), bytes);
}

TEST(PortSettingsTest, ShortInputLeavesTheMissingFieldsZero) {
    const Bytes bytes = {0x1C, 0x00, 0x00, 0x00, 0x80, 0x25};
    PortSettings s = PortSettings::fromBytes(bytes);
    EXPECT_EQ(s.DCBlength, 28u);
    EXPECT_EQ(s.BaudRate, 0x2580u);
    EXPECT_EQ(s.flags, 0u);
    EXPECT_EQ(PortSettings::fromBytes({}), PortSettings{});
}

TEST(PortSettingsTest, FlagAccessorsUseTheDcbBitPositions) {
    struct Case {
        const char* name;
        std::function<void(PortSettings&)> set;
        std::function<std::uint32_t(const PortSettings&)> get;
        std::uint32_t flags;
    };
    const std::vector<Case> cases = {
        {"fBinary", [](PortSettings& s) { s.setFBinary(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fBinary()}; }, 0x0001},
        {"fParity", [](PortSettings& s) { s.setFParity(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fParity()}; }, 0x0002},
        {"fOutxCtsFlow", [](PortSettings& s) { s.setFOutxCtsFlow(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fOutxCtsFlow()}; }, 0x0004},
        {"fOutxDsrFlow", [](PortSettings& s) { s.setFOutxDsrFlow(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fOutxDsrFlow()}; }, 0x0008},
        {"fDtrControl", [](PortSettings& s) { s.setFDtrControl(2); },
         [](const PortSettings& s) { return std::uint32_t{s.fDtrControl()} == 2 ? 1u : 0u; },
         0x0020},
        {"fDsrSensitivity", [](PortSettings& s) { s.setFDsrSensitivity(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fDsrSensitivity()}; }, 0x0040},
        {"fTXContinueOnXoff", [](PortSettings& s) { s.setFTXContinueOnXoff(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fTXContinueOnXoff()}; }, 0x0080},
        {"fOutX", [](PortSettings& s) { s.setFOutX(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fOutX()}; }, 0x0100},
        {"fInX", [](PortSettings& s) { s.setFInX(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fInX()}; }, 0x0200},
        {"fErrorChar", [](PortSettings& s) { s.setFErrorChar(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fErrorChar()}; }, 0x0400},
        {"fNull", [](PortSettings& s) { s.setFNull(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fNull()}; }, 0x0800},
        {"fRtsControl", [](PortSettings& s) { s.setFRtsControl(3); },
         [](const PortSettings& s) { return std::uint32_t{s.fRtsControl()} == 3 ? 1u : 0u; },
         0x3000},
        {"fAbortOnError", [](PortSettings& s) { s.setFAbortOnError(true); },
         [](const PortSettings& s) { return std::uint32_t{s.fAbortOnError()}; }, 0x4000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PortSettings s;
        c.set(s);
        EXPECT_EQ(s.flags, c.flags);
        EXPECT_EQ(c.get(s), 1u);
        // Clearing one field leaves its neighbours alone.
        PortSettings all;
        all.flags = 0xFFFFFFFF;
        PortSettings cleared = all;
        cleared.flags &= ~c.flags;
        EXPECT_EQ(c.get(cleared), 0u);
    }
    PortSettings s;
    s.flags = 0xFFFFFFFF;
    s.setFDtrControl(1);
    EXPECT_EQ(s.flags, 0xFFFFFFDFu);
    s.setFRtsControl(7);  // only two bits exist
    EXPECT_EQ(s.fRtsControl(), 3);
    EXPECT_TRUE(s.fAbortOnError());
}

}  // namespace
}  // namespace magtune::platform
