#pragma once

#include "comm/ui/frmComProgress.h"

namespace magtune {

// "Upload Setting (RS232)": connects to the reader on the open port,
// requests its image and reports; `image` changes only when a checked image
// arrived. The port is closed afterwards.
class frmComUp : public frmComProgress {
    Q_OBJECT

  public:
    frmComUp(SerialLink& link, Clock& clock, ConfigurationImage& image, QWidget* parent = nullptr);

    // UploadSucceeded.
    bool succeeded() const { return transfer().succeeded(); }
};

}  // namespace magtune
