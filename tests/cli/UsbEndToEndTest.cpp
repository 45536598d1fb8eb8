// magtune-cli against magtune-reader-sim on the simulated USB bus: the
// control library loaded by name and the server it starts, both copied
// beside a copy of magtune-cli so that each test has a channel of its own.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "support/ChildProcess.h"

namespace magtune::cli {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kConnectFailed = "Failed to connect to device.";

// Where `first` ends before `second` starts.
bool InOrder(const std::string& text, const std::string& first, const std::string& second) {
    const auto at = text.find(first);
    return at != std::string::npos && text.find(second, at + first.size()) != std::string::npos;
}

class UsbEndToEnd : public ::testing::Test {
  protected:
    test::TempFolder folder;
    std::string bin = folder.file("bin");
    std::vector<std::pair<std::string, std::string>> env = {
        {"MAGTUNE_REGISTRY_FILE", folder.file("registry.reg")},
        {"MAGTUNE_USB_SIM", folder.file("bus")},
        {"XDG_RUNTIME_DIR", folder.file("")},
    };

    void SetUp() override {
        fs::create_directory(bin);
        for (const char* program : {MAGTUNE_CLI_PATH, USBHID_SERVER_PATH, USBHID_LIBRARY_PATH}) {
            fs::copy_file(program, bin + "/" + fs::path(program).filename().string());
        }
        // No waits for a driver that is simulated; logging on.
        std::ofstream(folder.file("registry.reg"))
            << "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\Settings]\n"
               "\"Driver Delay\"=dword:00000000\n"
               "\"USB Delay\"=dword:00000001\n"
               "\"USB Log Enable\"=dword:00000001\n";
    }

    // The simulated bus with two readers; true once it listens.
    bool startReader(std::vector<std::string> options = {}) {
        options.insert(options.begin(),
                       {MAGTUNE_READER_SIM_PATH, "--usb", folder.file("bus"), "--usb-device",
                        "Tarvik MiniMag", "--usb-device", "Tarvik Desk"});
        reader_ = std::make_unique<test::ChildProcess>(options);
        return reader_->firstLine() == folder.file("bus");
    }

    using Run = test::ProgramRun;

    Run cli(std::vector<std::string> args, const std::string& program = "") {
        args.insert(args.begin(), program.empty() ? bin + "/magtune-cli" : program);
        return test::RunProgram(args, env, 30000ms);
    }

    std::vector<std::uint8_t> newSetting(const std::string& path) {
        EXPECT_EQ(cli({"new", path}).status, 0);
        EXPECT_EQ(
            cli({"set", path, "Magnetic Reader/Track 1 Output Sequence=<Account>\"^\""}).status, 0);
        return test::ReadBytes(path);
    }

