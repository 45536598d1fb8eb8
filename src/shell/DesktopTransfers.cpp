#include "shell/DesktopTransfers.h"

#include <QWidget>

namespace magtune {

DesktopTransfers::DesktopTransfers(AppState& state, OpenSetting& openSetting, Prompter& prompter,
                                   FileSystem& files, QWidget* mainWindow, ComPortOpener openPort,
                                   Clock& clock)
    : log_(files, state.TransferLogPath),
      link_(state.serial, state.options, log_, prompter),
      dialogs_(InterfaceDialogContext{state.store, link_, openPort}, openSetting, mainWindow),
      serial_(link_, state.store, clock, mainWindow),
      transfers_(state.store, openSetting, link_, dialogs_, ReaderTransports{&serial_}, openPort) {
    transfers_.repaintMainWindow = [mainWindow] {
        if (mainWindow != nullptr) {
            mainWindow->repaint();
        }
    };
}

}  // namespace magtune
