#include "cli/TransferCommands.h"

#include <charconv>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>

#include "app/SerialReaderTransport.h"
#include "app/TransferService.h"
#include "app/UsbReaderSession.h"
#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "cli/TerminalKeySource.h"
#include "comm/CommOptions.h"
#include "comm/SerialTestPad.h"
#include "comm/TransferLog.h"
#include "comm/TransferView.h"
#include "comm/WedgeHookKeys.h"
#include "comm/WedgeTransfer.h"
#include "platform/Clock.h"
#include "platform/ComPorts.h"
#include "platform/Console.h"
#include "platform/DeviceAccess.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/UserPreferences.h"
#include "settings/InterfaceCode.h"
#include "settings/SettingCatalogue.h"
#include "shell/Preferences.h"
#include "wedge/ZebApiLibrary.h"

namespace magtune::cli {
namespace {

// Status texts go to stderr as they change, so that stdout stays clean for
// what a command prints.
class ConsoleTransferView : public comm::TransferView {
  public:
    explicit ConsoleTransferView(std::ostream& err) : err_(err) {}
    void setStatus(const std::string& text) override {
        if (text != last_) {
            err_ << text << std::endl;
            last_ = text;
        }
    }
    void setProgress(int) override {}
    void setBusy(bool) override {}

  private:
    std::ostream& err_;
    std::string last_;
};

// Retry questions answered Yes at most this often.
constexpr int kMaxRetries = 100;

int ParseRetries(const std::string& text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > kMaxRetries) {
        throw UsageError{"--retries takes 0 to " + std::to_string(kMaxRetries) + ", not \"" + text +
                         "\""};
    }
    return value;
}

struct PortChoice {
    app::SerialEndpoint serial;  // --com N or --port DEVICE
    bool wedge = false;          // the keyboard port, through zebapi
    std::size_t usbNumber = 0;   // --usb N: reader N of usb-list (0: not USB)
    std::string displayName;     // "COM3", the device path, "the keyboard port"

    bool isSerial() const { return serial.comIndex || !serial.device.empty(); }
    std::int32_t interface() const {
        return wedge            ? settings::InterfaceCode::KeyboardWedge
               : usbNumber != 0 ? settings::InterfaceCode::Usb
                                : settings::InterfaceCode::Rs232;
    }
};

struct TransferArgs {
    std::vector<std::string> positional;
    PortChoice port;
    bool verify = false;
    std::string name;
    std::optional<int> seconds;
    int retries = 0;
};

// --sim: the simulated reader that the configuration names, on its USB bus
// (reader 1) or else on its keyboard port.
void ChooseSimulator(const app::RuntimeConfig& config, PortChoice& port) {
    if (!config.usbSimulatorBus.empty()) {
        port.usbNumber = 1;
    } else if (!config.wedgeSimulatorSocket.empty()) {
        port.wedge = true;
    } else {
        throw UsageError{
            "--sim needs a running magtune-reader-sim: name its socket with "
            "--sim-usb SOCKET or --sim-wedge SOCKET (or MAGTUNE_USB_SIM, "
            "ZEBAPI_SIM_SOCKET)"};
    }
}

TransferArgs ParseTransferArgs(const std::vector<std::string>& args, const char* usage,
                               bool allowVerify, bool allowName, bool allowSeconds,
                               bool allowRetries, app::RuntimeConfig& config) {
    TransferArgs parsed;
    auto value = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) {
            throw UsageError{args[i] + " needs a value; usage: magtune-cli " + usage};
        }
        return args[++i];
    };
    bool simulator = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--com") {
            std::size_t n = ParseRowNumber(value(i), "COM port");
            if (n > 32) {
                throw UsageError{"--com takes 1 to 32 (COM1 to COM32)"};
            }
            parsed.port.serial.comIndex = static_cast<int>(n - 1);
        } else if (a == "--port") {
            parsed.port.serial.device = value(i);
        } else if (a == "--wedge") {
            parsed.port.wedge = true;
        } else if (a == "--usb") {
            parsed.port.usbNumber = ParseRowNumber(value(i), "USB reader");
        } else if (a == "--sim") {
            simulator = true;
        } else if (a == "--sim-usb") {
            config.usbSimulatorBus = value(i);
        } else if (a == "--sim-wedge") {
            config.wedgeSimulatorSocket = value(i);
        } else if (a == "--retries" && allowRetries) {
            parsed.retries = ParseRetries(value(i));
        } else if (a == "--verify" && allowVerify) {
            parsed.verify = true;
        } else if (a == "--name" && allowName) {
            parsed.name = value(i);
        } else if (a == "--seconds" && allowSeconds) {
            parsed.seconds = static_cast<int>(ParseRowNumber(value(i), "seconds"));
        } else if (a.starts_with("--")) {
            throw UsageError{"unknown option " + a + "; usage: magtune-cli " + usage};
        } else {
            parsed.positional.push_back(a);
        }
    }
    const int choices = (parsed.port.serial.comIndex ? 1 : 0) +
                        (parsed.port.serial.device.empty() ? 0 : 1) + (parsed.port.wedge ? 1 : 0) +
                        (parsed.port.usbNumber != 0 ? 1 : 0) + (simulator ? 1 : 0);
    if (choices != 1) {
        throw UsageError{std::string("give one of --com N, --port DEVICE, --wedge, --usb N or "
                                     "--sim; usage: magtune-cli ") +
                         usage};
    }
    if (simulator) {
        ChooseSimulator(config, parsed.port);
    }
    // The libraries and the USB server read the simulator from their
    // variables.
    app::PassToLibraries(config);
    if (parsed.retries != 0 && parsed.port.isSerial()) {
        throw UsageError{"--retries applies to --wedge, --usb and --sim only"};
    }
    parsed.port.displayName =
        parsed.port.wedge ? std::string("the keyboard port") : parsed.port.serial.displayName();
    return parsed;
}