    std::unique_ptr<test::ChildProcess> reader_;
};

TEST_F(UsbEndToEnd, ListsTheReadersByNumber) {
    ASSERT_TRUE(startReader());
    Run list = cli({"usb-list"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "1 - Tarvik MiniMag\n2 - Tarvik Desk\n");
}

TEST_F(UsbEndToEnd, ADownloadThenAnUploadReturnsTheSameImage) {
    ASSERT_TRUE(startReader());
    const std::string setting = folder.file("setting.cfg");
    const auto before = newSetting(setting);

    Run download = cli({"download", setting, "--usb", "2"});
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_TRUE(InOrder(download.err, "Connecting to device ...", "Sending data, please wait ..."))
        << download.err;
    EXPECT_TRUE(test::Contains(download.err, "Download finished successfully."));
    EXPECT_EQ(test::ReadBytes(setting), before) << "a download leaves FILE unchanged";

    const std::string uploaded = folder.file("uploaded.cfg");
    Run upload = cli({"upload", uploaded, "--usb", "2", "--name", "Desk"});
    ASSERT_EQ(upload.status, 0) << upload.err;
    EXPECT_TRUE(test::Contains(upload.err, "Receiving data, please wait ...")) << upload.err;
    // Over USB the reader is told it is a keyboardless wedge (type code 6).
    auto expected = before;
    expected[0] = 0x06;
    EXPECT_EQ(test::ReadBytes(uploaded), expected);

    // The log beside the program holds each key of the last transfer: the
    // "O" and the 514 digits.
    std::ifstream log(bin + "/USBLog.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 515u);
    EXPECT_EQ(lines[0], "O");
    EXPECT_EQ(lines[1], "0");
    EXPECT_EQ(lines[2], "6");
}

TEST_F(UsbEndToEnd, AReaderThatAnswersNIsAskedAgainOnlyWhenRetriesAreAllowed) {
    const std::string setting = folder.file("setting.cfg");
    newSetting(setting);

    ASSERT_TRUE(startReader({"--nak-first", "1"}));
    Run retried = cli({"download", setting, "--usb", "1", "--retries", "1", "--verify"});
    EXPECT_EQ(retried.status, 0) << retried.err;
    EXPECT_TRUE(InOrder(retried.err, test::kDataError, "retrying")) << retried.err;
    // The retry starts from the wake: the reader takes no frame without one.
    EXPECT_TRUE(InOrder(retried.err, "retrying", "Connecting to device ...")) << retried.err;
    EXPECT_TRUE(test::Contains(retried.err, "Verified: the reader holds the setting."));

    ASSERT_TRUE(startReader({"--nak-first", "1"}));
    Run refused = cli({"download", setting, "--usb", "1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(InOrder(refused.err, test::kDataError, test::kDownloadFailed)) << refused.err;
}

TEST_F(UsbEndToEnd, ASilentReaderFailsToConnectAndNothingIsWritten) {
    ASSERT_TRUE(startReader({"--silent"}));
    const std::string setting = folder.file("setting.cfg");
    newSetting(setting);
    Run download = cli({"download", setting, "--usb", "1"});
    EXPECT_EQ(download.status, 1);
    EXPECT_TRUE(InOrder(download.err, kConnectFailed, test::kDownloadFailed)) << download.err;

    const std::string uploaded = folder.file("uploaded.cfg");
    Run upload = cli({"upload", uploaded, "--usb", "1"});
    EXPECT_EQ(upload.status, 1);
    EXPECT_TRUE(InOrder(upload.err, kConnectFailed, test::kUploadFailed)) << upload.err;
    EXPECT_FALSE(fs::exists(uploaded));
}

TEST_F(UsbEndToEnd, ANumberBeyondTheListIsRefused) {
    ASSERT_TRUE(startReader());
    Run upload = cli({"upload", folder.file("x.cfg"), "--usb", "3"});
    EXPECT_EQ(upload.status, 1);
    EXPECT_TRUE(test::Contains(upload.err,
                               "There is no USB reader 3: 2 readers were found (see magtune-cli "
                               "usb-list)."))
        << upload.err;
    EXPECT_FALSE(fs::exists(folder.file("x.cfg")));
}

TEST_F(UsbEndToEnd, WithoutTheLibraryTheUserIsToldWhy) {
    ASSERT_TRUE(startReader());
    const std::string alone = folder.file("alone");
    fs::create_directory(alone);
    fs::copy_file(MAGTUNE_CLI_PATH, alone + "/magtune-cli");
    Run list = cli({"usb-list"}, alone + "/magtune-cli");
    EXPECT_EQ(list.status, 1);
    EXPECT_TRUE(InOrder(list.err, "The USB control library could not be loaded",
                        "No USB device found. Please check your device connection."))
        << list.err;
}

TEST(UsbCommandLine, TakesExactlyOneWayToTheReader) {
    const std::vector<std::vector<std::string>> wrong = {
        {"download", "x.cfg", "--usb", "0"},
        {"download", "x.cfg", "--usb"},
        {"download", "x.cfg", "--usb", "1", "--com", "1"},
        {"upload", "x.cfg", "--usb", "1", "--wedge"},
        {"test", "--usb", "1"},
        {"usb-list", "extra"},
    };
    for (const auto& args : wrong) {
        EXPECT_EQ(test::Cli(args).status, 2) << args[0] << " " << args[2];
    }
}

// The simulated reader is a transport of its own: --sim with its socket
// given on the command line, nothing in the environment.
TEST_F(UsbEndToEnd, TheSimulatedReaderIsATransportOfItsOwn) {
    ASSERT_TRUE(startReader());
    const std::string setting = folder.file("sim.cfg");
    newSetting(setting);
    env[1].second.clear();
    Run run = cli({"download", setting, "--sim", "--sim-usb", folder.file("bus"), "--verify"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(test::Contains(run.err, "Verified: the reader holds the setting.")) << run.err;

    Run none = cli({"download", setting, "--sim"});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(test::Contains(none.err, "--sim needs a running magtune-reader-sim")) << none.err;
}

}  // namespace
}  // namespace magtune::cli
