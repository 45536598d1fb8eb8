#include "comm/ui/frmUSBDnld.h"

namespace magtune {

frmUSBDnld::frmUSBDnld(const UsbTransferContext& context, ConfigurationImage& image,
                       QWidget* parent)
    : frmUSBTransfer(UsbTransfer::Direction::Download, QStringLiteral("Download Settings (USB)"),
                     QStringLiteral("tmrDnld"), context, image, parent) {
    setObjectName(QStringLiteral("frmUSBDnld"));
}

}  // namespace magtune
