#include "comm/SerialLink.h"

#include <gtest/gtest.h>

#include "comm/SerialConnectScan.h"
#include "comm/SerialFixture.h"
#include "platform/SystemError.h"

namespace magtune::comm {
namespace {

using SerialLinkTest = test::SerialFixture;
using ScanState = SerialConnectScan::State;

// The connect scan run to its end at once.
ScanState Scan(SerialLink& link) {
    SerialConnectScan scan(link);
    ScanState state = scan.begin();
    while (state == ScanState::Running) {
        state = scan.step();
    }
    return state;
}

TEST_F(SerialLinkTest, FirstOpenFillsTheBlockWith9600Baud8N1) {
    session.PortSettings = {};
    port.systemState.DCBlength = 28;
    port.systemState.BaudRate = 115200;
    port.systemState.ByteSize = 7;
    port.systemState.Parity = platform::PortSettings::kEvenParity;
    port.systemState.StopBits = platform::PortSettings::kTwoStopBits;
    port.systemState.setFBinary(true);
    port.systemState.XonChar = 0x11;

    ASSERT_TRUE(link.OpenSerialPort());
    EXPECT_EQ(port.getStateCalls, 1);
    platform::PortSettings expected = port.systemState;
    expected.BaudRate = 9600;
    expected.ByteSize = 8;
    expected.Parity = platform::PortSettings::kNoParity;
    expected.StopBits = platform::PortSettings::kOneStopBit;
    ASSERT_EQ(port.appliedStates.size(), 1u);
    EXPECT_EQ(port.appliedStates[0], expected);
    EXPECT_EQ(session.PortSettings, expected);
    EXPECT_EQ(port.appliedTimeouts,
              (std::vector<platform::CommTimeouts>{{0xFFFFFFFF, 0xFFFFFFFF, 1, 0, 0}}));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(SerialLinkTest, FirstOpenMarksTheBlockFilledEvenWhenThePortLeavesItsLengthZero) {
    session.PortSettings = {};
    ASSERT_TRUE(link.OpenSerialPort());
    EXPECT_EQ(session.PortSettings.DCBlength, 28u);
    ASSERT_TRUE(link.OpenSerialPort());
    EXPECT_EQ(port.getStateCalls, 1);
}

TEST_F(SerialLinkTest, StoredBlockIsAppliedUnchanged) {
    session.PortSettings.BaudRate = 2400;
    session.PortSettings.ByteSize = 7;
    session.PortSettings.Parity = platform::PortSettings::kOddParity;
    const platform::PortSettings stored = session.PortSettings;
    ASSERT_TRUE(link.OpenSerialPort());
    EXPECT_EQ(port.getStateCalls, 0);
    EXPECT_EQ(port.appliedStates, std::vector<platform::PortSettings>{stored});
}

TEST_F(SerialLinkTest, OpenFailuresNameTheFailingCall) {
    struct Case {
        void (*inject)(test::FakeSerialPort&);
        const char* function;
    };
    const Case cases[] = {
        {[](test::FakeSerialPort& p) { p.failGetState = true; }, "GetCommState"},
        {[](test::FakeSerialPort& p) { p.failSetState = true; }, "SetCommState"},
        {[](test::FakeSerialPort& p) { p.failSetTimeouts = true; }, "SetCommTimeouts"},
    };
    for (const auto& c : cases) {
        test::FakeSerialPort fake;
        c.inject(fake);
        session.SerialPort = std::make_unique<test::PortHandle>(fake);
        session.PortSettings = {};
        prompter.clear();
        EXPECT_FALSE(link.OpenSerialPort()) << c.function;
        ASSERT_EQ(prompter.messages.size(), 1u) << c.function;
        EXPECT_EQ(prompter.messages[0].text, platform::SystemErrorText(c.function, EIO));
        EXPECT_EQ(prompter.messages[0].caption, "Error");
        EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Error);
        session.closePort();
    }
}

TEST_F(SerialLinkTest, TransferTimeoutsComeFromTheOptions) {
    options.ReadIntervalTimeout = 250;
    options.ReadTotalTimeoutConstant = 4000;
    ASSERT_TRUE(link.SetTransferTimeouts());
    EXPECT_EQ(port.appliedTimeouts, (std::vector<platform::CommTimeouts>{{250, 10, 4000, 0, 0}}));

    port.failSetTimeouts = true;
    EXPECT_FALSE(link.SetTransferTimeouts());
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{platform::SystemErrorText("SetCommTimeouts", EIO)});
}

TEST_F(SerialLinkTest, WriteRepeatsWithTheRemainder) {
    port.reader = nullptr;
    port.writeChunk = 2;
    const std::vector<std::uint8_t> data{1, 2, 3, 4, 5};
    ASSERT_TRUE(link.SerialWrite(data));
    EXPECT_EQ(port.writes, (std::vector<std::vector<std::uint8_t>>{{1, 2}, {3, 4}, {5}}));

    port.failWriteAt = port.writeCalls + 1;
    EXPECT_FALSE(link.SerialWrite(data));
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{platform::SystemErrorText("WriteFile", EIO)});
}

