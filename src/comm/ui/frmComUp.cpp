#include "comm/ui/frmComUp.h"

namespace magtune::comm {

frmComUp::frmComUp(SerialLink& link, platform::Clock& clock, settings::ConfigurationImage& image,
                   QWidget* parent)
    : frmComProgress(QStringLiteral("Upload Setting (RS232)"), SerialTransfer::Direction::Upload,
                     link, clock, image, parent) {
    setObjectName(QStringLiteral("frmComUp"));
    link.session().UploadSucceeded = false;
}

}  // namespace magtune::comm