// Answers the retry questions of a wedge or USB transfer for the absent
// user: Yes as often as --retries allows, then No, so that a reader that
// keeps failing ends the command instead of being asked forever.
class RetryAnswers : public common::Prompter {
  public:
    RetryAnswers(common::Prompter& console, std::ostream& err, int retries)
        : console_(console), err_(err), retriesLeft_(retries) {}

    common::Answer show(const common::Message& message) override {
        const common::Answer shown = console_.show(message);
        if (message.buttons != common::MessageButtons::YesNo) {
            return shown;
        }
        if (retriesLeft_ > 0) {
            --retriesLeft_;
            err_ << "magtune-cli: retrying" << std::endl;
            return common::Answer::Yes;
        }
        err_ << "magtune-cli: not retrying (--retries N allows N retries)" << std::endl;
        return common::Answer::No;
    }
    void beep() override { console_.beep(); }

  private:
    common::Prompter& console_;
    std::ostream& err_;
    int retriesLeft_;
};

// A reader on the keyboard port: zebapi loaded by name, and each transfer
// driven as its form's timer drives it, by sleeping until the next tick and
// letting it fire.
class ConsoleWedgeTransport : public app::ReaderTransport {
  public:
    // `simulated`: the simulated reader types into its own port.
    ConsoleWedgeTransport(common::Prompter& answers, comm::TransferView& view,
                          const comm::CommOptions& options, bool simulated)
        : answers_(answers), view_(view), options_(options), simulated_(simulated) {}

    bool download(const settings::ConfigurationImage& image) override {
        settings::ConfigurationImage sent = image;
        return run(comm::WedgeTransfer::Direction::Download, sent);
    }
    bool upload(settings::ConfigurationImage& image) override {
        return run(comm::WedgeTransfer::Direction::Upload, image);
    }

  private:
    bool run(comm::WedgeTransfer::Direction direction, settings::ConfigurationImage& image) {
        platform::Clock& clock = platform::SystemClock();
        comm::WedgeTransfer transfer(direction, library_, clock, answers_, view_,
                                     options_.ProtocolDelay, image);
        // A real keyboard port's reader types into this terminal, not into
        // the library: its answers are handed to the library's hook as the
        // desktop program's key events are. The simulator types into its
        // own port.
        std::unique_ptr<TerminalKeySource> terminal;
        if (!simulated_) {
            terminal = std::make_unique<TerminalKeySource>();
        }
        const comm::WedgeHook hook = [this](std::uint8_t virtualKey, std::uint8_t scanCode,
                                            bool down) {
            return library_.keyboardHook(virtualKey, scanCode, down);
        };
        transfer.start();
        while (!transfer.finished() && transfer.timerOn()) {
            if (terminal) {
                comm::HandTypedKeysToHook(*terminal, transfer.intervalMs(), hook, clock);
            } else {
                clock.sleepMs(transfer.intervalMs());
            }
            transfer.timerFired();
        }
        return transfer.succeeded();
    }

