#include "comm/ui/frmComProgress.h"

#include <QTimer>

#include "common/ui/DialogPlacement.h"

namespace magtune::comm {

frmComProgress::frmComProgress(const QString& caption, SerialTransfer::Direction direction,
                               SerialLink& link, platform::Clock& clock,
                               settings::ConfigurationImage& image, QWidget* parent)
    : TransferForm(caption, QStringLiteral("tmrCom"), parent),
      transfer_(direction, link, clock, *this, image) {
    connect(timer(), &QTimer::timeout, this, &frmComProgress::timerFired);
}

void frmComProgress::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
    if (!started_) {
        started_ = true;
        // Inside the show, so that the first frame drawn already says what
        // the form does; every step after it is short.
        transfer_.start();
        followTransfer();
    }
}

void frmComProgress::timerFired() {
    if (!running()) {
        return;
    }
    // Stopped while the tick runs: a message box inside it must not see the
    // next tick.
    timer()->stop();
    transfer_.timerFired();
    followTransfer();
}

void frmComProgress::followTransfer() {
    if (transfer_.finished()) {
        timer()->stop();
        done(transfer_.succeeded() ? QDialog::Accepted : QDialog::Rejected);
    } else if (transfer_.timerOn()) {
        timer()->start(static_cast<int>(transfer_.intervalMs()));
    }
}

void frmComProgress::reject() {
    if (running()) {
        timer()->stop();
        transfer_.cancel();
        followTransfer();
        return;
    }
    QDialog::reject();
}

}  // namespace magtune::comm
