#pragma once

#include <QDialog>
#include <string>

#include "comm/UsbReaderList.h"
#include "comm/ui/BusyPointer.h"

class QComboBox;
class QPushButton;

namespace magtune::comm {

// "Select USB device": lists the readers that the control library finds and
// selects the chosen one. Loading it asks the library; when no reader is
// found it says so and exec() returns at once.
class frmUSB : public QDialog {
    Q_OBJECT

  public:
    // `selectedUsbName` names the selected reader (empty when none); it
    // changes when another reader gets selected. Reader names are shown as
    // the program titled `applicationTitle` shows them.
    frmUSB(UsbLibraryCalls& library, platform::Clock& clock, common::Prompter& prompter,
           std::int32_t driverDelayMs, std::string& selectedUsbName, QWidget* parent = nullptr,
           const std::string& applicationTitle = common::kApplicationTitle);
    ~frmUSB() override;

    int exec() override;

    // UsbDeviceChosen: closed with a selected reader.
    bool chosen() const { return UsbDeviceChosen; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void okClicked();

    UsbReaderList list_;
    std::int32_t driverDelayMs_;
    std::string& SelectedUsbName;
    bool UsbDeviceChosen = false;
    bool found_ = false;
    BusyPointer busy_;

    QComboBox* cboUSB;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

}  // namespace magtune::comm
