#include "comm/ui/frmComBase.h"

#include <QCloseEvent>
#include <QTimer>

#include "common/ui/DialogPlacement.h"

namespace magtune {

frmComBase::frmComBase(const QString& caption, QWidget* parent) : QDialog(parent) {
    setWindowTitle(caption);
    setModal(true);
}

void frmComBase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
    if (!started_) {
        started_ = true;
        // Once the window is drawn, not inside the show.
        QTimer::singleShot(0, this, &frmComBase::start);
    }
}

void frmComBase::start() {
    running_ = true;
    runTransfer();
    running_ = false;
    accept();
}

void frmComBase::closeEvent(QCloseEvent* event) {
    if (running_) {
        closeWhileRunning();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmComBase::reject() {
    if (running_) {
        closeWhileRunning();
        return;
    }
    QDialog::reject();
}

}  // namespace magtune
