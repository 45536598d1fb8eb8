#pragma once

#include <cstdint>

#include "settings/ConfigurationImage.h"
#include "settings/InterfaceCode.h"

namespace magtune::app {

// One way of reaching a reader (RS232, keyboard wedge, USB, the simulated
// reader): the desktop program's modal transfer windows, the command line's
// console runs, or one port of a provisioning run. Each call runs to its end
// and reports its own failures and successes to the user.
class ReaderTransport {
  public:
    virtual ~ReaderTransport() = default;

    // USB: the reader list; true when a reader was chosen. The other
    // transports have nothing to choose.
    virtual bool chooseDevice() { return true; }
    // The port of the transfer, opened and configured when it is not open
    // yet (RS232: a quick test before may have closed it). False after
    // telling the user.
    virtual bool prepare() { return true; }
    // Sends the packed image. True when the reader accepted it
    // (DownloadSucceeded).
    virtual bool download(const settings::ConfigurationImage& image) = 0;
    // True when a checked image arrived (UploadSucceeded); only then has
    // `image` been written.
    virtual bool upload(settings::ConfigurationImage& image) = 0;
    // Shows what the reader sends until the user leaves.
    virtual void testPad() {}
    // After a download whose quick test was declined: lets go of the port.
    virtual void endTransfers() {}
    // At program end: lets go of a reader held for transfers (the selected
    // USB reader and its device list).
    virtual void releaseDevices() {}
};

// The transports a front end has, by interface code; a missing one is
// reported to the user as not available.
struct ReaderTransports {
    ReaderTransport* serial = nullptr;
    ReaderTransport* keyboardWedge = nullptr;
    ReaderTransport* usb = nullptr;

    // 1 RS232, 3 USB, any other value the keyboard wedge (whose device type
    // a download sends for any other value too).
    ReaderTransport* forInterface(std::int32_t interface) const {
        switch (interface) {
            case settings::InterfaceCode::Rs232:
                return serial;
            case settings::InterfaceCode::Usb:
                return usb;
            default:
                return keyboardWedge;
        }
    }
};

}  // namespace magtune::app
