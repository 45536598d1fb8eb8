#include "usbhid/server/win32/Win32UsbBackend.h"

// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <optional>

namespace magtune::usbhid {
namespace {

// The published USB requests on host controllers and hubs.
constexpr DWORD kGetRootHubName = 0x220408;      // on a host controller
constexpr DWORD kGetNodeInformation = 0x220408;  // on a hub
constexpr DWORD kGetNodeConnectionInformation = 0x22040C;
constexpr DWORD kGetDescriptorFromNodeConnection = 0x220410;
constexpr DWORD kGetNodeConnectionName = 0x220414;
constexpr DWORD kGetNodeConnectionDriverKeyName = 0x220420;

constexpr int kHostControllers = 10;
constexpr std::size_t kNodeInformationSize = 76;
constexpr std::size_t kConnectionInformationSize = 365;
constexpr std::size_t kDescriptorRequestHeader = 12;
constexpr std::uint8_t kConfigurationDescriptor = 2;
constexpr std::uint8_t kStringDescriptor = 3;
constexpr std::uint8_t kInterfaceDescriptor = 4;

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (valid()) {
            ::CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void PutLe32(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// UTF-16 text to the system code page.
std::string Narrow(const std::uint8_t* utf16, std::size_t bytes) {
    std::wstring wide(bytes / 2, L'\0');
    std::memcpy(wide.data(), utf16, wide.size() * 2);
    while (!wide.empty() && wide.back() == L'\0') {
        wide.pop_back();
    }
    if (wide.empty()) {
        return {};
    }
    const int n = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(n, 0)), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                          nullptr, nullptr);
    return text;
}

std::optional<std::size_t> Ioctl(HANDLE device, DWORD code, std::vector<std::uint8_t>& buffer) {
    DWORD returned = 0;
    if (!::DeviceIoControl(device, code, buffer.data(), static_cast<DWORD>(buffer.size()),
                           buffer.data(), static_cast<DWORD>(buffer.size()), &returned, nullptr)) {
        return std::nullopt;
    }
    return returned;
}

// A name the driver returns as {index, ActualLength, UTF-16 name}: first
// with a small probe to learn the length, then in full. `nameOffset` is
// where the name starts (4 on a host controller, 8 on a hub's port).
std::optional<std::string> AskName(HANDLE device, DWORD code, std::uint32_t port,
                                   std::size_t probeSize, std::size_t nameOffset) {
    std::vector<std::uint8_t> probe(probeSize, 0);
    if (nameOffset == 8) {
        PutLe32(probe.data(), port);
    }
    if (!Ioctl(device, code, probe)) {
        return std::nullopt;
    }
    const std::uint32_t length = Le32(probe.data() + nameOffset - 4);
    if (length <= nameOffset || length > 65536) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> full(length, 0);
    if (nameOffset == 8) {
        PutLe32(full.data(), port);
    }
    if (!Ioctl(device, code, full)) {
        return std::nullopt;
    }
    return Narrow(full.data() + nameOffset, length - nameOffset);
}

// GET_DESCRIPTOR through the hub for the device at `port`; the descriptor
// bytes, nullopt when the request failed.
std::optional<std::vector<std::uint8_t>> AskDescriptor(HANDLE hub, std::uint32_t port,
                                                       std::uint8_t type, std::uint8_t index,
                                                       std::uint16_t language,
                                                       std::uint16_t length) {
    std::vector<std::uint8_t> request(kDescriptorRequestHeader + length, 0);
    PutLe32(request.data(), port);
    request[4] = 0x80;  // device to host, standard, device
    request[5] = 6;     // GET_DESCRIPTOR
    request[6] = index;
    request[7] = type;
    request[8] = static_cast<std::uint8_t>(language);
    request[9] = static_cast<std::uint8_t>(language >> 8);
    request[10] = static_cast<std::uint8_t>(length);
    request[11] = static_cast<std::uint8_t>(length >> 8);
    const auto returned = Ioctl(hub, kGetDescriptorFromNodeConnection, request);
    if (!returned || *returned < kDescriptorRequestHeader) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(request.begin() + kDescriptorRequestHeader,
                                     request.begin() + static_cast<std::ptrdiff_t>(*returned));
}

// A string descriptor is taken when it is longer than a byte, of type 3, of
// even length, and as long as what came back.
std::optional<std::vector<std::uint8_t>> AskString(HANDLE hub, std::uint32_t port,
                                                   std::uint8_t index, std::uint16_t language) {
    auto reply = AskDescriptor(hub, port, kStringDescriptor, index, language, 255);
    if (!reply || reply->size() <= 1 || (*reply)[1] != kStringDescriptor || (*reply)[0] % 2 != 0 ||
        (*reply)[0] != reply->size()) {
        return std::nullopt;
    }
    return reply;
}

// The string indexes of the configuration (byte 6) and interface (byte 8)
// descriptors, in their order; nullopt when a descriptor of either type
// does not have the usual 9 bytes.
std::optional<std::vector<std::uint8_t>> DescriptorStringIndexes(
    const std::vector<std::uint8_t>& configuration) {
    std::vector<std::uint8_t> indexes;
    std::size_t at = 0;
    while (at + 2 <= configuration.size()) {
        const std::uint8_t length = configuration[at];
        const std::uint8_t type = configuration[at + 1];
        if (length == 0 || at + length > configuration.size()) {
            break;
        }
        if (type == kConfigurationDescriptor || type == kInterfaceDescriptor) {
            if (length != 9) {
                return std::nullopt;
            }
            const std::uint8_t index =
                configuration[at + (type == kConfigurationDescriptor ? 6 : 8)];
            if (index != 0) {
                indexes.push_back(index);
            }
        }
        at += length;
    }
    return indexes;
}

// The product string of the device at `port`, or nothing.
std::optional<std::string> ProductName(HANDLE hub, std::uint32_t port,
                                       const std::vector<std::uint8_t>& connection) {
    const std::uint8_t manufacturer = connection[18];
    const std::uint8_t product = connection[19];
    const std::uint8_t serial = connection[20];

    auto head = AskDescriptor(hub, port, kConfigurationDescriptor, 0, 0, 9);
    if (!head || head->size() < 4) {
        return std::nullopt;
    }
    const std::uint16_t total = static_cast<std::uint16_t>((*head)[2] | (*head)[3] << 8);
    if (total <= 8) {
        return std::nullopt;
    }
    auto configuration = AskDescriptor(hub, port, kConfigurationDescriptor, 0, 0, total);
    if (!configuration || configuration->size() != total || configuration->size() < 4 ||
        static_cast<std::uint16_t>((*configuration)[2] | (*configuration)[3] << 8) != total) {
        return std::nullopt;
    }
    const auto more = DescriptorStringIndexes(*configuration);
    if (manufacturer == 0 && product == 0 && serial == 0 && (!more || more->empty())) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> indexes;
    for (std::uint8_t index : {manufacturer, product, serial}) {
        if (index != 0) {
            indexes.push_back(index);
        }
    }
    if (more) {
        indexes.insert(indexes.end(), more->begin(), more->end());
    }
    const auto languages = AskString(hub, port, 0, 0);
    if (!languages) {
        return std::nullopt;
    }
    std::optional<std::string> name;
    for (std::uint8_t index : indexes) {
        for (std::size_t at = 2; at + 1 < languages->size(); at += 2) {
            const std::uint16_t language =
                static_cast<std::uint16_t>((*languages)[at] | (*languages)[at + 1] << 8);
            const auto text = AskString(hub, port, index, language);
            if (text && index == product && text->size() > 2 && !name) {
                name = Narrow(text->data() + 2, text->size() - 2);
            }
        }
    }
    return name;
}

void WalkHub(const std::string& hubName, std::vector<UsbDeviceInfo>& devices) {
    Handle hub(::CreateFileA(("\\\\.\\" + hubName).c_str(), GENERIC_WRITE, FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr));
    if (!hub.valid()) {
        return;
    }
    std::vector<std::uint8_t> node(kNodeInformationSize, 0);
    if (!Ioctl(hub.get(), kGetNodeInformation, node)) {
        return;
    }
    const unsigned ports = node[6];
    for (std::uint32_t port = 1; port <= ports; ++port) {
        std::vector<std::uint8_t> connection(kConnectionInformationSize, 0);
        PutLe32(connection.data(), port);
        if (!Ioctl(hub.get(), kGetNodeConnectionInformation, connection)) {
            continue;
        }
        const std::uint32_t status = Le32(connection.data() + 31);
        if (status == 0) {
            continue;
        }
        const bool isHub = connection[24] != 0;
        const auto driverKey = AskName(hub.get(), kGetNodeConnectionDriverKeyName, port, 10, 8);
        if (!isHub && status == 1 && driverKey) {
            if (auto product = ProductName(hub.get(), port, connection)) {
                devices.push_back({*product, *driverKey});
            }
        }
        if (isHub) {
            if (auto name = AskName(hub.get(), kGetNodeConnectionName, port, 10, 8)) {
                WalkHub(*name, devices);
            }
        }
    }
}

// Closes the device information set when it goes.
class DeviceSet {
  public:
    DeviceSet()
        : set_(::SetupDiGetClassDevsA(nullptr, nullptr, nullptr,
                                      DIGCF_ALLCLASSES | DIGCF_PRESENT)) {}
    ~DeviceSet() {
        if (valid()) {
            ::SetupDiDestroyDeviceInfoList(set_);
        }
    }
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;
    bool valid() const { return set_ != INVALID_HANDLE_VALUE; }
    HDEVINFO get() const { return set_; }

