#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "shell/InterfaceSelection.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace magtune {

// What a selection dialog works on.
struct InterfaceDialogContext {
    SettingStore& store;  // CurrentInterface
    SerialLink& link;     // the port, CurrentComIndex, PortSettings, DeviceName
    ComPortOpener openPort{};
    // Where the port list finds the devices of COM1-COM32.
    std::string portsFolder{};
    // Properties; the desktop's PortSettingsDialog when null.
    PortConfigDialog* portDialog = nullptr;
    // The simulated reader answers on the USB bus or the keyboard port
    // (its sockets are named in the run-time configuration): the dialog
    // says so beside that option.
    bool simulatedUsb = false;
    bool simulatedKeyboard = false;
};

// The window of the three interface selection dialogs. frmOpen, frmSave
// and frmSelect give it their caption; only frmOpen asks for a product
// name. The caller runs exec(), then reads chosen().
class InterfaceDialog : public QDialog {
    Q_OBJECT

  public:
    ~InterfaceDialog() override;

    // The result flag: UploadChosen, DownloadChosen or TestChosen.
    bool chosen() const { return selection_.chosen(); }

    // Cancel, Esc and the close box: the port is closed, nothing chosen.
    void reject() override;

  protected:
    InterfaceDialog(SelectionDialogKind kind, const QString& caption,
                    const InterfaceDialogContext& context, const std::string& currentDevice,
                    QWidget* parent);

    void showEvent(QShowEvent* event) override;

  private:
    void showSelection();
    void optionToggled(std::int32_t interface, bool checked);
    void portChosen(int index);
    void properties();
    void confirm();

    std::unique_ptr<PortConfigDialog> ownPortDialog_;
    std::string portsFolder_;
    InterfaceSelection selection_;
    bool shown_ = false;

    QLabel* lblDevName = nullptr;
    QLineEdit* txtDevName = nullptr;
    QRadioButton* optRS232;
    QRadioButton* optKeybrd;
    QRadioButton* optUSB;
    QLabel* lblCom;
    QComboBox* cboCom;
    // The device behind the chosen port.
    QLabel* lblComDevice;
    QPushButton* cmdProperties;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

}  // namespace magtune
