#include "comm/ui/frmComTest.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include "common/ui/DialogPlacement.h"
#include "dataedit/Ansi.h"

namespace magtune::comm {

frmComTest::frmComTest(SerialLink& link, QWidget* parent)
    : QDialog(parent),
      pad_(link),
      txtEdit(new QPlainTextEdit(this)),
      cmdExit(new QPushButton(QStringLiteral("Exit"), this)),
      timer_(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Test Pad (RS232)"));
    setModal(true);
    setObjectName(QStringLiteral("frmComTest"));
    txtEdit->setObjectName(QStringLiteral("txtEdit"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtEdit);
    layout->addLayout(buttons);
    txtEdit->setMinimumSize(440, 240);
    timer_->setInterval(SerialTestPad::kPollIntervalMs);
    connect(timer_, &QTimer::timeout, this, &frmComTest::poll);
    connect(cmdExit, &QPushButton::clicked, this, &frmComTest::leave);
}

void frmComTest::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
    if (!pad_.ended()) {
        timer_->start();
    }
}

void frmComTest::poll() {
    if (!pad_.poll([this](std::uint8_t byte) { received(byte); })) {
        timer_->stop();
        QDialog::done(QDialog::Accepted);
    }
}

// cmdExit: the pad stops at once and closes the port.
void frmComTest::leave() {
    pad_.stop();
    poll();
}

void frmComTest::reject() {
    leave();
}

void frmComTest::received(std::uint8_t byte) {
    // A reader ends its tracks with CR, LF or both: each ending starts one
    // new line.
    const bool lineFeedAfterReturn = byte == '\n' && afterCarriageReturn_;
    afterCarriageReturn_ = byte == '\r';
    if (lineFeedAfterReturn) {
        return;
    }
    const QString text = byte == '\r' || byte == '\n'
                             ? QStringLiteral("\n")
                             : QString::fromStdString(dataedit::TextFromAnsiByte(byte));
    txtEdit->moveCursor(QTextCursor::End);
    txtEdit->insertPlainText(text);
    txtEdit->moveCursor(QTextCursor::End);
    txtEdit->setFocus();
}

}  // namespace magtune::comm
