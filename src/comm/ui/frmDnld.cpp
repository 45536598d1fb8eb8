#include "comm/ui/frmDnld.h"

namespace magtune::comm {

frmDnld::frmDnld(WedgeLibraryCalls& library, platform::Clock& clock, common::Prompter& prompter,
                 std::int32_t protocolDelayMs, settings::ConfigurationImage& image, QWidget* parent)
    : frmWedgeTransfer(QStringLiteral("Download Settings (AT/PS2)"), QStringLiteral("tmrDnld"),
                       WedgeTransfer::Direction::Download, library, clock, prompter,
                       protocolDelayMs, image, parent) {
    setObjectName(QStringLiteral("frmDnld"));
}

}  // namespace magtune::comm