TEST_F(SerialLinkTest, ReadResultsAndLogLines) {
    std::uint8_t buffer[3] = {};
    port.input = {0x06, 0xAB, 0x0F};
    EXPECT_EQ(link.SerialRead(buffer, true), 1);
    port.input = {0x1B};
    EXPECT_EQ(link.SerialRead(buffer, true), 0);
    EXPECT_EQ(link.SerialRead(buffer, true), 0);  // nothing arrived: no line
    port.input = {0x02};
    EXPECT_EQ(link.SerialRead(std::span(buffer, 1), false), 1);  // not logged
    EXPECT_EQ(files.text(test::kLogPath), "06AB0F\n1B\n");

    port.failReadAt = static_cast<int>(port.readSizes.size()) + 1;
    EXPECT_EQ(link.SerialRead(buffer, true), -1);
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{platform::SystemErrorText("ReadFile", EIO)});
}

TEST_F(SerialLinkTest, CallsWithoutAnOpenPortFailSafely) {
    session.closePort();
    std::uint8_t byte = 0;
    EXPECT_FALSE(link.OpenSerialPort());
    EXPECT_FALSE(link.SetTransferTimeouts());
    EXPECT_FALSE(link.SerialWrite(std::span(&byte, 1)));
    EXPECT_EQ(link.SerialRead(std::span(&byte, 1), false), -1);
    EXPECT_EQ(Scan(link), ScanState::PortFailed);
    EXPECT_EQ(prompter.messages.size(), 5u);
}

TEST_F(SerialLinkTest, ConnectAtTheCurrentRate) {
    ASSERT_EQ(Scan(link), ScanState::Connected);
    EXPECT_EQ(reader.connectFrames, 1);
    EXPECT_EQ(port.writes[0], (std::vector<std::uint8_t>{0x02, 0x1B, 0x48, 0x36, 0x35}));
    EXPECT_EQ(port.readSizes, std::vector<std::size_t>{1});
    EXPECT_TRUE(port.appliedStates.empty());
    // The connect reads wait 1 ms each, whatever time-outs were in force.
    EXPECT_EQ(port.appliedTimeouts,
              (std::vector<platform::CommTimeouts>{{0xFFFFFFFF, 0xFFFFFFFF, 1, 0, 0}}));
    EXPECT_FALSE(files.files.count(test::kLogPath));
}

TEST_F(SerialLinkTest, ScanFindsAReaderAt2400) {
    reader.baudRate = 2400;
    ASSERT_EQ(Scan(link), ScanState::Connected);
    EXPECT_EQ(appliedBaudRates(), (std::vector<std::uint32_t>{19200, 38400, 300, 600, 1200, 2400}));
    EXPECT_EQ(reader.connectFrames, 6 * 100 + 1);
    EXPECT_EQ(session.PortSettings.BaudRate, 2400u);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(SerialLinkTest, ScanWithoutAnswerTriesEveryRateOnceAndRestoresTheStartRate) {
    struct Case {
        std::uint32_t start;
        std::vector<std::uint32_t> rates;
        int frames;
    };
    const Case cases[] = {
        {9600, {19200, 38400, 300, 600, 1200, 2400, 4800, 9600}, 800},
        {300, {600, 1200, 2400, 4800, 9600, 19200, 38400, 300}, 800},
        // Outside the series: the start rate never comes round again.
        {14400, {28800, 57600, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 14400}, 1100},
        {57600, {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600}, 900},
        {0, {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 0}, 900},
    };
    for (const auto& c : cases) {
        port.appliedStates.clear();
        reader.connectFrames = 0;
        reader.baudRate = 1;  // never reached
        session.PortSettings.BaudRate = c.start;
        EXPECT_EQ(Scan(link), ScanState::NoAnswer) << c.start;
        EXPECT_EQ(appliedBaudRates(), c.rates) << c.start;
        EXPECT_EQ(reader.connectFrames, c.frames) << c.start;
        EXPECT_EQ(session.PortSettings.BaudRate, c.start);
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST(NextScanBaudRate, DoublesAndWraps) {
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {300, 600}, {19200, 38400}, {38400, 300},      {57600, 300},
        {0, 300},   {150, 300},     {0xFFFFFFFF, 300}, {14400, 28800},
    };
    for (auto [current, next] : cases) {
        EXPECT_EQ(NextScanBaudRate(current), next) << current;
    }
}

TEST_F(SerialLinkTest, ConnectPortFailuresEndTheScanAtOnce) {
    struct Case {
        void (*inject)(test::FakeSerialPort&);
        const char* function;
        std::size_t writes;
    };
    const Case cases[] = {
        {[](test::FakeSerialPort& p) { p.failReadAt = 3; }, "ReadFile", 3},
        {[](test::FakeSerialPort& p) { p.failWriteAt = 2; }, "WriteFile", 1},
        {[](test::FakeSerialPort& p) { p.failSetState = true; }, "SetCommState", 100},
        {[](test::FakeSerialPort& p) { p.failPurge = true; }, "PurgeComm", 100},
        {[](test::FakeSerialPort& p) { p.failSetTimeouts = true; }, "SetCommTimeouts", 0},
    };
    for (const auto& c : cases) {
        test::FakeSerialPort fake;
        fake.reader = nullptr;
        c.inject(fake);
        session.SerialPort = std::make_unique<test::PortHandle>(fake);
        prompter.clear();
        EXPECT_EQ(Scan(link), ScanState::PortFailed) << c.function;
        EXPECT_EQ(fake.writes.size(), c.writes) << c.function;
        EXPECT_EQ(prompter.texts(),
                  std::vector<std::string>{platform::SystemErrorText(c.function, EIO)});
        session.closePort();
    }
}

}  // namespace
}  // namespace magtune::comm