    common::Prompter& answers_;
    comm::TransferView& view_;
    comm::CommOptions options_;
    bool simulated_;
    wedge::ZebApiLibrary library_;
};

// USB reader N of usb-list, held for the whole command.
class ConsoleUsbTransport : public app::ReaderTransport {
  public:
    ConsoleUsbTransport(common::Prompter& prompter, common::Prompter& answers,
                        comm::TransferView& view, const comm::CommOptions& options,
                        const app::RuntimeConfig& config, std::size_t number)
        : answers_(answers),
          view_(view),
          session_(prompter, options, config, true, TerminalKeys),
          number_(number) {}

    bool chooseDevice() override {
        // A failed choice is a failed transfer here: the user named the reader.
        chosen_ = session_.choose(number_);
        return true;
    }
    bool download(const settings::ConfigurationImage& image) override {
        settings::ConfigurationImage sent = image;
        return chosen_ &&
               session_.transfer(comm::UsbTransfer::Direction::Download, sent, answers_, view_);
    }
    bool upload(settings::ConfigurationImage& image) override {
        return chosen_ &&
               session_.transfer(comm::UsbTransfer::Direction::Upload, image, answers_, view_);
    }

  private:
    common::Prompter& answers_;
    comm::TransferView& view_;
    app::UsbReaderSession session_;
    std::size_t number_;
    bool chosen_ = false;
};

// Ctrl+C, SIGTERM and SIGHUP while a command holds a port: the transfer is
// cancelled between two of its steps and the port given back as it was
// found, instead of the process ending with the port left exclusive.
class InterruptGuard {
  public:
    static bool interrupted() { return platform::InterruptFlag::raised(); }

    // The command's end after an interrupt.
    static int report(std::ostream& err) {
        err << "magtune-cli: interrupted by " << platform::InterruptFlag::cause()
            << "; the transfer was cancelled and the port restored." << std::endl;
        return kExitFailed;
    }

  private:
    platform::InterruptFlag flag_;
};

// The transport the command line names, for one command.
struct ChosenTransport {
    std::unique_ptr<RetryAnswers> answers;
    std::unique_ptr<app::ReaderTransport> transport;
    app::SerialReaderTransport* serial = nullptr;
};

ChosenTransport OpenTransport(const TransferArgs& parsed, common::Prompter& prompter,
                              comm::TransferView& view, const comm::CommOptions& options,
                              const app::RuntimeConfig& config) {
    ChosenTransport chosen;
    chosen.answers = std::make_unique<RetryAnswers>(prompter, std::cerr, parsed.retries);
    if (parsed.port.wedge) {
        chosen.transport = std::make_unique<ConsoleWedgeTransport>(
            *chosen.answers, view, options, !config.wedgeSimulatorSocket.empty());
    } else if (parsed.port.usbNumber != 0) {
        chosen.transport = std::make_unique<ConsoleUsbTransport>(
            prompter, *chosen.answers, view, options, config, parsed.port.usbNumber);
    } else {
        auto serial = std::make_unique<app::SerialReaderTransport>(
            prompter, view, options, platform::RealFileSystem(),
            comm::TransferLogPath(comm::TransferLogFolder()), platform::SystemClock());
        serial->cancelRequested = [] { return InterruptGuard::interrupted(); };
        chosen.serial = serial.get();
        chosen.transport = std::move(serial);
    }
    return chosen;
}

// A reader on the keyboard port types into the window that has the focus:
// here, this terminal. What arrives on standard input is printed until its
// end, an interrupt or the time limit.
void EchoTypedInput(std::ostream& out, const std::function<bool()>& stop) {
    std::cerr << "Swipe a card: the reader types into this terminal; Ctrl+D or Ctrl+C ends."
              << std::endl;
    constexpr int kPollMs = 100;
    while (!stop()) {
        const platform::InputWait ready = platform::WaitForInput(0, kPollMs);
        if (ready == platform::InputWait::Failed) {
            return;
        }
        if (ready == platform::InputWait::TimedOut) {
            continue;
        }
        char buffer[256];
        const long n = platform::ReadInput(0, buffer, sizeof buffer);
        if (n < 0) {
            continue;
        }
        if (n == 0) {
            return;
        }
        out.write(buffer, n) << std::flush;
    }
}

