#include "comm/ui/frmUpld.h"

namespace magtune {

frmUpld::frmUpld(WedgeLibraryCalls& library, Clock& clock, Prompter& prompter,
                 std::int32_t protocolDelayMs, ConfigurationImage& image, QWidget* parent)
    : frmWedgeTransfer(QStringLiteral("Upload Settings (AT/PS2)"), QStringLiteral("tmrUpld"),
                       WedgeTransfer::Direction::Upload, library, clock, prompter, protocolDelayMs,
                       image, parent) {
    setObjectName(QStringLiteral("frmUpld"));
}

}  // namespace magtune