  private:
    HDEVINFO set_;
};

// The texts of a NUL-separated list ending with an empty text.
std::vector<std::string> SplitMultiString(const char* bytes, std::size_t size) {
    std::vector<std::string> texts;
    std::size_t at = 0;
    while (at < size && bytes[at] != '\0') {
        const std::size_t end = ::strnlen(bytes + at, size - at);
        texts.emplace_back(bytes + at, end);
        at += end + 1;
    }
    return texts;
}

std::vector<char> JoinMultiString(const std::vector<std::string>& texts) {
    std::vector<char> bytes;
    for (const std::string& text : texts) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back('\0');
    }
    bytes.push_back('\0');
    return bytes;
}

bool SetText(HKEY key, const char* name, const char* text) {
    return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>(std::strlen(text))) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const char* name, DWORD value) {
    return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof value) == ERROR_SUCCESS;
}

// The service of the filter driver, so that the system loads it for the
// device stack it was added to.
void RegisterFilterService() {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kFilterServiceKey, 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return;
    }
    SetText(key, "DisplayName", "Tarvik USB HID Filter Driver");
    SetNumber(key, "Type", 1);
    SetNumber(key, "Start", 3);
    SetNumber(key, "ErrorControl", 0);
    SetText(key, "ImagePath", "System32\\Drivers\\oruusbhf.sys");
    ::RegCloseKey(key);
}

