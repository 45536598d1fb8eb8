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

namespace magtune::shell {

// The USB transport of the desktop program: the reader list (frmUSB), then
// frmUSBDnld, frmUSBUpld or the test pad (frmTest), shown modally. The
// chosen reader stays selected for later transfers until the program ends.
//
// With a simulated bus (`simulatorBus`, from the run-time configuration) the
// simulated reader's keys are typed into the active form as a real reader's
// keys would be.
class UsbTransportForms : public app::ReaderTransport {
  public:
    UsbTransportForms(AppState& state, comm::UsbLibraryCalls& library, common::Prompter& prompter,
                      platform::FileSystem& files, platform::Clock& clock, QWidget* parent,
                      std::string simulatorBus = {});
    ~UsbTransportForms() override;

    UsbTransportForms(const UsbTransportForms&) = delete;
    UsbTransportForms& operator=(const UsbTransportForms&) = delete;

    // frmUSB; true when a reader was chosen (UsbDeviceChosen).
    bool chooseDevice() override;
    bool download(const settings::ConfigurationImage& image) override;
    bool upload(settings::ConfigurationImage& image) override;
    void testPad() override;
    // Deselects the selected reader and releases the device list.
    void releaseDevices() override;

  private:
    class SimulatedTyping;
    bool transfer(comm::UsbTransfer::Direction direction, settings::ConfigurationImage& image);

    AppState& state_;
    comm::UsbLibraryCalls& library_;
    common::Prompter& prompter_;
    platform::Clock& clock_;
    QWidget* parent_;
    comm::TransferLog log_;
    comm::TransferLog dump_;
    std::unique_ptr<SimulatedTyping> typing_;
};

}  // namespace magtune::shell
