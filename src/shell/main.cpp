// Magtune: sets up magnetic stripe card readers.

#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/RuntimeConfig.h"
#include "common/ui/DesktopHelpViewer.h"
#include "common/ui/QtPrompter.h"
#include "platform/FilePreferencesStore.h"
#include "platform/InstanceLock.h"
#include "platform/LibraryMessageRoute.h"
#include "platform/Paths.h"
#include "platform/ProcessorPin.h"
#include "platform/UnixSocket.h"
#include "settings/RecoveryCopy.h"
#include "shell/AppState.h"
#include "shell/DesktopProvision.h"
#include "shell/DesktopTransfers.h"
#include "shell/HandedOverFiles.h"
#include "shell/InstanceListener.h"
#include "shell/InstanceRequest.h"
#include "shell/LazyIconStyle.h"
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

namespace {

constexpr const char* kUsage =
    "usage: magtune [FILE]\n"
    "\n"
    "Sets up Tarvik magnetic stripe card readers: edits a reader's settings, keeps them in\n"
    "setting files (*.cfg, the reader's 256 configuration bytes) and moves them into and out\n"
    "of a reader over RS232, USB or the keyboard port.\n"
    "\n"
    "FILE is a setting file to open once the window is up. A second start while Magtune\n"
    "runs hands FILE to the running window, which opens it and comes to the front, and\n"
    "ends at once.\n"
    "\n"
    "Options:\n"
    "  --help     prints this text\n"
    "  --version  prints the version\n"
    "  Qt's own options (-platform NAME, -style NAME ...) are understood too.\n"
    "\n"
    "Environment:\n"
    "  MAGTUNE_PORTS_DIR          the folder of links that name the COM ports\n"
    "                             (default ~/.config/magtune/ports)\n"
    "  MAGTUNE_REGISTRY_FILE      the preferences file (default ~/.config/magtune/registry.reg)\n"
    "  MAGTUNE_USB_SIM            the socket of a simulated USB bus (magtune-reader-sim --usb)\n"
    "  ZEBAPI_SIM_SOCKET          the socket of a simulated keyboard wedge reader\n"
    "                             (magtune-reader-sim --wedge)\n"
    "  ZEBAPI_DEVICE              the keyboard port driver's device (default /dev/zebdrv2k)\n";

// --help and --version answer before anything starts, so that they work
// without a display and beside a running instance.
bool AnswerInformationOption(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("magtune %s\n", MAGTUNE_VERSION);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return true;
        }
    }
    return false;
}

std::vector<std::string> ArgumentsAfterProgram(int argc, char* argv[]) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

