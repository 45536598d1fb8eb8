#include "shell/DesktopTransfers.h"

#include <QWidget>

#include "app/SimulatorProbe.h"

namespace magtune::shell {

DesktopTransfers::DesktopTransfers(AppState& state, settings::OpenSetting& openSetting,
                                   common::Prompter& prompter, platform::FileSystem& files,
                                   QWidget* mainWindow, const app::RuntimeConfig& config,
                                   ComPortOpener openPort, platform::Clock& clock)
    : log_(files, state.TransferLogPath),
      link_(state.serial, state.options, log_, prompter),
      dialogs_(InterfaceDialogContext{state.store, link_,
                                      openPort ? openPort : SystemComPortOpener(config.portsFolder),
                                      config.portsFolder, nullptr,
                                      [config] { return app::FindRunningSimulator(config); },
                                      &lastChoseSimulator_},
               openSetting, mainWindow),
      serial_(link_, clock, mainWindow),
      transfers_(state.store, openSetting, link_, dialogs_, app::ReaderTransports{&serial_},
                 openPort ? openPort : SystemComPortOpener(config.portsFolder)) {
    transfers_.repaintMainWindow = [mainWindow] {
        if (mainWindow != nullptr) {
            mainWindow->repaint();
        }
    };
}

}  // namespace magtune::shell
