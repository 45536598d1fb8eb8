#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "app/ProvisionSession.h"
#include "common/Prompter.h"
#include "platform/FileSystem.h"
#include "settings/FileDialog.h"
#include "settings/SettingStore.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace magtune::shell {

// "Provision Readers": downloads the open setting into many readers at once
// and reads each one back, with a row per reader. The readers run on worker
// threads; a timer of this window picks up their rows, so the window never
// waits for a reader and what a reader has to say ends up in its row, not
// in a message box. Closing the window stops the run: the readers under way
// finish first and their rows show how they ended.
class frmProvision : public QDialog {
    Q_OBJECT

  public:
    // `settingName` is the file or device the setting came from.
    frmProvision(const settings::SettingStore& setting, std::string settingName, bool modified,
                 app::ProvisionSession::Machine machine, common::Prompter& prompter,
                 settings::FileDialog& fileDialog, platform::FileSystem& files,
                 QWidget* parent = nullptr);
    ~frmProvision() override;

    const app::ProvisionSession& session() const { return session_; }

    // The readers chosen, and whether to verify: kept by the main window
    // from one opening to the next.
    app::ProvisionChoice choice() const;
    bool verify() const;
    void setChoice(const app::ProvisionChoice& choice, bool verify);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

  private:
    void start();
    void stop();
    void saveReport();
    void refresh();
    void showRow(std::size_t index, const app::ProvisionResult& row);
    void updateControls();
    // While readers are under way: stops the run and closes the window once
    // it has ended. True when the window stays for that.
    bool holdWhileBusy();

    const settings::SettingStore& setting_;
    std::string settingName_;
    common::Prompter& prompter_;
    settings::FileDialog& fileDialog_;
    platform::FileSystem& files_;
    app::ProvisionSession session_;
    std::function<void(const std::string&)> typed_;
    std::function<void()> beforeUsb_;
    bool usbRun_ = false;  // the run has USB readers, whose answers are typed keys
    bool closeWhenDone_ = false;

    QLabel* lblSetting;
    QCheckBox* chkComPorts;
    QLineEdit* txtComList;
    QCheckBox* chkAllPorts;
    QLabel* lblDevices;
    QLineEdit* txtDevices;
    QCheckBox* chkUsb;
    QCheckBox* chkVerify;
    QTreeWidget* lvReaders;
    QLabel* lblSummary;
    QLabel* lblReport;
    QPushButton* cmdStart;
    QPushButton* cmdStop;
    QPushButton* cmdSave;
    QPushButton* cmdClose;
    QTimer* tmrRefresh;
};

}  // namespace magtune::shell
