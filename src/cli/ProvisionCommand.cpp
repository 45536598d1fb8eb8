#include "cli/ProvisionCommand.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "app/ProvisionReport.h"
#include "app/ProvisionRun.h"
#include "app/ProvisionTargets.h"
#include "app/SerialProvisionReader.h"
#include "app/UsbProvisionReader.h"
#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "cli/TerminalKeySource.h"
#include "cli/TransferCommands.h"
#include "comm/ComPortList.h"
#include "platform/ComPorts.h"
#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

namespace magtune::cli {

const char* const kProvisionSynopsis =
    "provision SETTING.cfg (--com LIST | --port DEVICE... | --all-ports | --usb all)... "
    "[--watch] [--no-verify] [--report FILE]...";

const char* const kProvisionHelp =
    "Downloads SETTING.cfg into many readers at once, reads each one back and compares\n"
    "what it holds with what was sent (every setting byte; the device type is set by\n"
    "interface as a download sets it: \"04-Serial Wedge\" over RS232, \"06-Keyboardless\n"
    "Wedge(PC/AT)\" over USB). Every serial port runs on its own; USB readers take turns\n"
    "through the one control server. A reader that fails never stops the others.\n"
    "\n"
    "Readers (give any mix):\n"
    "  --com LIST       COM ports by number: 3, 1-8, 1-8,12 (each port once, 1 to 32)\n"
    "  --port DEVICE... device paths; takes every argument up to the next option\n"
    "  --all-ports      every COM port (COM1 to COM32) that opens\n"
    "  --usb all        every USB reader of usb-list (or a LIST of their numbers)\n"
    "\n"
    "  --watch          keep running and provision each serial reader as it appears (a\n"
    "                   device that turns up, a COM link that starts to open); a reader is\n"
    "                   provisioned once until it goes away. Ctrl+C stops: the readers\n"
    "                   sending finish, those still connecting give up, every port is\n"
    "                   closed, the summary is printed.\n"
    "  --no-verify      download only; the readers end \"downloaded\"\n"
    "  --report FILE    write the results to FILE: CSV when FILE ends in .csv, else JSON.\n"
    "                   Give it twice for both (--report r.json --report r.csv). With\n"
    "                   --watch the file is rewritten as each reader finishes.\n"
    "\n"
    "On a terminal the table of readers is redrawn as they progress; otherwise a line\n"
    "is printed for each change (PORT, state, device, then rate, time and message once\n"
    "it ends). The final table and a summary follow. A failed reader's message is the\n"
    "one the single transfer shows (\"Failed to connect to device.\", \"Download setting\n"
    "failed.\") or, for a reader that holds another setting than it was sent, \"Verify\n"
    "failed:\", the first differing setting as diff names it, and both values.\n"
    "\n"
    "Exit status: 0 when every reader verified (downloaded, with --no-verify), 1 when\n"
    "any failed or no reader was found, 2 for bad input.";

namespace {

struct ProvisionArgs {
    std::string setting;
    std::vector<int> comIndices;
    std::vector<std::string> devices;
    bool allPorts = false;
    std::optional<std::vector<std::size_t>> usbNumbers;  // empty vector: all
    bool watch = false;
    bool verify = true;
    std::vector<std::string> reports;
};

std::string Usage() {
    return std::string("usage: magtune-cli ") + kProvisionSynopsis;
}

ProvisionArgs ParseArgs(const std::vector<std::string>& args) {
    ProvisionArgs parsed;
    std::vector<std::string> positional;
    auto value = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= args.size() || args[i + 1].starts_with("--")) {
            throw UsageError{args[i] + " needs a value; " + Usage()};
        }
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--com") {
            const comm::ComPortList list = comm::ParseComPortList(value(i));
            if (!list.error.empty()) {
                throw UsageError{"--com " + list.error};
            }
            for (int index : list.indices) {
                if (std::find(parsed.comIndices.begin(), parsed.comIndices.end(), index) !=
                    parsed.comIndices.end()) {
                    throw UsageError{"--com: " + platform::ComPortName(index) + " is given twice"};
                }
                parsed.comIndices.push_back(index);
            }
        } else if (a == "--port") {
            value(i);
            --i;
            while (i + 1 < args.size() && !args[i + 1].starts_with("--")) {
                const std::string& device = args[++i];
                if (std::find(parsed.devices.begin(), parsed.devices.end(), device) !=
                    parsed.devices.end()) {
                    throw UsageError{"--port: " + device + " is given twice"};
                }
                parsed.devices.push_back(device);
            }
        } else if (a == "--all-ports") {
            parsed.allPorts = true;
        } else if (a == "--usb") {
            const std::string& which = value(i);
            if (which == "all") {
                parsed.usbNumbers.emplace();
            } else {
                // USB readers are numbered as usb-list numbers them; the
                // same list syntax, without the COM ports' limit.
                std::vector<std::size_t> numbers;
                std::size_t start = 0;
                for (;;) {
                    const std::size_t comma = which.find(',', start);
                    numbers.push_back(ParseRowNumber(
                        which.substr(
                            start, comma == std::string::npos ? std::string::npos : comma - start),
                        "USB reader"));
                    if (comma == std::string::npos) {
                        break;
                    }
                    start = comma + 1;
                }
                std::sort(numbers.begin(), numbers.end());
                if (std::adjacent_find(numbers.begin(), numbers.end()) != numbers.end()) {
                    throw UsageError{"--usb: a reader is given twice in \"" + which + "\""};
                }
                parsed.usbNumbers = numbers;
            }
        } else if (a == "--watch") {
            parsed.watch = true;
        } else if (a == "--no-verify") {
            parsed.verify = false;
        } else if (a == "--report") {
            parsed.reports.push_back(value(i));
        } else if (a.starts_with("--")) {
            throw UsageError{"unknown option " + a + "; " + Usage()};
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 1) {
        throw UsageError{"give one setting file; " + Usage()};
    }
    parsed.setting = positional[0];
    if (parsed.comIndices.empty() && parsed.devices.empty() && !parsed.allPorts &&
        !parsed.usbNumbers) {
        throw UsageError{
            "give the readers: --com LIST, --port DEVICE..., --all-ports or "
            "--usb all; " +
            Usage()};
    }
    if (parsed.allPorts && !parsed.comIndices.empty()) {
        throw UsageError{"--all-ports takes every COM port already; leave out --com"};
    }
    if (parsed.watch && parsed.usbNumbers) {
        throw UsageError{"--watch watches serial ports; provision USB readers without it"};
    }
    return parsed;
}

