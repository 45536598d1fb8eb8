#pragma once

#include "comm/ui/frmComProgress.h"

namespace magtune::comm {

// "Upload Setting (RS232)": connects to the reader on the open port,
// requests its image and reports; `image` changes only when a checked image
// arrived. The port is closed afterwards.
class frmComUp : public frmComProgress {
    Q_OBJECT

  public:
    frmComUp(SerialLink& link, platform::Clock& clock, settings::ConfigurationImage& image,
             QWidget* parent = nullptr);

    // UploadSucceeded.
    bool succeeded() const { return transfer().succeeded(); }
};

}  // namespace magtune::comm
