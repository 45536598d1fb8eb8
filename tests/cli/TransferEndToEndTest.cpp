// magtune-cli against magtune-reader-sim on a pseudo-terminal: the whole
// serial road, as a user at a shell would take it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "platform/DeviceAccess.h"
#include "support/ChildProcess.h"

namespace magtune::cli {
namespace {

using namespace std::chrono_literals;

class SerialEndToEnd : public ::testing::Test {
  protected:
    test::TempFolder folder;
    std::vector<std::pair<std::string, std::string>> env = {
        {"MAGTUNE_REGISTRY_FILE", folder.file("registry.reg")},
        {"MAGTUNE_PORTS_DIR", folder.file("ports")},
    };

    void SetUp() override { std::filesystem::create_directory(folder.file("ports")); }

    // Starts the simulated reader with `options`; its device path, or empty.
    std::string startReader(std::vector<std::string> options) {
        options.insert(options.begin(), MAGTUNE_READER_SIM_PATH);
        reader_ = std::make_unique<test::ChildProcess>(options);
        return reader_->firstLine();
    }

    using Run = test::ProgramRun;

    Run cli(std::vector<std::string> args, std::chrono::milliseconds limit = 30000ms) {
        args.insert(args.begin(), MAGTUNE_CLI_PATH);
        return test::RunProgram(args, env, limit);
    }

    std::unique_ptr<test::ChildProcess> reader_;
};

TEST_F(SerialEndToEnd, DownloadThenUploadReturnsTheSameImage) {
    std::string port = startReader({});
    ASSERT_FALSE(port.empty());
    std::string setting = folder.file("setting.cfg");
    ASSERT_EQ(cli({"new", setting}).status, 0);
    ASSERT_EQ(cli({"set", setting, "RS232/Baud Rate=2400", "RS232/Receive Terminator=<r>",
                   "Magnetic Reader/Track 1 Output Sequence=<Account>\"^\"<LastName>"})
                  .status,
              0);
    ASSERT_EQ(cli({"formula", "add", setting,
                   R"(IN_ID,21,LEN,10,40,MATCH,1,"<d>","ID:",O-STR,2,5,ENTER)"})
                  .status,
              0);
    const auto before = test::ReadBytes(setting);

    Run download = cli({"download", setting, "--port", port});
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_NE(download.err.find("Connecting to device ..."), std::string::npos);
    EXPECT_NE(download.err.find("Download finished successfully."), std::string::npos);
    EXPECT_EQ(test::ReadBytes(setting), before) << "download must leave FILE unchanged";

    std::string uploaded = folder.file("uploaded.cfg");
    Run upload = cli({"upload", uploaded, "--port", port, "--name", "Desk reader"});
    ASSERT_EQ(upload.status, 0) << upload.err;
    EXPECT_NE(upload.err.find("Upload setting from Desk reader ..."), std::string::npos);

    // The reader now holds the setting as a serial wedge (device type 4).
    auto expected = before;
    expected[0] = 0x04;
    EXPECT_EQ(test::ReadBytes(uploaded), expected);
}

TEST_F(SerialEndToEnd, VerifyReadsTheDownloadBack) {
    std::string port = startReader({});
    std::string setting = folder.file("setting.cfg");
    ASSERT_EQ(cli({"new", setting}).status, 0);
    Run download = cli({"download", setting, "--port", port, "--verify"});
    EXPECT_EQ(download.status, 0) << download.err;
    EXPECT_NE(download.err.find("Verified"), std::string::npos) << download.err;
}

TEST_F(SerialEndToEnd, AComPortMapsToTheReaderThroughTheLinkFolder) {
    std::string link = folder.file("ports") + "/COM3";
    ASSERT_FALSE(startReader({"--link", link}).empty());
    std::string uploaded = folder.file("uploaded.cfg");
    Run upload = cli({"upload", uploaded, "--com", "3"});
    ASSERT_EQ(upload.status, 0) << upload.err;
    EXPECT_NE(upload.err.find("Upload setting from COM3 ..."), std::string::npos) << upload.err;
    EXPECT_EQ(test::ReadBytes(uploaded).size(), 256u);
}

TEST_F(SerialEndToEnd, AReaderAt2400IsFoundFromA9600Start) {
    std::string port = startReader({"--baud", "2400"});
    std::string uploaded = folder.file("uploaded.cfg");
    Run upload = cli({"upload", uploaded, "--port", port});
    ASSERT_EQ(upload.status, 0) << upload.err;
    EXPECT_NE(upload.err.find("Connected at 2400 baud."), std::string::npos) << upload.err;
}

TEST_F(SerialEndToEnd, FaultsTheTransfersRideOut) {
    struct Case {
        std::vector<std::string> readerOptions;
        const char* command;
    } cases[] = {
        {{"--noise", "7"}, "upload"},
        {{"--lowercase-header-first", "2"}, "upload"},
        {{"--bad-checksum-first", "5"}, "upload"},
        {{"--nak-first", "1"}, "download"},
        {{"--nak-first", "2"}, "download"},
    };
    for (const auto& c : cases) {
        std::string port = startReader(c.readerOptions);
        std::string setting = folder.file("setting.cfg");
        ASSERT_EQ(cli({"new", setting}).status, 0);
        Run run = cli({c.command, setting, "--port", port});
        EXPECT_EQ(run.status, 0) << c.readerOptions[0] << ": " << run.err;
    }
}

TEST_F(SerialEndToEnd, FailuresSayWhyAndWriteNothing) {
    struct Case {
        std::vector<std::string> readerOptions;
        const char* command;
        const char* message;
    } cases[] = {
        {{"--bad-checksum-first", "6"}, "upload", "Upload setting from Lab reader failed."},
        {{"--nak-first", "3"}, "download", "Download setting failed."},
        {{"--silent"}, "download", "Failed to connect to device."},
        {{"--silent"}, "upload", "Failed to connect to Lab reader."},
        {{"--hangup-after", "300"}, "download", "failed"},
        {{"--hangup-after", "10"}, "upload", "failed"},
    };
    for (const auto& c : cases) {
        std::string port = startReader(c.readerOptions);
        std::string setting = folder.file("setting.cfg");
        std::string target = folder.file("target.cfg");
        std::filesystem::remove(target);
        ASSERT_EQ(cli({"new", setting}).status, 0);
        const auto before = test::ReadBytes(setting);
        auto started = std::chrono::steady_clock::now();
        Run run = c.command == std::string("upload")
                      ? cli({"upload", target, "--port", port, "--name", "Lab reader"})
                      : cli({"download", setting, "--port", port});
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                           std::chrono::steady_clock::now() - started)
                           .count();
        EXPECT_EQ(run.status, 1) << c.readerOptions[0] << " took " << seconds << " s: " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(target)) << c.readerOptions[0];
        EXPECT_EQ(test::ReadBytes(setting), before);
    }
}

