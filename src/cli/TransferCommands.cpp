#include "cli/TransferCommands.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "cli/TerminalKeySource.h"
#include "cli/UsbReaderSession.h"
#include "comm/CommOptions.h"
#include "comm/SerialLink.h"
#include "comm/SerialSession.h"
#include "comm/SerialTestPad.h"
#include "comm/SerialTransfer.h"
#include "comm/TransferLog.h"
#include "comm/TransferView.h"
#include "comm/WedgeHookKeys.h"
#include "comm/WedgeTransfer.h"
#include "platform/Clock.h"
#include "platform/ComPorts.h"
#include "platform/FilePreferencesStore.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/DeviceTypeCodes.h"
#include "settings/InterfaceCode.h"
#include "settings/SettingCatalogue.h"
#include "shell/Preferences.h"
#include "wedge/ZebApiLibrary.h"

namespace magtune {
namespace {

// Status texts go to stderr as they change, so that stdout stays clean for
// what a command prints.
class ConsoleTransferView : public TransferView {
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
    std::optional<int> comIndex;  // 0-based
    std::string device;
    std::string displayName;    // "COM3" or the device path
    bool wedge = false;         // the keyboard port, through zebapi
    std::size_t usbNumber = 0;  // --usb N: reader N of usb-list (0: not USB)
};

struct TransferArgs {
    std::vector<std::string> positional;
    PortChoice port;
    bool verify = false;
    std::string name;
    std::optional<int> seconds;
    int retries = 0;
};

TransferArgs ParseTransferArgs(const std::vector<std::string>& args, const char* usage,
                               bool allowVerify, bool allowName, bool allowSeconds,
                               bool allowRetries) {
    TransferArgs parsed;
    auto value = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) {
            throw UsageError{args[i] + " needs a value; usage: magtune-cli " + usage};
        }
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--com") {
            std::size_t n = ParseRowNumber(value(i), "COM port");
            if (n > 32) {
                throw UsageError{"--com takes 1 to 32 (COM1 to COM32)"};
            }
            parsed.port.comIndex = static_cast<int>(n - 1);
        } else if (a == "--port") {
            parsed.port.device = value(i);
        } else if (a == "--wedge") {
            parsed.port.wedge = true;
        } else if (a == "--usb") {
            parsed.port.usbNumber = ParseRowNumber(value(i), "USB reader");
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
    const int choices = (parsed.port.comIndex ? 1 : 0) + (parsed.port.device.empty() ? 0 : 1) +
                        (parsed.port.wedge ? 1 : 0) + (parsed.port.usbNumber != 0 ? 1 : 0);
    if (choices != 1) {
        throw UsageError{std::string("give one of --com N, --port DEVICE, --wedge or --usb N; "
                                     "usage: magtune-cli ") +
                         usage};
    }
    if (parsed.retries != 0 && !parsed.port.wedge && parsed.port.usbNumber == 0) {
        throw UsageError{"--retries applies to --wedge and --usb only"};
    }
    parsed.port.displayName = parsed.port.wedge      ? std::string("the keyboard port")
                              : parsed.port.comIndex ? ComPortName(*parsed.port.comIndex)
                                                     : parsed.port.device;
    return parsed;
}

// Everything a serial transfer needs, set up as the selection dialog does:
// the port opened for exclusive use and configured.
class SerialSetup {
  public:
    SerialSetup(Prompter& prompter, const CommOptions& options)
        : options_(options),
          log_(RealFileSystem(), TransferLogPath(ProgramFolder())),
          link_(session_, options_, log_, prompter) {}

    SerialLink& link() { return link_; }
    SerialSession& session() { return session_; }

    // False (with the message printed) when the port is not there or cannot
    // be configured.
    bool open(const PortChoice& port, Prompter& prompter) {
        SystemError error;
        if (port.comIndex) {
            session_.CurrentComIndex = static_cast<std::uint16_t>(*port.comIndex);
            session_.SerialPort = OpenComPort(*port.comIndex, error);
        } else {
            session_.SerialPort = OpenSerialDevice(port.device, error);
        }
        if (!session_.SerialPort) {
            std::string reason = SystemMessageText(error.code);
            prompter.warning(port.displayName + " is not available." +
                             (reason.empty() ? "" : " (" + reason + ")"));
            return false;
        }
        if (!link_.OpenSerialPort()) {
            session_.closePort();
            return false;
        }
        return true;
    }

