#include "usbhid/server/HidrawControlDevice.h"

#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "usbhid/common/UsbDevice.h"

namespace magtune::usbhid {

std::optional<HidrawReport> OutputReportFor(std::uint32_t request, std::uint8_t input) {
    switch (request) {
        case kWriteControlCodeRequest:
            return HidrawReport{kControlCodeReport, input};
        case kSetDownloadChannelRequest:
            return HidrawReport{kDownloadChannelReport, input};
        default:
            return std::nullopt;
    }
}

std::optional<std::uint8_t> ControlCodeFromFeatureReport(const HidrawReport& report, int length) {
    if (length < static_cast<int>(kHidrawReportSize) || report[0] != kReadControlCodeReport) {
        return std::nullopt;
    }
    return report[1];
}

std::optional<std::uint8_t> HidrawControlDevice::request(std::uint32_t code, std::uint8_t input) {
    if (code == kReadControlCodeRequest) {
        HidrawReport report{kReadControlCodeReport, input};
        int length = 0;
        do {
            length = ::ioctl(fd_, HIDIOCGFEATURE(report.size()), report.data());
        } while (length < 0 && errno == EINTR);
        return ControlCodeFromFeatureReport(report, length);
    }
    const auto report = OutputReportFor(code, input);
    if (!report) {
        return std::nullopt;
    }
    ssize_t written = 0;
    do {
        written = ::write(fd_, report->data(), report->size());
    } while (written < 0 && errno == EINTR);
    if (written != static_cast<ssize_t>(report->size())) {
        return std::nullopt;
    }
    return input;
}

}  // namespace magtune::usbhid
