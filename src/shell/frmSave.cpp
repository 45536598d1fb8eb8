#include "shell/frmSave.h"

namespace magtune::shell {

frmSave::frmSave(const InterfaceDialogContext& context, QWidget* parent)
    : InterfaceDialog(SelectionDialogKind::Download, QStringLiteral("Download Setting"), context,
                      {}, parent) {
    setObjectName(QStringLiteral("frmSave"));
}

}  // namespace magtune::shell
