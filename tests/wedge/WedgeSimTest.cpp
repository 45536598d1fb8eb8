// The wedge transfers end to end: the program's side (the transfer machine
// and zebapi, loaded by name) against magtune-reader-sim on its keyboard
// port.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <numeric>

#include "FakeWedgeLibrary.h"
#include "comm/WedgeTransfer.h"
#include "platform/TempFolder.h"
#include "support/ChildProcess.h"
#include "support/FakePrompter.h"
#include "wedge/ZebApiLibrary.h"

namespace magtune::wedge {
namespace {

using test::ChildProcess;
using test::FakePrompter;
using test::RecordedView;
using test::ScopedEnv;
using test::TempFolder;

constexpr const char* kDownloadFailed = "Download failed. Please check your device and connection.";

settings::ConfigurationImage PatternImage() {
    settings::ConfigurationImage image{};
    std::iota(image.begin(), image.end(), std::uint8_t{0xA5});
    return image;
}

// Waits in real time, as the form's timer does.
class RealTimeClock : public platform::Clock {
  public:
    std::uint64_t nowMs() override { return platform::SystemClock().nowMs(); }
    void sleepMs(std::uint32_t ms) override { platform::SystemClock().sleepMs(ms); }
};

class WedgeSimTest : public ::testing::Test {
  protected:
    WedgeSimTest()
        : registry_("MAGTUNE_REGISTRY_FILE", (folder / "registry.reg").c_str()),
          socket_("ZEBAPI_SIM_SOCKET", (folder / "port").c_str()) {}

    // Starts the simulator on the keyboard port; true once it listens.
    bool startSim(std::vector<std::string> args) {
        std::vector<std::string> argv{MAGTUNE_READER_SIM_PATH, "--wedge", folder / "port"};
        argv.insert(argv.end(), args.begin(), args.end());
        sim.emplace(argv);
        return sim->started() && sim->firstLine() == folder / "port";
    }

    bool transfer(comm::WedgeTransfer::Direction direction, settings::ConfigurationImage& image) {
        comm::WedgeTransfer machine(direction, library, clock, prompter, view, 5, image);
        machine.start();
        // A transfer that runs away is stopped well before the test's limit.
        for (int tick = 0; tick < 2000 && !machine.finished() && machine.timerOn(); ++tick) {
            clock.sleepMs(machine.intervalMs());
            machine.timerFired();
        }
        EXPECT_TRUE(machine.finished());
        return machine.succeeded();
    }

    TempFolder folder;
    ScopedEnv registry_;
    ScopedEnv socket_;
    std::optional<ChildProcess> sim;
    ZebApiLibrary library;
    RealTimeClock clock;
    FakePrompter prompter;
    RecordedView view;
};

TEST_F(WedgeSimTest, DownloadedImageComesBackOnUpload) {
    ASSERT_TRUE(startSim({"--save", folder / "saved.cfg"}));
    settings::ConfigurationImage sent = PatternImage();
    ASSERT_TRUE(transfer(comm::WedgeTransfer::Direction::Download, sent))
        << ::testing::PrintToString(prompter.texts());
    settings::ConfigurationImage received{};
    ASSERT_TRUE(transfer(comm::WedgeTransfer::Direction::Upload, received))
        << ::testing::PrintToString(prompter.texts());
    EXPECT_EQ(received, sent);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"Download finished successfully.",
                                                          "Upload finished successfully."}));
    std::ifstream saved(folder / "saved.cfg", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(saved)), {});
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
              std::vector<std::uint8_t>(sent.begin(), sent.end()));
}

TEST_F(WedgeSimTest, MisbehavingReaderIsRetriedOrSkipped) {
    ASSERT_TRUE(startSim({"--nak-first", "1", "--noise", "3", "--bad-checksum-first", "1"}));
    prompter.answers = {common::Answer::Yes, common::Answer::Yes};
    settings::ConfigurationImage sent = PatternImage();
    EXPECT_TRUE(transfer(comm::WedgeTransfer::Direction::Download, sent));
    settings::ConfigurationImage received{};
    EXPECT_TRUE(transfer(comm::WedgeTransfer::Direction::Upload, received));
    EXPECT_EQ(received, sent);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{
                  "Data or checksum error. Retry?", "Download finished successfully.",
                  "Data or checksum error. Retry?", "Upload finished successfully."}));
}

TEST_F(WedgeSimTest, NoSimulatorMeansTheDriverWillNotOpen) {
    settings::ConfigurationImage image = PatternImage();
    EXPECT_FALSE(transfer(comm::WedgeTransfer::Direction::Download, image));
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{
                  "ZebLoadDriver()\nUnable to open the driver,\nNo such file or directory",
                  kDownloadFailed}));
}

TEST(ZebApiLibraryTest, LibraryThatCannotBeLoadedFailsEveryCall) {
    ZebApiLibrary library("/no/such/folder/libzebapi.so");
    EXPECT_FALSE(library.keyboardHook('A', 0x1E, true));
    EXPECT_EQ(library.ZebLoadDriver0(), 0);
    EXPECT_EQ(library.ZebSendData(nullptr, 0), 0);
    char keys[8] = {};
    char scans[8] = {};
    EXPECT_EQ(library.ZebGetEchoChars(keys, scans, 8), -1);
    char text[512] = {};
    const std::int32_t needed = library.ZebGetLastError(text, sizeof text);
    const std::string expected =
        "The keyboard wedge library could not be loaded:\n"
        "/no/such/folder/libzebapi.so: cannot open shared object file: "
        "No such file or directory";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(needed, static_cast<std::int32_t>(expected.size() + 1));
    EXPECT_FALSE(library.keyboardHook('A', 0x1E, true));
}

}  // namespace
}  // namespace magtune::wedge
