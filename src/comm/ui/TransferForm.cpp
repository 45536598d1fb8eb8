#include "comm/ui/TransferForm.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace magtune::comm {

TransferForm::TransferForm(const QString& caption, const QString& timerName, QWidget* parent)
    : QDialog(parent),
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
}

TransferForm::~TransferForm() {
    timer_->stop();
}

// Drawn at once: the step that changes them may block in a send before the
// event loop runs again.
void TransferForm::setStatus(const std::string& text) {
    lblStatus->setText(QString::fromStdString(text));
    lblStatus->repaint();
}

void TransferForm::setProgress(int percent) {
    pgbStatus->setValue(percent);
    pgbStatus->repaint();
}

void TransferForm::setBusy(bool busy) {
    busy_.set(busy);
}

}  // namespace magtune::comm
