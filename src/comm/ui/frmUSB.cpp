#include "comm/ui/frmUSB.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/DialogPlacement.h"

namespace magtune::comm {

frmUSB::frmUSB(UsbLibraryCalls& library, platform::Clock& clock, common::Prompter& prompter,
               std::int32_t driverDelayMs, std::string& selectedUsbName, QWidget* parent,
               const std::string& applicationTitle)
    : QDialog(parent),
      list_(library, clock, prompter, applicationTitle),
      driverDelayMs_(driverDelayMs),
      SelectedUsbName(selectedUsbName),
      cboUSB(new QComboBox(this)),
      cmdOK(new QPushButton(QStringLiteral("OK"), this)),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("frmUSB"));
    setWindowTitle(QStringLiteral("Select USB device"));
    setModal(true);
    cboUSB->setObjectName(QStringLiteral("cboUSB"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdOK->setDefault(true);
    cboUSB->setMinimumWidth(320);
    cboUSB->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cboUSB);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmUSB::okClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    list_.setBusy = [this](bool busy) { busy_.set(busy); };
    found_ = list_.load();
    for (const UsbReaderEntry& entry : list_.entries()) {
        cboUSB->addItem(QString::fromStdString(entry.text), entry.filterPresent ? 1 : 0);
    }
    cboUSB->setCurrentIndex(list_.current());
}

frmUSB::~frmUSB() = default;

int frmUSB::exec() {
    // Nothing to choose from: the user has been told, and the form is gone.
    if (!found_) {
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

void frmUSB::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
}

void frmUSB::okClicked() {
    const int index = cboUSB->currentIndex();
    if (index < 0) {
        return;
    }
    if (list_.choose(static_cast<std::size_t>(index), SelectedUsbName, driverDelayMs_)) {
        UsbDeviceChosen = true;
        accept();
    }
}

}  // namespace magtune::comm
