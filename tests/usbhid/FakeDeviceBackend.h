#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "usbhid/server/DeviceBackend.h"

namespace magtune::test {

using namespace magtune::usbhid;

// A bus of scripted devices that records every filter change and control
// request in the order the server made them.
class FakeDeviceBackend : public usbhid::DeviceBackend {
  public:
    std::vector<usbhid::UsbDeviceInfo> devices;
    std::set<std::string> filtered;  // driver keys that carry the filter
    std::vector<std::string> calls;
    usbhid::FilterChange failedAdd;  // used when addFails
    bool addFails = false;
    bool driverMissing = false;  // the control device never opens
    bool driverRefuses = false;  // every control request is refused
    std::uint8_t codeFromReader = 0x5A;

    std::vector<usbhid::UsbDeviceInfo> enumerateDevices() override { return devices; }

    usbhid::FilterChange changeFilter(usbhid::FilterMode mode,
                                      const std::string& driverKey) override {
        static const char* const kModes[] = {"query", "add", "remove"};
        calls.push_back(std::string(kModes[static_cast<int>(mode)]) + " " + driverKey);
        bool known = false;
        for (const auto& device : devices) {
            known = known || device.driverKey == driverKey;
        }
        if (!known) {
            return {0, 0};
        }
        switch (mode) {
            case usbhid::FilterMode::Query:
                return {filtered.count(driverKey) ? 1 : 0, 0};
            case usbhid::FilterMode::Add:
                if (addFails) {
                    return failedAdd;
                }
                filtered.insert(driverKey);
                return {1, 0};
            case usbhid::FilterMode::Remove:
                filtered.erase(driverKey);
                return {1, 0};
        }
        return {0, 0};
    }

    std::unique_ptr<usbhid::ControlDevice> openControlDevice() override {
        calls.push_back("open");
        if (driverMissing || filtered.empty()) {
            return nullptr;
        }
        return std::make_unique<Control>(*this);
    }

  private:
    class Control : public usbhid::ControlDevice {
      public:
        explicit Control(FakeDeviceBackend& backend) : backend_(backend) {}
        std::optional<std::uint8_t> request(std::uint32_t code, std::uint8_t input) override {
            char text[32];
            std::snprintf(text, sizeof text, "ioctl %06X %02X", code, input);
            backend_.calls.push_back(text);
            if (backend_.driverRefuses) {
                return std::nullopt;
            }
            return code == usbhid::kReadControlCodeRequest ? backend_.codeFromReader : 0;
        }

      private:
        FakeDeviceBackend& backend_;
    };
};

// A clock that only moves when slept, and remembers every sleep.
class RecordingClock : public platform::Clock {
  public:
    std::uint64_t now = 0;
    std::vector<std::uint32_t> sleeps;

    std::uint64_t nowMs() override { return now; }
    void sleepMs(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
};

}  // namespace magtune::test
