#pragma once

#include "shell/InterfaceDialog.h"

namespace magtune::shell {

// "Test Pad": how the reader to test is connected.
class frmSelect : public InterfaceDialog {
    Q_OBJECT

  public:
    explicit frmSelect(const InterfaceDialogContext& context, QWidget* parent = nullptr);

    bool testChosen() const { return chosen(); }
};

}  // namespace magtune::shell
