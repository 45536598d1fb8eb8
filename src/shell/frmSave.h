#pragma once

#include "shell/InterfaceDialog.h"

namespace magtune::shell {

// "Download Setting": how the reader to download to is connected.
class frmSave : public InterfaceDialog {
    Q_OBJECT

  public:
    explicit frmSave(const InterfaceDialogContext& context, QWidget* parent = nullptr);

    bool downloadChosen() const { return chosen(); }
};

}  // namespace magtune::shell
