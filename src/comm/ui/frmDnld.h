#pragma once

#include "comm/ui/frmWedgeTransfer.h"

namespace magtune::comm {

// "Download Settings (AT/PS2)": sends the packed image to the reader on
// the keyboard port.
class frmDnld : public frmWedgeTransfer {
    Q_OBJECT

  public:
    frmDnld(WedgeLibraryCalls& library, platform::Clock& clock, common::Prompter& prompter,
            std::int32_t protocolDelayMs, settings::ConfigurationImage& image,
            QWidget* parent = nullptr);
};

}  // namespace magtune::comm
