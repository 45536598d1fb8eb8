#include "comm/ui/frmComDn.h"

#include "comm/SerialTransfer.h"

namespace magtune {

frmComDn::frmComDn(SerialLink& link, const ConfigurationImage& image, QWidget* parent)
    : frmComProgress(QStringLiteral("Download Setting (RS232)"), parent),
      link_(link),
      image_(image) {
    setObjectName(QStringLiteral("frmComDn"));
    link_.session().DownloadSucceeded = false;
}

bool frmComDn::succeeded() const {
    return link_.session().DownloadSucceeded;
}

void frmComDn::runTransfer() {
    SerialDownload(link_, image_, *this);
}

}  // namespace magtune