// A second start: the running instance opens the file (or just comes up)
// and this one ends without a word of its own; only a failed hand-over is
// worth a line for whoever started it from a terminal.
void HandOver(int argc, char* argv[]) {
    using namespace magtune;
    constexpr int kHandOverTimeMs = 2000;
    std::string file;
    if (const auto argument = shell::SettingFileArgument(ArgumentsAfterProgram(argc, argv))) {
        std::error_code ignored;
        file = shell::AbsoluteFilePath(*argument, std::filesystem::current_path(ignored).string());
    }
    std::string problem;
    if (!shell::HandOverToRunningInstance(platform::InstanceLock::DefaultChannelPath(), file,
                                          kHandOverTimeMs, problem)) {
        std::fprintf(stderr, "magtune: Magtune is running, but %s%s%s.\n", problem.c_str(),
                     file.empty() ? "" : "; not opened: ", file.c_str());
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace magtune;
    const auto started = std::chrono::steady_clock::now();
    if (AnswerInformationOption(argc, argv)) {
        return 0;
    }

    // A second start ends at once and says nothing: the first one is there.
    platform::InstanceLock instance(platform::InstanceLock::DefaultPath());
    if (instance.state() == platform::InstanceLock::State::OtherInstance) {
        HandOver(argc, argv);
        return 0;
    }
    // Listening from now on: a second start waits until the window is up to
    // hear that its file was taken. A socket left by an instance that was
    // killed is replaced; the lock says that it is nobody's.
    std::optional<platform::UnixSocket> channel;
    const std::string channelPath = platform::InstanceLock::DefaultChannelPath();
    if (instance.state() == platform::InstanceLock::State::Held) {
        platform::SystemError channelError;
        channel = platform::UnixSocket::listenAt(channelPath, channelError);
        if (!channel) {
            std::fprintf(stderr, "magtune: a second start cannot hand its file over (%s(): %s)\n",
                         channelError.function.c_str(),
                         platform::SystemMessageText(channelError.code).c_str());
        }
    }

    // Until the first frame is drawn, on one processor: see ProcessorPin.
    // Two seconds at most, for a window that starts where it is not drawn
    // or behind a question.
    constexpr int kPinLimitMs = 2000;
    platform::ProcessorPin pin;
    QApplication app(argc, argv);
    QTimer::singleShot(kPinLimitMs, &app, [&pin] { pin.release(); });
    QApplication::setStyle(new shell::LazyIconStyle);
    const app::RuntimeConfig config = app::ReadRuntimeConfig();
    // Until the window exists a signal ends the program as it always did;
    // from then on the window closes first.
    shell::frmMain* mainWindow = nullptr;
    shell::ShutdownSignals shutdownSignals([&mainWindow] {
        if (mainWindow != nullptr) {
            mainWindow->closeForShutdown();
        }
        // Also out of any dialog that is still open.
        QCoreApplication::exit(0);
    });

    shell::RemoveWedgeEchoFile(platform::RealFileSystem(), shell::WedgeEchoFilePath());

    const std::string programFolder = platform::ProgramFolder();
    const std::string documents =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
            .toStdString();
    shell::AppState state(
        programFolder, shell::ChooseSettingFolder(
                           programFolder, ::access(programFolder.c_str(), W_OK) == 0, documents));

    common::QtPrompter prompter;
    // What zebapi, OruUsbHidCtrl and its server tell the user.
    const platform::LibraryMessageRoute libraryMessages(prompter);
    common::DesktopHelpViewer help(common::DesktopHelpViewer::FindHelpFolder(programFolder),
                                   prompter);
    shell::QtFileDialog fileDialog;
    platform::FilePreferencesStore preferences(config.preferencesFile);
    shell::MainWindowServices services{prompter, help, fileDialog, preferences,
                                       platform::RealFileSystem()};

    shell::frmMain window(state, services);
    mainWindow = &window;
    window.whenFirstFrameShown([&pin] { pin.release(); });
    window.setRecoveryCopyPath(settings::DefaultRecoveryCopyPath());
    fileDialog.setParent(&window);
    shell::DesktopTransfers transfers(state, window.openSetting(), prompter,
                                      platform::RealFileSystem(), &window, config);
    window.setTransferCommands(&transfers.commands());
    // OruUsbHidCtrl is loaded on the first use of the reader list.
    usbhid::UsbHidLibrary usbLibrary(prompter);
    shell::UsbTransportForms usb(state, usbLibrary, prompter, platform::RealFileSystem(),
                                 platform::SystemClock(), &window, config.usbSimulatorBus);
    transfers.commands().transports.usb = &usb;
    // zebapi is loaded on the first wedge transfer; from now on every key
    // event passes its keyboard hook.
    wedge::ZebApiLibrary zebApi;
    shell::WedgeTransportForms wedge(zebApi, state.store, state.options, prompter,
                                     platform::SystemClock(), &window);
    transfers.commands().transports.keyboardWedge = &wedge;
    window.setProvisionMachine(
        shell::DesktopProvisionMachine(state.options, config, [&usb] { usb.releaseDevices(); }));
    if (!window.load()) {
        return 1;
    }
    shell::StartupProbe::watch(&window, started);
    window.show();
    // A setting file handed over by the desktop (opening a *.cfg file, see
    // magtune.desktop) opens once the window is up.
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1)) {
        arguments.push_back(QFile::encodeName(argument).toStdString());
    }
    if (const auto argument = shell::SettingFileArgument(arguments)) {
        const std::string path = shell::AbsoluteFilePath(
            *argument, QFile::encodeName(QDir::currentPath()).toStdString());
        QTimer::singleShot(0, &window, [&window, path] { window.openSetting().OpenFile(path); });
    }
    // And so do the files of later starts.
    shell::HandedOverFiles handedOver(
        window, [&window](const std::string& file) { window.openSetting().OpenFile(file); });
    std::optional<shell::InstanceListener> listener;
    if (channel) {
        listener.emplace(std::move(*channel), channelPath,
                         [&handedOver](const std::string& file) { handedOver.take(file); });
    }
    return app.exec();
}
