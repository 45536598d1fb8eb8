#include "settings/ui/frmInput.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/DialogPlacement.h"
#include "settings/StringInputRules.h"
#include "settings/StringInputShow.h"

namespace magtune::settings {

namespace {

constexpr const char* kAsciiTopic = "::/html/ascii.htm";
constexpr const char* kFunctionTopic = "::/html/functblpc.htm";
constexpr const char* kInputTopic = "::/html/input.htm";

// The input block counts characters; a QLineEdit counts UTF-16 units.
int PositionOfCharacter(const QString& text, int characters) {
    int position = 0;
    for (int i = 0; i < characters && position < text.size(); ++i) {
        position += text.at(position).isHighSurrogate() && position + 1 < text.size() ? 2 : 1;
    }
    return position;
}

std::int16_t CharacterOfPosition(const QString& text, int position) {
    return static_cast<std::int16_t>(qMin(text.left(position).toUcs4().size(), qsizetype{32767}));
}

QLabel* TopicLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    label->setForegroundRole(QPalette::Link);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

}  // namespace

frmInput::frmInput(SettingStore& store, InputBlock& block, common::Prompter& prompter,
                   common::HelpViewer& help, QWidget* parent)
    : QDialog(parent),
      store_(store),
      block_(block),
      prompter_(prompter),
      help_(help),
      lblInput(new QLabel(QStringLiteral("Enter Content:"), this)),
      txtInput(new QLineEdit(this)),
      lblNotation(new QLabel(QStringLiteral("Predefined Notations:"), this)),
      txtNotation(new QPlainTextEdit(this)),
      lblASCII(TopicLabel(QStringLiteral("ASCII Table"), QStringLiteral("lblASCII"), this)),
      lblFunction(
          TopicLabel(QStringLiteral("Function Codes"), QStringLiteral("lblFunction"), this)),
      cmdHelp(new QPushButton(QStringLiteral("Help"), this)),
      cmdDefault(new QPushButton(QStringLiteral("Default"), this)),
      cmdOK(new QPushButton(QStringLiteral("OK"), this)),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("frmInput"));
    setWindowTitle(QStringLiteral("Define ") + QString::fromStdString(block.InputLabel));
    lblInput->setObjectName(QStringLiteral("lblInput"));
    txtInput->setObjectName(QStringLiteral("txtInput"));
    lblNotation->setObjectName(QStringLiteral("lblNotation"));
    txtNotation->setObjectName(QStringLiteral("txtNotation"));
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdDefault->setObjectName(QStringLiteral("cmdDefault"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    txtNotation->setReadOnly(true);
    txtNotation->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtNotation->setPlainText(QString::fromUtf8(kNotationHelpText));
    txtNotation->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtNotation->setFocusPolicy(Qt::ClickFocus);
    const QFontMetrics metrics(txtNotation->font());
    txtNotation->setMinimumSize(
        metrics.horizontalAdvance(QStringLiteral("<dd>: Character in hexadecimal notation")) + 24,
        metrics.lineSpacing() * 11 + 16);

    const OpenedInput opened = OpenStringInput(block);
    const QString text = QString::fromStdString(opened.text);
    txtInput->setText(text);
    openingCaret_ = PositionOfCharacter(text, opened.caret);
    txtInput->setCursorPosition(openingCaret_);
    lblInput->setBuddy(txtInput);
    txtInput->setFocus();

    cmdDefault->setEnabled(StringInputDefaultEnabled(block.InputLabel));
    block.InputAccepted = false;

    lblASCII->installEventFilter(this);
    lblFunction->installEventFilter(this);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmInput::confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &frmInput::reject);
    connect(cmdDefault, &QPushButton::clicked, this, &frmInput::showDefault);
    connect(cmdHelp, &QPushButton::clicked, this, [this] { help_.showTopic(kInputTopic); });

    auto* topics = new QHBoxLayout;
    topics->addWidget(lblASCII);
    topics->addSpacing(16);
    topics->addWidget(lblFunction);
    topics->addStretch(1);

    auto* fields = new QVBoxLayout;
    fields->addWidget(lblInput);
    fields->addWidget(txtInput);
    fields->addSpacing(6);
    fields->addWidget(lblNotation);
    fields->addWidget(txtNotation, 1);
    fields->addLayout(topics);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdDefault);
    buttons->addStretch(1);
    buttons->addWidget(cmdHelp);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addSpacing(6);
    layout->addLayout(buttons);
}

void frmInput::setVisible(bool visible) {
    QDialog::setVisible(visible);
    // QDialog hands the focus over as if tabbed to, which selects the whole
    // text; the caret belongs where the caller put it.
    if (visible) {
        txtInput->deselect();
        txtInput->setCursorPosition(openingCaret_);
    }
}

void frmInput::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
}

bool frmInput::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == lblASCII) {
            help_.showTopic(kAsciiTopic);
            return true;
        }
        if (watched == lblFunction) {
            help_.showTopic(kFunctionTopic);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmInput::showDefault() {
    if (auto text = StringInputDefault(store_.settings, block_.InputLabel)) {
        txtInput->setText(QString::fromStdString(*text));
        txtInput->setFocus();
    }
}

void frmInput::confirm() {
    const QString text = txtInput->text();
    const std::string typed = text.toStdString();
    if (!AcceptStringInput(store_, block_.InputLabel, typed, prompter_)) {
        txtInput->setFocus();
        return;
    }
    block_.InputText = typed;
    block_.InputCaret = CharacterOfPosition(text, txtInput->cursorPosition());
    block_.InputAccepted = true;
    accept();
}

}  // namespace magtune::settings
