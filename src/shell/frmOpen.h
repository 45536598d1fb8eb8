#pragma once

#include "shell/InterfaceDialog.h"

namespace magtune::shell {

// "Upload Setting": how the reader to upload from is connected, and the
// product name under which its setting is shown and remembered.
class frmOpen : public InterfaceDialog {
    Q_OBJECT

  public:
    frmOpen(const InterfaceDialogContext& context, const std::string& currentDevice,
            QWidget* parent = nullptr);

    bool uploadChosen() const { return chosen(); }
};

}  // namespace magtune::shell
