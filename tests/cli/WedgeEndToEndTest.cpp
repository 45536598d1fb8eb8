// magtune-cli against magtune-reader-sim on the keyboard port: the wedge
// transfers through zebapi, loaded by name as the program loads it.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "support/ChildProcess.h"

namespace magtune::cli {
namespace {

using namespace std::chrono_literals;

class WedgeEndToEnd : public ::testing::Test {
  protected:
    test::TempFolder folder;
    std::vector<std::pair<std::string, std::string>> env = {
        {"MAGTUNE_REGISTRY_FILE", folder.file("registry.reg")},
        {"ZEBAPI_SIM_SOCKET", folder.file("port")},
    };

    // Starts the simulated reader on the keyboard port; true once it listens.
    bool startReader(std::vector<std::string> options) {
        options.insert(options.begin(), {MAGTUNE_READER_SIM_PATH, "--wedge", folder.file("port")});
        reader_ = std::make_unique<test::ChildProcess>(options);
        return reader_->firstLine() == folder.file("port");
    }

    using Run = test::ProgramRun;

    Run cli(std::vector<std::string> args, std::chrono::milliseconds limit = 30000ms) {
        args.insert(args.begin(), MAGTUNE_CLI_PATH);
        return test::RunProgram(args, env, limit);
    }

    // A default setting that claims to be a serial wedge (device type 4).
    std::vector<std::uint8_t> serialWedgeSetting(const std::string& path) {
        EXPECT_EQ(cli({"new", path}).status, 0);
        auto bytes = test::ReadBytes(path);
        bytes[0] = 0x04;
        test::WriteBytes(path, bytes);
        return bytes;
    }

    std::unique_ptr<test::ChildProcess> reader_;
};

TEST_F(WedgeEndToEnd, DownloadThenUploadReturnsTheSameImage) {
    ASSERT_TRUE(startReader({"--save", folder.file("held.cfg")}));
    const std::string setting = folder.file("setting.cfg");
    const auto before = serialWedgeSetting(setting);

    Run download = cli({"download", setting, "--wedge", "--verify"});
    ASSERT_EQ(download.status, 0) << download.err;
    for (const char* text :
         {"Preparing for download ...", "Connecting to device ...", "Sending data, please wait ...",
          "Download succeed", "Download finished successfully.", "Verified"}) {
        EXPECT_TRUE(test::Contains(download.err, text)) << text << " in " << download.err;
    }
    EXPECT_EQ(test::ReadBytes(setting), before) << "download must leave FILE unchanged";

    const std::string uploaded = folder.file("uploaded.cfg");
    Run upload = cli({"upload", uploaded, "--wedge", "--name", "Desk reader"});
    ASSERT_EQ(upload.status, 0) << upload.err;
    EXPECT_TRUE(test::Contains(upload.err, "Receiving data, please wait ...")) << upload.err;
    EXPECT_TRUE(test::Contains(upload.err, "Upload finished successfully.")) << upload.err;

    // Over the keyboard port the reader is told it is a PC/AT keyboard
    // (device type 1), whatever the setting held.
    auto expected = before;
    expected[0] = 0x01;
    EXPECT_EQ(test::ReadBytes(uploaded), expected);
    EXPECT_EQ(test::ReadBytes(folder.file("held.cfg")), expected);
}

TEST_F(WedgeEndToEnd, RetryQuestionsAreAnsweredYesAsOftenAsAllowed) {
    struct Case {
        std::vector<std::string> readerOptions;
        const char* command;
        const char* retries;
        int status;
        const char* verdict;
    } cases[] = {
        {{"--nak-first", "2"}, "download", "2", 0, "Download finished successfully."},
        {{"--nak-first", "2"}, "download", "1", 1, test::kDownloadFailed},
        {{"--nak-first", "1"}, "download", "0", 1, test::kDownloadFailed},
        {{"--bad-checksum-first", "1"}, "upload", "1", 0, "Upload finished successfully."},
        {{"--bad-checksum-first", "1"}, "upload", "0", 1, test::kUploadFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.readerOptions[0] + " " + c.readerOptions[1] + ", --retries " + c.retries);
        ASSERT_TRUE(startReader(c.readerOptions));
        const std::string setting = folder.file("setting.cfg");
        const std::string target = folder.file("target.cfg");
        std::filesystem::remove(target);
        ASSERT_EQ(cli({"new", setting}).status, 0);
        Run run = cli({c.command, c.command == std::string("upload") ? target : setting, "--wedge",
                       "--retries", c.retries});
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_TRUE(test::Contains(run.err, test::kDataError)) << run.err;
        EXPECT_TRUE(test::Contains(run.err, c.verdict)) << run.err;
        if (c.status != 0) {
            EXPECT_TRUE(test::Contains(run.err, "not retrying")) << run.err;
            EXPECT_FALSE(std::filesystem::exists(target));
        }
    }
}

TEST_F(WedgeEndToEnd, AReaderThatIsNotThereFailsAtOnce) {
    // Nobody listens on the socket: the driver does not open.
    Run run = cli({"upload", folder.file("x.cfg"), "--wedge"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(test::Contains(run.err, "ZebLoadDriver()\nUnable to open the driver,")) << run.err;
    EXPECT_TRUE(test::Contains(run.err, test::kUploadFailed)) << run.err;
    EXPECT_FALSE(test::Contains(run.err, "no such driver comes with Magtune")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder.file("x.cfg")));
}

// Without the simulator and without a driver, the user is told where else
// to reach the reader, after the library's own message.
TEST_F(WedgeEndToEnd, AMissingDriverSaysWhatToDoInstead) {
    env = {{"MAGTUNE_REGISTRY_FILE", folder.file("registry.reg")},
           {"ZEBAPI_SIM_SOCKET", ""},
           {"ZEBAPI_DEVICE", folder.file("zebdrv2k")}};
    const std::string setting = folder.file("x.cfg");
    ASSERT_EQ(cli({"new", setting}).status, 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"download", setting, "--wedge"},
          std::vector<std::string>{"upload", folder.file("out.cfg"), "--wedge"}}) {
        Run run = cli(args);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(test::Contains(run.err, "ZebLoadDriver()")) << run.err;
        EXPECT_TRUE(
            test::Contains(run.err, "device " + folder.file("zebdrv2k") +
                                        " (ZEBAPI_DEVICE names another), and it is not there"))
            << run.err;
        EXPECT_TRUE(test::Contains(run.err, "--sim-wedge SOCKET")) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("out.cfg")));
}

