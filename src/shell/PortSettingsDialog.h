#pragma once

#include <QDialog>

#include "platform/PortSettings.h"

class QComboBox;
class QPushButton;

namespace magtune::shell {

// The port's configuration (Properties of the selection dialogs): bits per
// second, data bits, parity, stop bits and flow control of a control block.
// The caller runs exec(), then reads accepted() and settings().
class PortSettingsDialog : public QDialog {
    Q_OBJECT

  public:
    PortSettingsDialog(const QString& portName, const platform::PortSettings& settings,
                       QWidget* parent = nullptr);

    bool accepted() const { return accepted_; }
    // The block as shown: the original with the dialog's choices applied (a
    // list left without a choice keeps its field).
    platform::PortSettings settings() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showSettings(const platform::PortSettings& settings);
    void restoreDefaults();
    void confirm();

    platform::PortSettings original_;
    bool accepted_ = false;

    QComboBox* cboBaudRate;
    QComboBox* cboDataBits;
    QComboBox* cboParity;
    QComboBox* cboStopBits;
    QComboBox* cboFlowControl;
    QPushButton* cmdRestoreDefaults;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

}  // namespace magtune::shell
