#include "shell/frmOpen.h"

namespace magtune::shell {

frmOpen::frmOpen(const InterfaceDialogContext& context, const std::string& currentDevice,
                 QWidget* parent)
    : InterfaceDialog(SelectionDialogKind::Upload, QStringLiteral("Upload Setting"), context,
                      currentDevice, parent) {
    setObjectName(QStringLiteral("frmOpen"));
}

}  // namespace magtune::shell
