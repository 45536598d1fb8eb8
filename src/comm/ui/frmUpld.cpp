#include "comm/ui/frmUpld.h"

namespace magtune::comm {

frmUpld::frmUpld(WedgeLibraryCalls& library, platform::Clock& clock, common::Prompter& prompter,
                 std::int32_t protocolDelayMs, settings::ConfigurationImage& image, QWidget* parent)
    : frmWedgeTransfer(QStringLiteral("Upload Settings (AT/PS2)"), QStringLiteral("tmrUpld"),
                       WedgeTransfer::Direction::Upload, library, clock, prompter, protocolDelayMs,
                       image, parent) {
    setObjectName(QStringLiteral("frmUpld"));
}

}  // namespace magtune::comm
