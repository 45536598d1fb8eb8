#include "usbhid/server/LinuxUsbBackend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace magtune {

namespace {

namespace fs = std::filesystem;

// USB allows five hubs in a row below the root hub; anything deeper is a
// broken tree, not a bus.
constexpr int kMaxHubDepth = 8;
constexpr unsigned kMaxPorts = 255;

std::optional<std::string> ReadAttribute(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

unsigned ReadNumber(const std::string& path) {
    const auto text = ReadAttribute(path);
    unsigned value = 0;
    if (!text ||
        std::from_chars(text->data(), text->data() + text->size(), value).ec != std::errc()) {
        return 0;
    }
    return std::min(value, kMaxPorts);
}

// Writes a sysfs attribute; the error number, or 0.
int WriteAttribute(const std::string& path, const std::string& value) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    int error = 0;
    ssize_t n = 0;
    do {
        n = ::write(fd, value.data(), value.size());
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(value.size())) {
        error = n < 0 ? errno : EIO;
    }
    ::close(fd);
    return error;
}

class LinuxControlDevice : public ControlDevice {
  public:
    explicit LinuxControlDevice(int fd) : fd_(fd) {}
    ~LinuxControlDevice() override { ::close(fd_); }
    LinuxControlDevice(const LinuxControlDevice&) = delete;
    LinuxControlDevice& operator=(const LinuxControlDevice&) = delete;

    std::optional<std::uint8_t> request(std::uint32_t code, std::uint8_t input) override {
        unsigned char buffer = input;
        if (::ioctl(fd_, static_cast<unsigned long>(code), &buffer) != 0) {
            return std::nullopt;
        }
        return buffer;
    }

  private:
    int fd_;
};

}  // namespace

LinuxUsbBackend::LinuxUsbBackend(std::string sysfsRoot, std::string controlDevicePath)
    : devicesFolder_(sysfsRoot + "/bus/usb/devices"),
      driversFolder_(sysfsRoot + "/bus/usb/drivers"),
      probePath_(sysfsRoot + "/bus/usb/drivers_probe"),
      controlDevicePath_(std::move(controlDevicePath)) {}

LinuxUsbBackend LinuxUsbBackend::ForThisSystem() {
    const char* path = std::getenv(kControlDeviceVariable);
    return LinuxUsbBackend("/sys", path && *path ? path : kDefaultControlDevicePath);
}

std::vector<UsbDeviceInfo> LinuxUsbBackend::enumerateDevices() {
    std::vector<std::pair<unsigned, std::string>> rootHubs;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(devicesFolder_, error)) {
        const std::string name = entry.path().filename().string();
        unsigned bus = 0;
        const char* digits = name.data() + 3;
        const char* end = name.data() + name.size();
        if (name.size() > 3 && name.starts_with("usb") &&
            std::from_chars(digits, end, bus).ptr == end) {
            rootHubs.emplace_back(bus, name);
        }
    }
    std::sort(rootHubs.begin(), rootHubs.end());
    std::vector<UsbDeviceInfo> devices;
    for (const auto& [bus, name] : rootHubs) {
        walkHub(name, std::to_string(bus) + "-", 0, devices);
    }
    return devices;
}

void LinuxUsbBackend::walkHub(const std::string& hub, const std::string& childPrefix, int depth,
                              std::vector<UsbDeviceInfo>& devices) const {
    if (depth > kMaxHubDepth) {
        return;
    }
    const unsigned ports = ReadNumber(devicesFolder_ + "/" + hub + "/maxchild");
    for (unsigned port = 1; port <= ports; ++port) {
        const std::string child = childPrefix + std::to_string(port);
        const std::string folder = devicesFolder_ + "/" + child;
        std::error_code error;
        if (!fs::is_directory(folder, error)) {
            continue;  // nothing plugged into this port
        }
        if (ReadAttribute(folder + "/bDeviceClass") == "09") {
            walkHub(child, child + ".", depth + 1, devices);
            continue;
        }
        const auto product = ReadAttribute(folder + "/product");
        if (product && !product->empty()) {
            devices.push_back({*product, child});
        }
    }
}

std::vector<std::string> LinuxUsbBackend::interfacesOf(const std::string& device) const {
    std::vector<std::string> interfaces;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(devicesFolder_ + "/" + device, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(device + ":")) {
            interfaces.push_back(name);
        }
    }
    std::sort(interfaces.begin(), interfaces.end());
    return interfaces;
}

std::string LinuxUsbBackend::boundDriver(const std::string& interface) const {
    std::error_code error;
    const fs::path target = fs::read_symlink(devicesFolder_ + "/" + interface + "/driver", error);
    return error ? std::string() : target.filename().string();
}

FilterChange LinuxUsbBackend::changeFilter(FilterMode mode, const std::string& driverKey) {
    std::error_code error;
    // A driver key is a device name, never a path of its own.
    if (driverKey.empty() || driverKey.find('/') != std::string::npos ||
        driverKey.starts_with(".") || !fs::is_directory(devicesFolder_ + "/" + driverKey, error)) {
        return {0, 0};
    }
    const std::vector<std::string> interfaces = interfacesOf(driverKey);
    const auto carriesFilter = [&](const std::string& interface) {
        return boundDriver(interface) == kFilterDriverName;
    };
    const bool present = std::any_of(interfaces.begin(), interfaces.end(), carriesFilter);
    const std::string filterFolder = driversFolder_ + "/" + kFilterDriverName;

    switch (mode) {
        case FilterMode::Query:
            return {present ? 1 : 0, 0};
        case FilterMode::Add: {
            if (present) {
                return {1, 0};
            }
            // Without the filter driver an unbound reader would be dead to
            // the user: check first, unbind then.
            if (!fs::is_directory(filterFolder, error)) {
                return {0, ENOENT};
            }
            for (const std::string& interface : interfaces) {
                if (!boundDriver(interface).empty()) {
                    if (int e = WriteAttribute(devicesFolder_ + "/" + interface + "/driver/unbind",
                                               interface)) {
                        return {0, e};
                    }
                }
                if (int e = WriteAttribute(filterFolder + "/bind", interface)) {
                    return {0, e};
                }
            }
            return {1, 0};
        }
        case FilterMode::Remove: {
            for (const std::string& interface : interfaces) {
                if (!carriesFilter(interface)) {
                    continue;
                }
                if (int e = WriteAttribute(filterFolder + "/unbind", interface)) {
                    return {0, e};
                }
                if (int e = WriteAttribute(probePath_, interface)) {
                    return {0, e};
                }
            }
            return {1, 0};
        }
    }
    return {0, 0};
}

std::unique_ptr<ControlDevice> LinuxUsbBackend::openControlDevice() {
    const int fd = ::open(controlDevicePath_.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<LinuxControlDevice>(fd);
}

}  // namespace magtune
