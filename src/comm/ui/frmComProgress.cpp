#include "comm/ui/frmComProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace magtune {

frmComProgress::frmComProgress(const QString& caption, QWidget* parent)
    : frmComBase(caption, parent), lblStatus(new QLabel(this)), pgbStatus(new QProgressBar(this)) {
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    pgbStatus->setObjectName(QStringLiteral("pgbStatus"));
    pgbStatus->setRange(0, 100);
    pgbStatus->setValue(0);
    pgbStatus->setTextVisible(false);
    // Wide enough for the status texts with a product name; a longer name
    // widens the form instead of being cut.
    lblStatus->setMinimumWidth(360);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblStatus);
    layout->addWidget(pgbStatus);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

frmComProgress::~frmComProgress() = default;

void frmComProgress::setStatus(const std::string& text) {
    lblStatus->setText(QString::fromStdString(text));
    repaintNow();
}

void frmComProgress::setProgress(int percent) {
    pgbStatus->setValue(percent);
    repaintNow();
}

void frmComProgress::setBusy(bool busy) {
    if (busy_.set(busy)) {
        repaintNow();
    }
}

void frmComProgress::repaintNow() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace magtune
