#include "comm/SerialTestPad.h"

namespace magtune {

SerialTestPad::SerialTestPad(SerialLink& link) : link_(link) {}

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
    link_.session().closePort();
}

}  // namespace magtune