// After a serial port failed to open (the warning said why, as the desktop
// program does): where the ports that are there are listed.
void AdviseOnPortAccess(const app::SerialEndpoint& endpoint, const std::string& portsFolder,
                        common::Prompter& prompter) {
    const std::string device = endpoint.comIndex
                                   ? platform::ComPortDevice(*endpoint.comIndex, portsFolder)
                                   : endpoint.device;
    if (platform::SerialDeviceAccess(device).state == platform::kDeviceMissing) {
        prompter.information("magtune-cli ports lists the ports that are there.", "");
    }
}

// After a failed transfer through the keyboard port: with no driver device
// there, ZebLoadDriver's message alone leaves the user stuck.
void AdviseOnMissingWedgeDriver(const TransferArgs& parsed, const app::RuntimeConfig& config,
                                common::Prompter& prompter) {
    if (!parsed.port.wedge || !config.wedgeSimulatorSocket.empty()) {
        return;
    }
    const std::string device = config.wedgeDevice.empty() ? "/dev/zebdrv2k" : config.wedgeDevice;
    if (!platform::RealFileSystem().fileExists(device)) {
        prompter.information(
            "The keyboard port needs the keyboard port driver's device " + device +
                " (ZEBAPI_DEVICE names another), and it is not there: no such driver comes "
                "with Magtune. Reach the reader over RS232 (--com N, --port DEVICE) or USB "
                "(--usb N) instead, or try the simulated reader (--sim-wedge SOCKET).",
            "");
    }
}

// OUT.cfg is checked before the reader is asked: an upload that cannot be
// kept is not worth the reader's time, and "Upload finished successfully."
// followed by a failed save reads as a contradiction. The save itself still
// decides (and keeps the old file whole when it fails).
void CheckUploadTarget(const std::string& path) {
    if (const int problem = WriteTargetProblem(path); problem != 0) {
        throw UsageError{"Failed to save " + path + ": " + platform::SystemMessageText(problem) +
                         ". The reader was not asked for its setting."};
    }
}

}  // namespace

// The user's preferences as the program loads them: defaults for what is
// missing, stray values dropped. Nothing is written back.
bool LoadUserPreferences(common::Prompter& prompter, const app::RuntimeConfig& config,
                         shell::Preferences& preferences) {
    std::string problem;
    const auto store = platform::OpenUserPreferences(config.preferencesFile, problem);
    if (!problem.empty()) {
        prompter.warning(problem);
    }
    // There is no screen here: window defaults are those of a 1920 x 1080
    // screen at 96 dots per inch (15 twips a pixel).
    const shell::DisplayMetrics display{1920 * 15.0, 1080 * 15.0, 0};
    if (shell::LoadPreferences(*store, prompter, display, preferences, false) !=
        shell::PreferencesLoadOutcome::Loaded) {
        return false;
    }
    // A log nobody can find is no help.
    if (preferences.options.UsbLogEnable) {
        prompter.information(comm::TransferLogNotice(true, comm::TransferLogFolder()), "");
    }
    return true;
}

