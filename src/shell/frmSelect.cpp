#include "shell/frmSelect.h"

namespace magtune::shell {

frmSelect::frmSelect(const InterfaceDialogContext& context, QWidget* parent)
    : InterfaceDialog(SelectionDialogKind::TestPad, QStringLiteral("Test Pad"), context, {},
                      parent) {
    setObjectName(QStringLiteral("frmSelect"));
}

}  // namespace magtune::shell
