#include "usbhid/server/LinuxUsbBackend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "usbhid/server/HidrawControlDevice.h"

namespace magtune::usbhid {

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

// A driver key is a device name, never a path of its own.
bool IsDeviceName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && !name.starts_with(".");
}

}  // namespace

LinuxUsbBackend::LinuxUsbBackend(std::string sysfsRoot, std::string deviceFolder)
    : devicesFolder_(sysfsRoot + "/bus/usb/devices"),
      hidrawFolder_(sysfsRoot + "/class/hidraw"),
      deviceFolder_(std::move(deviceFolder)) {}

LinuxUsbBackend::~LinuxUsbBackend() {
    release();
}

LinuxUsbBackend::LinuxUsbBackend(LinuxUsbBackend&& other) noexcept
    : devicesFolder_(std::move(other.devicesFolder_)),
      hidrawFolder_(std::move(other.hidrawFolder_)),
      deviceFolder_(std::move(other.deviceFolder_)),
      heldFd_(std::exchange(other.heldFd_, -1)),
      heldKey_(std::move(other.heldKey_)) {}

LinuxUsbBackend LinuxUsbBackend::ForThisSystem() {
    return LinuxUsbBackend("/sys", "/dev");
}

void LinuxUsbBackend::release() {
    if (heldFd_ >= 0) {
        ::close(heldFd_);
        heldFd_ = -1;
    }
    heldKey_.clear();
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

std::string LinuxUsbBackend::hidrawNodeOf(const std::string& driverKey) const {
    if (!IsDeviceName(driverKey)) {
        return {};
    }
    // The node's HID device sits below the USB interface it belongs to.
    const std::string interfacePrefix = driverKey + ":";
    std::vector<std::pair<std::string, std::string>> found;  // interface, node
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(hidrawFolder_, error)) {
        const std::string node = entry.path().filename().string();
        if (!node.starts_with("hidraw")) {
            continue;
        }
        std::error_code linkError;
        const fs::path device = fs::canonical(entry.path() / "device", linkError);
        if (linkError) {
            continue;
        }
        for (const fs::path& part : device) {
            if (part.string().starts_with(interfacePrefix)) {
                found.emplace_back(part.string(), node);
                break;
            }
        }
    }
    if (found.empty()) {
        return {};
    }
    std::sort(found.begin(), found.end());
    return deviceFolder_ + "/" + found.front().second;
}

FilterChange LinuxUsbBackend::changeFilter(FilterMode mode, const std::string& driverKey) {
    std::error_code error;
    if (!IsDeviceName(driverKey) || !fs::is_directory(devicesFolder_ + "/" + driverKey, error)) {
        return {0, 0};
    }
    const bool held = heldFd_ >= 0 && heldKey_ == driverKey;
    switch (mode) {
        case FilterMode::Query:
            return {held ? 1 : 0, 0};
        case FilterMode::Add: {
            if (held) {
                return {1, 0};
            }
            const std::string node = hidrawNodeOf(driverKey);
            if (node.empty()) {
                return {0, ENODEV};
            }
            const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
            if (fd < 0) {
                return {0, errno};
            }
            // Not shared: another server (another user's program) holding
            // the reader keeps it.
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                ::close(fd);
                return {0, EBUSY};
            }
            release();
            heldFd_ = fd;
            heldKey_ = driverKey;
            return {1, 0};
        }
        case FilterMode::Remove:
            if (held) {
                release();
            }
            return {1, 0};
    }
    return {0, 0};
}

std::unique_ptr<ControlDevice> LinuxUsbBackend::openControlDevice() {
    if (heldFd_ < 0) {
        return nullptr;
    }
    return std::make_unique<HidrawControlDevice>(heldFd_);
}

}  // namespace magtune::usbhid
