#include "comm/ui/frmComDn.h"

namespace magtune::comm {

frmComDn::frmComDn(SerialLink& link, platform::Clock& clock,
                   const settings::ConfigurationImage& image, QWidget* parent)
    : frmComProgress(QStringLiteral("Download Setting (RS232)"),
                     SerialTransfer::Direction::Download, link, clock, sent_, parent),
      sent_(image) {
    setObjectName(QStringLiteral("frmComDn"));
    link.session().DownloadSucceeded = false;
}

}  // namespace magtune::comm
