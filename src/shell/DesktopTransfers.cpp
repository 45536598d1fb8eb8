#include "shell/DesktopTransfers.h"

#include <QWidget>

#include "app/SimulatorProbe.h"

namespace magtune {

DesktopTransfers::DesktopTransfers(AppState& state, OpenSetting& openSetting, Prompter& prompter,
                                   FileSystem& files, QWidget* mainWindow,
                                   const RuntimeConfig& config, ComPortOpener openPort,
                                   Clock& clock)
    : log_(files, state.TransferLogPath),
      link_(state.serial, state.options, log_, prompter),
      dialogs_(InterfaceDialogContext{state.store, link_,
                                      openPort ? openPort : SystemComPortOpener(config.portsFolder),
                                      config.portsFolder, nullptr,
                                      [config] { return FindRunningSimulator(config); },
                                      &lastChoseSimulator_},
               openSetting, mainWindow),
      serial_(link_, clock, mainWindow),
      transfers_(state.store, openSetting, link_, dialogs_, ReaderTransports{&serial_},
                 openPort ? openPort : SystemComPortOpener(config.portsFolder)) {
    transfers_.repaintMainWindow = [mainWindow] {
        if (mainWindow != nullptr) {
            mainWindow->repaint();
        }
    };
}

}  // namespace magtune
