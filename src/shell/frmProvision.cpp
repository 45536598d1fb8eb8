#include "shell/frmProvision.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/ProvisionReport.h"
#include "common/ui/DialogPlacement.h"

namespace magtune::shell {

namespace {

constexpr int kRefreshMs = 100;

enum Column { PortColumn, DeviceColumn, BaudColumn, TimeColumn, StateColumn, MessageColumn };

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QColor StateColour(app::ProvisionState state) {
    switch (state) {
        case app::ProvisionState::Verified:
        case app::ProvisionState::Downloaded:
            return QColor(0x1b, 0x7a, 0x2e);
        case app::ProvisionState::Failed:
            return QColor(0xb0, 0x1c, 0x1c);
        default:
            return QColor(0x40, 0x40, 0x40);
    }
}

}  // namespace

frmProvision::frmProvision(const settings::SettingStore& setting, std::string settingName,
                           bool modified, app::ProvisionSession::Machine machine,
                           common::Prompter& prompter, settings::FileDialog& fileDialog,
                           platform::FileSystem& files, QWidget* parent)
    : QDialog(parent),
      setting_(setting),
      settingName_(std::move(settingName)),
      prompter_(prompter),
      fileDialog_(fileDialog),
      files_(files),
      session_(machine, platform::SystemClock()),
      typed_(machine.typed),
      beforeUsb_(machine.beforeUsb),
      lblSetting(Named(new QLabel(this), "lblSetting")),
      chkComPorts(Named(new QCheckBox(QStringLiteral("&COM ports:"), this), "chkComPorts")),
      txtComList(Named(new QLineEdit(QStringLiteral("1-8"), this), "txtComList")),
      chkAllPorts(
          Named(new QCheckBox(QStringLiteral("&All COM ports that open"), this), "chkAllPorts")),
      lblDevices(Named(new QLabel(QStringLiteral("De&vice paths:"), this), "lblDevices")),
      txtDevices(Named(new QLineEdit(this), "txtDevices")),
      chkUsb(Named(new QCheckBox(QStringLiteral("&USB readers (one at a time)"), this), "chkUsb")),
      chkVerify(Named(new QCheckBox(QStringLiteral("&Read each reader back and compare"), this),
                      "chkVerify")),
      lvReaders(Named(new QTreeWidget(this), "lvReaders")),
      lblSummary(Named(new QLabel(this), "lblSummary")),
      lblReport(Named(new QLabel(this), "lblReport")),
      cmdStart(Named(new QPushButton(QStringLiteral("&Start"), this), "cmdStart")),
      cmdStop(Named(new QPushButton(QStringLiteral("S&top"), this), "cmdStop")),
      cmdSave(Named(new QPushButton(QStringLiteral("Save R&eport..."), this), "cmdSave")),
      cmdClose(Named(new QPushButton(QStringLiteral("Close"), this), "cmdClose")),
      tmrRefresh(Named(new QTimer(this), "tmrRefresh")) {
    setObjectName(QStringLiteral("frmProvision"));
    setWindowTitle(QStringLiteral("Provision Readers"));
    const QString name = QFile::decodeName(settingName_.c_str());
    lblSetting->setText(
        QStringLiteral("Setting: %1%2")
            .arg(name, modified ? QStringLiteral(" (with its unsaved changes)") : QString()));
    lblSetting->setTextInteractionFlags(Qt::TextSelectableByMouse);

    chkComPorts->setChecked(true);
    txtComList->setPlaceholderText(QStringLiteral("1-8,12"));
    txtDevices->setPlaceholderText(QStringLiteral("/dev/ttyUSB0 /dev/ttyUSB1"));
    lblDevices->setBuddy(txtDevices);
    chkVerify->setChecked(true);
    // Offered only where USB readers can be reached.
    chkUsb->setVisible(static_cast<bool>(machine.usbReaderCount));

    auto* readers = Named(new QGroupBox(QStringLiteral("Readers"), this), "fraReaders");
    auto* grid = new QGridLayout(readers);
    grid->addWidget(chkComPorts, 0, 0);
    grid->addWidget(txtComList, 0, 1);
    grid->addWidget(chkAllPorts, 0, 2);
    grid->addWidget(lblDevices, 1, 0);
    grid->addWidget(txtDevices, 1, 1, 1, 2);
    grid->addWidget(chkUsb, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    lvReaders->setRootIsDecorated(false);
    lvReaders->setUniformRowHeights(true);
    lvReaders->setHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device"),
                                QStringLiteral("Baud"), QStringLiteral("Time"),
                                QStringLiteral("State"), QStringLiteral("Message")});
    lvReaders->header()->setStretchLastSection(true);
    lvReaders->setColumnWidth(PortColumn, 90);
    lvReaders->setColumnWidth(DeviceColumn, 150);
    lvReaders->setColumnWidth(BaudColumn, 60);
    lvReaders->setColumnWidth(TimeColumn, 70);
    lvReaders->setColumnWidth(StateColumn, 90);
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblReport->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblReport->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdStart);
    buttons->addWidget(cmdStop);
    buttons->addWidget(cmdSave);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSetting);
    layout->addWidget(readers);
    layout->addWidget(chkVerify);
    layout->addWidget(lvReaders, 1);
    layout->addWidget(lblSummary);
    layout->addWidget(lblReport);
    layout->addLayout(buttons);

    connect(chkComPorts, &QCheckBox::toggled, this, &frmProvision::updateControls);
    connect(chkAllPorts, &QCheckBox::toggled, this, &frmProvision::updateControls);
    connect(cmdStart, &QPushButton::clicked, this, &frmProvision::start);
    connect(cmdStop, &QPushButton::clicked, this, &frmProvision::stop);
    connect(cmdSave, &QPushButton::clicked, this, &frmProvision::saveReport);
    connect(cmdClose, &QPushButton::clicked, this, &frmProvision::close);
    tmrRefresh->setInterval(kRefreshMs);
    // A USB reader types its answers into whichever control has the focus.
    QApplication::instance()->installEventFilter(this);
    connect(tmrRefresh, &QTimer::timeout, this, &frmProvision::refresh);

    cmdStart->setDefault(true);
    resize(960, 540);
    common::CentreOnScreen(this);
    updateControls();
}

