#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/Prompter.h"
#include "platform/Clock.h"
#include "usbhid/common/RequestBlock.h"
#include "usbhid/server/DeviceBackend.h"

namespace magtune::usbhid {

// The requests of OruUsbHidCtrlSrv64, one at a time, over a backend: the
// list of readers found, the reader that carries the filter, and the
// control codes passed through the filter to it.
class UsbHidServer {
  public:
    static constexpr std::size_t kMaxReaders = 16;
    static constexpr const char* kReaderPrefix = "Tarvik";
    // The pause of every selection, so that the device stack settles.
    static constexpr std::uint32_t kSelectPauseMs = 2000;
    static constexpr int kReadyPolls = 25;
    static constexpr std::uint32_t kReadyPollIntervalMs = 1000;

    UsbHidServer(DeviceBackend& backend, platform::Clock& clock, common::Prompter& prompter);

    // Answers the request in the block. An unknown request code is answered
    // without writing a result.
    void handle(RequestBlock& block);

    const std::vector<UsbDeviceInfo>& deviceList() const { return deviceList_; }
    int selectedIndex() const { return selectedIndex_; }

  private:
    std::int32_t enumerateReaders();
    std::int32_t releaseDeviceList();
    void enumerateEntry(RequestBlock& block);
    std::int32_t selectReader(std::int32_t index);
    std::int32_t deselectReader();
    int changeFilter(FilterMode mode, const std::string& driverKey);
    bool filterReady();
    void readControlCode(RequestBlock& block);
    std::int32_t sendControlCodes(std::uint32_t request, std::span<const std::uint8_t> bytes);

    DeviceBackend& backend_;
    platform::Clock& clock_;
    common::Prompter& prompter_;
    std::vector<UsbDeviceInfo> deviceList_;
    int selectedIndex_ = -1;
};

}  // namespace magtune::usbhid
