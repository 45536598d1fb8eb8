#include "shell/PortSettingsDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/DialogPlacement.h"
#include "shell/PortSettingsChoices.h"

namespace magtune::shell {

namespace {

QComboBox* NamedList(const char* name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setMinimumWidth(160);
    return list;
}

QPushButton* NamedButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// Selects the entry carrying `value`; none when no entry does.
void SelectValue(QComboBox* list, int value) {
    list->setCurrentIndex(list->findData(value));
}

}  // namespace

PortSettingsDialog::PortSettingsDialog(const QString& portName,
                                       const platform::PortSettings& settings, QWidget* parent)
    : QDialog(parent),
      original_(settings),
      cboBaudRate(NamedList("cboBaudRate", this)),
      cboDataBits(NamedList("cboDataBits", this)),
      cboParity(NamedList("cboParity", this)),
      cboStopBits(NamedList("cboStopBits", this)),
      cboFlowControl(NamedList("cboFlowControl", this)),
      cmdRestoreDefaults(NamedButton("&Restore Defaults", "cmdRestoreDefaults", this)),
      cmdOK(NamedButton("OK", "cmdOK", this)),
      cmdCancel(NamedButton("Cancel", "cmdCancel", this)) {
    setObjectName(QStringLiteral("PortSettingsDialog"));
    setWindowTitle(portName + QStringLiteral(" Properties"));

    for (std::uint32_t rate : BaudRateChoices(settings.BaudRate)) {
        cboBaudRate->addItem(QString::number(rate), static_cast<int>(rate));
    }
    for (std::uint8_t bits : kDataBitChoices) {
        cboDataBits->addItem(QString::number(bits), bits);
    }
    for (const ParityChoice& parity : kParityChoices) {
        cboParity->addItem(QString::fromLatin1(parity.text), parity.value);
    }
    for (int i = 0; i < static_cast<int>(std::size(kStopBitTexts)); ++i) {
        cboStopBits->addItem(QString::fromLatin1(kStopBitTexts[i]), i);
    }
    for (int i = 0; i < static_cast<int>(std::size(kFlowControlTexts)); ++i) {
        cboFlowControl->addItem(QString::fromLatin1(kFlowControlTexts[i]), i);
    }

    auto* group = new QGroupBox(QStringLiteral("Port Settings"), this);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("&Bits per second:"), cboBaudRate);
    form->addRow(QStringLiteral("&Data bits:"), cboDataBits);
    form->addRow(QStringLiteral("&Parity:"), cboParity);
    form->addRow(QStringLiteral("&Stop bits:"), cboStopBits);
    form->addRow(QStringLiteral("&Flow control:"), cboFlowControl);
    auto* restore = new QHBoxLayout;
    restore->addStretch(1);
    restore->addWidget(cmdRestoreDefaults);
    form->addRow(restore);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &PortSettingsDialog::confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdRestoreDefaults, &QPushButton::clicked, this, &PortSettingsDialog::restoreDefaults);
    showSettings(settings);
}

void PortSettingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
}

void PortSettingsDialog::showSettings(const platform::PortSettings& settings) {
    SelectValue(cboBaudRate, static_cast<int>(settings.BaudRate));
    SelectValue(cboDataBits, settings.ByteSize);
    SelectValue(cboParity, settings.Parity);
    SelectValue(cboStopBits, settings.StopBits);
    SelectValue(cboFlowControl, static_cast<int>(FlowControlOf(settings)));
}

platform::PortSettings PortSettingsDialog::settings() const {
    platform::PortSettings result = original_;
    if (cboBaudRate->currentIndex() >= 0) {
        result.BaudRate = cboBaudRate->currentData().toUInt();
    }
    if (cboDataBits->currentIndex() >= 0) {
        result.ByteSize = static_cast<std::uint8_t>(cboDataBits->currentData().toUInt());
    }
    if (cboParity->currentIndex() >= 0) {
        const auto parity = static_cast<std::uint8_t>(cboParity->currentData().toUInt());
        if (parity != original_.Parity) {
            SetParity(result, parity);
        }
    }
    if (cboStopBits->currentIndex() >= 0) {
        result.StopBits = static_cast<std::uint8_t>(cboStopBits->currentData().toUInt());
    }
    if (cboFlowControl->currentIndex() >= 0) {
        const auto flow = static_cast<FlowControl>(cboFlowControl->currentData().toInt());
        // The handshake fields are rewritten only for a new choice, so that
        // a block with a mix of its own keeps it.
        if (flow != FlowControlOf(original_)) {
            SetFlowControl(result, flow);
        }
    }
    return result;
}

void PortSettingsDialog::restoreDefaults() {
    platform::PortSettings defaults = original_;
    RestorePortDefaults(defaults);
    showSettings(defaults);
}

void PortSettingsDialog::confirm() {
    accepted_ = true;
    accept();
}

}  // namespace magtune::shell
