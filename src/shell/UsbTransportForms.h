#pragma once

#include <memory>
#include <string>

#include "app/ReaderTransport.h"
#include "comm/TransferLog.h"
#include "comm/UsbLibraryCalls.h"
#include "comm/UsbTransfer.h"
#include "common/Prompter.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "shell/AppState.h"

class QWidget;

namespace magtune {

// The USB transport of the desktop program: the reader list (frmUSB), then
// frmUSBDnld, frmUSBUpld or the test pad (frmTest), shown modally. The
// chosen reader stays selected for later transfers until the program ends.
//
// With a simulated bus (`simulatorBus`, from the run-time configuration) the
// simulated reader's keys are typed into the active form as a real reader's
// keys would be.
class UsbTransportForms : public ReaderTransport {
  public:
    UsbTransportForms(AppState& state, UsbLibraryCalls& library, Prompter& prompter,
                      FileSystem& files, Clock& clock, QWidget* parent,
                      std::string simulatorBus = {});
    ~UsbTransportForms() override;

    UsbTransportForms(const UsbTransportForms&) = delete;
    UsbTransportForms& operator=(const UsbTransportForms&) = delete;

    // frmUSB; true when a reader was chosen (UsbDeviceChosen).
    bool chooseDevice() override;
    bool download(const ConfigurationImage& image) override;
    bool upload(ConfigurationImage& image) override;
    void testPad() override;
    // Deselects the selected reader and releases the device list.
    void releaseDevices() override;

  private:
    class SimulatedTyping;
    bool transfer(UsbTransfer::Direction direction, ConfigurationImage& image);

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
