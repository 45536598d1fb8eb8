#pragma once

#include <cstdint>
#include <functional>

#include "comm/SerialLink.h"

namespace magtune::comm {

// The quick test (frmComTest): shows what the reader sends until the user
// leaves, then closes the port.
class SerialTestPad {
  public:
    // How often the window looks for new bytes.
    static constexpr int kPollIntervalMs = 5;

    explicit SerialTestPad(SerialLink& link);

    // cmdExit, and closing the window in any other way.
    void stop() { stopRequested_ = true; }
    bool stopRequested() const { return stopRequested_; }
    // The pad has closed the port: stopped, or the port failed.
    bool ended() const { return ended_; }

    // One look at the port for the window's timer: hands what arrived to
    // `received`, a byte at a time. A read waits at most the port's idle
    // time-out. After stop() or a port failure it closes the port and
    // returns false.
    bool poll(const std::function<void(std::uint8_t)>& received);

    // Reads single bytes until stop() or a port failure, handing each byte to
    // `received`. `processEvents` runs after every read, also while bytes
    // keep coming (it is where stop() gets called), so a reader that never
    // pauses cannot hold the caller. Closes the port.
    void run(const std::function<void(std::uint8_t)>& received,
             const std::function<void()>& processEvents);

  private:
    void end();

    SerialLink& link_;
    bool stopRequested_ = false;
    bool ended_ = false;
};

}  // namespace magtune::comm
