#pragma once

#include "comm/ui/frmComProgress.h"

namespace magtune::comm {

// "Download Setting (RS232)": connects to the reader on the open port,
// sends the packed image and reports. The port stays open for the quick
// test.
class frmComDn : public frmComProgress {
    Q_OBJECT

  public:
    frmComDn(SerialLink& link, platform::Clock& clock, const settings::ConfigurationImage& image,
             QWidget* parent = nullptr);

    // DownloadSucceeded.
    bool succeeded() const { return transfer().succeeded(); }

  private:
    // What the machine sends; the caller's image is never touched.
    settings::ConfigurationImage sent_;
};

}  // namespace magtune::comm
