#pragma once

#include <cstdint>
#include <functional>

#include "comm/SerialLink.h"

namespace magtune {

// The quick test (frmComTest): shows what the reader sends until the user
// leaves, then closes the port.
class SerialTestPad {
  public:
    explicit SerialTestPad(SerialLink& link);

    // cmdExit, and closing the window in any other way.
    void stop() { stopRequested_ = true; }
    bool stopRequested() const { return stopRequested_; }

    // Reads single bytes until stop() or a port failure, handing each byte to
    // `received`. `processEvents` lets the user interface run (it is where
    // stop() gets called) after every read, also while bytes keep coming, so
    // a reader that never pauses cannot lock the window. Closes the port.
    void run(const std::function<void(std::uint8_t)>& received,
             const std::function<void()>& processEvents);

  private:
    SerialLink& link_;
    bool stopRequested_ = false;
};

}  // namespace magtune