// The table on a terminal: drawn again in place whenever a row changes.
// Lines are cut at the terminal's width, since a wrapped line would throw
// the redrawing off by a line.
class ProgressDisplay {
  public:
    ProgressDisplay(std::ostream& out, bool live) : out_(out), live_(live) {
        const std::size_t columns = live_ ? platform::TerminalColumns(1) : 0;
        if (columns > 1) {
            columns_ = columns - 1u;
        }
    }

    void changed(const std::vector<app::ProvisionResult>& rows, const app::ProvisionResult& row) {
        std::lock_guard lock(mutex_);
        if (!live_) {
            const std::string line = app::ProvisionLine(row);
            auto& last = lastLines_[row.target.port];
            if (line != last) {
                out_ << line << std::endl;
                last = line;
            }
            return;
        }
        const std::string table = app::ProvisionTable(rows);
        if (linesDrawn_ > 0) {
            out_ << "\x1b[" << linesDrawn_ << "F";
        }
        std::size_t lines = 0;
        std::size_t start = 0;
        while (start < table.size()) {
            const std::size_t end = table.find('\n', start);
            out_ << "\x1b[2K" << table.substr(start, std::min(end - start, columns_)) << '\n';
            start = end + 1;
            ++lines;
        }
        out_ << std::flush;
        linesDrawn_ = lines;
    }

    // The final table: in place on a terminal, else printed once.
    void finish(const std::vector<app::ProvisionResult>& rows) {
        std::lock_guard lock(mutex_);
        if (live_ && linesDrawn_ > 0) {
            out_ << "\x1b[" << linesDrawn_ << "F\x1b[J";
        } else if (!live_ && !rows.empty()) {
            out_ << '\n';
        }
        out_ << app::ProvisionTable(rows) << app::ProvisionSummary(rows) << std::endl;
    }

  private:
    std::ostream& out_;
    bool live_;
    std::mutex mutex_;
    std::size_t linesDrawn_ = 0;
    std::size_t columns_ = 200;
    std::map<std::string, std::string> lastLines_;
};

// A report that cannot be written is found before the first reader: the
// record of a crate must not be lost after the work is done.
void CheckReports(const ProvisionArgs& parsed) {
    for (const std::string& path : parsed.reports) {
        if (const int problem = WriteTargetProblem(path); problem != 0) {
            throw UsageError{"Failed to write the report " + path + ": " +
                             platform::SystemMessageText(problem) + ". No reader was provisioned."};
        }
    }
}

// False when a report could not be written: the run then did not succeed.
bool WriteReports(const ProvisionArgs& parsed, const std::vector<app::ProvisionResult>& rows,
                  common::Prompter& prompter) {
    bool written = true;
    for (const std::string& path : parsed.reports) {
        const std::string failure =
            app::WriteProvisionReport(platform::RealFileSystem(), path, parsed.setting, rows);
        if (!failure.empty()) {
            prompter.warning(failure);
            written = false;
        }
    }
    return written;
}

constexpr int kWatchPollMs = 250;
constexpr int kWaitPollMs = 100;

}  // namespace

