#include "comm/ui/frmUSBTransfer.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTimer>

#include "comm/ui/ReaderKeyEvents.h"
#include "common/ui/DialogPlacement.h"

namespace magtune::comm {

frmUSBTransfer::frmUSBTransfer(UsbTransfer::Direction direction, const QString& caption,
                               const QString& timerName, const UsbTransferContext& context,
                               settings::ConfigurationImage& image, QWidget* parent)
    : TransferForm(caption, timerName, parent),
      nativeCodes_(NativeKeyCodesOfThisPlatform()),
      transfer_(direction, context.library, context.clock, context.prompter, *this, context.options,
                context.log, context.dump, image) {
    // The form itself takes the keys: the reader types into it.
    setFocusPolicy(Qt::StrongFocus);

    timer()->setSingleShot(true);
    timer()->setTimerType(Qt::PreciseTimer);
    connect(timer(), &QTimer::timeout, this, &frmUSBTransfer::timerFired);
}

void frmUSBTransfer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
    setFocus();
    if (!activated_) {
        activated_ = true;
        // Once the form is on screen, not inside the show.
        QTimer::singleShot(0, this, &frmUSBTransfer::activate);
    }
}

void frmUSBTransfer::activate() {
    inTransfer_ = true;
    transfer_.start();
    inTransfer_ = false;
    follow();
}

void frmUSBTransfer::timerFired() {
    if (inTransfer_) {
        // A message box of the transfer is up; follow() sets the timer anew.
        return;
    }
    inTransfer_ = true;
    transfer_.timerFired();
    inTransfer_ = false;
    follow();
}

void frmUSBTransfer::keyPressEvent(QKeyEvent* event) {
    // By the key, not the layout: the reader's "1" is "&" on a French desk.
    const std::string typed = ReaderCharactersOfEvent(*event, nativeCodes_);
    if (typed.empty()) {
        QDialog::keyPressEvent(event);
        return;
    }
    pendingKeys_ += typed;
    event->accept();
    feedKeys();
}

void frmUSBTransfer::feedKeys() {
    if (inTransfer_ || !activated_) {
        return;
    }
    while (!pendingKeys_.empty() && !transfer_.finished()) {
        const char key = pendingKeys_.front();
        pendingKeys_.erase(0, 1);
        inTransfer_ = true;
        transfer_.keyTyped(key);
        inTransfer_ = false;
    }
    follow();
}

void frmUSBTransfer::follow() {
    if (transfer_.finished()) {
        timer()->stop();
        pendingKeys_.clear();
        if (isVisible()) {
            done(succeeded() ? QDialog::Accepted : QDialog::Rejected);
        }
        return;
    }
    if (!transfer_.timerOn()) {
        timer()->stop();
    } else if (transfer_.timerGeneration() != generation_ || !timer()->isActive()) {
        generation_ = transfer_.timerGeneration();
        timer()->start(static_cast<int>(transfer_.intervalMs()));
    }
    // Keys that came while the transfer was busy in a call.
    if (!pendingKeys_.empty()) {
        QTimer::singleShot(0, this, &frmUSBTransfer::feedKeys);
    }
}

void frmUSBTransfer::reject() {
    if (transfer_.finished() || !activated_) {
        QDialog::reject();
    }
}

void frmUSBTransfer::closeEvent(QCloseEvent* event) {
    if (transfer_.finished() || !activated_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
}

}  // namespace magtune::comm
