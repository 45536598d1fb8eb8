#pragma once

#include "comm/SerialLink.h"
#include "comm/ui/frmComProgress.h"
#include "settings/ConfigurationImage.h"

namespace magtune {

// "Download Setting (RS232)": connects to the reader on the open port,
// sends the packed image and reports. The port stays open for the quick
// test.
class frmComDn : public frmComProgress {
    Q_OBJECT

  public:
    frmComDn(SerialLink& link, const ConfigurationImage& image, QWidget* parent = nullptr);

    // DownloadSucceeded.
    bool succeeded() const;

  protected:
    void runTransfer() override;

  private:
    SerialLink& link_;
    const ConfigurationImage& image_;
};

}  // namespace magtune
