#pragma once

#include "comm/ui/frmWedgeTransfer.h"

namespace magtune {

// "Download Settings (AT/PS2)": sends the packed image to the reader on
// the keyboard port.
class frmDnld : public frmWedgeTransfer {
    Q_OBJECT

  public:
    frmDnld(WedgeLibraryCalls& library, Clock& clock, Prompter& prompter,
            std::int32_t protocolDelayMs, ConfigurationImage& image, QWidget* parent = nullptr);
};

}  // namespace magtune
