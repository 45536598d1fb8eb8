#include "comm/ui/frmComTest.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "dataedit/Ansi.h"

namespace magtune {

frmComTest::frmComTest(SerialLink& link, QWidget* parent)
    : frmComBase(QStringLiteral("Test Pad (RS232)"), parent),
      pad_(link),
      txtEdit(new QPlainTextEdit(this)),
      cmdExit(new QPushButton(QStringLiteral("Exit"), this)) {
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
    connect(cmdExit, &QPushButton::clicked, this, &frmComTest::exitClicked);
}

frmComTest::~frmComTest() {
    if (waitCursor_) {
        QApplication::restoreOverrideCursor();
    }
}

void frmComTest::runTransfer() {
    pad_.run([this](std::uint8_t byte) { received(byte); },
             [] { QCoreApplication::processEvents(); });
    if (waitCursor_) {
        waitCursor_ = false;
        QApplication::restoreOverrideCursor();
    }
}

void frmComTest::closeWhileRunning() {
    pad_.stop();
}

void frmComTest::exitClicked() {
    pad_.stop();
    // The read in progress may still take its time-out.
    if (!waitCursor_) {
        waitCursor_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
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
                             : QString::fromStdString(TextFromAnsiByte(byte));
    txtEdit->moveCursor(QTextCursor::End);
    txtEdit->insertPlainText(text);
    txtEdit->moveCursor(QTextCursor::End);
    txtEdit->setFocus();
}

}  // namespace magtune