  private:
    CommOptions options_;
    SerialSession session_;
    TransferLog log_;
    SerialLink link_;
};

// Answers the retry questions of a wedge or USB transfer for the absent
// user: Yes as often as --retries allows, then No, so that a reader that
// keeps failing ends the command instead of being asked forever.
class RetryAnswers : public Prompter {
  public:
    RetryAnswers(Prompter& console, std::ostream& err, int retries)
        : console_(console), err_(err), retriesLeft_(retries) {}

    Answer show(const Message& message) override {
        const Answer shown = console_.show(message);
        if (message.buttons != MessageButtons::YesNo) {
            return shown;
        }
        if (retriesLeft_ > 0) {
            --retriesLeft_;
            err_ << "magtune-cli: retrying" << std::endl;
            return Answer::Yes;
        }
        err_ << "magtune-cli: not retrying (--retries N allows N retries)" << std::endl;
        return Answer::No;
    }
    void beep() override { console_.beep(); }

  private:
    Prompter& console_;
    std::ostream& err_;
    int retriesLeft_;
};

// Transfers over the keyboard port: zebapi loaded by name, and each
// transfer driven as its form's timer drives it, by sleeping until the next
// tick and letting it fire.
class WedgeSetup {
  public:
    WedgeSetup(Prompter& prompter, const CommOptions& options, int retries)
        : prompter_(prompter), options_(options), retries_(retries) {}

    bool run(WedgeTransfer::Direction direction, ConfigurationImage& image, TransferView& view) {
        RetryAnswers answers(prompter_, std::cerr, retries_);
        Clock& clock = SystemClock();
        WedgeTransfer transfer(direction, library_, clock, answers, view, options_.ProtocolDelay,
                               image);
        // A real keyboard port's reader types into this terminal, not into
        // the library: its answers are handed to the library's hook as the
        // desktop program's key events are. The simulator types into its
        // own port.
        std::unique_ptr<TerminalKeySource> terminal;
        const char* simulator = std::getenv("ZEBAPI_SIM_SOCKET");
        if (simulator == nullptr || *simulator == '\0') {
            terminal = std::make_unique<TerminalKeySource>();
        }
        const WedgeHook hook = [this](std::uint8_t virtualKey, std::uint8_t scanCode, bool down) {
            return library_.keyboardHook(virtualKey, scanCode, down);
        };
        transfer.start();
        while (!transfer.finished() && transfer.timerOn()) {
            if (terminal) {
                HandTypedKeysToHook(*terminal, transfer.intervalMs(), hook, clock);
            } else {
                clock.sleepMs(transfer.intervalMs());
            }
            transfer.timerFired();
        }
        return transfer.succeeded();
    }

  private:
    Prompter& prompter_;
    const CommOptions& options_;
    int retries_;
    ZebApiLibrary library_;
};

// The reader does not keep the two closing bytes of the image.
bool VerifyReadBack(const ConfigurationImage& sent, const ConfigurationImage& readBack,
                    Prompter& prompter) {
    for (std::size_t i = 0; i < kImageSize - 2; ++i) {
        if (readBack[i] != sent[i]) {
            prompter.warning("Verify failed: the reader holds a different byte at offset " +
                             std::to_string(i) + ".");
            return false;
        }
    }
    std::cerr << "Verified: the reader holds the setting." << std::endl;
    return true;
}

int DownloadOverWedge(const TransferArgs& parsed, const ConfigurationImage& image,
                      const CommOptions& options, Prompter& prompter) {
    WedgeSetup wedge(prompter, options, parsed.retries);
    ConsoleTransferView view(std::cerr);
    ConfigurationImage sent = image;
    if (!wedge.run(WedgeTransfer::Direction::Download, sent, view)) {
        return kExitFailed;
    }
    if (!parsed.verify) {
        return kExitOk;
    }
    ConfigurationImage readBack{};
    if (!wedge.run(WedgeTransfer::Direction::Upload, readBack, view)) {
        prompter.warning("Verify failed: the setting could not be read back.");
        return kExitFailed;
    }
    return VerifyReadBack(sent, readBack, prompter) ? kExitOk : kExitFailed;
}

// A transfer with the USB reader that the session chose.
bool RunOverUsb(UsbReaderSession& usb, UsbTransfer::Direction direction, ConfigurationImage& image,
                int retries, Prompter& prompter) {
    RetryAnswers answers(prompter, std::cerr, retries);
    ConsoleTransferView view(std::cerr);
    return usb.transfer(direction, image, answers, view);
}

int DownloadOverUsb(const TransferArgs& parsed, const ConfigurationImage& image,
                    const CommOptions& options, Prompter& prompter) {
    UsbReaderSession usb(prompter, options);
    ConfigurationImage sent = image;
    if (!usb.choose(parsed.port.usbNumber) ||
        !RunOverUsb(usb, UsbTransfer::Direction::Download, sent, parsed.retries, prompter)) {
        return kExitFailed;
    }
    if (!parsed.verify) {
        return kExitOk;
    }
    ConfigurationImage readBack{};
    if (!RunOverUsb(usb, UsbTransfer::Direction::Upload, readBack, parsed.retries, prompter)) {
        prompter.warning("Verify failed: the setting could not be read back.");
        return kExitFailed;
    }
    return VerifyReadBack(sent, readBack, prompter) ? kExitOk : kExitFailed;
}

// A reader on the keyboard port types into the window that has the focus:
// here, this terminal. What arrives on standard input is printed until its
// end, an interrupt or the time limit.
void EchoTypedInput(std::ostream& out, const std::function<bool()>& stop) {
    std::cerr << "Swipe a card: the reader types into this terminal; Ctrl+D or Ctrl+C ends."
              << std::endl;
    constexpr int kPollMs = 100;
    while (!stop()) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&input, 1, kPollMs);
        if (ready < 0 && errno != EINTR) {
            return;
        }
        if (ready <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            return;
        }
        out.write(buffer, n) << std::flush;
    }
}

}  // namespace

