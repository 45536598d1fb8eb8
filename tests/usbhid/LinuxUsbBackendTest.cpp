#include "usbhid/server/LinuxUsbBackend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/PtyPair.h"
#include "platform/TempFolder.h"
#include "usbhid/server/HidrawControlDevice.h"

namespace magtune::usbhid {
namespace {

using namespace magtune::usbhid;

namespace fs = std::filesystem;
using test::TempFolder;

// A sysfs tree as the kernel lays it out, made of plain folders, files and
// links.
class FakeSysfs {
  public:
    explicit FakeSysfs(const std::string& root) : root_(root) {
        fs::create_directories(devices());
        fs::create_directories(drivers() + "/usbhid");
        write(drivers() + "/usbhid/unbind", "");
        write(root_ + "/bus/usb/drivers_probe", "");
    }

    std::string devices() const { return root_ + "/bus/usb/devices"; }
    std::string drivers() const { return root_ + "/bus/usb/drivers"; }

    void hub(const std::string& name, int ports) {
        fs::create_directories(devices() + "/" + name);
        write(devices() + "/" + name + "/bDeviceClass", "09\n");
        write(devices() + "/" + name + "/maxchild", std::to_string(ports) + "\n");
    }
    void device(const std::string& name, const std::string& product,
                const std::string& driver = "usbhid") {
        const std::string folder = devices() + "/" + name;
        // Interfaces sit below their device and are listed beside it too.
        fs::create_directories(folder + "/" + name + ":1.0");
        fs::create_directory_symlink(folder + "/" + name + ":1.0", devices() + "/" + name + ":1.0");
        write(folder + "/bDeviceClass", "00\n");
        if (!product.empty()) {
            write(folder + "/product", product + "\n");
        }
        bind(name + ":1.0", driver);
    }
    void bind(const std::string& interface, const std::string& driver) {
        const std::string link = devices() + "/" + interface.substr(0, interface.find(':')) + "/" +
                                 interface + "/driver";
        fs::remove(link);
        fs::create_directory_symlink(drivers() + "/" + driver, link);
    }
    void interface(const std::string& interface) {
        const std::string device = interface.substr(0, interface.find(':'));
        fs::create_directories(devices() + "/" + device + "/" + interface);
        bind(interface, "usbhid");
    }
    // A hidraw node whose HID device sits below the interface, as the kernel
    // links it from the hidraw class.
    void hidraw(const std::string& node, const std::string& interface) {
        const std::string device = interface.substr(0, interface.find(':'));
        const std::string hid =
            devices() + "/" + device + "/" + interface + "/0003:1D5A:0042." + node;
        fs::create_directories(hid + "/hidraw/" + node);
        fs::create_directories(root_ + "/class/hidraw/" + node);
        fs::create_directory_symlink(hid, root_ + "/class/hidraw/" + node + "/device");
    }

    static void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

