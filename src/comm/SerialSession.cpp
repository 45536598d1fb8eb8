#include "comm/SerialSession.h"

namespace magtune {

void SerialSession::closePort() {
    if (SerialPort) {
        SerialPort->close();
        SerialPort.reset();
    }
}

}  // namespace magtune
