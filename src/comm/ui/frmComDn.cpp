#include "comm/ui/frmComDn.h"

namespace magtune {

frmComDn::frmComDn(SerialLink& link, Clock& clock, const ConfigurationImage& image, QWidget* parent)
    : frmComProgress(QStringLiteral("Download Setting (RS232)"),
                     SerialTransfer::Direction::Download, link, clock, sent_, parent),
      sent_(image) {
    setObjectName(QStringLiteral("frmComDn"));
    link.session().DownloadSucceeded = false;
}

}  // namespace magtune
