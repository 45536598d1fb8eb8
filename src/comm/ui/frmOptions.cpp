#include "comm/ui/frmOptions.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "comm/TransferLog.h"
#include "comm/ui/UpDownEdit.h"
#include "common/ui/DialogPlacement.h"

namespace magtune::comm {

namespace {

constexpr int kUsbPage = 0;
constexpr int kSerialPage = 1;

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* NamedLabel(const char* text, const char* name, QWidget* parent) {
    return Named(new QLabel(QString::fromLatin1(text), parent), name);
}

UpDownEdit* NamedUpDown(const char* name, const char* boxName, const OptionRange& range,
                        QWidget* parent) {
    auto* upDown = Named(new UpDownEdit(parent), name);
    upDown->textBox()->setObjectName(QString::fromLatin1(boxName));
    upDown->setRange(range.minimum, range.maximum);
    return upDown;
}

// One row of a page: caption, box, unit.
void AddRow(QGridLayout* grid, int row, QLabel* caption, QWidget* box, QLabel* unit) {
    caption->setBuddy(box);
    box->setFixedWidth(72);
    grid->addWidget(caption, row, 0);
    grid->addWidget(box, row, 1);
    grid->addWidget(unit, row, 2);
}

QWidget* Page(const char* name, QGridLayout* grid, QPushButton* defaultButton) {
    auto* page = Named(new QWidget, name);
    grid->setColumnStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(defaultButton);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);
    return page;
}

}  // namespace

frmOptions::frmOptions(CommOptions& options, common::Prompter& prompter,
                       const std::string& logFolder, QWidget* parent,
                       const std::string& preferencesFile)
    : QDialog(parent),
      options_(options),
      prompter_(prompter),
      tabs_(Named(new QTabWidget(this), "tabOptions")),
      tbsOptions(Named(tabs_->tabBar(), "tbsOptions")),
      lblUSBDelay(NamedLabel("USB Delay:", "lblUSBDelay", this)),
      updUSBDelay(NamedUpDown("updUSBDelay", "txtUSBDelay", kUsbDelayRange, this)),
      txtUSBDelay(updUSBDelay->textBox()),
      lblUSBms(NamedLabel("ms", "lblUSBms", this)),
      lblProtocolDelay(NamedLabel("Protocol Delay:", "lblProtocolDelay", this)),
      updProtocolDelay(
          NamedUpDown("updProtocolDelay", "txtProtocolDelay", kProtocolDelayRange, this)),
      txtProtocolDelay(updProtocolDelay->textBox()),
      lblProtocolms(NamedLabel("ms", "lblProtocolms", this)),
      cmdUSBDefault(Named(new QPushButton(QStringLiteral("Default"), this), "cmdUSBDefault")),
      lblIntervalTimeout(NamedLabel("Read Interval Timeout:", "lblIntervalTimeout", this)),
      txtIntervalTimeout(Named(new QLineEdit(this), "txtIntervalTimeout")),
      lblTotalTimeoutConstant(
          NamedLabel("Read Total Timeout Constant:", "lblTotalTimeoutConstant", this)),
      txtTotalTimeoutConstant(Named(new QLineEdit(this), "txtTotalTimeoutConstant")),
      cmdSerialDefault(Named(new QPushButton(QStringLiteral("Default"), this), "cmdSerialDefault")),
      lblLogFolder(Named(new QLabel(this), "lblLogFolder")),
      cmdOK(Named(new QPushButton(QStringLiteral("OK"), this), "cmdOK")),
      cmdCancel(Named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel")) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    auto* usbGrid = new QGridLayout;
    AddRow(usbGrid, 0, lblUSBDelay, updUSBDelay, lblUSBms);
    AddRow(usbGrid, 1, lblProtocolDelay, updProtocolDelay, lblProtocolms);
    auto* serialGrid = new QGridLayout;
    AddRow(serialGrid, 0, lblIntervalTimeout, txtIntervalTimeout,
           NamedLabel("ms", "lblIntervalms", this));
    AddRow(serialGrid, 1, lblTotalTimeoutConstant, txtTotalTimeoutConstant,
           NamedLabel("ms", "lblTotalms", this));
    picOptions = {Page("picOptions0", usbGrid, cmdUSBDefault),
                  Page("picOptions1", serialGrid, cmdSerialDefault)};
    tabs_->addTab(picOptions[kUsbPage], QStringLiteral("USB"));
    tabs_->addTab(picOptions[kSerialPage], QStringLiteral("Serial"));

    for (QObject* box : std::initializer_list<QObject*>{updUSBDelay, txtUSBDelay, updProtocolDelay,
                                                        txtProtocolDelay, txtIntervalTimeout,
                                                        txtTotalTimeoutConstant}) {
        box->installEventFilter(this);
    }
    setTexts(OptionsDialogTextsFrom(options));
    selectPage(kUsbPage);

    connect(tabs_, &QTabWidget::currentChanged, this, &frmOptions::tabChanged);
    auto* nextTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(nextTab, &QShortcut::activated, this,
            [this] { tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % tabs_->count()); });
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::reject);
    connect(cmdUSBDefault, &QPushButton::clicked, this, &frmOptions::useUsbDefaults);
    connect(cmdSerialDefault, &QPushButton::clicked, this, &frmOptions::useSerialDefaults);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    lblLogFolder->setText(QString::fromStdString(
        TransferLogNotice(options.UsbLogEnable, logFolder, preferencesFile)));
    lblLogFolder->setWordWrap(true);
    lblLogFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblLogFolder->setVisible(!logFolder.empty());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(lblLogFolder);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    txtUSBDelay->setFocus();
}

void frmOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        // Digits only; control keys (backspace, copy, paste) still work.
        for (QChar typed : static_cast<QKeyEvent*>(event)->text()) {
            if (typed.isPrint() &&
                (typed.unicode() > 0x7F || !IsOptionsBoxCharacter(typed.toLatin1()))) {
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

OptionsDialogTexts frmOptions::texts() const {
    return {txtUSBDelay->text().toStdString(), txtProtocolDelay->text().toStdString(),
            txtIntervalTimeout->text().toStdString(),
            txtTotalTimeoutConstant->text().toStdString()};
}

void frmOptions::setTexts(const OptionsDialogTexts& texts) {
    txtUSBDelay->setText(QString::fromStdString(texts.usbDelay));
    txtProtocolDelay->setText(QString::fromStdString(texts.protocolDelay));
    txtIntervalTimeout->setText(QString::fromStdString(texts.intervalTimeout));
    txtTotalTimeoutConstant->setText(QString::fromStdString(texts.totalTimeoutConstant));
}

// Only the shown page takes input, so a hidden box can never hold the focus.
void frmOptions::selectPage(int index) {
    selecting_ = true;
    tabs_->setCurrentIndex(index);
    selecting_ = false;
    currentPage_ = index;
    for (int page = 0; page < static_cast<int>(picOptions.size()); ++page) {
        picOptions[page]->setEnabled(page == index);
    }
}

void frmOptions::tabChanged(int index) {
    if (selecting_) {
        return;
    }
    const OptionsDialogTexts boxes = texts();
    const OptionsValidation left =
        currentPage_ == kUsbPage ? ValidateUsbOptions(boxes) : ValidateSerialOptions(boxes);
    if (!left.ok()) {
        selectPage(currentPage_);
        report(left);
        return;
    }
    selectPage(index);
}

void frmOptions::report(const OptionsValidation& validation) {
    if (!validation.warning.empty()) {
        prompter_.warning(validation.warning);
    }
    QLineEdit* box = nullptr;
    int page = kUsbPage;
    switch (validation.focus) {
        case OptionsField::UsbDelay:
            box = txtUSBDelay;
            break;
        case OptionsField::ProtocolDelay:
            box = txtProtocolDelay;
            break;
        case OptionsField::IntervalTimeout:
            box = txtIntervalTimeout;
            page = kSerialPage;
            break;
        case OptionsField::TotalTimeoutConstant:
            box = txtTotalTimeoutConstant;
            page = kSerialPage;
            break;
        case OptionsField::None:
            return;
    }
    if (page != currentPage_) {
        selectPage(page);
    }
    box->setFocus();
}

void frmOptions::useUsbDefaults() {
    OptionsDialogTexts boxes = texts();
    SetUsbDefaults(boxes);
    setTexts(boxes);
}

void frmOptions::useSerialDefaults() {
    OptionsDialogTexts boxes = texts();
    SetSerialDefaults(boxes);
    setTexts(boxes);
}

void frmOptions::confirm() {
    const OptionsValidation validation = AcceptOptionsDialog(texts(), options_);
    if (!validation.ok()) {
        report(validation);
        return;
    }
    accepted_ = true;
    accept();
}

}  // namespace magtune::comm
