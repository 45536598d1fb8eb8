#include "cli/Cli.h"

#include <functional>
#include <map>

#include "cli/BashCompletion.h"
#include "cli/CliSupport.h"
#include "cli/ConsolePrompter.h"
#include "cli/ProvisionCommand.h"
#include "cli/SettingCommands.h"
#include "cli/TransferCommands.h"

namespace magtune::cli {
namespace {

using Handler = std::function<int(const std::vector<std::string>&, std::ostream&, common::Prompter&,
                                  const app::RuntimeConfig&)>;

// The setting commands need nothing from the run-time configuration.
template <int (*Command)(const std::vector<std::string>&, std::ostream&, common::Prompter&)>
int Files(const std::vector<std::string>& args, std::ostream& out, common::Prompter& prompter,
          const app::RuntimeConfig&) {
    return Command(args, out, prompter);
}

struct Command {
    Handler run;
    const char* synopsis;
    const char* help;
};

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"new",
         {Files<CommandNew>, "new FILE",
          "Writes a setting file with the reader's default settings."}},
        {"show",
         {Files<CommandShow>, "show FILE",
          "Lists the five setting groups with their rows as the main window shows them:\n"
          "the group on a line of its own, then two spaces, the label, a tab and the value."}},
        {"get",
         {Files<CommandGet>, "get FILE GROUP/LABEL",
          "Prints the value text of one row, for example: get x.cfg \"RS232/Baud Rate\"."}},
        {"set",
         {Files<CommandSet>, "set FILE GROUP/LABEL=VALUE ...",
          "Changes rows and saves the file. A choice row takes one of its value texts;\n"
          "\"RS232/Receive Terminator\" and \"Magnetic Reader/Separator Character\" take a key\n"
          "text such as <r> (empty for none); the track rows take a track sequence text such\n"
          "as <Account>\"=\"<ExpireYear>, or None. Either every assignment applies or none\n"
          "does, and the file is left untouched on error."}},
        {"formula",
         {Files<CommandFormula>, "formula add FILE TEXT | formula delete|up|down FILE N",
          "Adds a formula in its one-line form, for example\n"
          "IN_ID,21,LEN,10,40,MATCH,1,\"<d>\",\"ID:\",O-STR,2,5,ENTER,\n"
          "or deletes formula N, or moves it up or down (N counts from 1)."}},
        {"diff",
         {Files<CommandDiff>, "diff FILE1 FILE2",
          "Prints the rows that differ (GROUP/LABEL, a tab, both values), then the other\n"
          "image fields that differ, by name. Exit status 0 when equal, 1 when different."}},
        {"dump",
         {Files<CommandDump>, "dump FILE",
          "Prints the 256 bytes in hexadecimal, 16 a line, with offsets."}},
        {"download",
         {CommandDownload,
          "download FILE (--com N | --port DEVICE | (--wedge | --usb N | --sim) [--retries N]) "
          "[--verify]",
          "Sends the setting to a reader on a serial port (sets the device type to\n"
          "\"04-Serial Wedge\" first, as a download over RS232 does; FILE is not changed).\n"
          "--wedge sends it to a reader on the keyboard port through the keyboard wedge\n"
          "library instead, with the device type \"01-IBM PC/AT, PS/2 MOD 40, 60, 80\".\n"
          "--usb N sends it to USB reader N of usb-list, with the device type\n"
          "\"06-Keyboardless Wedge(PC/AT)\".\n"
          "--sim sends it to the simulated reader: reader 1 of the USB bus that\n"
          "--sim-usb SOCKET names, else the keyboard port that --sim-wedge SOCKET names\n"
          "(without them: MAGTUNE_USB_SIM, ZEBAPI_SIM_SOCKET).\n"
          "--retries N answers Yes to at most N retry questions (default 0: none).\n"
          "--verify reads the setting back and compares all bytes but the last two.\n"
          "Ctrl+C or SIGTERM cancels the transfer and gives the port back (status 1)."}},
        {"upload",
         {CommandUpload,
          "upload OUT.cfg (--com N | --port DEVICE | (--wedge | --usb N | --sim) [--retries N]) "
          "[--name NAME]",
          "Reads the setting of a reader on a serial port, with --wedge on the keyboard\n"
          "port, or with --usb N of USB reader N of usb-list, into OUT.cfg. OUT.cfg is\n"
          "written only after a checked reply, and left untouched when the upload fails.\n"
          "--sim reads it from the simulated reader, as download --sim sends it\n"
          "(--sim-usb SOCKET, --sim-wedge SOCKET).\n"
          "--name names the reader in the messages of a serial upload.\n"
          "--retries N answers Yes to at most N retry questions (default 0)."}},
        {"test",
         {CommandTest, "test (--com N | --port DEVICE | --wedge) [--seconds S]",
          "Prints what the reader sends (swipe a card) until interrupted or S seconds pass;\n"
          "exit status 1 when the port fails (the reader went away).\n"
          "A reader on the keyboard port (--wedge) types into the terminal: what arrives on\n"
          "standard input is printed, until its end."}},
        {"usb-list",
         {CommandUsbList, "usb-list",
          "Lists the USB readers, each as its number, \" - \" and its name; --usb N takes\n"
          "the number. \"(selected)\" marks a reader that carries the filter already."}},
        {"ports",
         {CommandPorts, "ports [--all]",
          "Lists the COM ports whose device is there (with --all: COM1 to COM32), each as\n"
          "its name, the device it opens, \"link\" when an entry of the ports folder names\n"
          "the device or \"fixed\" for its fixed place, and \"ready\", \"no access\" (this\n"
          "user may not open it: join the group dialout), \"missing\" or \"not a terminal\n"
          "device\". The first line names the ports folder. No port is opened."}},
        {"provision", {CommandProvision, kProvisionSynopsis, kProvisionHelp}},
        {"prefs",
         {CommandPrefs, "prefs",
          "Prints the preference values as the program loads them (defaults applied)\n"
          "and the path of the preferences file."}},
    };
    return commands;
}