// A property change of the device's configuration, handed to its class
// installer, so that its stack is built again with the new filter list.
FilterChange RestartDevice(HDEVINFO set, SP_DEVINFO_DATA& device) {
    SP_PROPCHANGE_PARAMS params{};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = DICS_PROPCHANGE;
    params.Scope = DICS_FLAG_CONFIGSPECIFIC;
    params.HwProfile = 0;
    if (!::SetupDiSetClassInstallParamsA(set, &device, &params.ClassInstallHeader, sizeof params) ||
        !::SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set, &device)) {
        return {0, static_cast<int>(::GetLastError())};
    }
    return {1, 0};
}

class Win32ControlDevice : public ControlDevice {
  public:
    explicit Win32ControlDevice(HANDLE handle) : handle_(handle) {}
    ~Win32ControlDevice() override { ::CloseHandle(handle_); }

    std::optional<std::uint8_t> request(std::uint32_t code, std::uint8_t input) override {
        std::uint8_t output = 0;
        DWORD returned = 0;
        if (!::DeviceIoControl(handle_, code, &input, 1, &output, 1, &returned, nullptr)) {
            return std::nullopt;
        }
        return output;
    }

  private:
    HANDLE handle_;
};

}  // namespace

std::vector<UsbDeviceInfo> Win32UsbBackend::enumerateDevices() {
    std::vector<UsbDeviceInfo> devices;
    for (int number = 0; number < kHostControllers; ++number) {
        Handle controller(::CreateFileA(("\\\\.\\HCD" + std::to_string(number)).c_str(),
                                        GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
        if (!controller.valid()) {
            continue;
        }
        if (auto rootHub = AskName(controller.get(), kGetRootHubName, 0, 6, 4)) {
            WalkHub(*rootHub, devices);
        }
    }
    return devices;
}

FilterChange Win32UsbBackend::changeFilter(FilterMode mode, const std::string& driverKey) {
    DeviceSet set;
    if (!set.valid()) {
        return {0, 0};
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    bool found = false;
    for (DWORD index = 0; !found && ::SetupDiEnumDeviceInfo(set.get(), index, &device); ++index) {
        char key[512] = {};
        if (::SetupDiGetDeviceRegistryPropertyA(set.get(), &device, SPDRP_DRIVER, nullptr,
                                                reinterpret_cast<BYTE*>(key), sizeof key - 1,
                                                nullptr) &&
            ::_stricmp(key, driverKey.c_str()) == 0) {
            found = true;
        }
    }
    if (!found) {
        return {0, 0};
    }
    char list[512] = {};
    DWORD size = 0;
    std::vector<std::string> filters;
    if (::SetupDiGetDeviceRegistryPropertyA(set.get(), &device, SPDRP_LOWERFILTERS, nullptr,
                                            reinterpret_cast<BYTE*>(list), sizeof list - 2,
                                            &size)) {
        filters = SplitMultiString(list, std::min<std::size_t>(size, sizeof list - 2));
    }
    auto entry = filters.end();
    for (auto it = filters.begin(); it != filters.end(); ++it) {
        if (::_stricmp(it->c_str(), kFilterDriverName) == 0) {
            entry = it;
            break;
        }
    }
    const bool present = entry != filters.end();
    if (mode == FilterMode::Query) {
        return {present ? 1 : 0, 0};
    }
    if (mode == FilterMode::Add) {
        if (present) {
            // Already in the stack: the list stays as it is.
            return {1, 0};
        }
        filters.emplace_back(kFilterDriverName);
    } else {
        if (!present) {
            return {1, 0};
        }
        filters.erase(entry);
    }
    BOOL written = FALSE;
    if (filters.empty()) {
        written =
            ::SetupDiSetDeviceRegistryPropertyA(set.get(), &device, SPDRP_LOWERFILTERS, nullptr, 0);
    } else {
        const std::vector<char> bytes = JoinMultiString(filters);
        written = ::SetupDiSetDeviceRegistryPropertyA(set.get(), &device, SPDRP_LOWERFILTERS,
                                                      reinterpret_cast<const BYTE*>(bytes.data()),
                                                      static_cast<DWORD>(bytes.size()));
    }
    if (!written) {
        return {0, static_cast<int>(::GetLastError())};
    }
    if (mode == FilterMode::Add) {
        RegisterFilterService();
    }
    return RestartDevice(set.get(), device);
}

std::unique_ptr<ControlDevice> Win32UsbBackend::openControlDevice() {
    HANDLE handle = ::CreateFileA(kFilterControlDevice, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return std::make_unique<Win32ControlDevice>(handle);
}

}  // namespace magtune::usbhid
