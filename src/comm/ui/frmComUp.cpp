#include "comm/ui/frmComUp.h"

#include "comm/SerialTransfer.h"

namespace magtune {

frmComUp::frmComUp(SerialLink& link, Clock& clock, ConfigurationImage& image, QWidget* parent)
    : frmComProgress(QStringLiteral("Upload Setting (RS232)"), parent),
      link_(link),
      clock_(clock),
      image_(image) {
    setObjectName(QStringLiteral("frmComUp"));
    link_.session().UploadSucceeded = false;
}

bool frmComUp::succeeded() const {
    return link_.session().UploadSucceeded;
}

void frmComUp::runTransfer() {
    SerialUpload(link_, clock_, image_, *this);
}

}  // namespace magtune
