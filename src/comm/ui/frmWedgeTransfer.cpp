#include "comm/ui/frmWedgeTransfer.h"

#include <QCloseEvent>
#include <QTimer>

#include "common/ui/DialogPlacement.h"

namespace magtune::comm {

frmWedgeTransfer::frmWedgeTransfer(const QString& caption, const QString& timerName,
                                   WedgeTransfer::Direction direction, WedgeLibraryCalls& library,
                                   platform::Clock& clock, common::Prompter& prompter,
                                   std::int32_t protocolDelayMs,
                                   settings::ConfigurationImage& image, QWidget* parent)
    : TransferForm(caption, timerName, parent),
      transfer_(direction, library, clock, prompter, *this, protocolDelayMs, image) {
    connect(timer(), &QTimer::timeout, this, &frmWedgeTransfer::timerFired);
}

void frmWedgeTransfer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
    if (!started_) {
        started_ = true;
        transfer_.start();
        followTransfer();
    }
}

void frmWedgeTransfer::timerFired() {
    if (!running()) {
        return;
    }
    // Stopped while the tick runs: a question box inside it must not see
    // the next tick.
    timer()->stop();
    transfer_.timerFired();
    followTransfer();
}

void frmWedgeTransfer::followTransfer() {
    if (transfer_.finished()) {
        timer()->stop();
        done(transfer_.succeeded() ? QDialog::Accepted : QDialog::Rejected);
    } else if (transfer_.timerOn()) {
        timer()->start(static_cast<int>(transfer_.intervalMs()));
    }
}

void frmWedgeTransfer::closeEvent(QCloseEvent* event) {
    if (running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmWedgeTransfer::reject() {
    if (!running()) {
        QDialog::reject();
    }
}

}  // namespace magtune::comm
