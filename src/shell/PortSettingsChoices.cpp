#include "shell/PortSettingsChoices.h"

#include <algorithm>

namespace magtune::shell {

namespace {

constexpr std::uint32_t kListedRates[] = {110,   300,   600,   1200,  2400,   4800,   9600,
                                          14400, 19200, 38400, 57600, 115200, 128000, 256000};

}  // namespace

std::vector<std::uint32_t> BaudRateChoices(std::uint32_t current) {
    std::vector<std::uint32_t> rates(std::begin(kListedRates), std::end(kListedRates));
    if (current != 0 && std::find(rates.begin(), rates.end(), current) == rates.end()) {
        rates.insert(std::upper_bound(rates.begin(), rates.end(), current), current);
    }
    return rates;
}

FlowControl FlowControlOf(const platform::PortSettings& settings) {
    if (settings.fOutxCtsFlow() ||
        settings.fRtsControl() == platform::PortSettings::kRtsControlHandshake) {
        return FlowControl::Hardware;
    }
    if (settings.fOutX() || settings.fInX()) {
        return FlowControl::XonXoff;
    }
    return FlowControl::None;
}

void SetFlowControl(platform::PortSettings& settings, FlowControl flow) {
    const bool hardware = flow == FlowControl::Hardware;
    const bool software = flow == FlowControl::XonXoff;
    settings.setFOutxCtsFlow(hardware);
    settings.setFOutxDsrFlow(hardware);
    settings.setFDtrControl(hardware ? platform::PortSettings::kDtrControlHandshake
                                     : platform::PortSettings::kDtrControlEnable);
    settings.setFRtsControl(hardware ? platform::PortSettings::kRtsControlHandshake
                                     : platform::PortSettings::kRtsControlEnable);
    settings.setFOutX(software);
    settings.setFInX(software);
}

void SetParity(platform::PortSettings& settings, std::uint8_t parity) {
    settings.Parity = parity;
    settings.setFParity(parity != platform::PortSettings::kNoParity);
}

void RestorePortDefaults(platform::PortSettings& settings) {
    settings.BaudRate = 9600;
    settings.ByteSize = 8;
    SetParity(settings, platform::PortSettings::kNoParity);
    settings.StopBits = platform::PortSettings::kOneStopBit;
    SetFlowControl(settings, FlowControl::None);
}

}  // namespace magtune::shell
