#include "usbhid/client/OruUsbHidCtrl.h"

#include <cstring>
#include <mutex>

#ifdef _WIN32
#include "usbhid/client/win32/Win32ClientChannel.h"
#else
#include "usbhid/client/ClientChannel.h"
#endif

namespace magtune::usbhid {
namespace {

#ifdef _WIN32
using ClientChannel = Win32ClientChannel;
#endif

// The library's process-wide state. Destroyed when the library is unloaded
// or the process exits, which asks the server to quit.
ClientChannel& Channel() {
    static ClientChannel channel;
    return channel;
}

// Callers are expected to use one thread; the lock keeps two overlapping
// calls from sharing the single request slot all the same.
std::mutex& CallLock() {
    static std::mutex lock;
    return lock;
}

template <typename Fill, typename Read>
std::int32_t Call(UsbHidRequest request, Fill fill, Read read) {
    const std::lock_guard<std::mutex> guard(CallLock());
    ClientChannel& channel = Channel();
    if (!channel.connect()) {
        return 0;
    }
    RequestBlock& block = channel.block();
    block.requestCode = static_cast<std::int32_t>(request);
    fill(block);
    if (!channel.transact()) {
        return 0;
    }
    return read(block);
}

std::int32_t Call(UsbHidRequest request) {
    return Call(
        request, [](RequestBlock&) {},
        [](const RequestBlock& block) { return block.reply.result; });
}

}  // namespace
}  // namespace magtune::usbhid

using magtune::usbhid::Call;
using magtune::usbhid::RequestBlock;
using magtune::usbhid::UsbHidRequest;

extern "C" {

int32_t ORUUSBHIDCTRL_CALL UsbHidGetAvailableDeviceList(void) {
    return Call(UsbHidRequest::GetAvailableDeviceList);
}

int32_t ORUUSBHIDCTRL_CALL UsbHidReleaseDeviceList(void) {
    return Call(UsbHidRequest::ReleaseDeviceList);
}

int32_t ORUUSBHIDCTRL_CALL UsbHidEnumDeviceList(int32_t index, char* name, uint8_t* filterPresent) {
    if (name) {
        name[0] = '\0';
    }
    if (filterPresent) {
        *filterPresent = 0;
    }
    return Call(
        UsbHidRequest::EnumDeviceList,
        [&](RequestBlock& block) {
            block.arguments.deviceIndex = index;
            block.reply.deviceName[0] = '\0';
            block.filterPresent = 0;
        },
        [&](const RequestBlock& block) {
            // An unknown index leaves the block as written above, so the
            // caller gets an empty name and no flag, never a stale one.
            if (block.enumerateResult == 0) {
                return 0;
            }
            if (name) {
                const std::size_t length =
                    strnlen(block.reply.deviceName, magtune::usbhid::kDeviceNameSize - 1);
                std::memcpy(name, block.reply.deviceName, length);
                name[length] = '\0';
            }
            if (filterPresent) {
                *filterPresent = block.filterPresent;
            }
            return block.enumerateResult;
        });
}

int32_t ORUUSBHIDCTRL_CALL UsbHidSelectDevice(int32_t index) {
    return Call(
        UsbHidRequest::SelectDevice,
        [&](RequestBlock& block) { block.arguments.deviceIndex = index; },
        [](const RequestBlock& block) { return block.reply.result; });
}

int32_t ORUUSBHIDCTRL_CALL UsbHidIsDeviceSelected(void) {
    return Call(UsbHidRequest::IsDeviceSelected);
}

int32_t ORUUSBHIDCTRL_CALL UsbHidGetDeviceControlCode(uint8_t* code) {
    if (code) {
        *code = 0;
    }
    return Call(
        UsbHidRequest::GetDeviceControlCode, [](RequestBlock&) {},
        [&](const RequestBlock& block) {
            if (code) {
                *code = block.reply.controlCodeReply.code;
            }
            return block.reply.controlCodeReply.result;
        });
}

int32_t ORUUSBHIDCTRL_CALL UsbHidSetDeviceControlCode(int32_t code) {
    return Call(
        UsbHidRequest::SetDeviceControlCode,
        [&](RequestBlock& block) { block.arguments.controlCode = static_cast<uint8_t>(code); },
        [](const RequestBlock& block) { return block.reply.result; });
}

int32_t ORUUSBHIDCTRL_CALL UsbHidSetDownloadChannel(int32_t channel) {
    return Call(
        UsbHidRequest::SetDownloadChannel,
        [&](RequestBlock& block) { block.arguments.controlCode = static_cast<uint8_t>(channel); },
        [](const RequestBlock& block) { return block.reply.result; });
}

int32_t ORUUSBHIDCTRL_CALL UsbHidDeselectDevice(void) {
    return Call(UsbHidRequest::DeselectDevice);
}

int32_t ORUUSBHIDCTRL_CALL UsbHidIsDeviceReady(void) {
    return Call(UsbHidRequest::IsDeviceReady);
}

int32_t ORUUSBHIDCTRL_CALL UsbHidSetDeviceBufferedData(const uint8_t* data, uint32_t length,
                                                       int32_t value) {
    if (length > magtune::usbhid::kBufferedDataCapacity || (data == nullptr && length != 0)) {
        return 0;
    }
    return Call(
        UsbHidRequest::SetDeviceBufferedData,
        [&](RequestBlock& block) {
            block.bufferedDataLength = length;
            block.bufferedDataValue = value;
            if (length != 0) {
                std::memcpy(block.arguments.bufferedData, data, length);
            }
        },
        [](const RequestBlock& block) { return block.reply.result; });
}

}  // extern "C"
