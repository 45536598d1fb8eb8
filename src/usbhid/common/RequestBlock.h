#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace magtune::usbhid {

// The shared block through which OruUsbHidCtrl hands one request at a time
// to OruUsbHidCtrlSrv64. Both sides map the same bytes, so the layout is
// fixed to the byte and checked below.
inline constexpr std::size_t kRequestBlockSize = 1308;
inline constexpr std::size_t kDeviceNameSize = 256;
inline constexpr std::size_t kBufferedDataCapacity = 1032;

// RequestCode values, one per export of the client library.
enum class UsbHidRequest : std::int32_t {
    GetAvailableDeviceList = 1,
    ReleaseDeviceList = 2,
    EnumDeviceList = 3,
    SelectDevice = 4,
    IsDeviceSelected = 5,
    GetDeviceControlCode = 6,
    SetDeviceControlCode = 7,
    SetDownloadChannel = 8,
    DeselectDevice = 9,
    IsDeviceReady = 10,
    SetDeviceBufferedData = 11,
};

// The fields at offset 4; which one is meant depends on the request.
union RequestArguments {
    std::int32_t deviceIndex;                          // requests 3, 4
    std::uint8_t controlCode;                          // requests 7, 8 (code or channel)
    std::uint8_t bufferedData[kBufferedDataCapacity];  // request 11
};

// Request 6 answers with the byte read from the reader and its own result.
struct ControlCodeReply {
    std::uint8_t code;
    std::uint8_t unused[3];
    std::int32_t result;
};

// The fields at offset 1044.
union RequestReply {
    std::int32_t result;                // every request but 3 and 6
    char deviceName[kDeviceNameSize];   // request 3, NUL-terminated
    ControlCodeReply controlCodeReply;  // request 6
};

struct RequestBlock {
    std::int32_t requestCode;
    RequestArguments arguments;
    std::uint32_t bufferedDataLength;  // at most kBufferedDataCapacity
    std::int32_t bufferedDataValue;
    RequestReply reply;
    std::uint8_t filterPresent;  // request 3: 1 when the device carries the filter
    std::uint8_t unused[3];
    std::int32_t enumerateResult;  // request 3
};

static_assert(std::endian::native == std::endian::little,
              "the request block is little-endian on both sides");
static_assert(sizeof(RequestBlock) == kRequestBlockSize);
static_assert(offsetof(RequestBlock, requestCode) == 0);
static_assert(offsetof(RequestBlock, arguments) == 4);
static_assert(offsetof(RequestBlock, bufferedDataLength) == 1036);
static_assert(offsetof(RequestBlock, bufferedDataValue) == 1040);
static_assert(offsetof(RequestBlock, reply) == 1044);
static_assert(offsetof(RequestBlock, reply) + offsetof(ControlCodeReply, result) == 1048);
static_assert(offsetof(RequestBlock, filterPresent) == 1300);
static_assert(offsetof(RequestBlock, enumerateResult) == 1304);

}  // namespace magtune::usbhid