TEST_F(WedgeEndToEnd, AReaderThatDropsOffEndsTheUploadWithoutAFile) {
    // The reader leaves after the wake bytes: the next wake bytes cannot go.
    ASSERT_TRUE(startReader({"--hangup-after", "3"}));
    Run run = cli({"upload", folder.file("x.cfg"), "--wedge"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(test::Contains(run.err, "ZebSendData()")) << run.err;
    EXPECT_TRUE(test::Contains(run.err, test::kUploadFailed)) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder.file("x.cfg")));
}

TEST_F(WedgeEndToEnd, TheTestPadPrintsWhatIsTypedIntoTheTerminal) {
    // Standard input is empty here: the pad ends with it.
    Run run = cli({"test", "--wedge"}, 5000ms);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(test::Contains(run.err, "Swipe a card")) << run.err;
}

TEST(WedgeArguments, ExactlyOneWayToTheReader) {
    test::TempFolder folder;
    const std::string setting = folder.file("s.cfg");
    ASSERT_EQ(test::Cli({"new", setting}).status, 0);
    const std::vector<std::vector<std::string>> refused = {
        {"download", setting, "--wedge", "--com", "1"},
        {"download", setting, "--wedge", "--port", "/dev/null"},
        {"upload", setting, "--retries", "1", "--com", "1"},
        {"upload", setting, "--wedge", "--retries", "-1"},
        {"upload", setting, "--wedge", "--retries", "many"},
        {"download", setting, "--wedge", "--retries"},
        {"test", "--wedge", "--retries", "1"},
        {"test", "--wedge", "--com", "1"},
    };
    for (const auto& args : refused) {
        const test::CliResult result = test::Cli(args);
        EXPECT_EQ(result.status, 2) << ::testing::PrintToString(args) << result.err;
        EXPECT_EQ(test::ReadBytes(setting).size(), 256u);
    }
}

}  // namespace
}  // namespace magtune::cli
