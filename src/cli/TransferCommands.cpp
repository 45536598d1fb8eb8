#include "cli/TransferCommands.h"

#include <csignal>
#include <iostream>
#include <optional>

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "comm/CommOptions.h"
#include "comm/SerialLink.h"
#include "comm/SerialSession.h"
#include "comm/SerialTestPad.h"
#include "comm/SerialTransfer.h"
#include "comm/TransferLog.h"
#include "comm/TransferView.h"
#include "platform/Clock.h"
#include "platform/ComPorts.h"
#include "platform/FilePreferencesStore.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/DeviceTypeCodes.h"
#include "settings/InterfaceCode.h"
#include "settings/SettingCatalogue.h"
#include "shell/Preferences.h"

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

struct PortChoice {
    std::optional<int> comIndex;  // 0-based
    std::string device;
    std::string displayName;  // "COM3" or the device path
};

struct TransferArgs {
    std::vector<std::string> positional;
    PortChoice port;
    bool verify = false;
    std::string name;
    std::optional<int> seconds;
};

TransferArgs ParseTransferArgs(const std::vector<std::string>& args, const char* usage,
                               bool allowVerify, bool allowName, bool allowSeconds) {
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
    if (parsed.port.comIndex.has_value() == !parsed.port.device.empty()) {
        throw UsageError{std::string("give either --com N or --port DEVICE; usage: magtune-cli ") +
                         usage};
    }
    parsed.port.displayName =
        parsed.port.comIndex ? ComPortName(*parsed.port.comIndex) : parsed.port.device;
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

}  // namespace

int CommandDownload(const std::vector<std::string>& args, std::ostream& /*out*/,
                    Prompter& prompter) {
    const char* usage = "download FILE (--com N | --port DEVICE) [--verify]";
    TransferArgs parsed = ParseTransferArgs(args, usage, true, false, false);
    if (parsed.positional.size() != 1) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    SettingStore store;
    LoadSettingFile(parsed.positional[0], store, prompter);
    // A download over RS232 tells the reader it is a serial wedge.
    store.settings.DeviceId.current = kSerialWedgeDeviceIndex;
    store.PackImage();

    Preferences preferences;
    LoadUserPreferences(prompter, preferences, nullptr);
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
    // The reader does not keep the two closing bytes.
    for (std::size_t i = 0; i < kImageSize - 2; ++i) {
        if (readBack[i] != store.image[i]) {
            char offset[8];
            std::snprintf(offset, sizeof offset, "%zu", i);
            prompter.warning(
                std::string("Verify failed: the reader holds a different byte at offset ") +
                offset + ".");
            return kExitFailed;
        }
    }
    std::cerr << "Verified: the reader holds the setting." << std::endl;
    return kExitOk;
}

int CommandUpload(const std::vector<std::string>& args, std::ostream& /*out*/, Prompter& prompter) {
    const char* usage = "upload OUT.cfg (--com N | --port DEVICE) [--name NAME]";
    TransferArgs parsed = ParseTransferArgs(args, usage, false, true, false);
    if (parsed.positional.size() != 1) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    Preferences preferences;
    LoadUserPreferences(prompter, preferences, nullptr);
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
    const char* usage = "test (--com N | --port DEVICE) [--seconds S]";
    TransferArgs parsed = ParseTransferArgs(args, usage, false, false, true);
    if (!parsed.positional.empty()) {
        throw UsageError{std::string("usage: magtune-cli ") + usage};
    }
    Preferences preferences;
    LoadUserPreferences(prompter, preferences, nullptr);
    SerialSetup serial(prompter, preferences.options);
    if (!serial.open(parsed.port, prompter)) {
        return kExitFailed;
    }
    interrupted = 0;
    auto previous = std::signal(SIGINT, OnInterrupt);
    Clock& clock = SystemClock();
    std::uint64_t deadline = parsed.seconds ? clock.nowMs() + 1000ull * *parsed.seconds : 0;
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