  private:
    std::string root_;
};

class LinuxUsbBackendTest : public ::testing::Test {
  protected:
    TempFolder temp;
    FakeSysfs sysfs{temp.path + "/sys"};
    std::string dev = temp.path + "/dev";
    LinuxUsbBackend backend{temp.path + "/sys", dev};
};

TEST_F(LinuxUsbBackendTest, WalksRootHubsInBusOrderAndHubsDepthFirst) {
    // Bus 10 sorts after bus 2; port 2 of bus 1 is empty.
    sysfs.hub("usb10", 1);
    sysfs.device("10-1", "Tarvik On Bus Ten");
    sysfs.hub("usb2", 1);
    sysfs.device("2-1", "Tarvik On Bus Two");
    sysfs.hub("usb1", 4);
    sysfs.device("1-1", "Tarvik First");
    sysfs.hub("1-3", 2);
    sysfs.device("1-3.1", "Behind The Hub");
    sysfs.hub("1-3.2", 1);
    sysfs.device("1-3.2.1", "Two Hubs Deep");
    sysfs.device("1-4", "");                                         // no product string
    sysfs.write(sysfs.devices() + "/1-3/product", "Hub Product\n");  // hubs are never taken
    sysfs.device("1-9", "Beyond maxchild");
    fs::create_directories(sysfs.devices() + "/usbfoo");

    EXPECT_EQ(backend.enumerateDevices(),
              (std::vector<UsbDeviceInfo>{{"Tarvik First", "1-1"},
                                          {"Behind The Hub", "1-3.1"},
                                          {"Two Hubs Deep", "1-3.2.1"},
                                          {"Tarvik On Bus Two", "2-1"},
                                          {"Tarvik On Bus Ten", "10-1"}}));
}

TEST_F(LinuxUsbBackendTest, AMissingOrBrokenTreeHasNoDevices) {
    EXPECT_TRUE(backend.enumerateDevices().empty());
    sysfs.hub("usb1", 1);
    sysfs.write(sysfs.devices() + "/usb1/maxchild", "many\n");
    sysfs.device("1-1", "Tarvik");
    EXPECT_TRUE(backend.enumerateDevices().empty());
    LinuxUsbBackend nowhere(temp.path + "/none", temp.path + "/none");
    EXPECT_TRUE(nowhere.enumerateDevices().empty());
}

TEST_F(LinuxUsbBackendTest, TheReadersHidrawNodeIsFoundBelowItsInterface) {
    sysfs.hub("usb1", 3);
    sysfs.device("1-1", "Tarvik One");
    sysfs.hub("1-2", 1);
    sysfs.device("1-2.1", "Tarvik Behind A Hub");
    sysfs.device("1-3", "Tarvik Without Node");
    sysfs.hidraw("hidraw3", "1-1:1.0");
    sysfs.hidraw("hidraw1", "1-2.1:1.0");
    // A second interface with a node of its own: the first interface counts.
    sysfs.interface("1-1:1.1");
    sysfs.hidraw("hidraw0", "1-1:1.1");
    EXPECT_EQ(backend.hidrawNodeOf("1-1"), dev + "/hidraw3");
    EXPECT_EQ(backend.hidrawNodeOf("1-2.1"), dev + "/hidraw1");
    for (const char* key : {"1-2", "1-3", "1-7", "", "..", "1-1/1-1:1.0", "../1-1"}) {
        EXPECT_EQ(backend.hidrawNodeOf(key), "") << key;
    }
}

TEST_F(LinuxUsbBackendTest, TheFilterIsTheHeldHidrawNodeAndTheReaderKeepsItsDriver) {
    sysfs.hub("usb1", 2);
    sysfs.device("1-1", "Tarvik Reader");
    sysfs.device("1-2", "Tarvik Other");
    sysfs.hidraw("hidraw0", "1-1:1.0");
    test::PtyPair node;
    ASSERT_TRUE(node.ok());
    fs::create_directories(dev);
    fs::create_symlink(node.slavePath, dev + "/hidraw0");

    EXPECT_EQ(backend.changeFilter(FilterMode::Query, "1-1").result, 0);
    EXPECT_EQ(backend.openControlDevice(), nullptr);
    const FilterChange added = backend.changeFilter(FilterMode::Add, "1-1");
    EXPECT_EQ(added.result, 1);
    EXPECT_EQ(added.errorCode, 0);
    EXPECT_EQ(backend.changeFilter(FilterMode::Query, "1-1").result, 1);
    EXPECT_EQ(backend.changeFilter(FilterMode::Query, "1-2").result, 0);
    EXPECT_EQ(backend.changeFilter(FilterMode::Add, "1-1").result, 1);
    // Nothing was unbound: usbhid still drives the reader.
    EXPECT_EQ(fs::read_symlink(sysfs.devices() + "/1-1/1-1:1.0/driver").filename(), "usbhid");
    EXPECT_EQ(FakeSysfs::read(sysfs.drivers() + "/usbhid/unbind"), "");

    // Each control code, and the channel, is one output report.
    auto device = backend.openControlDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->request(kWriteControlCodeRequest, 0xEC), 0xEC);
    EXPECT_EQ(device->request(kWriteControlCodeRequest, 0x0A), 0x0A);
    EXPECT_EQ(device->request(kSetDownloadChannelRequest, 253), 253);
    EXPECT_EQ(node.receive(6), (std::vector<std::uint8_t>{0x01, 0xEC, 0x01, 0x0A, 0x02, 253}));
    // A terminal is no HID device: the feature report get is refused.
    EXPECT_EQ(device->request(kReadControlCodeRequest, 0), std::nullopt);
    EXPECT_EQ(device->request(0x220010, 1), std::nullopt);
    device.reset();