// A window that the program's end takes down while readers are under way:
// they finish before it goes (the session waits for them).
frmProvision::~frmProvision() = default;

app::ProvisionChoice frmProvision::choice() const {
    app::ProvisionChoice choice;
    choice.comPorts = chkComPorts->isChecked();
    choice.comList = txtComList->text().toStdString();
    choice.allPorts = chkAllPorts->isChecked();
    choice.devices = QFile::encodeName(txtDevices->text()).toStdString();
    choice.usb = chkUsb->isChecked();
    return choice;
}

bool frmProvision::verify() const {
    return chkVerify->isChecked();
}

void frmProvision::setChoice(const app::ProvisionChoice& choice, bool verify) {
    chkComPorts->setChecked(choice.comPorts);
    txtComList->setText(QString::fromStdString(choice.comList));
    chkAllPorts->setChecked(choice.allPorts);
    txtDevices->setText(QFile::decodeName(choice.devices.c_str()));
    chkUsb->setChecked(choice.usb && !chkUsb->isHidden());
    chkVerify->setChecked(verify);
    updateControls();
}

void frmProvision::start() {
    const app::ProvisionTargetList targets = app::ProvisionChoiceTargets(choice());
    if (!targets.error.empty()) {
        prompter_.warning(targets.error);
        QWidget* field = chkComPorts;
        if (targets.field == app::ProvisionChoiceField::ComList) {
            field = txtComList;
        } else if (targets.field == app::ProvisionChoiceField::Devices) {
            field = txtDevices;
        }
        field->setFocus();
        if (auto* box = qobject_cast<QLineEdit*>(field)) {
            box->selectAll();
        }
        return;
    }
    if (targets.usb && beforeUsb_) {
        beforeUsb_();
    }
    if (!session_.start(setting_, targets, chkVerify->isChecked())) {
        return;
    }
    usbRun_ = targets.usb;
    lvReaders->clear();
    lblReport->clear();
    tmrRefresh->start();
    refresh();
}

void frmProvision::stop() {
    session_.stop();
    refresh();
}

void frmProvision::refresh() {
    // The phase first: once it is Finished, every change is in the rows taken
    // after it.
    const app::ProvisionSession::Phase phase = session_.phase();
    const std::vector<std::size_t> changed = session_.takeChanged();
    const auto rows = session_.results();
    for (std::size_t index : changed) {
        if (index < rows.size()) {
            showRow(index, rows[index]);
        }
    }
    lblSummary->setText(Text(session_.summary()));
    if (phase == app::ProvisionSession::Phase::Finished) {
        tmrRefresh->stop();
    }
    updateControls();
    if (closeWhenDone_ && phase == app::ProvisionSession::Phase::Finished) {
        closeWhenDone_ = false;
        close();
    }
}