int CommandProvision(const std::vector<std::string>& args, std::ostream& out,
                     common::Prompter& prompter, const app::RuntimeConfig& config) {
    const ProvisionArgs parsed = ParseArgs(args);
    settings::SettingStore store;
    LoadSettingFile(parsed.setting, store, prompter);
    CheckReports(parsed);
    shell::Preferences preferences;
    LoadUserPreferences(prompter, config, preferences);
    const comm::CommOptions options = preferences.options;
    const std::string portsFolder = config.portsFolder;

    std::vector<app::ProvisionTarget> serial;
    for (int index : parsed.comIndices) {
        serial.push_back(app::ComTarget(index));
    }
    if (parsed.allPorts) {
        for (int index = 0; index < platform::kComPortCount; ++index) {
            serial.push_back(app::ComTarget(index));
        }
    }
    for (const std::string& device : parsed.devices) {
        serial.push_back(app::DeviceTarget(device));
    }

    platform::InterruptWatch interrupts;
    app::ProvisionReaderFactory factory =
        [&](const app::ProvisionTarget& target, common::Prompter& rowPrompter,
            comm::TransferView& rowView) -> std::unique_ptr<app::ProvisionReader> {
        if (target.usb()) {
            return std::make_unique<app::UsbProvisionReader>(target, options, config, rowPrompter,
                                                             rowView, TerminalKeys);
        }
        return std::make_unique<app::SerialProvisionReader>(
            target, options, portsFolder, platform::RealFileSystem(), platform::SystemClock(),
            rowPrompter, rowView);
    };
    app::ProvisionRun run(store, factory, platform::SystemClock(), parsed.verify);
    ProgressDisplay display(out, !parsed.watch && platform::IsTerminal(1));
    run.setObserver(
        [&](std::size_t, const app::ProvisionResult& row) { display.changed(run.results(), row); });

    bool interrupted = false;
    if (parsed.watch) {
        std::cerr << "magtune-cli: watching " << serial.size()
                  << (serial.size() == 1 ? " port" : " ports") << " for readers; Ctrl+C stops."
                  << std::endl;
        // The device each port's last reader was on, while that device is
        // there: it is not provisioned again until it goes away.
        std::map<std::string, std::string> seen;
        std::size_t reported = 0;
        while (!interrupted) {
            const auto rows = run.results();
            std::set<std::string> busy;
            std::size_t finished = 0;
            for (const auto& row : rows) {
                if (app::IsFinal(row.state)) {
                    ++finished;
                } else {
                    busy.insert(row.target.port);
                }
            }
            if (finished != reported) {
                WriteReports(parsed, rows, prompter);
                reported = finished;
            }
            for (const app::ProvisionTarget& target : serial) {
                if (busy.count(target.port)) {
                    continue;
                }
                const std::string device = app::TargetDevice(target, portsFolder);
                const bool present = !device.empty() && std::filesystem::exists(device);
                auto known = seen.find(target.port);
                if (known != seen.end()) {
                    if (present && known->second == device) {
                        continue;
                    }
                    seen.erase(known);
                }
                if (present && app::TargetOpens(target, portsFolder)) {
                    seen[target.port] = device;
                    run.add(target);
                }
            }
            interrupted = interrupts.wait(kWatchPollMs);
        }
    } else {
        for (const app::ProvisionTarget& target : serial) {
            // --all-ports takes the ports that open; named ports are tried
            // and fail with the message of a single transfer.
            if (parsed.allPorts && target.comIndex &&
                std::find(parsed.comIndices.begin(), parsed.comIndices.end(), *target.comIndex) ==
                    parsed.comIndices.end() &&
                !app::TargetOpens(target, portsFolder)) {
                continue;
            }
            run.add(target);
        }
        if (parsed.usbNumbers) {
            std::vector<std::size_t> numbers = *parsed.usbNumbers;
            if (numbers.empty()) {
                const std::size_t count = app::CountUsbReaders(prompter, options, config);
                for (std::size_t n = 1; n <= count; ++n) {
                    numbers.push_back(n);
                }
            }
            for (std::size_t n : numbers) {
                run.add(app::UsbTarget(n));
            }
        }
        if (run.results().empty()) {
            prompter.warning("No reader found.");
            return kExitFailed;
        }
        while (run.unfinished() != 0 && !interrupted) {
            interrupted = interrupts.wait(kWaitPollMs);
        }
    }
    if (interrupted) {
        run.stop();
    }
    if (interrupted && run.unfinished() != 0) {
        std::cerr << "magtune-cli: stopping; waiting for " << run.unfinished()
                  << " reader(s) under way ..." << std::endl;
    }
    run.wait();
    const auto rows = run.results();
    display.finish(rows);
    const bool reported = WriteReports(parsed, rows, prompter);
    const app::ProvisionState wanted =
        parsed.verify ? app::ProvisionState::Verified : app::ProvisionState::Downloaded;
    const bool allDone =
        std::all_of(rows.begin(), rows.end(),
                    [wanted](const app::ProvisionResult& r) { return r.state == wanted; });
    return allDone && reported ? kExitOk : kExitFailed;
}

}  // namespace magtune::cli
