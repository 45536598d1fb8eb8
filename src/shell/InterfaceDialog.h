#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <future>
#include <memory>
#include <string>

#include "app/SimulatorProbe.h"
#include "shell/InterfaceSelection.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace magtune::shell {

// What a selection dialog works on.
struct InterfaceDialogContext {
    settings::SettingStore& store;  // CurrentInterface
    comm::SerialLink& link;         // the port, CurrentComIndex, PortSettings, DeviceName
    ComPortOpener openPort{};
    // Where the port list finds the devices of COM1-COM32.
    std::string portsFolder{};
    // Properties; the desktop's PortSettingsDialog when null.
    PortConfigDialog* portDialog = nullptr;
    // Whether a simulated reader runs, asked off the user interface thread
    // when the dialog opens and every second while it is open; while one
    // runs the dialog offers it as an option of its own. Empty: never.
    std::function<app::SimulatedReader()> findSimulator{};
    // Kept by the owner from one dialog to the next: the last OK took the
    // simulated reader.
    bool* lastChoseSimulator = nullptr;
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
    // Takes the answer of a finished probe, starts the next one when due.
    void watchSimulator();

    std::unique_ptr<PortConfigDialog> ownPortDialog_;
    std::string portsFolder_;
    InterfaceSelection selection_;
    bool shown_ = false;
    std::function<app::SimulatedReader()> findSimulator_;
    std::future<app::SimulatedReader> probe_;
    QElapsedTimer sinceProbe_;
    QTimer simulatorWatch_;

    QLabel* lblDevName = nullptr;
    QLineEdit* txtDevName = nullptr;
    QRadioButton* optRS232;
    QRadioButton* optKeybrd;
    QRadioButton* optUSB;
    QRadioButton* optSim;
    // What the simulated reader plays.
    QLabel* lblSim;
    QLabel* lblCom;
    QComboBox* cboCom;
    // The device behind the chosen port.
    QLabel* lblComDevice;
    QPushButton* cmdProperties;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

}  // namespace magtune::shell
