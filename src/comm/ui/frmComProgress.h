#pragma once

#include "comm/TransferView.h"
#include "comm/ui/BusyPointer.h"
#include "comm/ui/frmComBase.h"

class QLabel;
class QProgressBar;

namespace magtune {

// The status label and progress bar of the download and upload forms, and
// the hourglass while the reader is being reached.
class frmComProgress : public frmComBase, public TransferView {
    Q_OBJECT

  public:
    ~frmComProgress() override;

    void setStatus(const std::string& text) override;
    void setProgress(int percent) override;
    void setBusy(bool busy) override;

  protected:
    frmComProgress(const QString& caption, QWidget* parent);

  private:
    // Lets the new status be drawn while the transfer blocks the thread;
    // clicks and keys wait, so nothing can start beside the transfer.
    void repaintNow();

    QLabel* lblStatus;
    QProgressBar* pgbStatus;
    BusyPointer busy_;
};

}  // namespace magtune
