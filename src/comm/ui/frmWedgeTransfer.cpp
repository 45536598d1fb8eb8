#include "comm/ui/frmWedgeTransfer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "common/ui/DialogPlacement.h"

namespace magtune {

frmWedgeTransfer::frmWedgeTransfer(const QString& caption, const QString& timerName,
                                   WedgeTransfer::Direction direction, WedgeLibraryCalls& library,
                                   Clock& clock, Prompter& prompter, std::int32_t protocolDelayMs,
                                   ConfigurationImage& image, QWidget* parent)
    : QDialog(parent),
      lblStatus(new QLabel(this)),
      pgbStatus(new QProgressBar(this)),
      timer_(new QTimer(this)),
      transfer_(direction, library, clock, prompter, *this, protocolDelayMs, image) {
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
    connect(timer_, &QTimer::timeout, this, &frmWedgeTransfer::timerFired);
}

frmWedgeTransfer::~frmWedgeTransfer() {
    timer_->stop();
    setBusy(false);
}

void frmWedgeTransfer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
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
    timer_->stop();
    transfer_.timerFired();
    followTransfer();
}

void frmWedgeTransfer::followTransfer() {
    if (transfer_.finished()) {
        timer_->stop();
        done(transfer_.succeeded() ? QDialog::Accepted : QDialog::Rejected);
    } else if (transfer_.timerOn()) {
        timer_->start(static_cast<int>(transfer_.intervalMs()));
    }
}

// Drawn at once: the tick that changes them may block in a send before the
// event loop runs again.
void frmWedgeTransfer::setStatus(const std::string& text) {
    lblStatus->setText(QString::fromStdString(text));
    lblStatus->repaint();
}

void frmWedgeTransfer::setProgress(int percent) {
    pgbStatus->setValue(percent);
    pgbStatus->repaint();
}

void frmWedgeTransfer::setBusy(bool busy) {
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

}  // namespace magtune
