#pragma once

#include <cstdint>
#include <optional>

namespace magtune::usbhid {

// The filter driver's control device, opened for one request or one run of
// requests and closed when destroyed.
class ControlDevice {
  public:
    virtual ~ControlDevice() = default;
    // One buffered control request, one byte in and one byte out; nullopt
    // when the driver refused it.
    virtual std::optional<std::uint8_t> request(std::uint32_t code, std::uint8_t input) = 0;
};

}  // namespace magtune::usbhid