// The user's preferences as the program loads them: defaults for what is
// missing, stray values dropped. Nothing is written back.
bool LoadUserPreferences(Prompter& prompter, Preferences& preferences, std::string* path) {
    FilePreferencesStore store(FilePreferencesStore::DefaultPath());
    std::string problem = store.load();
    if (!problem.empty()) {
        prompter.warning(problem);
    }
    if (path) {
        *path = store.path();
    }
    // There is no screen here: window defaults are those of a 1920 x 1080
    // screen at 96 dots per inch (15 twips a pixel).
    const DisplayMetrics display{1920 * 15.0, 1080 * 15.0, 0};
    return LoadPreferences(store, prompter, display, preferences) == PreferencesLoadOutcome::Loaded;
}

int CommandDownload(const std::vector<std::string>& args, std::ostream& /*out*/,
                    Prompter& prompter) {
    const char* usage =
        "download FILE (--com N | --port DEVICE | (--wedge | --usb N) [--retries N]) [--verify]";
    TransferArgs parsed = ParseTransferArgs(args, usage, true, false, false, true);
    if (parsed.positional.size() != 1) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    SettingStore store;
    LoadSettingFile(parsed.positional[0], store, prompter);
    // The reader takes its connection from the setting: a serial wedge over
    // RS232, the default PC/AT keyboard over the keyboard port, a
    // keyboardless wedge over USB.
    auto& deviceId = store.settings.DeviceId;
    deviceId.current = parsed.port.wedge            ? deviceId.defaultValue
                       : parsed.port.usbNumber != 0 ? kKeyboardlessWedgeDeviceIndex
                                                    : kSerialWedgeDeviceIndex;
    store.PackImage();

    Preferences preferences;
    LoadUserPreferences(prompter, preferences, nullptr);
    if (parsed.port.wedge) {
        return DownloadOverWedge(parsed, store.image, preferences.options, prompter);
    }
    if (parsed.port.usbNumber != 0) {
        return DownloadOverUsb(parsed, store.image, preferences.options, prompter);
    }
    SerialSetup serial(prompter, preferences.options);
    if (!serial.open(parsed.port, prompter)) {
        return kExitFailed;
    }
    ConsoleTransferView view(std::cerr);
    if (!SerialDownload(serial.link(), store.image, view)) {
        return kExitFailed;
    }
    std::cerr << "Connected at " << serial.session().PortSettings.BaudRate << " baud." << std::endl;
    if (!parsed.verify) {
        serial.session().closePort();
        return kExitOk;
    }
    serial.session().DeviceName = parsed.port.displayName;
    ConfigurationImage readBack{};
    if (!SerialUpload(serial.link(), SystemClock(), readBack, view)) {
        prompter.warning("Verify failed: the setting could not be read back.");
        return kExitFailed;
    }
    return VerifyReadBack(store.image, readBack, prompter) ? kExitOk : kExitFailed;
}

