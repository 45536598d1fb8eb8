#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "comm/CommOptions.h"
#include "comm/OptionsRules.h"
#include "common/Prompter.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTabWidget;

namespace magtune::comm {

class UpDownEdit;

// The Options dialog: the USB delays and the serial time-outs. OK stores
// the four values only when both pages pass their rules; Cancel changes
// nothing. The caller runs exec() and then asks accepted().
class frmOptions : public QDialog {
    Q_OBJECT

  public:
    // logFolder: where the transfer logs go, shown under the tabs ("" shows
    // nothing), with how to switch them in preferencesFile.
    frmOptions(CommOptions& options, common::Prompter& prompter, const std::string& logFolder = {},
               QWidget* parent = nullptr, const std::string& preferencesFile = {});

    bool accepted() const { return accepted_; }

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    OptionsDialogTexts texts() const;
    void setTexts(const OptionsDialogTexts& texts);
    void selectPage(int index);
    void tabChanged(int index);
    void report(const OptionsValidation& validation);
    void useUsbDefaults();
    void useSerialDefaults();
    void confirm();

    CommOptions& options_;
    common::Prompter& prompter_;
    bool accepted_ = false;
    int currentPage_ = 0;
    bool selecting_ = false;  // a page change of our own, not the user's

    QTabWidget* tabs_;
    QTabBar* tbsOptions;
    std::array<QWidget*, 2> picOptions;
    QLabel* lblUSBDelay;
    UpDownEdit* updUSBDelay;
    QLineEdit* txtUSBDelay;
    QLabel* lblUSBms;
    QLabel* lblProtocolDelay;
    UpDownEdit* updProtocolDelay;
    QLineEdit* txtProtocolDelay;
    QLabel* lblProtocolms;
    QPushButton* cmdUSBDefault;
    QLabel* lblIntervalTimeout;
    QLineEdit* txtIntervalTimeout;
    QLabel* lblTotalTimeoutConstant;
    QLineEdit* txtTotalTimeoutConstant;
    QPushButton* cmdSerialDefault;
    QLabel* lblLogFolder;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

}  // namespace magtune::comm
