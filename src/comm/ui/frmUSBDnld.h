#pragma once

#include "comm/ui/frmUSBTransfer.h"

namespace magtune::comm {

// "Download Settings (USB)": sends the packed image to the selected reader.
class frmUSBDnld : public frmUSBTransfer {
    Q_OBJECT

  public:
    // `image` is only read.
    frmUSBDnld(const UsbTransferContext& context, settings::ConfigurationImage& image,
               QWidget* parent = nullptr);
};

}  // namespace magtune::comm
