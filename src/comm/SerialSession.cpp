#include "comm/SerialSession.h"

namespace magtune::comm {

void SerialSession::closePort() {
    if (SerialPort) {
        SerialPort->close();
        SerialPort.reset();
    }
}

}  // namespace magtune::comm
