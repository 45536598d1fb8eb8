#include "usbhid/server/LinuxUsbBackend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/TempFolder.h"

namespace magtune {
namespace {

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
    void installFilterDriver() {
        fs::create_directories(drivers() + "/oruusbhf");
        write(drivers() + "/oruusbhf/bind", "");
        write(drivers() + "/oruusbhf/unbind", "");
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
    LinuxUsbBackend backend{temp.path + "/sys", temp.path + "/oruusbhf"};
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

TEST_F(LinuxUsbBackendTest, QueriesTheFilterThroughTheInterfaceDrivers) {
    sysfs.hub("usb1", 2);
    sysfs.device("1-1", "Tarvik Plain");
    sysfs.device("1-2", "Tarvik Filtered", "oruusbhf");
    EXPECT_EQ(backend.changeFilter(FilterMode::Query, "1-1").result, 0);
    EXPECT_EQ(backend.changeFilter(FilterMode::Query, "1-2").result, 1);
    for (const char* key : {"1-7", "", "..", "../devices/1-2", "1-2/1-2:1.0"}) {
        EXPECT_EQ(backend.changeFilter(FilterMode::Query, key).result, 0) << key;
        EXPECT_EQ(backend.changeFilter(FilterMode::Add, key).result, 0) << key;
    }
}

TEST_F(LinuxUsbBackendTest, AddingTheFilterRebindsTheInterfaces) {
    sysfs.hub("usb1", 1);
    sysfs.device("1-1", "Tarvik Reader");
    // Without the filter driver nothing is unbound: the reader keeps working.
    const FilterChange missing = backend.changeFilter(FilterMode::Add, "1-1");
    EXPECT_EQ(missing.result, 0);
    EXPECT_EQ(missing.errorCode, ENOENT);
    EXPECT_EQ(FakeSysfs::read(sysfs.drivers() + "/usbhid/unbind"), "");

    sysfs.installFilterDriver();
    const FilterChange added = backend.changeFilter(FilterMode::Add, "1-1");
    EXPECT_EQ(added.result, 1);
    EXPECT_EQ(added.errorCode, 0);
    EXPECT_EQ(FakeSysfs::read(sysfs.drivers() + "/usbhid/unbind"), "1-1:1.0");
    EXPECT_EQ(FakeSysfs::read(sysfs.drivers() + "/oruusbhf/bind"), "1-1:1.0");

    // Already there: nothing is written again.
    sysfs.bind("1-1:1.0", "oruusbhf");
    FakeSysfs::write(sysfs.drivers() + "/oruusbhf/bind", "");
    EXPECT_EQ(backend.changeFilter(FilterMode::Add, "1-1").result, 1);
    EXPECT_EQ(FakeSysfs::read(sysfs.drivers() + "/oruusbhf/bind"), "");
}

TEST_F(LinuxUsbBackendTest, RemovingTheFilterHandsTheInterfacesBack) {
    sysfs.installFilterDriver();
    sysfs.hub("usb1", 2);
    sysfs.device("1-1", "Tarvik Filtered", "oruusbhf");
    sysfs.device("1-2", "Tarvik Plain");
    EXPECT_EQ(backend.changeFilter(FilterMode::Remove, "1-2").result, 1);
    EXPECT_EQ(FakeSysfs::read(sysfs.drivers() + "/oruusbhf/unbind"), "");

    EXPECT_EQ(backend.changeFilter(FilterMode::Remove, "1-1").result, 1);
    EXPECT_EQ(FakeSysfs::read(sysfs.drivers() + "/oruusbhf/unbind"), "1-1:1.0");
    EXPECT_EQ(FakeSysfs::read(temp.path + "/sys/bus/usb/drivers_probe"), "1-1:1.0");

    // A refused write is reported with the system's error.
    fs::remove(sysfs.drivers() + "/oruusbhf/unbind");
    const FilterChange refused = backend.changeFilter(FilterMode::Remove, "1-1");
    EXPECT_EQ(refused.result, 0);
    EXPECT_EQ(refused.errorCode, ENOENT);
}

TEST_F(LinuxUsbBackendTest, TheControlDeviceOpensOnlyWhenPresentAndNotInUse) {
    EXPECT_EQ(backend.openControlDevice(), nullptr);

    FakeSysfs::write(temp.path + "/oruusbhf", "");
    auto device = backend.openControlDevice();
    ASSERT_NE(device, nullptr);
    // A plain file is no driver: every request is refused.
    EXPECT_EQ(device->request(kReadControlCodeRequest, 0), std::nullopt);
    // Not shared: a second open waits for the first to close.
    EXPECT_EQ(backend.openControlDevice(), nullptr);
    device.reset();
    EXPECT_NE(backend.openControlDevice(), nullptr);
}

TEST(LinuxUsbBackendEnvironment, TheControlDevicePathCanBeOverridden) {
    TempFolder temp;
    FakeSysfs::write(temp / "filter", "");
    {
        test::ScopedEnv env(LinuxUsbBackend::kControlDeviceVariable, (temp / "filter").c_str());
        EXPECT_NE(LinuxUsbBackend::ForThisSystem().openControlDevice(), nullptr);
    }
    test::ScopedEnv env(LinuxUsbBackend::kControlDeviceVariable, (temp / "missing").c_str());
    EXPECT_EQ(LinuxUsbBackend::ForThisSystem().openControlDevice(), nullptr);
}

}  // namespace
}  // namespace magtune