// At the line's real speed the reader answers a connect frame only after
// more of them have been sent, and answers those too; and a download frame
// takes its time on the line (2.2 s at 2400 baud), longer than the default
// read time-out. Whatever the timing, a download reported successful is one
// the reader stored, and it succeeds with the default options.
TEST_F(SerialEndToEnd, APacedDownloadReportedSuccessfulIsStored) {
    struct Case {
        const char* rate;
        int runs;
    };
    for (const Case c : {Case{"9600", 12}, Case{"2400", 2}}) {
        const std::string stored = folder.file("stored.cfg");
        std::string port = startReader({"--pace", "--baud", c.rate, "--save", stored});
        ASSERT_FALSE(port.empty());
        std::string setting = folder.file("setting.cfg");
        ASSERT_EQ(cli({"new", setting}).status, 0);
        auto expected = test::ReadBytes(setting);
        expected[0] = 0x04;  // a serial wedge
        for (int run = 1; run <= c.runs; ++run) {
            std::filesystem::remove(stored);
            Run download = cli({"download", setting, "--port", port});
            ASSERT_EQ(download.status, 0) << c.rate << " run " << run << ": " << download.err;
            EXPECT_EQ(test::ReadBytes(stored), expected) << c.rate << " run " << run;
        }
    }
}

