#pragma once

#include <QObject>

namespace magtune::shell {

// The main window against magtune-reader-sim on a pseudo-terminal mapped to
// COM1: Settings > Download and Settings > Upload through the real dialogs
// and transfer forms.
class SerialRoadTest : public QObject {
    Q_OBJECT

  private slots:
    void downloadThenUploadGivesTheSameRows();
    void silentReaderLeavesTheOpenSettingAsItWas();
};

}  // namespace magtune::shell
