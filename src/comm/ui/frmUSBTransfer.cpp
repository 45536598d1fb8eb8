#include "comm/ui/frmUSBTransfer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "common/ui/DialogPlacement.h"

namespace magtune {

frmUSBTransfer::frmUSBTransfer(UsbTransfer::Direction direction, const QString& caption,
                               const QString& timerName, const UsbTransferContext& context,
                               ConfigurationImage& image, QWidget* parent)
    : QDialog(parent),
      transfer_(direction, context.library, context.clock, context.prompter, *this, context.options,
                context.log, context.dump, image),
      lblStatus(new QLabel(this)),
      pgbStatus(new QProgressBar(this)),
      timer_(new QTimer(this)) {
    setWindowTitle(caption);
    setModal(true);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    pgbStatus->setObjectName(QStringLiteral("pgbStatus"));
    timer_->setObjectName(timerName);
    pgbStatus->setRange(0, 100);
    pgbStatus->setValue(0);
    pgbStatus->setTextVisible(false);
    lblStatus->setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus);
    layout->addWidget(pgbStatus);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The form itself takes the keys: the reader types into it.
    setFocusPolicy(Qt::StrongFocus);

    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &frmUSBTransfer::timerFired);
}

frmUSBTransfer::~frmUSBTransfer() {
    if (busy_) {
        QApplication::restoreOverrideCursor();
    }
}

void frmUSBTransfer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
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
    const QByteArray text = event->text().toLatin1();
    if (text.isEmpty()) {
        QDialog::keyPressEvent(event);
        return;
    }
    pendingKeys_.append(text.constData(), static_cast<std::size_t>(text.size()));
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
        timer_->stop();
        pendingKeys_.clear();
        if (isVisible()) {
            done(succeeded() ? QDialog::Accepted : QDialog::Rejected);
        }
        return;
    }
    if (!transfer_.timerOn()) {
        timer_->stop();
    } else if (transfer_.timerGeneration() != generation_ || !timer_->isActive()) {
        generation_ = transfer_.timerGeneration();
        timer_->start(static_cast<int>(transfer_.intervalMs()));
    }
    // Keys that came while the transfer was busy in a call.
    if (!pendingKeys_.empty()) {
        QTimer::singleShot(0, this, &frmUSBTransfer::feedKeys);
    }
}

void frmUSBTransfer::setStatus(const std::string& text) {
    lblStatus->setText(QString::fromStdString(text));
    // Drawn now: the transfer blocks the thread while it sends.
    lblStatus->repaint();
}

void frmUSBTransfer::setProgress(int percent) {
    pgbStatus->setValue(percent);
    pgbStatus->repaint();
}

void frmUSBTransfer::setBusy(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
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

}  // namespace magtune
