#pragma once

#include <cstdint>

#include "settings/InterfaceCode.h"

namespace magtune {

// The modal transfer windows of one way of connecting a reader (RS232,
// keyboard wedge, USB). The upload and download commands run them and read
// their results; each window reports its own failures and successes.
class ReaderTransport {
  public:
    virtual ~ReaderTransport() = default;

    // USB: the reader list (frmUSB); true when a reader was chosen. The other
    // transports have nothing to choose.
    virtual bool chooseDevice() { return true; }
    // frmComDn, frmUSBDnld, frmDnld: sends the packed image of the setting
    // store. True when the reader accepted it (DownloadSucceeded).
    virtual bool download() = 0;
    // frmComUp, frmUSBUpld, frmUpld: true when a checked image arrived
    // (UploadSucceeded); only then has it replaced the store's image.
    virtual bool upload() = 0;
    // frmComTest, frmTest: shows what the reader sends until the user leaves.
    virtual void testPad() = 0;
    // At program end: lets go of a reader held for transfers (the selected
    // USB reader and its device list).
    virtual void releaseDevices() {}
};

// The transports this program has, by interface code; a missing one is
// reported to the user as not available.
struct ReaderTransports {
    ReaderTransport* serial = nullptr;
    ReaderTransport* keyboardWedge = nullptr;
    ReaderTransport* usb = nullptr;

    // 1 RS232, 3 USB, any other value the keyboard wedge (whose device type
    // a download sends for any other value too).
    ReaderTransport* forInterface(std::int32_t interface) const {
        switch (interface) {
            case InterfaceCode::Rs232:
                return serial;
            case InterfaceCode::Usb:
                return usb;
            default:
                return keyboardWedge;
        }
    }
};

}  // namespace magtune
