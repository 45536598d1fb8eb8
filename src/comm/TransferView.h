#pragma once

#include <string>

namespace magtune::comm {

// What a transfer shows while it runs: the form's status label (lblStatus),
// its progress bar (pgbStatus: 0, 50, 100) and the busy (hourglass) pointer.
// The GUI forms and the command line bind it; tests record it.
class TransferView {
  public:
    virtual ~TransferView() = default;

    virtual void setStatus(const std::string& text) = 0;
    virtual void setProgress(int percent) = 0;
    virtual void setBusy(bool busy) = 0;
};

}  // namespace magtune::comm
