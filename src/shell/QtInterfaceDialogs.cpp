#include "shell/QtInterfaceDialogs.h"

#include <memory>
#include <utility>

#include "shell/frmOpen.h"
#include "shell/frmSave.h"
#include "shell/frmSelect.h"

namespace magtune::shell {

QtInterfaceDialogs::QtInterfaceDialogs(InterfaceDialogContext context,
                                       const settings::OpenSetting& openSetting, QWidget* parent)
    : context_(std::move(context)), openSetting_(openSetting), parent_(parent) {}

bool QtInterfaceDialogs::run(SelectionDialogKind kind) {
    std::unique_ptr<InterfaceDialog> dialog;
    switch (kind) {
        case SelectionDialogKind::Upload:
            dialog = std::make_unique<frmOpen>(context_, openSetting_.CurrentDevice, parent_);
            break;
        case SelectionDialogKind::Download:
            dialog = std::make_unique<frmSave>(context_, parent_);
            break;
        case SelectionDialogKind::TestPad:
            dialog = std::make_unique<frmSelect>(context_, parent_);
            break;
    }
    dialog->exec();
    return dialog->chosen();
}

}  // namespace magtune::shell
