#include "usbhid/server/UsbHidServer.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "FakeDeviceBackend.h"
#include "platform/SystemError.h"
#include "support/FakePrompter.h"

namespace magtune::usbhid {
namespace {

using namespace magtune::usbhid;

using test::FakeDeviceBackend;
using test::FakePrompter;
using test::RecordingClock;
using Strings = std::vector<std::string>;

// The block as the other process sees it: bytes at fixed offsets.
using RawBlock = std::array<std::uint8_t, kRequestBlockSize>;

void PutInt32(RawBlock& raw, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        raw[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t GetInt32(const RawBlock& raw, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= std::uint32_t{raw[offset + i]} << (8 * i);
    }
    return value;
}

class UsbHidServerTest : public ::testing::Test {
  protected:
    UsbHidServerTest() {
        backend.devices = {{"Tarvik Reader A", "key-a"},
                           {"Logitech Mouse", "key-m"},
                           {"Tarvik Reader B", "key-b"},
                           {"tarvik lower case", "key-l"}};
    }

    // Runs one request on a raw block, as the client lays it out.
    void handle(RawBlock& raw) {
        RequestBlock block;
        std::memcpy(&block, raw.data(), raw.size());
        server.handle(block);
        std::memcpy(raw.data(), &block, raw.size());
    }

    std::int32_t request(UsbHidRequest code, std::int32_t argument = 0) {
        RequestBlock block{};
        block.requestCode = static_cast<std::int32_t>(code);
        block.arguments.deviceIndex = argument;
        server.handle(block);
        return code == UsbHidRequest::EnumDeviceList ? block.enumerateResult : block.reply.result;
    }

    FakeDeviceBackend backend;
    RecordingClock clock;
    FakePrompter prompter;
    UsbHidServer server{backend, clock, prompter};
};

TEST_F(UsbHidServerTest, RequestsReadAndWriteTheirFieldsAtFixedOffsets) {
    backend.filtered = {"key-b"};
    struct Case {
        const char* name;
        std::uint32_t code;
        std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> input;
        std::vector<std::pair<std::size_t, std::vector<std::uint8_t>>> expected;
        Strings ioctls;
    };
    const std::vector<Case> cases = {
        {"list", 1, {}, {{1044, {0x02, 0x00, 0x00, 0x00}}}, {}},
        {"enumerate B",
         3,
         {{4, {0x01, 0x00, 0x00, 0x00}}},
         {{1044, {'T', 'a', 'r', 'v', 'i', 'k', ' ', 'R', 'e', 'a', 'd', 'e', 'r', ' ', 'B', 0}},
          {1300, {0x01}},
          {1304, {0x01, 0x00, 0x00, 0x00}}},
         {}},
        {"read code",
         6,
         {},
         {{1044, {0x5A}}, {1048, {0x01, 0x00, 0x00, 0x00}}},
         {"ioctl 220004 00"}},
        {"send code 0x1EC",
         7,
         {{4, {0xEC, 0x01, 0x00, 0x00}}},
         {{1044, {0x01, 0x00, 0x00, 0x00}}},
         {"ioctl 220008 EC"}},
        {"channel 253", 8, {{4, {0xFD}}}, {{1044, {0x01, 0x00, 0x00, 0x00}}}, {"ioctl 22000C FD"}},
        {"buffered upload request",
         11,
         {{4, {0x02, 0x1B, 0x52}}, {1036, {0x03, 0x00, 0x00, 0x00}}, {1040, {0x07, 0, 0, 0}}},
         {{1044, {0x01, 0x00, 0x00, 0x00}}},
         {"ioctl 220008 02", "ioctl 220008 1B", "ioctl 220008 52"}},
        {"buffered length past the buffer",
         11,
         {{1036, {0x09, 0x04, 0x00, 0x00}}},
         {{1044, {0x00, 0x00, 0x00, 0x00}}},
         {}},
        {"ready", 10, {}, {{1044, {0x01, 0x00, 0x00, 0x00}}}, {}},
        {"is selected", 5, {}, {{1044, {0x01, 0x00, 0x00, 0x00}}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawBlock raw;
        raw.fill(0xCC);
        PutInt32(raw, 0, c.code);
        for (const auto& [offset, bytes] : c.input) {
            std::copy(bytes.begin(), bytes.end(), raw.begin() + offset);
        }
        backend.calls.clear();
        handle(raw);
        for (const auto& [offset, bytes] : c.expected) {
            EXPECT_EQ(std::vector<std::uint8_t>(raw.begin() + offset,
                                                raw.begin() + offset + bytes.size()),
                      bytes)
                << "at offset " << offset;
        }
        Strings ioctls;
        for (const auto& call : backend.calls) {
            if (call.starts_with("ioctl")) {
                ioctls.push_back(call);
            }
        }
        EXPECT_EQ(ioctls, c.ioctls);
    }
}

TEST_F(UsbHidServerTest, UnknownRequestsAndUnknownIndexesWriteNothing) {
    for (const std::uint32_t code : {0u, 12u, 0xFFFFFFFFu}) {
        RawBlock raw;
        raw.fill(0xCC);
        PutInt32(raw, 0, code);
        handle(raw);
        RawBlock expected;
        expected.fill(0xCC);
        PutInt32(expected, 0, code);
        EXPECT_EQ(raw, expected) << code;
    }
    ASSERT_EQ(request(UsbHidRequest::GetAvailableDeviceList), 2);
    for (const std::int32_t index : {2, 3, -1, 0x7FFFFFFF}) {
        RawBlock raw;
        raw.fill(0xCC);
        PutInt32(raw, 0, 3);
        PutInt32(raw, 4, static_cast<std::uint32_t>(index));
        handle(raw);
        EXPECT_EQ(GetInt32(raw, 1304), 0u) << index;
        EXPECT_EQ(raw[1044], 0xCC) << index;
        EXPECT_EQ(raw[1300], 0xCC) << index;
    }
}

TEST_F(UsbHidServerTest, ListsOnlyTarvikReadersAndAtMostSixteen) {
    EXPECT_EQ(request(UsbHidRequest::GetAvailableDeviceList), 2);
    EXPECT_EQ(server.deviceList(), (std::vector<UsbDeviceInfo>{{"Tarvik Reader A", "key-a"},
                                                               {"Tarvik Reader B", "key-b"}}));

    backend.devices.clear();
    for (int i = 0; i < 20; ++i) {
        backend.devices.push_back({"Tarvik " + std::to_string(i), "k" + std::to_string(i)});
    }
    EXPECT_EQ(request(UsbHidRequest::GetAvailableDeviceList), 16);
    EXPECT_EQ(server.deviceList().back().productName, "Tarvik 15");
}

TEST_F(UsbHidServerTest, ReleaseAnswersWhetherThereWereEntriesAndForgetsTheSelection) {
    EXPECT_EQ(request(UsbHidRequest::ReleaseDeviceList), 0);
    request(UsbHidRequest::GetAvailableDeviceList);
    backend.filtered = {"key-a"};
    EXPECT_EQ(request(UsbHidRequest::EnumDeviceList, 0), 1);
    EXPECT_EQ(server.selectedIndex(), 0);
    EXPECT_EQ(request(UsbHidRequest::ReleaseDeviceList), 1);
    EXPECT_EQ(server.selectedIndex(), -1);
    EXPECT_EQ(request(UsbHidRequest::ReleaseDeviceList), 0);
}

TEST_F(UsbHidServerTest, EnumeratingAReaderWithTheFilterMarksItSelectedForALaterDeselect) {
    backend.filtered = {"key-b"};
    request(UsbHidRequest::GetAvailableDeviceList);
    EXPECT_EQ(request(UsbHidRequest::EnumDeviceList, 0), 1);
    EXPECT_EQ(server.selectedIndex(), -1);
    EXPECT_EQ(request(UsbHidRequest::EnumDeviceList, 1), 1);
    EXPECT_EQ(server.selectedIndex(), 1);
    backend.calls.clear();
    EXPECT_EQ(request(UsbHidRequest::DeselectDevice), 1);
    EXPECT_EQ(backend.calls, Strings{"remove key-b"});
    EXPECT_TRUE(backend.filtered.empty());
    EXPECT_EQ(server.selectedIndex(), -1);
    // Nothing selected any more: nothing to remove.
    backend.calls.clear();
    EXPECT_EQ(request(UsbHidRequest::DeselectDevice), 1);
    EXPECT_TRUE(backend.calls.empty());
}

TEST_F(UsbHidServerTest, SelectingPausesAddsTheFilterAndWaitsUntilTheDriverAnswers) {
    request(UsbHidRequest::GetAvailableDeviceList);
    backend.calls.clear();
    EXPECT_EQ(request(UsbHidRequest::SelectDevice, 1), 1);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>{2000});
    EXPECT_EQ(backend.calls, (Strings{"add key-b", "open"}));
    EXPECT_EQ(server.selectedIndex(), 1);
}

TEST_F(UsbHidServerTest, SelectingTheSelectedReaderOnlyPauses) {
    request(UsbHidRequest::GetAvailableDeviceList);
    request(UsbHidRequest::SelectDevice, 0);
    backend.calls.clear();
    clock.sleeps.clear();
    EXPECT_EQ(request(UsbHidRequest::SelectDevice, 0), 1);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>{2000});
    EXPECT_TRUE(backend.calls.empty());
}

TEST_F(UsbHidServerTest, SelectingAnotherReaderTakesTheFilterOffTheFirstBeforeAddingIt) {
    request(UsbHidRequest::GetAvailableDeviceList);
    request(UsbHidRequest::SelectDevice, 0);
    backend.calls.clear();
    EXPECT_EQ(request(UsbHidRequest::SelectDevice, 1), 1);
    EXPECT_EQ(backend.calls, (Strings{"remove key-a", "add key-b", "open"}));
    EXPECT_EQ(backend.filtered, std::set<std::string>{"key-b"});
}

TEST_F(UsbHidServerTest, SelectionFailures) {
    EXPECT_EQ(request(UsbHidRequest::SelectDevice, 0), 0);  // empty list
    request(UsbHidRequest::GetAvailableDeviceList);
    EXPECT_EQ(request(UsbHidRequest::SelectDevice, 2), 0);
    EXPECT_EQ(request(UsbHidRequest::SelectDevice, -1), 0);
    EXPECT_TRUE(clock.sleeps.empty());

    // The system refuses the change: the user is told, the reader still
    // counts as selected so that a deselect cleans up.
    backend.addFails = true;
    backend.failedAdd = {0, EACCES};
    EXPECT_EQ(request(UsbHidRequest::SelectDevice, 0), 0);
    EXPECT_EQ(prompter.texts(), Strings{platform::SystemMessageText(EACCES)});
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Warning);
    EXPECT_EQ(server.selectedIndex(), 0);

    // The filter is in but the driver never answers: 25 polls a second apart.
    backend.addFails = false;
    backend.driverMissing = true;
    clock.sleeps.clear();
    EXPECT_EQ(request(UsbHidRequest::SelectDevice, 1), 0);
    std::vector<std::uint32_t> expected{2000};
    expected.insert(expected.end(), 24, 1000);
    EXPECT_EQ(clock.sleeps, expected);
}

TEST_F(UsbHidServerTest, ControlRequestsCountAsDoneOnceTheControlDeviceOpened) {
    request(UsbHidRequest::GetAvailableDeviceList);
    RequestBlock block{};
    block.requestCode = static_cast<std::int32_t>(UsbHidRequest::SetDeviceControlCode);
    server.handle(block);
    EXPECT_EQ(block.reply.result, 0);  // no reader carries the filter

    request(UsbHidRequest::SelectDevice, 0);
    backend.driverRefuses = true;
    for (const auto code : {UsbHidRequest::SetDeviceControlCode, UsbHidRequest::SetDownloadChannel,
                            UsbHidRequest::SetDeviceBufferedData}) {
        EXPECT_EQ(request(code), 1);
    }
    block.requestCode = static_cast<std::int32_t>(UsbHidRequest::GetDeviceControlCode);
    block.reply.controlCodeReply.code = 0x77;
    server.handle(block);
    EXPECT_EQ(block.reply.controlCodeReply.result, 0);
    EXPECT_EQ(block.reply.controlCodeReply.code, 0);
}

}  // namespace
}  // namespace magtune::usbhid