// Ctrl+C or SIGTERM in the middle of a transfer: the command ends with a
// message and status 1, and the port is as it was: not exclusive, so the
// next command opens it.
TEST_F(SerialEndToEnd, ASignalMidTransferGivesThePortBack) {
    for (int signal : {SIGINT, SIGTERM}) {
        // Paced, and the first two frames refused: the download runs for
        // more than a second and a half after the connect.
        std::string port = startReader({"--pace", "--nak-first", "2"});
        ASSERT_FALSE(port.empty());
        std::string setting = folder.file("setting.cfg");
        ASSERT_EQ(cli({"new", setting}).status, 0);
        test::ChildProcess download({MAGTUNE_CLI_PATH, "download", setting, "--port", port}, env);
        ASSERT_TRUE(download.waitForError("Downloading to device ...", 30000ms)) << download.err();
        download.sendSignal(signal);
        EXPECT_EQ(download.waitForExit(5000ms), std::optional<int>(1)) << signal;
        EXPECT_TRUE(test::Contains(download.err(), "interrupted")) << download.err();
        EXPECT_FALSE(test::Contains(download.err(), "Download finished successfully."));

        // Root may open an exclusive terminal: ask the terminal itself.
        const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        int exclusive = 1;
        ASSERT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0) << signal;
        ::close(fd);
        Run again = cli({"test", "--port", port, "--seconds", "1"});
        EXPECT_EQ(again.status, 0) << again.err;
    }
}

// A reader that goes away while the test pad reads: a port failure, status 1.
TEST_F(SerialEndToEnd, TestEndsWithStatus1WhenThePortFails) {
    std::string port = startReader({});
    ASSERT_FALSE(port.empty());
    test::ChildProcess test({MAGTUNE_CLI_PATH, "test", "--port", port}, env);
    ASSERT_TRUE(test.waitForError("Ctrl+C ends.", 10000ms)) << test.err();
    reader_.reset();
    EXPECT_EQ(test.waitForExit(5000ms), std::optional<int>(1)) << test.err();
    EXPECT_TRUE(test::Contains(test.err(), "ReadFile():")) << test.err();
}

