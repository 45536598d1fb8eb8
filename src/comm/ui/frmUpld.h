#pragma once

#include "comm/ui/frmWedgeTransfer.h"

namespace magtune {

// "Upload Settings (AT/PS2)": reads the reader's image back through the
// keyboard port. `image` is replaced only by an image whose check byte
// matched.
class frmUpld : public frmWedgeTransfer {
    Q_OBJECT

  public:
    frmUpld(WedgeLibraryCalls& library, Clock& clock, Prompter& prompter,
            std::int32_t protocolDelayMs, ConfigurationImage& image, QWidget* parent = nullptr);
};

}  // namespace magtune
