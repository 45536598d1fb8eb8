// Magtune: sets up magnetic stripe card readers.

#include <unistd.h>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>
#include <chrono>

#include "common/ui/DesktopHelpViewer.h"
#include "common/ui/QtPrompter.h"
#include "platform/FilePreferencesStore.h"
#include "platform/InstanceLock.h"
#include "platform/LibraryMessageRoute.h"
#include "platform/Paths.h"
#include "settings/RecoveryCopy.h"
#include "shell/AppState.h"
#include "shell/DesktopTransfers.h"
#include "shell/MainWindowServices.h"
#include "shell/QtFileDialog.h"
#include "shell/ShutdownSignals.h"
#include "shell/StartupFiles.h"
#include "shell/StartupProbe.h"
#include "shell/UsbTransportForms.h"
#include "shell/WedgeTransportForms.h"
#include "shell/frmMain.h"
#include "usbhid/client/UsbHidLibrary.h"
#include "wedge/ZebApiLibrary.h"

int main(int argc, char* argv[]) {
    using namespace magtune;
    const auto started = std::chrono::steady_clock::now();

    // A second start ends at once and says nothing: the first one is there.
    InstanceLock instance(InstanceLock::DefaultPath());
    if (instance.state() == InstanceLock::State::OtherInstance) {
        return 0;
    }

    QApplication app(argc, argv);
    // Until the window exists a signal ends the program as it always did;
    // from then on the window closes first.
    frmMain* mainWindow = nullptr;
    ShutdownSignals shutdownSignals([&mainWindow] {
        if (mainWindow != nullptr) {
            mainWindow->closeForShutdown();
        }
        // Also out of any dialog that is still open.
        QCoreApplication::exit(0);
    });

    RemoveWedgeEchoFile(RealFileSystem(), WedgeEchoFilePath());

    const std::string programFolder = ProgramFolder();
    const std::string documents =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
            .toStdString();
    AppState state(
        programFolder,
        ChooseSettingFolder(programFolder, ::access(programFolder.c_str(), W_OK) == 0, documents));

    QtPrompter prompter;
    // What zebapi, OruUsbHidCtrl and its server tell the user.
    const LibraryMessageRoute libraryMessages(prompter);
    DesktopHelpViewer help(DesktopHelpViewer::FindHelpFolder(programFolder), prompter);
    QtFileDialog fileDialog;
    FilePreferencesStore preferences(FilePreferencesStore::DefaultPath());
    MainWindowServices services{prompter, help, fileDialog, preferences, RealFileSystem()};

    frmMain window(state, services);
    mainWindow = &window;
    window.setRecoveryCopyPath(DefaultRecoveryCopyPath());
    fileDialog.setParent(&window);
    DesktopTransfers transfers(state, window.openSetting(), prompter, RealFileSystem(), &window);
    window.setTransferCommands(&transfers.commands());
    // OruUsbHidCtrl is loaded on the first use of the reader list.
    UsbHidLibrary usbLibrary(prompter);
    UsbTransportForms usb(state, usbLibrary, prompter, RealFileSystem(), SystemClock(), &window);
    transfers.commands().transports.usb = &usb;
    // zebapi is loaded on the first wedge transfer; from now on every key
    // event passes its keyboard hook.
    ZebApiLibrary zebApi;
    WedgeTransportForms wedge(zebApi, state.store, state.options, prompter, SystemClock(), &window);
    transfers.commands().transports.keyboardWedge = &wedge;
    if (!window.load()) {
        return 1;
    }
    StartupProbe::watch(&window, started);
    window.show();
    // A setting file handed over by the desktop (opening a *.cfg file, see
    // magtune.desktop) opens once the window is up.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        const std::string path =
            QFile::encodeName(QFileInfo(arguments.at(1)).absoluteFilePath()).toStdString();
        QTimer::singleShot(0, &window,
                           [&window, path] { window.openSetting().OpenSettingFile(path); });
    }
    return app.exec();
}
