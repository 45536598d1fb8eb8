#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;
class QUrl;

namespace magtune::shell {

// "About Magtune Reader": title, version, description and legal notice of
// the build, and the maker's web site, opened in the desktop's browser.
// Without an address (the build carries none by default) the line is not
// shown.
class frmAbout : public QDialog {
    Q_OBJECT

  public:
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit frmAbout(QWidget* parent = nullptr);
    frmAbout(const QString& website, QWidget* parent);

    // How the web site is opened (the desktop's browser unless replaced).
    void setUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void openWebsite(const QString& address);

    UrlOpener openUrl_;

    QLabel* imgIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblCopyright;
    QLabel* lblWebsite;
    QPushButton* cmdOK;
};

}  // namespace magtune::shell
