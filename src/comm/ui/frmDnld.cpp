#include "comm/ui/frmDnld.h"

namespace magtune {

frmDnld::frmDnld(WedgeLibraryCalls& library, Clock& clock, Prompter& prompter,
                 std::int32_t protocolDelayMs, ConfigurationImage& image, QWidget* parent)
    : frmWedgeTransfer(QStringLiteral("Download Settings (AT/PS2)"), QStringLiteral("tmrDnld"),
                       WedgeTransfer::Direction::Download, library, clock, prompter,
                       protocolDelayMs, image, parent) {
    setObjectName(QStringLiteral("frmDnld"));
}

}  // namespace magtune
