#include "shell/frmAbout.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "common/Prompter.h"
#include "common/ui/DialogPlacement.h"
#include "shell/AboutText.h"

namespace magtune::shell {

namespace {

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : frmAbout(QStringLiteral(MAGTUNE_WEBSITE), parent) {}

frmAbout::frmAbout(const QString& website, QWidget* parent)
    : QDialog(parent), openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + QString::fromUtf8(common::kApplicationTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    imgIcon = NamedLabel("imgIcon", {}, this);
    imgIcon->setPixmap(QIcon(QStringLiteral(":/icons/magtune.svg")).pixmap(64, 64));
    imgIcon->setAlignment(Qt::AlignTop);

    lblTitle = NamedLabel("lblTitle", QString::fromUtf8(common::kApplicationTitle), this);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    lblTitle->setFont(titleFont);

    lblVersion =
        NamedLabel("lblVersion",
                   QString::fromStdString(VersionText(MAGTUNE_VERSION_MAJOR, MAGTUNE_VERSION_MINOR,
                                                      MAGTUNE_VERSION_PATCH)),
                   this);
    lblDescription = NamedLabel("lblDescription", QStringLiteral(MAGTUNE_DESCRIPTION), this);
    lblDescription->setWordWrap(true);
    lblCopyright = NamedLabel("lblCopyright", QString::fromUtf8(kLegalNotice), this);
    lblCopyright->setWordWrap(true);

    lblWebsite = NamedLabel(
        "lblWebsite", QStringLiteral("<a href=\"%1\">%1</a>").arg(website.toHtmlEscaped()), this);
    lblWebsite->setVisible(!website.isEmpty());
    lblWebsite->setTextFormat(Qt::RichText);
    lblWebsite->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    lblWebsite->setCursor(Qt::PointingHandCursor);
    connect(lblWebsite, &QLabel::linkActivated, this, &frmAbout::openWebsite);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(8);
    texts->addWidget(lblDescription);
    texts->addWidget(lblCopyright);
    texts->addWidget(lblWebsite);

    auto* top = new QHBoxLayout;
    top->addWidget(imgIcon);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    lblDescription->setMinimumWidth(320);
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    common::CentreOnScreen(this);
}

void frmAbout::openWebsite(const QString& address) {
    if (openUrl_) {
        openUrl_(QUrl(address));
    }
}

}  // namespace magtune::shell
