#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "comm/UsbLibraryCalls.h"

namespace magtune::test {

// The control library with scripted readers: every call is logged ("count",
// "enum 1", "select 0", "deselect", "release", "ready", "channel 253"),
// control codes are collected, and single calls can be made to fail.
class FakeUsbReaders : public comm::UsbLibraryCalls {
  public:
    struct Reader {
        std::string name;
        bool filter = false;
    };
    std::vector<Reader> readers;
    std::vector<std::string> calls;
    std::vector<std::uint8_t> codes;
    int enumFailsAt = -1;
    bool selectFails = false;
    bool deselectFails = false;
    bool ready = true;
    // Called after each control code, e.g. to let the reader answer.
    std::function<void(std::uint8_t)> onCode;

    std::int32_t UsbHidGetAvailableDeviceList() override {
        calls.push_back("count");
        return static_cast<std::int32_t>(readers.size());
    }
    std::int32_t UsbHidReleaseDeviceList() override {
        calls.push_back("release");
        return 1;
    }
    std::int32_t UsbHidEnumDeviceList(std::int32_t index, char* name,
                                      std::uint8_t* filterPresent) override {
        calls.push_back("enum " + std::to_string(index));
        if (index == enumFailsAt || index < 0 || index >= static_cast<int>(readers.size())) {
            // A library that leaves junk behind on failure.
            std::strcpy(name, "junk");
            *filterPresent = 1;
            return 0;
        }
        const Reader& reader = readers[static_cast<std::size_t>(index)];
        std::strncpy(name, reader.name.c_str(), 255);
        name[255] = '\0';
        *filterPresent = reader.filter ? 1 : 0;
        return 1;
    }
    std::int32_t UsbHidSelectDevice(std::int32_t index) override {
        calls.push_back("select " + std::to_string(index));
        return selectFails ? 0 : 1;
    }
    std::int32_t UsbHidDeselectDevice() override {
        calls.push_back("deselect");
        return deselectFails ? 0 : 1;
    }
    std::int32_t UsbHidIsDeviceReady() override {
        calls.push_back("ready");
        return ready ? 1 : 0;
    }
    std::int32_t UsbHidSetDeviceControlCode(std::int32_t code) override {
        codes.push_back(static_cast<std::uint8_t>(code));
        if (onCode) {
            onCode(static_cast<std::uint8_t>(code));
        }
        return 1;
    }
    std::int32_t UsbHidSetDownloadChannel(std::int32_t channel) override {
        calls.push_back("channel " + std::to_string(channel));
        return 1;
    }
};

}  // namespace magtune::test
