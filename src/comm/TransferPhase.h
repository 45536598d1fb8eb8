#pragma once

namespace magtune::comm {

// The step a transfer form is in (kept in its timer's tag).
enum class TransferPhase { Init, Connect, Download, Upload, Finished };

}  // namespace magtune::comm
