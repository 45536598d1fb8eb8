#include "app/SimulatorProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/TempFolder.h"
#include "platform/UnixSocket.h"
#include "settings/InterfaceCode.h"

namespace magtune::app {
namespace {

// A simulator that ended leaves its socket file behind: only a listener
// counts.
TEST(SimulatorProbe, OnlyASocketWithAListenerIsARunningSimulator) {
    if (!platform::UnixSocket::supported()) {
        GTEST_SKIP() << "this system has no local sockets (wine before 9)";
    }
    test::TempFolder folder;
    const std::string bus = (folder / "bus");
    const std::string port = (folder / "port");
    const std::string file = (folder / "plain-file");
    std::ofstream(file) << "not a socket";
    platform::SystemError error;
    auto stale = platform::UnixSocket::listenAt((folder / "stale"), error);
    ASSERT_TRUE(stale) << error.code;
    stale->close();

    auto usb = platform::UnixSocket::listenAt(bus, error);
    auto wedge = platform::UnixSocket::listenAt(port, error);
    ASSERT_TRUE(usb && wedge);

    struct Case {
        std::string usbBus;
        std::string wedgeSocket;
        SimulatedReader expected;
    };
    const Case cases[] = {
        {"", "", {}},
        {(folder / "nothing-here"), "", {}},
        {(folder / "stale"), file, {}},
        {bus, "", {settings::InterfaceCode::Usb, bus}},
        {"", port, {settings::InterfaceCode::KeyboardWedge, port}},
        {bus, port, {settings::InterfaceCode::Usb, bus}},  // the USB bus first, as --sim
        {(folder / "stale"), port, {settings::InterfaceCode::KeyboardWedge, port}},
    };
    for (const Case& c : cases) {
        RuntimeConfig config;
        config.usbSimulatorBus = c.usbBus;
        config.wedgeSimulatorSocket = c.wedgeSocket;
        EXPECT_EQ(FindRunningSimulator(config), c.expected) << c.usbBus << " " << c.wedgeSocket;
    }
}

}  // namespace
}  // namespace magtune::app
