#include "comm/SerialTestPad.h"

#include <array>

namespace magtune::comm {

SerialTestPad::SerialTestPad(SerialLink& link) : link_(link) {}

void SerialTestPad::end() {
    if (!ended_) {
        ended_ = true;
        link_.session().closePort();
    }
}

bool SerialTestPad::poll(const std::function<void(std::uint8_t)>& received) {
    if (ended_) {
        return false;
    }
    if (!stopRequested_) {
        std::array<std::uint8_t, 64> buffer{};
        std::size_t count = 0;
        if (link_.ReadWaiting(buffer, count)) {
            for (std::size_t i = 0; i < count && received; ++i) {
                received(buffer[i]);
            }
            return true;
        }
    }
    end();
    return false;
}

void SerialTestPad::run(const std::function<void(std::uint8_t)>& received,
                        const std::function<void()>& processEvents) {
    while (!stopRequested_) {
        std::uint8_t byte = 0;
        const int result = link_.SerialRead(std::span(&byte, 1), false);
        if (result < 0) {
            break;
        }
        if (result == 1 && received) {
            received(byte);
        }
        if (processEvents) {
            processEvents();
        }
    }
    end();
}

}  // namespace magtune::comm
