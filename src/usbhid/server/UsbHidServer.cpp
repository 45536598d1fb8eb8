#include "usbhid/server/UsbHidServer.h"

#include <algorithm>
#include <cstring>

#include "platform/SystemError.h"

namespace magtune::usbhid {

UsbHidServer::UsbHidServer(DeviceBackend& backend, platform::Clock& clock,
                           common::Prompter& prompter)
    : backend_(backend), clock_(clock), prompter_(prompter) {}

void UsbHidServer::handle(RequestBlock& block) {
    switch (static_cast<UsbHidRequest>(block.requestCode)) {
        case UsbHidRequest::GetAvailableDeviceList:
            releaseDeviceList();
            block.reply.result = enumerateReaders();
            return;
        case UsbHidRequest::ReleaseDeviceList:
            block.reply.result = releaseDeviceList();
            return;
        case UsbHidRequest::EnumDeviceList:
            enumerateEntry(block);
            return;
        case UsbHidRequest::SelectDevice:
            block.reply.result = selectReader(block.arguments.deviceIndex);
            return;
        case UsbHidRequest::IsDeviceSelected:
            block.reply.result = 1;
            return;
        case UsbHidRequest::GetDeviceControlCode:
            readControlCode(block);
            return;
        case UsbHidRequest::SetDeviceControlCode:
            block.reply.result = sendControlCodes(kWriteControlCodeRequest,
                                                  std::span(&block.arguments.controlCode, 1));
            return;
        case UsbHidRequest::SetDownloadChannel:
            block.reply.result = sendControlCodes(kSetDownloadChannelRequest,
                                                  std::span(&block.arguments.controlCode, 1));
            return;
        case UsbHidRequest::DeselectDevice:
            block.reply.result = deselectReader();
            return;
        case UsbHidRequest::IsDeviceReady:
            block.reply.result = filterReady() ? 1 : 0;
            return;
        case UsbHidRequest::SetDeviceBufferedData:
            // The length comes from another process: never trust it past the
            // buffer.
            block.reply.result = block.bufferedDataLength > kBufferedDataCapacity
                                     ? 0
                                     : sendControlCodes(kWriteControlCodeRequest,
                                                        std::span(block.arguments.bufferedData,
                                                                  block.bufferedDataLength));
            return;
    }
}

std::int32_t UsbHidServer::enumerateReaders() {
    for (UsbDeviceInfo& device : backend_.enumerateDevices()) {
        if (deviceList_.size() == kMaxReaders) {
            break;
        }
        if (device.productName.starts_with(kReaderPrefix)) {
            deviceList_.push_back(std::move(device));
        }
    }
    return static_cast<std::int32_t>(deviceList_.size());
}

std::int32_t UsbHidServer::releaseDeviceList() {
    if (deviceList_.empty()) {
        return 0;
    }
    deviceList_.clear();
    selectedIndex_ = -1;
    return 1;
}

void UsbHidServer::enumerateEntry(RequestBlock& block) {
    const std::int32_t index = block.arguments.deviceIndex;
    if (index < 0 || static_cast<std::size_t>(index) >= deviceList_.size()) {
        block.enumerateResult = 0;
        return;
    }
    const UsbDeviceInfo& device = deviceList_[static_cast<std::size_t>(index)];
    const std::size_t length = std::min(device.productName.size(), kDeviceNameSize - 1);
    std::memcpy(block.reply.deviceName, device.productName.data(), length);
    block.reply.deviceName[length] = '\0';
    // A reader that kept the filter from an earlier run counts as selected,
    // so that a later deselect takes the filter out again.
    const bool present = changeFilter(FilterMode::Query, device.driverKey) == 1;
    block.filterPresent = present ? 1 : 0;
    if (present) {
        selectedIndex_ = index;
    }
    block.enumerateResult = 1;
}

std::int32_t UsbHidServer::selectReader(std::int32_t index) {
    if (deviceList_.empty() || index < 0 || static_cast<std::size_t>(index) >= deviceList_.size()) {
        return 0;
    }
    if (selectedIndex_ >= 0 && selectedIndex_ != index) {
        changeFilter(FilterMode::Remove,
                     deviceList_[static_cast<std::size_t>(selectedIndex_)].driverKey);
        selectedIndex_ = -1;
    }
    clock_.sleepMs(kSelectPauseMs);
    if (selectedIndex_ == index) {
        return 1;
    }
    const int added =
        changeFilter(FilterMode::Add, deviceList_[static_cast<std::size_t>(index)].driverKey);
    selectedIndex_ = index;
    if (added != 1) {
        return added;
    }
    for (int poll = 0; poll < kReadyPolls; ++poll) {
        if (poll > 0) {
            clock_.sleepMs(kReadyPollIntervalMs);
        }
        if (filterReady()) {
            return 1;
        }
    }
    return 0;
}

std::int32_t UsbHidServer::deselectReader() {
    if (selectedIndex_ < 0) {
        return 1;
    }
    const int removed = changeFilter(
        FilterMode::Remove, deviceList_[static_cast<std::size_t>(selectedIndex_)].driverKey);
    selectedIndex_ = -1;
    return removed;
}

int UsbHidServer::changeFilter(FilterMode mode, const std::string& driverKey) {
    const FilterChange change = backend_.changeFilter(mode, driverKey);
    if (change.errorCode != 0) {
        prompter_.warning(platform::SystemMessageText(change.errorCode));
    }
    return change.result;
}

bool UsbHidServer::filterReady() {
    return backend_.openControlDevice() != nullptr;
}

void UsbHidServer::readControlCode(RequestBlock& block) {
    block.reply.controlCodeReply.code = 0;
    block.reply.controlCodeReply.result = 0;
    if (auto device = backend_.openControlDevice()) {
        if (auto code = device->request(kReadControlCodeRequest, 0)) {
            block.reply.controlCodeReply.code = *code;
            block.reply.controlCodeReply.result = 1;
        }
    }
}

// The driver's own answer does not count: the request went through once the
// control device opened.
std::int32_t UsbHidServer::sendControlCodes(std::uint32_t request,
                                            std::span<const std::uint8_t> bytes) {
    auto device = backend_.openControlDevice();
    if (!device) {
        return 0;
    }
    for (const std::uint8_t byte : bytes) {
        device->request(request, byte);
    }
    return 1;
}

}  // namespace magtune::usbhid
