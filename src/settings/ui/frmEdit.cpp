#include "settings/ui/frmEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/DialogPlacement.h"

namespace magtune::settings {

namespace {

bool IsChoiceRow(const CatalogueRow* row) {
    return row && row->choice;
}

}  // namespace

frmEdit::frmEdit(SettingStore& store, common::Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      store_(store),
      prompter_(prompter),
      row_(FindRow(store.EditGroup, store.EditItem)),
      Label1(new QLabel(QStringLiteral("Name:"), this)),
      lblName(new QLabel(QString::fromStdString(store.EditItem), this)),
      label2(new QLabel(QStringLiteral("Current Value:"), this)),
      cboData(new QComboBox(this)),
      cmdOK(new QPushButton(QStringLiteral("OK"), this)),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"), this)),
      cmdDefault(new QPushButton(QStringLiteral("Default"), this)) {
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Edit Setting"));
    Label1->setObjectName(QStringLiteral("Label1"));
    lblName->setObjectName(QStringLiteral("lblName"));
    label2->setObjectName(QStringLiteral("label2"));
    cboData->setObjectName(QStringLiteral("cboData"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdDefault->setObjectName(QStringLiteral("cmdDefault"));

    if (IsChoiceRow(row_)) {
        for (const char* text : row_->valueTexts) {
            cboData->addItem(QString::fromUtf8(text));
        }
    }
    // Stored values beyond the list (from an uploaded image) select nothing,
    // so OK cannot silently replace them with the first entry.
    const std::int32_t current = IsChoiceRow(row_) ? CurrentChoice(*row_, store.settings) : -1;
    cboData->setCurrentIndex(current >= 0 && current < cboData->count() ? current : -1);
    cboData->setMinimumContentsLength(24);
    cboData->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboData->installEventFilter(this);
    label2->setBuddy(cboData);

    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmEdit::confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &frmEdit::reject);
    connect(cmdDefault, &QPushButton::clicked, this, &frmEdit::selectDefault);

    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(lblName, 0, 1);
    fields->addWidget(label2, 1, 0);
    fields->addWidget(cboData, 1, 1);
    fields->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdDefault);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmEdit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
}

bool frmEdit::eventFilter(QObject* watched, QEvent* event) {
    // Only picking from the list may change the value: typed characters
    // (which would search the list) are swallowed; navigation keys and
    // Enter/Escape still work.
    if (watched == cboData && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (!typed.isEmpty() && typed.at(0).isPrint()) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmEdit::selectDefault() {
    if (IsChoiceRow(row_)) {
        const std::int32_t index = DefaultChoice(*row_, store_.settings);
        cboData->setCurrentIndex(index >= 0 && index < cboData->count() ? index : -1);
    }
}

void frmEdit::confirm() {
    if (cboData->currentIndex() < 0 || cboData->currentText().trimmed().isEmpty()) {
        prompter_.beep();
        cboData->setFocus();
        return;
    }
    // SetChoice leaves an unchanged value (and Modified) alone.
    SetChoice(store_, *row_, cboData->currentIndex());
    accepted_ = true;
    accept();
}

}  // namespace magtune::settings