int CommandUpload(const std::vector<std::string>& args, std::ostream& /*out*/, Prompter& prompter) {
    const char* usage =
        "upload OUT.cfg (--com N | --port DEVICE | (--wedge | --usb N) [--retries N]) "
        "[--name NAME]";
    TransferArgs parsed = ParseTransferArgs(args, usage, false, true, false, true);
    if (parsed.positional.size() != 1) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    Preferences preferences;
    LoadUserPreferences(prompter, preferences, nullptr);
    if (parsed.port.wedge) {
        SettingStore store;
        WedgeSetup wedge(prompter, preferences.options, parsed.retries);
        ConsoleTransferView view(std::cerr);
        if (!wedge.run(WedgeTransfer::Direction::Upload, store.image, view)) {
            return kExitFailed;
        }
        store.UnpackImage(prompter);
        SaveSettingFile(parsed.positional[0], store, prompter);
        return kExitOk;
    }
    if (parsed.port.usbNumber != 0) {
        SettingStore store;
        UsbReaderSession usb(prompter, preferences.options);
        if (!usb.choose(parsed.port.usbNumber) ||
            !RunOverUsb(usb, UsbTransfer::Direction::Upload, store.image, parsed.retries,
                        prompter)) {
            return kExitFailed;
        }
        store.UnpackImage(prompter);
        SaveSettingFile(parsed.positional[0], store, prompter);
        return kExitOk;
    }
    SerialSetup serial(prompter, preferences.options);
    if (!serial.open(parsed.port, prompter)) {
        return kExitFailed;
    }
    serial.session().DeviceName = parsed.name.empty() ? parsed.port.displayName : parsed.name;
    SettingStore store;
    ConsoleTransferView view(std::cerr);
    if (!SerialUpload(serial.link(), SystemClock(), store.image, view)) {
        return kExitFailed;
    }
    std::cerr << "Connected at " << serial.session().PortSettings.BaudRate << " baud." << std::endl;
    store.UnpackImage(prompter);
    SaveSettingFile(parsed.positional[0], store, prompter);
    return kExitOk;
}

namespace {
volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) {
    interrupted = 1;
}
}  // namespace

int CommandTest(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter) {
    const char* usage = "test (--com N | --port DEVICE | --wedge) [--seconds S]";
    TransferArgs parsed = ParseTransferArgs(args, usage, false, false, true, false);
    if (!parsed.positional.empty() || parsed.port.usbNumber != 0) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    Clock& clock = SystemClock();
    std::uint64_t deadline = parsed.seconds ? clock.nowMs() + 1000ull * *parsed.seconds : 0;
    interrupted = 0;
    if (parsed.port.wedge) {
        auto previous = std::signal(SIGINT, OnInterrupt);
        EchoTypedInput(
            out, [&] { return interrupted != 0 || (deadline != 0 && clock.nowMs() >= deadline); });
        std::signal(SIGINT, previous);
        return kExitOk;
    }
    Preferences preferences;
    LoadUserPreferences(prompter, preferences, nullptr);
    SerialSetup serial(prompter, preferences.options);
    if (!serial.open(parsed.port, prompter)) {
        return kExitFailed;
    }
    auto previous = std::signal(SIGINT, OnInterrupt);
    std::cerr << "Reading from " << parsed.port.displayName << "; Ctrl+C ends." << std::endl;
    SerialTestPad pad(serial.link());
    pad.run([&](std::uint8_t byte) { out << static_cast<char>(byte) << std::flush; },
            [&] {
                if (interrupted || (deadline != 0 && clock.nowMs() >= deadline)) {
                    pad.stop();
                }
            });
    std::signal(SIGINT, previous);
    return kExitOk;
}

int CommandUsbList(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter) {
    if (!args.empty()) {
        throw UsageError{"usage: magtune-cli usb-list"};
    }
    Preferences preferences;
    LoadUserPreferences(prompter, preferences, nullptr);
    UsbReaderSession usb(prompter, preferences.options, false);
    if (!usb.list()) {
        return kExitFailed;
    }
    for (const UsbReaderEntry& reader : usb.readers()) {
        out << reader.text << (reader.filterPresent ? "\t(selected)" : "") << '\n';
    }
    return kExitOk;
}

int CommandPrefs(const std::vector<std::string>& args, std::ostream& out, Prompter& prompter) {
    if (!args.empty()) {
        throw UsageError{"usage: magtune-cli prefs"};
    }
    Preferences preferences;
    std::string path;
    if (!LoadUserPreferences(prompter, preferences, &path)) {
        return kExitFailed;
    }
    namespace N = PreferenceNames;
    const WindowLayout& w = preferences.window;
    const CommOptions& o = preferences.options;
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
    for (std::size_t k = 0; k < RecentList::kSize; ++k) {
        const RecentEntry& entry = preferences.recent.entries[k];
        out << "Recent " << k + 1 << '\t' << entry.Name << '\t' << entry.Interface;
        if (entry.Interface == InterfaceCode::Rs232) {
            out << '\t' << ComPortName(entry.Com);
        }
        out << '\n';
    }
    return kExitOk;
}

}  // namespace magtune
