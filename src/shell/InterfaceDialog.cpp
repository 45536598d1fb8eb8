#include "shell/InterfaceDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>
#include <chrono>
#include <utility>

#include "common/ui/DialogPlacement.h"
#include "shell/QtPortConfigDialog.h"
#include "shell/SelectionRules.h"

namespace magtune::shell {

namespace {

// Every character typed into the product name is taken in upper case.
class UpperCaseValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = QString::fromStdString(UpperCaseProductName(input.toStdString()));
        return Acceptable;
    }
};

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

constexpr int kSimulatorPollMs = 100;
constexpr qint64 kSimulatorProbeIntervalMs = 1000;

// Hidden port controls keep their place, so the dialog does not jump.
void KeepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

}  // namespace

InterfaceDialog::InterfaceDialog(SelectionDialogKind kind, const QString& caption,
                                 const InterfaceDialogContext& context,
                                 const std::string& currentDevice, QWidget* parent)
    : QDialog(parent),
      ownPortDialog_(context.portDialog ? nullptr : std::make_unique<QtPortConfigDialog>(this)),
      portsFolder_(context.portsFolder),
      selection_(kind, context.store, context.link, context.openPort,
                 context.portDialog ? *context.portDialog : *ownPortDialog_),
      findSimulator_(context.findSimulator),
      optRS232(Named(new QRadioButton(QStringLiteral("By RS232 Interface"), this), "optRS232")),
      optKeybrd(
          Named(new QRadioButton(QStringLiteral("By PS/2 Keyboard Interface"), this), "optKeybrd")),
      optUSB(Named(new QRadioButton(QStringLiteral("By USB Interface"), this), "optUSB")),
      optSim(Named(new QRadioButton(QStringLiteral("By Simulated Reader"), this), "optSim")),
      lblSim(Named(new QLabel(this), "lblSim")),
      lblCom(Named(new QLabel(QStringLiteral("COM"), this), "lblCom")),
      cboCom(Named(new QComboBox(this), "cboCom")),
      lblComDevice(Named(new QLabel(this), "lblComDevice")),
      cmdProperties(Named(new QPushButton(QStringLiteral("Properties"), this), "cmdProperties")),
      cmdOK(Named(new QPushButton(QStringLiteral("OK"), this), "cmdOK")),
      cmdCancel(Named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel")) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);

    if (kind == SelectionDialogKind::Upload) {
        lblDevName = Named(new QLabel(QStringLiteral("Enter Product Name:"), this), "lblDevName");
        txtDevName = Named(new QLineEdit(this), "txtDevName");
        txtDevName->setValidator(new UpperCaseValidator(txtDevName));
        lblDevName->setBuddy(txtDevName);
        layout->addWidget(lblDevName);
        layout->addWidget(txtDevName);
        layout->addSpacing(6);
    }

    for (int index = 0; index < platform::kComPortCount; ++index) {
        cboCom->addItem(QString::fromStdString(ComPortEntryText(index)));
    }
    lblComDevice->setMinimumWidth(lblComDevice->fontMetrics().horizontalAdvance(
        QStringLiteral("/dev/ttyUSB11 (not present)")));
    lblCom->setBuddy(cboCom);
    for (QWidget* widget :
         {static_cast<QWidget*>(lblCom), static_cast<QWidget*>(cboCom),
          static_cast<QWidget*>(lblComDevice), static_cast<QWidget*>(cmdProperties)}) {
        KeepPlaceWhenHidden(widget);
    }

    auto* options = new QGridLayout;
    options->addWidget(optRS232, 0, 0);
    options->addWidget(lblCom, 0, 1);
    options->addWidget(cboCom, 0, 2);
    options->addWidget(lblComDevice, 0, 3);
    options->addWidget(cmdProperties, 0, 4);
    options->addWidget(optKeybrd, 1, 0);
    options->addWidget(optUSB, 2, 0);
    // The simulated reader is a transport of its own, offered while it runs.
    options->addWidget(optSim, 3, 0);
    options->addWidget(lblSim, 3, 1, 1, 4);
    options->setColumnStretch(3, 1);
    layout->addLayout(options);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    cmdOK->setDefault(true);

    selection_.rememberSimulatorChoice(context.lastChoseSimulator);
    selection_.Load();
    if (txtDevName != nullptr) {
        txtDevName->setText(QString::fromStdString(currentDevice));
        txtDevName->setCursorPosition(static_cast<int>(txtDevName->text().size()));
    }
    showSelection();

    connect(optRS232, &QRadioButton::toggled, this,
            [this](bool on) { optionToggled(settings::InterfaceCode::Rs232, on); });
    connect(optKeybrd, &QRadioButton::toggled, this,
            [this](bool on) { optionToggled(settings::InterfaceCode::KeyboardWedge, on); });
    connect(optUSB, &QRadioButton::toggled, this,
            [this](bool on) { optionToggled(settings::InterfaceCode::Usb, on); });
    connect(optSim, &QRadioButton::toggled, this,
            [this](bool on) { optionToggled(kSimulatedReaderOption, on); });
    connect(cboCom, &QComboBox::currentIndexChanged, this, &InterfaceDialog::portChosen);
    connect(cmdProperties, &QPushButton::clicked, this, &InterfaceDialog::properties);
    connect(cmdOK, &QPushButton::clicked, this, &InterfaceDialog::confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &InterfaceDialog::reject);

    if (findSimulator_) {
        connect(&simulatorWatch_, &QTimer::timeout, this, &InterfaceDialog::watchSimulator);
        simulatorWatch_.start(kSimulatorPollMs);
        watchSimulator();
    }
}

