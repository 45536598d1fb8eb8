#pragma once

#include "comm/ui/frmUSBTransfer.h"

namespace magtune::comm {

// "Upload Settings (USB)": reads the selected reader's image.
class frmUSBUpld : public frmUSBTransfer {
    Q_OBJECT

  public:
    // `image` is replaced only by a checked reply.
    frmUSBUpld(const UsbTransferContext& context, settings::ConfigurationImage& image,
               QWidget* parent = nullptr);
};

}  // namespace magtune::comm
