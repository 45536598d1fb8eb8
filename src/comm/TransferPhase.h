#pragma once

namespace magtune {

// The step a transfer form is in (kept in its timer's tag).
enum class TransferPhase { Init, Connect, Download, Upload, Finished };

}  // namespace magtune