int CommandDownload(const std::vector<std::string>& args, std::ostream& /*out*/,
                    common::Prompter& prompter, app::RuntimeConfig config) {
    const char* usage =
        "download FILE (--com N | --port DEVICE | (--wedge | --usb N | --sim) [--retries N]) "
        "[--verify]";
    TransferArgs parsed = ParseTransferArgs(args, usage, true, false, false, true, config);
    if (parsed.positional.size() != 1) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    settings::SettingStore store;
    LoadSettingFile(parsed.positional[0], store, prompter);

    shell::Preferences preferences;
    LoadUserPreferences(prompter, config, preferences);
    ConsoleTransferView view(std::cerr);
    InterruptGuard interrupts;
    ChosenTransport chosen = OpenTransport(parsed, prompter, view, preferences.options, config);
    if (chosen.serial != nullptr) {
        if (!chosen.serial->open(parsed.port.serial, config.portsFolder)) {
            AdviseOnPortAccess(parsed.port.serial, config.portsFolder, prompter);
            return kExitFailed;
        }
        chosen.serial->session().DeviceName = parsed.port.displayName;
    }
    // FILE is not changed: the device type by interface goes into this copy.
    const app::TransferOutcome outcome = app::TransferService(prompter).Download(
        *chosen.transport, parsed.port.interface(), store, parsed.verify);
    if (InterruptGuard::interrupted()) {
        return InterruptGuard::report(std::cerr);
    }
    if (chosen.serial != nullptr && chosen.serial->session().DownloadSucceeded) {
        std::cerr << "Connected at " << chosen.serial->session().PortSettings.BaudRate << " baud."
                  << std::endl;
    }
    if (outcome != app::TransferOutcome::Done) {
        AdviseOnMissingWedgeDriver(parsed, config, prompter);
        return kExitFailed;
    }
    return kExitOk;
}

int CommandUpload(const std::vector<std::string>& args, std::ostream& /*out*/,
                  common::Prompter& prompter, app::RuntimeConfig config) {
    const char* usage =
        "upload OUT.cfg (--com N | --port DEVICE | (--wedge | --usb N | --sim) [--retries N]) "
        "[--name NAME]";
    TransferArgs parsed = ParseTransferArgs(args, usage, false, true, false, true, config);
    if (parsed.positional.size() != 1) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    CheckUploadTarget(parsed.positional[0]);
    shell::Preferences preferences;
    LoadUserPreferences(prompter, config, preferences);
    ConsoleTransferView view(std::cerr);
    InterruptGuard interrupts;
    ChosenTransport chosen = OpenTransport(parsed, prompter, view, preferences.options, config);
    if (chosen.serial != nullptr) {
        if (!chosen.serial->open(parsed.port.serial, config.portsFolder)) {
            AdviseOnPortAccess(parsed.port.serial, config.portsFolder, prompter);
            return kExitFailed;
        }
        chosen.serial->session().DeviceName =
            parsed.name.empty() ? parsed.port.displayName : parsed.name;
    }
    settings::SettingStore store;
    const app::TransferOutcome outcome =
        app::TransferService(prompter).Upload(*chosen.transport, store);
    if (InterruptGuard::interrupted()) {
        return InterruptGuard::report(std::cerr);
    }
    if (outcome != app::TransferOutcome::Done) {
        AdviseOnMissingWedgeDriver(parsed, config, prompter);
        return kExitFailed;
    }
    if (chosen.serial != nullptr) {
        std::cerr << "Connected at " << chosen.serial->session().PortSettings.BaudRate << " baud."
                  << std::endl;
    }
    store.UnpackImage(prompter);
    SaveSettingFile(parsed.positional[0], store, prompter);
    return kExitOk;
}

int CommandTest(const std::vector<std::string>& args, std::ostream& out, common::Prompter& prompter,
                app::RuntimeConfig config) {
    const char* usage = "test (--com N | --port DEVICE | --wedge) [--seconds S]";
    TransferArgs parsed = ParseTransferArgs(args, usage, false, false, true, false, config);
    if (!parsed.positional.empty() || parsed.port.usbNumber != 0) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    platform::Clock& clock = platform::SystemClock();
    std::uint64_t deadline = parsed.seconds ? clock.nowMs() + 1000ull * *parsed.seconds : 0;
    InterruptGuard interrupts;
    auto stop = [&] {
        return InterruptGuard::interrupted() || (deadline != 0 && clock.nowMs() >= deadline);
    };
    if (parsed.port.wedge) {
        EchoTypedInput(out, stop);
        return kExitOk;
    }
    shell::Preferences preferences;
    LoadUserPreferences(prompter, config, preferences);
    ConsoleTransferView view(std::cerr);
    app::SerialReaderTransport serial(prompter, view, preferences.options,
                                      platform::RealFileSystem(),
                                      comm::TransferLogPath(comm::TransferLogFolder()), clock);
    if (!serial.open(parsed.port.serial, config.portsFolder)) {
        AdviseOnPortAccess(parsed.port.serial, config.portsFolder, prompter);
        return kExitFailed;
    }
    std::cerr << "Reading from " << parsed.port.displayName << "; Ctrl+C ends." << std::endl;
    comm::SerialTestPad pad(serial.link());
    bool portFailed = false;
    while (pad.poll([&](std::uint8_t byte) { out << static_cast<char>(byte) << std::flush; })) {
        if (stop()) {
            pad.stop();
        }
    }
    portFailed = !pad.stopRequested();
    // The reader on the other end went away: the test did not run to the
    // user's end.
    return portFailed ? kExitFailed : kExitOk;
}

