#pragma once

#include <memory>
#include <string>

#include "comm/TransferLog.h"
#include "comm/UsbLibraryCalls.h"
#include "comm/UsbTransfer.h"
#include "common/Prompter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "shell/AppState.h"
#include "shell/ReaderTransport.h"

class QWidget;

namespace magtune {

// The USB transport of the desktop program: the reader list (frmUSB), then
// frmUSBDnld, frmUSBUpld or the test pad (frmTest), shown modally. The
// chosen reader stays selected for later transfers until the program ends.
//
// With a simulated bus (`simulatorBus`, the value of MAGTUNE_USB_SIM) the
// simulated reader's keys are typed into the active form as a real reader's
// keys would be.
class UsbTransportForms : public ReaderTransport {
  public:
    UsbTransportForms(AppState& state, UsbLibraryCalls& library, Prompter& prompter,
                      FileSystem& files, Clock& clock, QWidget* parent,
                      std::string simulatorBus = SimulatorBusFromEnvironment());
    ~UsbTransportForms() override;

    UsbTransportForms(const UsbTransportForms&) = delete;
    UsbTransportForms& operator=(const UsbTransportForms&) = delete;

    // frmUSB; true when a reader was chosen (UsbDeviceChosen).
    bool chooseDevice() override;
    bool download() override;
    bool upload() override;
    void testPad() override;
    // Deselects the selected reader and releases the device list.
    void releaseDevices() override;

    // MAGTUNE_USB_SIM, or empty.
    static std::string SimulatorBusFromEnvironment();

  private:
    class SimulatedTyping;
    bool transfer(UsbTransfer::Direction direction);

    AppState& state_;
    UsbLibraryCalls& library_;
    Prompter& prompter_;
    Clock& clock_;
    QWidget* parent_;
    TransferLog log_;
    TransferLog dump_;
    std::unique_ptr<SimulatedTyping> typing_;
};

}  // namespace magtune
