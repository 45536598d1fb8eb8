// magtune-cli provision with the USB readers of the simulated bus: the
// control library and its server copied beside a copy of magtune-cli.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "support/ChildProcess.h"
#include "support/JsonReader.h"

namespace magtune::cli {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class ProvisionUsb : public ::testing::Test {
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
        std::ofstream(folder.file("registry.reg"))
            << "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\Settings]\n"
               "\"Driver Delay\"=dword:00000000\n"
               "\"USB Delay\"=dword:00000001\n";
    }

    test::ProgramRun cli(std::vector<std::string> args) {
        args.insert(args.begin(), bin + "/magtune-cli");
        return test::RunProgram(args, env, 60000ms);
    }
};

TEST_F(ProvisionUsb, EveryReaderOnTheBusInTurn) {
    // Both devices lead to the one simulated reader, which refuses its
    // first download.
    test::ChildProcess reader({MAGTUNE_READER_SIM_PATH, "--usb", folder.file("bus"), "--usb-device",
                               "Tarvik MiniMag", "--usb-device", "Tarvik Desk", "--nak-first",
                               "1"});
    ASSERT_EQ(reader.firstLine(), folder.file("bus"));
    const std::string setting = folder.file("setting.cfg");
    ASSERT_EQ(cli({"new", setting}).status, 0);
    const std::string json = folder.file("usb.json");
    const test::ProgramRun run = cli({"provision", setting, "--usb", "all", "--report", json});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_TRUE(test::Contains(run.out, "2 readers: 1 verified, 1 failed.")) << run.out;
    const auto report = test::JsonReader::Parse(test::ReadText(json));
    ASSERT_TRUE(report);
    const auto& rows = (*report)["readers"].items;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["port"].text, "USB 1");
    EXPECT_EQ(rows[0]["device"].text, "Tarvik MiniMag");
    EXPECT_EQ(rows[0]["state"].text, "failed");
    EXPECT_EQ(rows[0]["message"].text, "Download failed. Please check your device and connection.");
    EXPECT_EQ(rows[1]["device"].text, "Tarvik Desk");
    EXPECT_EQ(rows[1]["state"].text, "verified") << rows[1]["message"].text;
}

}  // namespace
}  // namespace magtune::cli
