#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/ComPorts.h"

namespace magtune::platform {
namespace {

static_assert(sizeof(DCB) == PortSettings::kByteSize, "the system's DCB is the stored block");

int LastError() {
    return static_cast<int>(::GetLastError());
}

// The ports "COM1" ... "COM32" are the system's own devices.
std::string PortDevice(int index) {
    return "\\\\.\\" + ComPortName(index);
}

class Win32SerialPort : public SerialPort {
  public:
    Win32SerialPort(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    ~Win32SerialPort() override { close(); }

    // The block travels as its bytes: PortSettings keeps the system's layout.
    bool getState(PortSettings& settings, SystemError& error) override {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!::GetCommState(handle_, &dcb)) {
            error = {"GetCommState", LastError()};
            return false;
        }
        std::uint8_t bytes[sizeof dcb];
        std::memcpy(bytes, &dcb, sizeof dcb);
        settings = PortSettings::fromBytes(bytes);
        baudRate_ = settings.BaudRate;
        return true;
    }

    bool setState(const PortSettings& settings, SystemError& error) override {
        const auto bytes = settings.toBytes();
        DCB dcb{};
        std::memcpy(&dcb, bytes.data(), sizeof dcb);
        dcb.DCBlength = sizeof dcb;
        if (!::SetCommState(handle_, &dcb)) {
            error = {"SetCommState", LastError()};
            return false;
        }
        baudRate_ = settings.BaudRate;
        // The write limit of "no write time-out" follows the baud rate.
        if (timeoutsSet_ && !applyTimeouts("SetCommState", error)) {
            return false;
        }
        return true;
    }

    bool setTimeouts(const CommTimeouts& timeouts, SystemError& error) override {
        timeouts_ = timeouts;
        timeoutsSet_ = true;
        return applyTimeouts("SetCommTimeouts", error);
    }

    bool purge(SystemError& error) override {
        if (!::PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR)) {
            error = {"PurgeComm", LastError()};
            return false;
        }
        return true;
    }

    bool read(std::span<std::uint8_t> buffer, std::size_t& received, SystemError& error) override {
        received = 0;
        DWORD n = 0;
        if (!::ReadFile(handle_, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
            error = {"ReadFile", LastError()};
            return false;
        }
        received = n;
        return true;
    }

    // A write that ends early ran into its time limit.
    bool write(std::span<const std::uint8_t> data, std::size_t& written,
               SystemError& error) override {
        written = 0;
        while (written < data.size()) {
            DWORD n = 0;
            if (!::WriteFile(handle_, data.data() + written,
                             static_cast<DWORD>(data.size() - written), &n, nullptr)) {
                error = {"WriteFile", LastError()};
                return false;
            }
            if (n == 0) {
                error = {"WriteFile", ERROR_TIMEOUT};
                return false;
            }
            written += n;
        }
        return true;
    }

    void close() override {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

    std::string devicePath() const override { return path_; }

  private:
    // Without write limits the system waits for ever on a port held up by
    // flow control; the interface promises the time the bytes need, with a
    // generous margin: four times the byte time, and a second.
    bool applyTimeouts(const char* function, SystemError& error) {
        COMMTIMEOUTS t{};
        t.ReadIntervalTimeout = timeouts_.readIntervalTimeout;
        t.ReadTotalTimeoutMultiplier = timeouts_.readTotalTimeoutMultiplier;
        t.ReadTotalTimeoutConstant = timeouts_.readTotalTimeoutConstant;
        t.WriteTotalTimeoutMultiplier = timeouts_.writeTotalTimeoutMultiplier;
        t.WriteTotalTimeoutConstant = timeouts_.writeTotalTimeoutConstant;
        if (t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0) {
            const std::uint32_t baud = std::max<std::uint32_t>(baudRate_, 110);
            t.WriteTotalTimeoutMultiplier = (4 * 10 * 1000 + baud - 1) / baud;
            t.WriteTotalTimeoutConstant = 1000;
        }
        if (!::SetCommTimeouts(handle_, &t)) {
            error = {function, LastError()};
            return false;
        }
        return true;
    }

    HANDLE handle_;
    std::string path_;
    std::uint32_t baudRate_ = 9600;
    CommTimeouts timeouts_;
    bool timeoutsSet_ = false;
};

}  // namespace

// Windows names its ports itself; there is no folder of links.
std::string ComPortsFolder() {
    return {};
}

ComPortInfo ComPortMapping(int index, const std::string& /*portsFolder*/) {
    ComPortInfo info;
    info.index = index;
    if (index < 0 || index >= kComPortCount) {
        return info;
    }
    info.name = ComPortName(index);
    info.device = PortDevice(index);
    return info;
}

// The ports the system knows by name now.
std::vector<ComPortInfo> ListComPorts(const std::string& portsFolder) {
    std::vector<ComPortInfo> ports;
    for (int index = 0; index < kComPortCount; ++index) {
        char target[1024];
        if (::QueryDosDeviceA(ComPortName(index).c_str(), target, sizeof target) != 0) {
            ports.push_back(ComPortMapping(index, portsFolder));
        }
    }
    return ports;
}

std::unique_ptr<SerialPort> OpenComPort(int index, const std::string& portsFolder,
                                        SystemError& error) {
    const std::string device = ComPortDevice(index, portsFolder);
    if (device.empty()) {
        error = {"CreateFile", ERROR_FILE_NOT_FOUND};
        return nullptr;
    }
    return OpenSerialDevice(device, error);
}

// Exclusive, as the system opens a port: no sharing, no overlapped I/O.
std::unique_ptr<SerialPort> OpenSerialDevice(const std::string& path, SystemError& error) {
    HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = {"CreateFile", LastError()};
        return nullptr;
    }
    return std::make_unique<Win32SerialPort>(handle, path);
}

}  // namespace magtune::platform
