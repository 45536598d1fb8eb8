#include "platform/DeviceAccess.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "PtyPair.h"
#include "TempFolder.h"
#include "platform/ComPorts.h"

namespace magtune::platform {
namespace {

using test::PtyPair;
using test::TempFolder;

const SerialPlace kLinked{"COM2", "/dev/ttyUSB0", "/home/ana/.config/magtune/ports", true};
const SerialPlace kFixed{"COM1", "/dev/ttyS0", "/p", false};
const SerialPlace kNamed = DevicePlace("/dev/ttyACM0");

const DeviceOwnership kNotInDialout{"dialout", 0660, "ana", false, false};
const DeviceOwnership kJoinedLater{"dialout", 0660, "ana", true, false};
const DeviceOwnership kInDialout{"dialout", 0660, "ana", true, true};
const DeviceOwnership kRootOnly{"root", 0600, "ana", false, false};
const DeviceOwnership kNoUserName{"uucp", 0660, "", false, false};

TEST(PortNotAvailableTextTest, SaysWhereThePortLeadsWhyAndWhatToDo) {
    const std::string linked =
        "COM2 is not available.\n\nCOM2 is /dev/ttyUSB0 (the link COM2 in "
        "/home/ana/.config/magtune/ports). Opening it failed: ";
    const std::string fixed =
        "COM1 is not available.\n\nCOM1 is /dev/ttyS0 (its fixed place). Opening it failed: ";
    const std::string named = "/dev/ttyACM0 is not available.\n\nOpening it failed: ";
    struct Case {
        SerialPlace place;
        int code;
        DeviceOwnership owner;
        std::string text;
    };
    const Case cases[] = {
        {kLinked, EACCES, kNotInDialout,
         linked +
             "Permission denied.\nMembers of the group dialout may open /dev/ttyUSB0, and ana is "
             "not one. Join the group with\n    sudo usermod -aG dialout ana\nthen log out and "
             "in again."},
        {kFixed, EPERM, kJoinedLater,
         fixed + "Operation not permitted.\nana is in the group dialout that may open /dev/ttyS0, "
                 "but this session began before joining it: log out and in again."},
        // Refused although the groups allow it (an access list, a security module).
        {kNamed, EACCES, kInDialout,
         named +
             "Permission denied.\n/dev/ttyACM0 belongs to the group dialout with mode 0660: ask "
             "the administrator for access to it."},
        {kFixed, EACCES, kRootOnly,
         fixed + "Permission denied.\n/dev/ttyS0 belongs to the group root with mode 0600: ask the "
                 "administrator for access to it."},
        // A group without read and write rights is no way in.
        {kFixed,
         EACCES,
         {"dialout", 0640, "ana", false, false},
         fixed + "Permission denied.\n/dev/ttyS0 belongs to the group dialout with mode 0640: ask "
                 "the administrator for access to it."},
        {kLinked, EACCES, kNoUserName,
         linked +
             "Permission denied.\nMembers of the group uucp may open /dev/ttyUSB0, and $USER is "
             "not one. Join the group with\n    sudo usermod -aG uucp $USER\nthen log out and in "
             "again."},
        {kLinked,
         EBUSY,
         {},
         linked +
             "Device or resource busy.\nAnother program has it open (a terminal program, another "
             "Magtune or magtune-cli): close it and try again."},
        {kLinked,
         ENOTTY,
         {},
         linked +
             "Inappropriate ioctl for device.\nIt is not a serial port: point the link COM2 in "
             "/home/ana/.config/magtune/ports at the reader's serial device."},
        {kNamed,
         ENOTTY,
         {},
         named +
             "Inappropriate ioctl for device.\nIt is not a serial port: name the reader's serial "
             "device instead."},
        {kFixed,
         ENOENT,
         {},
         fixed + "No such file or directory.\nThe device is not there: plug in the reader's serial "
                 "adapter, or make a link COM1 in /p to the reader's serial device."},
        {kNamed,
         ENXIO,
         {},
         named + "No such device or address.\nThe device is not there: plug in the reader's serial "
                 "adapter, or name the reader's serial device instead."},
        {kLinked,
         ENODEV,
         {},
         linked +
             "No such device.\nThe device is not there: plug in the reader's serial adapter, or "
             "point the link COM2 in /home/ana/.config/magtune/ports at the reader's serial "
             "device."},
        {kFixed, EIO, {}, fixed + "Input/output error."},
        // A port the system names itself, without a folder of links.
        {{"COM3", "\\\\.\\COM3", "", false},
         ENOENT,
         {},
         "COM3 is not available.\n\nCOM3 is \\\\.\\COM3. Opening it failed: No such file or "
         "directory.\nThe device is not there: plug in the reader's serial adapter, or choose the "
         "port it has."},
        {kFixed,
         0,
         {},
         "COM1 is not available.\n\nCOM1 is /dev/ttyS0 (its fixed place). Opening "
         "it failed."},
        // An index outside the ports leads nowhere.
        {{"COM33", "", "/p", false}, ENOENT, {}, "COM33 is not available."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortNotAvailableText(c.place, c.code, c.owner), c.text)
            << c.place.name << " " << c.code;
    }
    EXPECT_EQ(PortNotAvailableText("COM32"), "COM32 is not available.");
}

TEST(PortNotAvailableTextTest, PlacesOfComPortsAndDevices) {
    TempFolder ports;
    ASSERT_EQ(::symlink("/dev/null", (ports / "COM3").c_str()), 0);
    const SerialPlace linked = ComPortPlace(2, ports.path);
    EXPECT_EQ(linked.name, "COM3");
    EXPECT_EQ(linked.device, "/dev/null");
    EXPECT_EQ(linked.portsFolder, ports.path);
    EXPECT_TRUE(linked.linked);
    const SerialPlace fixed = ComPortPlace(3, ports.path);
    EXPECT_EQ(fixed.device, "/dev/ttyS3");
    EXPECT_FALSE(fixed.linked);
    EXPECT_EQ(ComPortPlace(40, ports.path).name, "COM41");
    EXPECT_EQ(ComPortPlace(40, ports.path).device, "");
    EXPECT_EQ(DevicePlace("/dev/ttyUSB3").name, "/dev/ttyUSB3");
}

// What the system says of a device this user made: its group is the user's
// own, which this session has.
TEST(PortNotAvailableTextTest, OwnershipComesFromTheSystem) {
    TempFolder folder;
    const std::string file = folder / "device";
    std::ofstream(file).put('x');
    ASSERT_EQ(::chmod(file.c_str(), 0620), 0);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    const DeviceOwnership owner = SerialDeviceOwnership(file);
    const group* fileGroup = ::getgrgid(st.st_gid);
    EXPECT_EQ(owner.group, fileGroup ? fileGroup->gr_name : std::to_string(st.st_gid));
    EXPECT_EQ(owner.mode, 0620u);
    if (const passwd* user = ::getpwuid(::geteuid())) {
        EXPECT_EQ(owner.user, user->pw_name);
        if (st.st_gid == user->pw_gid) {
            EXPECT_TRUE(owner.userInGroup);
        }
    }
    EXPECT_TRUE(owner.sessionInGroup);

    const DeviceOwnership none = SerialDeviceOwnership(folder / "missing");
    EXPECT_EQ(none.group, "");
    EXPECT_FALSE(none.sessionInGroup);
}

// A link to something that is no terminal fails where the port opens, and
// the text says what it is.
TEST(PortNotAvailableTextTest, ALinkToNoTerminalIsToldSo) {
    TempFolder ports;
    ASSERT_EQ(::symlink("/dev/null", (ports / "COM1").c_str()), 0);
    SystemError error;
    ASSERT_EQ(OpenComPort(0, ports.path, error), nullptr);
    EXPECT_EQ(PortNotAvailableText(ComPortPlace(0, ports.path), error.code),
              "COM1 is not available.\n\nCOM1 is /dev/null (the link COM1 in " + ports.path +
                  "). Opening it failed: Inappropriate ioctl for device.\nIt is not a serial "
                  "port: point the link COM1 in " +
                  ports.path + " at the reader's serial device.");
}

// How a device looks before anyone opens it (what `magtune-cli ports` shows).
TEST(SerialDeviceAccessTest, TellsTerminalsFromOtherFiles) {
    TempFolder folder;
    const std::string plain = folder.path + "/plain";
    std::ofstream(plain) << "x";
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    // The kernel files /dev/null under the class "mem" where /sys tells classes.
    const bool classesKnown = ::access("/sys/dev/char/1:3/subsystem", F_OK) == 0;
    const struct {
        std::string device;
        const char* state;
    } cases[] = {
        {pty.slavePath, kDeviceReady},
        {"/dev/null", classesKnown ? kDeviceNotTerminal : kDeviceReady},
        {plain, kDeviceNotTerminal},
        {folder.path, kDeviceNotTerminal},
        {folder.path + "/missing", kDeviceMissing},
        {"", kDeviceMissing},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SerialDeviceAccess(c.device).state, c.state) << c.device;
    }
}

}  // namespace
}  // namespace magtune::platform