void frmProvision::showRow(std::size_t index, const app::ProvisionResult& row) {
    while (static_cast<std::size_t>(lvReaders->topLevelItemCount()) <= index) {
        lvReaders->addTopLevelItem(new QTreeWidgetItem);
    }
    QTreeWidgetItem* item = lvReaders->topLevelItem(static_cast<int>(index));
    const bool done = app::IsFinal(row.state);
    item->setText(PortColumn, Text(row.target.port));
    item->setText(DeviceColumn, QFile::decodeName(row.device.c_str()));
    item->setText(BaudColumn,
                  row.baudRate != 0 ? QString::number(row.baudRate) : QStringLiteral("-"));
    item->setText(TimeColumn,
                  done ? Text(app::ProvisionDuration(row.durationMs)) : QStringLiteral("-"));
    item->setText(StateColumn, QString::fromLatin1(app::ProvisionStateName(row.state)));
    item->setForeground(StateColumn, StateColour(row.state));
    // While a reader runs, what its transfer is doing; once it ended, why it failed.
    const QString message = Text(done ? row.message : row.status);
    item->setText(MessageColumn, message);
    item->setToolTip(MessageColumn, message);
}

void frmProvision::updateControls() {
    const app::ProvisionSession::Phase phase = session_.phase();
    const bool busy = phase == app::ProvisionSession::Phase::Running ||
                      phase == app::ProvisionSession::Phase::Stopping;
    for (QWidget* choice : {static_cast<QWidget*>(chkAllPorts), static_cast<QWidget*>(lblDevices),
                            static_cast<QWidget*>(txtDevices), static_cast<QWidget*>(chkUsb),
                            static_cast<QWidget*>(chkVerify)}) {
        choice->setEnabled(!busy);
    }
    chkComPorts->setEnabled(!busy && !chkAllPorts->isChecked());
    txtComList->setEnabled(!busy && !chkAllPorts->isChecked() && chkComPorts->isChecked());
    cmdStart->setEnabled(!busy);
    cmdStop->setEnabled(phase == app::ProvisionSession::Phase::Running);
    cmdSave->setEnabled(phase == app::ProvisionSession::Phase::Finished &&
                        !session_.results().empty());
}

void frmProvision::saveReport() {
    settings::FileDialogRequest request;
    request.kind = settings::FileDialogRequest::Kind::Save;
    request.title = "Save Report";
    request.filter = "JSON Report (*.json)|*.json|CSV Report (*.csv)|*.csv";
    request.defaultExtension = "json";
    request.fileName = "provision-report.json";
    request.promptBeforeOverwrite = true;
    request.pathMustExist = true;
    const auto path = fileDialog_.choose(request);
    if (!path) {
        return;
    }
    const std::string failure =
        app::WriteProvisionReport(files_, *path, settingName_, session_.results());
    if (!failure.empty()) {
        prompter_.warning(failure);
        return;
    }
    lblReport->setText(
        QStringLiteral("The report is in %1.").arg(QFile::decodeName(path->c_str())));
}

bool frmProvision::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !usbRun_ || !typed_ ||
        session_.phase() != app::ProvisionSession::Phase::Running) {
        return QDialog::eventFilter(watched, event);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (widget == nullptr || widget->window() != this || key->text().isEmpty() ||
        key->key() == Qt::Key_Escape) {
        return QDialog::eventFilter(watched, event);
    }
    typed_(key->text().toStdString());
    return true;
}

bool frmProvision::holdWhileBusy() {
    const app::ProvisionSession::Phase phase = session_.phase();
    if (phase != app::ProvisionSession::Phase::Running &&
        phase != app::ProvisionSession::Phase::Stopping) {
        return false;
    }
    // The window goes once the readers under way have finished, so that no
    // reader is left without its row showing how it ended.
    session_.stop();
    closeWhenDone_ = true;
    lblSummary->setText(Text(session_.summary()));
    updateControls();
    return true;
}

void frmProvision::closeEvent(QCloseEvent* event) {
    if (holdWhileBusy()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmProvision::reject() {
    // Escape and the close box end the window alike.
    if (!holdWhileBusy()) {
        QDialog::reject();
    }
}

}  // namespace magtune::shell
