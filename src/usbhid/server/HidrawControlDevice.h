#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "usbhid/server/ControlDevice.h"

namespace magtune::usbhid {

// The filter's control requests as HID reports on the reader's hidraw node.
// The reader keeps working as a keyboard (usbhid stays its driver); the
// node carries only these reports, each of one control byte:
//
//   request                      operation on the node        report bytes
//   0x220008 control code        write(), an output report    01 <code>
//   0x22000C download channel    write(), an output report    02 <channel>
//   0x220004 read a control code HIDIOCGFEATURE, a feature    03 <input>; the reader
//                                report get                   answers 03 <code>
//
// The first byte is the report number, as hidraw wants it. Any other
// request is refused.
inline constexpr std::uint8_t kControlCodeReport = 0x01;
inline constexpr std::uint8_t kDownloadChannelReport = 0x02;
inline constexpr std::uint8_t kReadControlCodeReport = 0x03;
inline constexpr std::size_t kHidrawReportSize = 2;

using HidrawReport = std::array<std::uint8_t, kHidrawReportSize>;

// The output report of a write request; nullopt for the read request and
// unknown codes.
std::optional<HidrawReport> OutputReportFor(std::uint32_t request, std::uint8_t input);
// The control code in a feature report the reader answered with `length`
// bytes; nullopt when it is short or another report.
std::optional<std::uint8_t> ControlCodeFromFeatureReport(const HidrawReport& report, int length);

// The control device over an open hidraw node that the backend owns.
class HidrawControlDevice : public ControlDevice {
  public:
    explicit HidrawControlDevice(int fd) : fd_(fd) {}
    std::optional<std::uint8_t> request(std::uint32_t code, std::uint8_t input) override;

  private:
    int fd_;
};

}  // namespace magtune::usbhid
