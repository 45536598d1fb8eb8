#include "comm/ui/frmTest.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/DialogPlacement.h"
#include "settings/InterfaceCode.h"

namespace magtune::comm {

frmTest::frmTest(std::int32_t currentInterface, QWidget* parent)
    : QDialog(parent),
      txtEdit(new QPlainTextEdit(this)),
      cmdExit(new QPushButton(QStringLiteral("Exit"), this)) {
    setObjectName(QStringLiteral("frmTest"));
    setWindowTitle(currentInterface == settings::InterfaceCode::KeyboardWedge
                       ? QStringLiteral("Test Pad (AT/PS2)")
                       : QStringLiteral("Test Pad (USB)"));
    setModal(true);
    txtEdit->setObjectName(QStringLiteral("txtEdit"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    // The reader ends a card with Enter: that is a new line in the pad, not
    // a click on Exit.
    cmdExit->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtEdit);
    layout->addLayout(buttons);
    txtEdit->setMinimumSize(440, 240);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::accept);
}

void frmTest::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
    txtEdit->setFocus();
}

}  // namespace magtune::comm
