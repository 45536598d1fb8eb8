#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/RuntimeConfig.h"
#include "comm/CommOptions.h"
#include "comm/KeySource.h"
#include "comm/TransferLog.h"
#include "comm/TransferView.h"
#include "comm/UsbReaderList.h"
#include "comm/UsbTransfer.h"
#include "usbhid/client/UsbHidLibrary.h"

namespace magtune::app {

// One command's hold on the USB readers, as the program holds them for a
// run: OruUsbHidCtrl loaded by name, the reader list, the chosen reader.
// When the session ends, a chosen reader is deselected and the list is
// released, as the program does at its end.
//
// The reader's answers are keys: from the simulated reader when the
// configuration names its bus, else from `typedKeys` (the terminal of the
// command line, the window of the desktop program).
class UsbReaderSession {
  public:
    // Where a real reader's keys arrive, for one transfer.
    using TypedKeys = std::function<std::unique_ptr<comm::KeySource>()>;

    // `forTransfers`: the reader's keys are wanted (not for a mere list).
    UsbReaderSession(common::Prompter& prompter, const comm::CommOptions& options,
                     const RuntimeConfig& config, bool forTransfers = true,
                     TypedKeys typedKeys = {});
    ~UsbReaderSession();

    UsbReaderSession(const UsbReaderSession&) = delete;
    UsbReaderSession& operator=(const UsbReaderSession&) = delete;

    // Asks the library for the readers; false, after telling the user,
    // when there is none.
    bool list();
    // "1 - name" ..., as the reader list shows them.
    const std::vector<comm::UsbReaderEntry>& readers() const { return list_.entries(); }

    // Lists the readers and selects reader `number` (1-based, as listed);
    // false, after telling the user, when there is no such reader or the
    // library refused it.
    bool choose(std::size_t number);

    // One transfer with the chosen reader; retry questions go to `answers`.
    bool transfer(comm::UsbTransfer::Direction direction, settings::ConfigurationImage& image,
                  common::Prompter& answers, comm::TransferView& view);

  private:
    common::Prompter& prompter_;
    comm::CommOptions options_;
    // Connected before the first library call: the simulated reader types
    // only to sources that listen already.
    std::unique_ptr<comm::KeySource> simulatorKeys_;
    bool simulatorWanted_ = false;
    TypedKeys typedKeys_;
    usbhid::UsbHidLibrary library_;
    comm::UsbReaderList list_;
    comm::TransferLog log_;
    comm::TransferLog dump_;
    std::string SelectedUsbName;
    bool listed_ = false;
};

}  // namespace magtune::app