void PrintUsage(std::ostream& out) {
    out << "usage: magtune-cli COMMAND ...\n\n"
           "Edits Magtune setting files (*.cfg) and moves them into and out of a reader.\n\n"
           "Commands:\n";
    for (const auto& [name, command] : Commands()) {
        out << "  " << command.synopsis << '\n';
    }
    out << "\nmagtune-cli COMMAND --help describes one command.\n"
           "\n"
           "Readers:\n"
           "  --com N        the serial port COMN: the entry COMN of the ports\n"
           "                 folder (usually a link to /dev/serial/by-id/...),\n"
           "                 else a fixed device: COM1-COM8 are /dev/ttyS0-7,\n"
           "                 COM9-COM20 /dev/ttyUSB0-11, COM21-COM32\n"
           "                 /dev/ttyACM0-11 (magtune-cli ports shows them)\n"
           "  --port DEVICE  a serial device by its path, such as /dev/ttyUSB0\n"
           "  --wedge        the reader on the keyboard port\n"
           "  --usb N        USB reader N of usb-list (a real reader types its\n"
           "                 answers into this terminal)\n"
           "  --sim          the simulated reader (magtune-reader-sim): reader 1\n"
           "                 of the USB bus at --sim-usb SOCKET, else the\n"
           "                 keyboard port at --sim-wedge SOCKET\n"
           "Serial ports belong to the group dialout: join it once\n"
           "(sudo adduser $USER dialout) and log in again.\n"
           "\n"
           "Environment:\n"
           "  MAGTUNE_PORTS_DIR      the ports folder (default\n"
           "                         $XDG_CONFIG_HOME/magtune/ports, else\n"
           "                         ~/.config/magtune/ports)\n"
           "  MAGTUNE_REGISTRY_FILE  the preferences file that the desktop program\n"
           "                         magtune writes (default\n"
           "                         ~/.config/magtune/registry.reg); magtune-cli\n"
           "                         only reads it (see prefs)\n"
           "  MAGTUNE_USB_SIM        the socket of a simulated USB bus\n"
           "                         (magtune-reader-sim --usb)\n"
           "  ZEBAPI_SIM_SOCKET      the socket of a simulated keyboard wedge\n"
           "                         reader (magtune-reader-sim --wedge)\n"
           "  ZEBAPI_DEVICE          the keyboard port driver's device (default\n"
           "                         /dev/zebdrv2k)\n"
           "\n"
           "Exit status: 0 success, 1 a transfer failed or diff found differences, 2 bad input.\n";
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            return true;
        }
    }
    return false;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const app::RuntimeConfig& config) {
    if (args.empty()) {
        PrintUsage(err);
        return kExitError;
    }
    std::string name = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (name == "--help" || name == "-h" || name == "help") {
        if (!rest.empty() && Commands().count(rest[0])) {
            name = rest[0];
            rest = {"--help"};
        } else {
            PrintUsage(out);
            return kExitOk;
        }
    }
    if (name == "--version") {
        out << "magtune-cli " << MAGTUNE_VERSION << '\n';
        return kExitOk;
    }
    // Not in the usage: the build writes the installed completion script with it.
    if (name == "--bash-completion") {
        std::vector<CompletedCommand> commands;
        for (const auto& [commandName, command] : Commands()) {
            const std::string synopsis = command.synopsis;
            CompletedCommand& completed = commands.emplace_back();
            completed.name = commandName;
            completed.options = OptionsNamedIn(synopsis + '\n' + command.help);
            completed.options.push_back("--help");
            completed.takesFile = synopsis.find("FILE") != std::string::npos ||
                                  synopsis.find(".cfg") != std::string::npos;
        }
        WriteBashCompletion(out, commands);
        return kExitOk;
    }
    auto found = Commands().find(name);
    if (found == Commands().end()) {
        err << "magtune-cli: unknown command \"" << name << "\"\n";
        PrintUsage(err);
        return kExitError;
    }
    const Command& command = found->second;
    if (WantsHelp(rest)) {
        out << "usage: magtune-cli " << command.synopsis << "\n\n" << command.help << '\n';
        return kExitOk;
    }
    ConsolePrompter prompter(err);
    try {
        return command.run(rest, out, prompter, config);
    } catch (const UsageError& error) {
        err << "magtune-cli: " << error.message << '\n';
        return kExitError;
    }
}

}  // namespace magtune::cli
