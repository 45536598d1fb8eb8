#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "PtyPair.h"
#include "TempFolder.h"
#include "platform/ComPorts.h"

namespace magtune::platform {
namespace {

using test::ScopedEnv;
using test::TempFolder;

TEST(ComPortsTest, NamesCountFromOne) {
    EXPECT_EQ(ComPortName(0), "COM1");
    EXPECT_EQ(ComPortName(9), "COM10");
    EXPECT_EQ(ComPortName(31), "COM32");
}

TEST(ComPortsTest, PortsWithoutLinksHaveFixedSlots) {
    TempFolder empty;
    struct Case {
        int index;
        const char* device;
    };
    const Case cases[] = {
        {0, "/dev/ttyS0"},
        {7, "/dev/ttyS7"},
        {8, "/dev/ttyUSB0"},
        {19, "/dev/ttyUSB11"},
        {20, "/dev/ttyACM0"},
        {31, "/dev/ttyACM11"},
        {-1, ""},
        {32, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComPortDevice(c.index, empty.path), c.device) << c.index;
        EXPECT_EQ(ComPortDevice(c.index, "/nonexistent/ports"), c.device) << c.index;
    }
}

TEST(ComPortsTest, LinksInThePortsFolderWin) {
    TempFolder ports;
    ASSERT_EQ(::symlink("/dev/null", (ports / "COM1").c_str()), 0);
    ASSERT_EQ(::symlink("adapter", (ports / "COM9").c_str()), 0);
    ASSERT_EQ(::symlink("/nonexistent/ttyUSB7", (ports / "COM32").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/null", (ports / "com2").c_str()), 0);  // not a port name

    EXPECT_EQ(ComPortDevice(0, ports.path), "/dev/null");
    EXPECT_EQ(ComPortDevice(8, ports.path), ports / "adapter");
    EXPECT_EQ(ComPortDevice(31, ports.path), "/nonexistent/ttyUSB7");
    EXPECT_EQ(ComPortDevice(1, ports.path), "/dev/ttyS1");

    ComPortInfo info = ComPortMapping(31, ports.path);
    EXPECT_EQ(info.name, "COM32");
    EXPECT_TRUE(info.linked);
    EXPECT_FALSE(ComPortMapping(1, ports.path).linked);
}

TEST(ComPortsTest, ListingShowsOnlyPortsWhoseDeviceExists) {
    TempFolder ports;
    ASSERT_EQ(::symlink("/dev/null", (ports / "COM3").c_str()), 0);
    ASSERT_EQ(::symlink("/nonexistent/ttyUSB7", (ports / "COM4").c_str()), 0);
    auto listed = ListComPorts(ports.path);
    bool sawCom3 = false;
    for (const auto& port : listed) {
        EXPECT_NE(port.name, "COM4");
        if (port.name == "COM3") {
            sawCom3 = true;
            EXPECT_EQ(port.index, 2);
            EXPECT_EQ(port.device, "/dev/null");
        }
    }
    EXPECT_TRUE(sawCom3);
}

TEST(ComPortsTest, OpensThePortThroughItsLink) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TempFolder ports;
    ASSERT_EQ(::symlink(pty.slavePath.c_str(), (ports / "COM5").c_str()), 0);
    ASSERT_EQ(::symlink("/nonexistent/ttyUSB7", (ports / "COM6").c_str()), 0);

    SystemError error;
    auto port = OpenComPort(4, ports.path, error);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->devicePath(), pty.slavePath);

    struct Case {
        int index;
        int code;
    };
    for (const Case& c : {Case{5, ENOENT}, Case{32, ENOENT}, Case{4, EBUSY}}) {
        SystemError failed;
        EXPECT_EQ(OpenComPort(c.index, ports.path, failed), nullptr) << c.index;
        EXPECT_EQ(failed.function, "CreateFile");
        EXPECT_EQ(failed.code, c.code);
    }
}

TEST(ComPortsTest, PortsFolderFollowsTheEnvironment) {
    {
        ScopedEnv own("MAGTUNE_PORTS_DIR", "/srv/ports");
        EXPECT_EQ(ComPortsFolder(), "/srv/ports");
    }
    ScopedEnv own("MAGTUNE_PORTS_DIR", nullptr);
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/home/tech/.cfg");
        EXPECT_EQ(ComPortsFolder(), "/home/tech/.cfg/magtune/ports");
    }
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", "/home/tech");
    EXPECT_EQ(ComPortsFolder(), "/home/tech/.config/magtune/ports");

    TempFolder ports;
    ASSERT_EQ(::symlink("/dev/null", (ports / "COM2").c_str()), 0);
    ScopedEnv linked("MAGTUNE_PORTS_DIR", ports.path.c_str());
    EXPECT_EQ(ComPortDevice(1), "/dev/null");
}

}  // namespace
}  // namespace magtune::platform
