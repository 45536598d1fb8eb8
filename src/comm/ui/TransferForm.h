#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "comm/TransferView.h"
#include "comm/ui/BusyPointer.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace magtune::comm {

// What the timer-driven transfer forms (USB and keyboard wedge) share: the
// status label and the progress bar the transfer writes to, the busy pointer
// and the one timer that drives the transfer. The subclass runs the timer.
class TransferForm : public QDialog, public TransferView {
    Q_OBJECT

  public:
    ~TransferForm() override;

    void setStatus(const std::string& text) override;
    void setProgress(int percent) override;
    void setBusy(bool busy) override;

  protected:
    TransferForm(const QString& caption, const QString& timerName, QWidget* parent);

    QTimer* timer() const { return timer_; }

  private:
    QLabel* lblStatus;
    QProgressBar* pgbStatus;
    QTimer* timer_;
    BusyPointer busy_;
};

}  // namespace magtune::comm