// The reader hangs up in the middle of its upload reply: a read failure,
// not a failed purge of the port that is gone.
TEST_F(SerialEndToEnd, HangUpInTheReplyIsAReadFailure) {
    // Paced, the reply takes more than half a second on the line; the
    // reader goes away in the middle of it.
    std::string port = startReader({"--pace"});
    ASSERT_FALSE(port.empty());
    std::string target = folder.file("target.cfg");
    test::ChildProcess upload({MAGTUNE_CLI_PATH, "upload", target, "--port", port}, env);
    ASSERT_TRUE(upload.waitForError("Upload setting from", 10000ms)) << upload.err();
    upload.waitForExit(200ms);
    reader_.reset();
    EXPECT_EQ(upload.waitForExit(10000ms), std::optional<int>(1)) << upload.err();
    EXPECT_TRUE(test::Contains(upload.err(), "ReadFile():")) << upload.err();
    EXPECT_FALSE(test::Contains(upload.err(), "PurgeComm")) << upload.err();
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(SerialEndToEnd, AnUnmappedPortIsNotAvailable) {
    Run run = cli({"upload", folder.file("x.cfg"), "--port", folder.file("no-such-tty")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is not available."), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder.file("x.cfg")));
}

// A COM port whose device is not there says which device that is, in the
// words of the desktop program.
TEST_F(SerialEndToEnd, AMissingComPortNamesItsDevice) {
    const std::string ports = folder.file("ports");
    std::filesystem::create_symlink(folder.file("unplugged"), ports + "/COM3");
    struct Case {
        const char* com;
        int index;
        std::string told;
    } cases[] = {
        {"3", 2,
         "COM3 is " + folder.file("unplugged") + " (the link COM3 in " + ports +
             "). Opening it failed: No such file or directory.\nThe device is not there: plug in "
             "the reader's serial adapter, or point the link COM3 in " +
             ports + " at the reader's serial device."},
        {"31", 30,
         "COM31 is /dev/ttyACM10 (its fixed place). Opening it failed: No such file or "
         "directory.\nThe device is not there: plug in the reader's serial adapter, or make a "
         "link COM31 in " +
             ports + " to the reader's serial device."},
    };
    for (const Case& c : cases) {
        Run run = cli({"upload", folder.file("x.cfg"), "--com", c.com});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(test::Contains(run.err, c.told)) << run.err;
        EXPECT_TRUE(test::Contains(run.err, platform::PortNotAvailableText(
                                                platform::ComPortPlace(c.index, ports), ENOENT)))
            << run.err;
        EXPECT_TRUE(test::Contains(run.err, "magtune-cli ports lists the ports that are there."))
            << run.err;
    }
}

// A link to something that is no serial port.
TEST_F(SerialEndToEnd, RefusedPortsSayWhy) {
    const std::string ports = folder.file("ports");
    std::filesystem::create_symlink("/dev/null", ports + "/COM4");
    Run notSerial = cli({"upload", folder.file("x.cfg"), "--com", "4"});
    EXPECT_EQ(notSerial.status, 1);
    EXPECT_TRUE(test::Contains(
        notSerial.err, platform::PortNotAvailableText(platform::ComPortPlace(3, ports), ENOTTY)))
        << notSerial.err;
    EXPECT_TRUE(test::Contains(notSerial.err, "It is not a serial port: point the link COM4 in "))
        << notSerial.err;
    EXPECT_FALSE(test::Contains(notSerial.err, "magtune-cli ports lists")) << notSerial.err;
}

TEST_F(SerialEndToEnd, PrefsShowsTheLoadedValuesAndTheFile) {
    Run run = cli({"prefs"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Preferences file\t" + folder.file("registry.reg")), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Protocol Delay\t5\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Current Interface\t2\n"), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(folder.file("registry.reg")))
        << "prefs only reads the preferences";
}

// An OUT.cfg that cannot be written is refused before the reader is asked,
// not after "Upload finished successfully.".
TEST_F(SerialEndToEnd, AnUploadThatCannotBeKeptDoesNotAskTheReader) {
    std::string port = startReader({});
    ASSERT_FALSE(port.empty());
    std::filesystem::create_directory(folder.file("a-folder"));
    struct Case {
        std::string target;
        const char* reason;
    } cases[] = {
        {folder.file("missing/out.cfg"), "No such file or directory"},
        {folder.file("a-folder"), "Is a directory"},
    };
    for (const Case& c : cases) {
        Run run = cli({"upload", c.target, "--port", port});
        EXPECT_EQ(run.status, 2) << c.target;
        EXPECT_TRUE(test::Contains(run.err, "Failed to save " + c.target + ": " + c.reason +
                                                ". The reader was not asked for its setting."))
            << run.err;
        EXPECT_FALSE(test::Contains(run.err, "Upload")) << run.err;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("a-folder")));
    // A new file in a folder that exists is still fine.
    Run fine = cli({"upload", folder.file("a-folder/out.cfg"), "--port", port});
    EXPECT_EQ(fine.status, 0) << fine.err;
    EXPECT_EQ(test::ReadBytes(folder.file("a-folder/out.cfg")).size(), 256u);
}

TEST_F(SerialEndToEnd, PortsShowsWhereEachComPortLeads) {
    const std::string ports = folder.file("ports");
    std::filesystem::create_symlink("/dev/null", ports + "/COM3");
    std::filesystem::create_symlink(folder.file("unplugged"), ports + "/COM4");
    test::WriteBytes(folder.file("plain-file"), {0x00});
    std::filesystem::create_symlink("../plain-file", ports + "/COM5");

    Run listed = cli({"ports"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    Run all = cli({"ports", "--all"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_TRUE(all.out.starts_with("Ports folder\t" + ports + "\n")) << all.out;
    // Where the kernel tells device classes, /dev/null is known to be no terminal.
    const std::string null =
        std::filesystem::exists("/sys/dev/char/1:3/subsystem") ? "not a terminal device" : "ready";
    struct Case {
        std::string line;
        bool listedWithoutAll;
    } cases[] = {
        {"COM3\t/dev/null\tlink\t" + null + "\n", true},
        {"COM4\t" + folder.file("unplugged") + "\tlink\tmissing\n", false},
        {"COM5\t" + ports + "/../plain-file\tlink\tnot a terminal device\n", true},
        {"COM9\t/dev/ttyUSB0\tfixed\t", false},
        {"COM32\t/dev/ttyACM11\tfixed\t", false},
    };
    for (const Case& c : cases) {
        EXPECT_NE(all.out.find(c.line), std::string::npos) << c.line << " in\n" << all.out;
        if (c.listedWithoutAll) {
            EXPECT_NE(listed.out.find(c.line), std::string::npos) << c.line << listed.out;
        }
    }
    EXPECT_EQ(listed.out.find("\tmissing\n"), std::string::npos) << listed.out;
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 33) << all.out;
    EXPECT_EQ(cli({"ports", "--frob"}).status, 2);
}

}  // namespace
}  // namespace magtune::cli
