#include "comm/SerialConnectScan.h"

#include <algorithm>
#include <functional>
#include <iterator>

#include "comm/ProtocolFrames.h"

namespace magtune::comm {

SerialConnectScan::SerialConnectScan(SerialLink& link) : link_(link) {}

SerialConnectScan::State SerialConnectScan::begin() {
    framesAtRate_ = 0;
    tried_.fill(false);
    startRate_ = link_.session().PortSettings.BaudRate;
    // A port left with the transfer time-outs would make every connect frame
    // wait a whole read time-out.
    state_ = link_.SetIdleTimeouts() ? State::Running : State::PortFailed;
    return state_;
}

SerialConnectScan::State SerialConnectScan::step() {
    if (state_ != State::Running) {
        return state_;
    }
    const std::uint32_t rate = link_.session().PortSettings.BaudRate;
    const auto* known = std::find(std::begin(kScanBaudRates), std::end(kScanBaudRates), rate);
    if (known != std::end(kScanBaudRates)) {
        tried_[static_cast<std::size_t>(known - std::begin(kScanBaudRates))] = true;
    }
    if (!link_.SerialWrite(SerialConnectFrame())) {
        return state_ = State::PortFailed;
    }
    std::uint8_t answer = 0;
    const int result = link_.SerialRead(std::span(&answer, 1), false);
    if (result < 0) {
        return state_ = State::PortFailed;
    }
    if (result == 1 && answer == kAck) {
        return state_ = State::Connected;
    }
    if (++framesAtRate_ < kConnectFramesPerRate) {
        return state_;
    }
    framesAtRate_ = 0;
    return state_ = nextRate();
}

SerialConnectScan::State SerialConnectScan::nextRate() {
    if (!link_.purge()) {
        return State::PortFailed;
    }
    auto& settings = link_.session().PortSettings;
    if (std::all_of(tried_.begin(), tried_.end(), std::identity{})) {
        // Every rate of the series had its turn (a start rate outside the
        // series never comes round again); leave the port as it was found.
        if (settings.BaudRate != startRate_) {
            settings.BaudRate = startRate_;
            if (!link_.applyPortSettings()) {
                return State::PortFailed;
            }
        }
        return State::NoAnswer;
    }
    settings.BaudRate = NextScanBaudRate(settings.BaudRate);
    return link_.applyPortSettings() ? State::Running : State::PortFailed;
}

void SerialConnectScan::abandon() {
    auto& settings = link_.session().PortSettings;
    if (settings.BaudRate != startRate_) {
        settings.BaudRate = startRate_;
        link_.applyPortSettings();
    }
    state_ = State::NoAnswer;
}

}  // namespace magtune::comm
