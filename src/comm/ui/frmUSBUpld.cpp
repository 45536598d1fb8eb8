#include "comm/ui/frmUSBUpld.h"

namespace magtune::comm {

frmUSBUpld::frmUSBUpld(const UsbTransferContext& context, settings::ConfigurationImage& image,
                       QWidget* parent)
    : frmUSBTransfer(UsbTransfer::Direction::Upload, QStringLiteral("Upload Settings (USB)"),
                     QStringLiteral("tmrUpld"), context, image, parent) {
    setObjectName(QStringLiteral("frmUSBUpld"));
}

}  // namespace magtune::comm
