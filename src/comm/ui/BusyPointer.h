#pragma once

#include <QApplication>

namespace magtune::comm {

// The hourglass over the whole program while a form waits on the reader,
// taken back at the latest when the form goes.
class BusyPointer {
  public:
    BusyPointer() = default;
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    ~BusyPointer() { set(false); }

    // Shows or takes back the hourglass; false when it was so already (the
    // override cursors stack, so each is set once and taken back once).
    bool set(bool busy) {
        if (busy == busy_) {
            return false;
        }
        busy_ = busy;
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
        return true;
    }

  private:
    bool busy_ = false;
};

}  // namespace magtune::comm
