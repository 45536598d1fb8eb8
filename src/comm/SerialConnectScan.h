#pragma once

#include <array>
#include <cstdint>

#include "comm/SerialLink.h"

namespace magtune::comm {

// The connect step of the serial transfers, one connect frame at a time:
// the frame, then its answer read with the idle time-outs (1 ms). After
// kConnectFramesPerRate frames without ACK the next baud rate of the scan is
// applied; once every rate had its turn the scan ends without answer and the
// start rate is applied again.
class SerialConnectScan {
  public:
    enum class State { Running, Connected, NoAnswer, PortFailed };

    explicit SerialConnectScan(SerialLink& link);

    // Applies the idle time-outs and remembers the start rate.
    State begin();
    // One connect frame and its answer; a port failure has been shown.
    State step();
    // The scan is given up before it ended: PortSettings and the port go
    // back to the start rate.
    void abandon();

    State state() const { return state_; }

  private:
    State nextRate();

    SerialLink& link_;
    State state_ = State::Running;
    std::uint32_t startRate_ = 0;
    int framesAtRate_ = 0;
    std::array<bool, std::size(kScanBaudRates)> tried_{};
};

}  // namespace magtune::comm
