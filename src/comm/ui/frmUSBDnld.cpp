#include "comm/ui/frmUSBDnld.h"

namespace magtune::comm {

frmUSBDnld::frmUSBDnld(const UsbTransferContext& context, settings::ConfigurationImage& image,
                       QWidget* parent)
    : frmUSBTransfer(UsbTransfer::Direction::Download, QStringLiteral("Download Settings (USB)"),
                     QStringLiteral("tmrDnld"), context, image, parent) {
    setObjectName(QStringLiteral("frmUSBDnld"));
}

}  // namespace magtune::comm
