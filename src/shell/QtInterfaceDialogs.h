#pragma once

#include "settings/OpenSetting.h"
#include "shell/InterfaceDialog.h"
#include "shell/InterfaceDialogs.h"

class QWidget;

namespace magtune::shell {

// Runs frmOpen, frmSave and frmSelect modally over the program state.
class QtInterfaceDialogs : public InterfaceDialogs {
  public:
    // frmOpen starts with the name of the device the open setting came from.
    QtInterfaceDialogs(InterfaceDialogContext context, const settings::OpenSetting& openSetting,
                       QWidget* parent);

    bool run(SelectionDialogKind kind) override;

  private:
    InterfaceDialogContext context_;
    const settings::OpenSetting& openSetting_;
    QWidget* parent_;
};

}  // namespace magtune::shell
