#pragma once

#include "comm/ui/frmWedgeTransfer.h"

namespace magtune::comm {

// "Upload Settings (AT/PS2)": reads the reader's image back through the
// keyboard port. `image` is replaced only by an image whose check byte
// matched.
class frmUpld : public frmWedgeTransfer {
    Q_OBJECT

  public:
    frmUpld(WedgeLibraryCalls& library, platform::Clock& clock, common::Prompter& prompter,
            std::int32_t protocolDelayMs, settings::ConfigurationImage& image,
            QWidget* parent = nullptr);
};

}  // namespace magtune::comm