int CommandUsbList(const std::vector<std::string>& args, std::ostream& out,
                   common::Prompter& prompter, app::RuntimeConfig config) {
    if (!args.empty()) {
        throw UsageError{"usage: magtune-cli usb-list"};
    }
    shell::Preferences preferences;
    LoadUserPreferences(prompter, config, preferences);
    app::UsbReaderSession usb(prompter, preferences.options, config, false);
    if (!usb.list()) {
        return kExitFailed;
    }
    for (const comm::UsbReaderEntry& reader : usb.readers()) {
        out << reader.text << (reader.filterPresent ? "\t(selected)" : "") << '\n';
    }
    return kExitOk;
}

int CommandPorts(const std::vector<std::string>& args, std::ostream& out,
                 common::Prompter& prompter, app::RuntimeConfig config) {
    const bool all = args.size() == 1 && args[0] == "--all";
    if (!args.empty() && !all) {
        throw UsageError{"usage: magtune-cli ports [--all]"};
    }
    out << "Ports folder\t" << config.portsFolder << '\n';
    for (int index = 0; index < platform::kComPortCount; ++index) {
        const platform::ComPortInfo port = platform::ComPortMapping(index, config.portsFolder);
        const platform::DeviceAccess access = platform::SerialDeviceAccess(port.device);
        if (!all && access.state == platform::kDeviceMissing) {
            continue;
        }
        out << port.name << '\t' << port.device << '\t' << (port.linked ? "link" : "fixed") << '\t'
            << access.state << '\n';
        if (!access.advice.empty()) {
            prompter.information(access.advice, "");
        }
    }
    return kExitOk;
}

int CommandPrefs(const std::vector<std::string>& args, std::ostream& out,
                 common::Prompter& prompter, app::RuntimeConfig config) {
    if (!args.empty()) {
        throw UsageError{"usage: magtune-cli prefs"};
    }
    shell::Preferences preferences;
    const std::string& path = config.preferencesFile;
    if (!LoadUserPreferences(prompter, config, preferences)) {
        return kExitFailed;
    }
    namespace N = shell::PreferenceNames;
    const shell::WindowLayout& w = preferences.window;
    const comm::CommOptions& o = preferences.options;
    out << "Preferences file\t" << path << '\n';
    const std::pair<const char*, std::int32_t> values[] = {
        {N::MainLeft, w.MainLeft},
        {N::MainTop, w.MainTop},
        {N::MainWidth, w.MainWidth},
        {N::MainHeight, w.MainHeight},
        {N::Splitter, w.Splitter},
        {N::Column1Width, w.Column1Width},
        {N::Column2Width, w.Column2Width},
        {N::CurrentCom, preferences.CurrentCom},
        {N::CurrentInterface, preferences.CurrentInterface},
        {N::GroupChars, preferences.GroupChars},
        {N::Reduction, preferences.Reduction},
        {N::UsbDelay, o.UsbDelay},
        {N::ProtocolDelay, o.ProtocolDelay},
        {N::DriverDelay, o.DriverDelay},
        {N::UsbLogEnable, o.UsbLogEnable ? 1 : 0},
        {N::ReadIntervalTimeout, o.ReadIntervalTimeout},
        {N::ReadTotalTimeoutConstant, o.ReadTotalTimeoutConstant},
    };
    for (const auto& [name, value] : values) {
        out << name << '\t' << value << '\n';
    }
    for (std::size_t k = 0; k < settings::RecentList::kSize; ++k) {
        const settings::RecentEntry& entry = preferences.recent.entries[k];
        out << "Recent " << k + 1 << '\t' << entry.Name << '\t' << entry.Interface;
        if (entry.Interface == settings::InterfaceCode::Rs232) {
            out << '\t' << platform::ComPortName(entry.Com);
        }
        out << '\n';
    }
    return kExitOk;
}

}  // namespace magtune::cli