    // Removing lets go of the node; the other reader never had it.
    EXPECT_EQ(backend.changeFilter(FilterMode::Remove, "1-2").result, 1);
    EXPECT_EQ(backend.changeFilter(FilterMode::Query, "1-1").result, 1);
    EXPECT_EQ(backend.changeFilter(FilterMode::Remove, "1-1").result, 1);
    EXPECT_EQ(backend.changeFilter(FilterMode::Query, "1-1").result, 0);
    EXPECT_EQ(backend.openControlDevice(), nullptr);
}

TEST_F(LinuxUsbBackendTest, ANodeThatCannotBeHeldIsReportedWithItsError) {
    sysfs.hub("usb1", 2);
    sysfs.device("1-1", "Tarvik Reader");
    sysfs.device("1-2", "Tarvik No Node");
    sysfs.hidraw("hidraw0", "1-1:1.0");
    fs::create_directories(dev);

    // The node is not there (no udev yet), then another program holds it.
    EXPECT_EQ(backend.changeFilter(FilterMode::Add, "1-1").errorCode, ENOENT);
    EXPECT_EQ(backend.changeFilter(FilterMode::Add, "1-2").errorCode, ENODEV);
    FakeSysfs::write(dev + "/hidraw0", "");
    const int other = ::open((dev + "/hidraw0").c_str(), O_RDWR);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    const FilterChange busy = backend.changeFilter(FilterMode::Add, "1-1");
    EXPECT_EQ(busy.result, 0);
    EXPECT_EQ(busy.errorCode, EBUSY);
    ::close(other);
    EXPECT_EQ(backend.changeFilter(FilterMode::Add, "1-1").result, 1);
    // Held: a second server finds it taken.
    LinuxUsbBackend second{temp.path + "/sys", dev};
    EXPECT_EQ(second.changeFilter(FilterMode::Add, "1-1").errorCode, EBUSY);

    if (::geteuid() != 0) {
        // Without the udev rule the node is root's alone.
        fs::permissions(dev + "/hidraw0", fs::perms::owner_read);
        backend.changeFilter(FilterMode::Remove, "1-1");
        EXPECT_EQ(backend.changeFilter(FilterMode::Add, "1-1").errorCode, EACCES);
    }
}

TEST(HidrawReportsTest, OneReportCarriesOneControlByte) {
    struct Case {
        std::uint32_t request;
        std::uint8_t input;
        std::optional<HidrawReport> report;
    };
    const std::vector<Case> cases = {
        {kWriteControlCodeRequest, 0x00, HidrawReport{0x01, 0x00}},
        {kWriteControlCodeRequest, 0xFF, HidrawReport{0x01, 0xFF}},
        {kSetDownloadChannelRequest, 254, HidrawReport{0x02, 254}},
        {kReadControlCodeRequest, 0, std::nullopt},  // a feature report get
        {0, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        EXPECT_EQ(OutputReportFor(c.request, c.input), c.report);
    }
    EXPECT_EQ(ControlCodeFromFeatureReport({0x03, 0x4F}, 2), 0x4F);
    EXPECT_EQ(ControlCodeFromFeatureReport({0x03, 0x4F}, 3), 0x4F);
    EXPECT_EQ(ControlCodeFromFeatureReport({0x03, 0x4F}, 1), std::nullopt);
    EXPECT_EQ(ControlCodeFromFeatureReport({0x03, 0x4F}, -1), std::nullopt);
    EXPECT_EQ(ControlCodeFromFeatureReport({0x01, 0x4F}, 2), std::nullopt);
}

}  // namespace
}  // namespace magtune::usbhid