// A probe still under way is waited for: it asks a local socket, which
// answers at once.
InterfaceDialog::~InterfaceDialog() = default;

void InterfaceDialog::watchSimulator() {
    if (probe_.valid()) {
        if (probe_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            return;
        }
        const app::SimulatedReader found = probe_.get();
        if (found.interface != selection_.simulatedInterface()) {
            selection_.setSimulatedInterface(found.interface);
            showSelection();
        }
    }
    if (!sinceProbe_.isValid() || sinceProbe_.elapsed() >= kSimulatorProbeIntervalMs) {
        sinceProbe_.start();
        probe_ = std::async(std::launch::async, findSimulator_);
    }
}

void InterfaceDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
    if (txtDevName != nullptr && !shown_) {
        // The product name is what the user came to type; the caret goes
        // after what is there, nothing selected.
        txtDevName->setFocus(Qt::OtherFocusReason);
        // Once the window is active: its activation selects the whole text.
        QTimer::singleShot(0, txtDevName, [name = txtDevName] {
            name->deselect();
            name->setCursorPosition(static_cast<int>(name->text().size()));
        });
    }
    shown_ = true;
}

void InterfaceDialog::showSelection() {
    const QSignalBlocker blockRs232(optRS232);
    const QSignalBlocker blockKeybrd(optKeybrd);
    const QSignalBlocker blockUsb(optUSB);
    const QSignalBlocker blockSim(optSim);
    const QSignalBlocker blockCom(cboCom);
    const std::int32_t interface = selection_.selectedInterface();
    optRS232->setChecked(interface == settings::InterfaceCode::Rs232);
    optKeybrd->setChecked(interface == settings::InterfaceCode::KeyboardWedge);
    optUSB->setChecked(interface == settings::InterfaceCode::Usb);
    optSim->setChecked(interface == kSimulatedReaderOption);
    optSim->setVisible(selection_.simulatorOffered());
    lblSim->setVisible(selection_.simulatorOffered());
    lblSim->setText(selection_.simulatedInterface() == settings::InterfaceCode::KeyboardWedge
                        ? QStringLiteral("(magtune-reader-sim on the keyboard port)")
                        : QStringLiteral("(magtune-reader-sim on the USB bus)"));
    const bool portControls = selection_.portControlsVisible();
    lblCom->setVisible(portControls);
    cboCom->setVisible(portControls);
    lblComDevice->setVisible(portControls);
    cmdProperties->setVisible(portControls);
    cboCom->setCurrentIndex(selection_.comIndex());
    // Looked up afresh at each choice: adapters come and go.
    const platform::ComPortInfo port =
        platform::ComPortMapping(selection_.comIndex(), portsFolder_);
    bool present = false;
    for (const platform::ComPortInfo& listed : platform::ListComPorts(portsFolder_)) {
        present = present || listed.index == port.index;
    }
    lblComDevice->setText(QString::fromStdString(ComPortDeviceText(port, present)));
    cmdProperties->setEnabled(selection_.propertiesEnabled());
}

void InterfaceDialog::optionToggled(std::int32_t interface, bool checked) {
    if (checked) {
        selection_.SelectOption(interface);
        showSelection();
    }
}

void InterfaceDialog::portChosen(int index) {
    selection_.ChoosePort(index);
    showSelection();
}

void InterfaceDialog::properties() {
    selection_.Properties();
    showSelection();
}

void InterfaceDialog::confirm() {
    const std::string name = txtDevName ? txtDevName->text().toStdString() : std::string();
    switch (selection_.Ok(name)) {
        case SelectionOk::Accepted:
            accept();
            return;
        case SelectionOk::FocusDeviceName:
            txtDevName->setFocus();
            break;
        case SelectionOk::FocusPortList:
            cboCom->setFocus();
            break;
        case SelectionOk::Stay:
            break;
    }
    showSelection();
}

void InterfaceDialog::reject() {
    selection_.Cancel();
    QDialog::reject();
}

}  // namespace magtune::shell
