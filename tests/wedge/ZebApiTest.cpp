#include "wedge/ZebApi.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <sstream>

#include "platform/FilePreferencesStore.h"
#include "platform/LibraryMessageRoute.h"
#include "platform/TempFolder.h"
#include "platform/UnixSocket.h"
#include "support/DynamicExports.h"
#include "support/FakePrompter.h"
#include "wedge/WedgeSettings.h"

// The exports as a program sees them, against a simulated keyboard port
// that the test plays itself.
namespace magtune::wedge {
namespace {

using namespace magtune::wedge;

using test::ScopedEnv;
using test::TempFolder;

std::string LastError() {
    char text[1024] = {};
    ZebGetLastError(text, sizeof text);
    return text;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ZebApiTest : public ::testing::Test {
  protected:
    ZebApiTest()
        : registry_("MAGTUNE_REGISTRY_FILE", (folder / "registry.reg").c_str()),
          socketEnv_("ZEBAPI_SIM_SOCKET", (folder / "port").c_str()),
          config_("XDG_CONFIG_HOME", folder.path.c_str()) {}

    ~ZebApiTest() override { ZebUnloadDriver(); }

    bool listen() {
        platform::SystemError error;
        listener = platform::UnixSocket::listenAt(folder / "port", error);
        return listener.has_value();
    }

    // The port's other end, once the library connected.
    bool acceptPort() {
        for (int i = 0; i < 100 && !port; ++i) {
            port = listener->accept();
            if (!port) {
                ::usleep(10000);
            }
        }
        return port.has_value();
    }

    std::vector<std::uint8_t> receive(std::size_t count) {
        std::vector<std::uint8_t> bytes(count);
        if (!port->readExact(bytes, 2000)) {
            bytes.clear();
        }
        return bytes;
    }

    // Waits for the typed keys to reach the library.
    std::int32_t readEcho(char* keys, char* scans, std::size_t expected) {
        std::int32_t total = 0;
        for (int i = 0; i < 200 && static_cast<std::size_t>(total) < expected; ++i) {
            const std::int32_t n = ZebGetEchoChars(keys + total, scans + total, 2000 - total);
            if (n > 0) {
                total += n;
            } else {
                ::usleep(5000);
            }
        }
        return total;
    }

    TempFolder folder;
    ScopedEnv registry_;
    ScopedEnv socketEnv_;
    ScopedEnv config_;
    std::optional<platform::UnixSocket> listener;
    std::optional<platform::UnixSocket> port;
};

TEST_F(ZebApiTest, TransferBytesOutAndCapturedKeysBack) {
    ASSERT_TRUE(listen());
    ASSERT_EQ(ZebLoadDriver0(), 1) << LastError();
    ASSERT_TRUE(acceptPort());
    EXPECT_EQ(ZebLoadDriver0(), 0);
    EXPECT_EQ(LastError(), "Driver already loaded");

    EXPECT_EQ(ZebSetDelay(1), 1);
    const unsigned char wake[] = {0xEC, 0xEC, 0xEC};
    ASSERT_EQ(ZebSendData(wake, 3), 1) << LastError();
    EXPECT_EQ(receive(3), (std::vector<std::uint8_t>{0xEC, 0xEC, 0xEC}));

    // The reader types "O" twice: make and break codes of set 1.
    const std::array<std::uint8_t, 4> typed = {0x18, 0x98, 0x18, 0x98};
    ASSERT_TRUE(port->writeAll(typed, 1000));
    char keys[2000] = {};
    char scans[2000] = {};
    ASSERT_EQ(readEcho(keys, scans, 4), 4);
    EXPECT_STREQ(keys, "OOOO");
    EXPECT_STREQ(scans, "\x18\x18\x18\x18");

    EXPECT_EQ(ZebKeyboardHookProc('A', 0x1E, 1), 1);
    EXPECT_EQ(ZebEnableEcho(0), 1);
    EXPECT_EQ(ZebKeyboardHookProc('A', 0x1E, 0), 0);
    EXPECT_EQ(ZebEnableEcho(1), 1);
    EXPECT_EQ(ZebGetEchoChars(keys, scans, 2000), 0);

    std::int32_t word = 0;
    EXPECT_EQ(ZebGetVersion(&word), 1);
    EXPECT_EQ(ZebGetTrace(keys, 2000), 0);
    EXPECT_EQ(LastError(), "Device does not support the requested API.");

    EXPECT_EQ(ZebUnloadDriver(), 1);
    EXPECT_EQ(ZebKeyboardHookProc('A', 0x1E, 1), 0);
    EXPECT_EQ(ZebGetEchoChars(keys, scans, 2000), -1);
    EXPECT_EQ(ZebUnloadDriver(), 0);
    EXPECT_EQ(LastError(), "No driver loaded");
}

// The messages reach the program without a function of the library's own
// for that.
TEST(ZebApiExports, AreThePlainFunctionsAndTheHookProcedure) {
    EXPECT_EQ(
        test::DynamicExports(ZEBAPI_PATH),
        (std::vector<std::string>{
            "ZebEnableEcho", "ZebGetEchoChars", "ZebGetLastError", "ZebGetTrace", "ZebGetVersion",
            "ZebGetVersionEx", "ZebKeyboardHookProc", "ZebLoadDriver", "ZebLoadDriver0",
            "ZebSendData", "ZebSetDelay", "ZebTestDllApi", "ZebTestVxd", "ZebUnloadDriver"}));
}

// The library has no window: its message boxes are shown by the program
// that routes them, and go to standard error when none does.
TEST_F(ZebApiTest, TheLibrarysMessageBoxesReachTheProgram) {
    ASSERT_TRUE(listen());
    ASSERT_EQ(ZebLoadDriver0(), 1) << LastError();
    EXPECT_EQ(ZebKeyboardHookProc('A', 0x1E, 1), 1);
    EXPECT_EQ(ZebKeyboardHookProc('A', 0x1E, 0), 1);
    char keys[2] = {};
    char scans[2] = {};
    test::FakePrompter prompter;
    {
        const platform::LibraryMessageRoute route(prompter);
        EXPECT_EQ(ZebGetEchoChars(keys, scans, 2), 3);
    }
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "ZebGetEchoChars, buffer too small!");
    EXPECT_EQ(prompter.messages[0].caption, "Error");
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Error);

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ZebGetEchoChars(keys, scans, 2), 3);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "zebapi: ZebGetEchoChars, buffer too small!\n");
    EXPECT_EQ(prompter.messages.size(), 1u);
}

TEST_F(ZebApiTest, LoadWritesTheClampedBufferSizeBack) {
    {
        platform::FilePreferencesStore store(folder / "registry.reg");
        store.load();
        platform::SystemError error;
        ASSERT_TRUE(store.createKey(kWedgeSettingsKey, error));
        ASSERT_TRUE(store.setValue(kWedgeSettingsKey, "EchoBufferSize",
                                   platform::RegValue::dword(10000), error));
        ASSERT_TRUE(store.save(error));
    }
    ASSERT_TRUE(listen());
    ASSERT_EQ(ZebLoadDriver0(), 1) << LastError();
    platform::FilePreferencesStore store(folder / "registry.reg");
    store.load();
    platform::RegValue value;
    platform::SystemError error;
    ASSERT_TRUE(store.queryValue(kWedgeSettingsKey, "EchoBufferSize", value, error));
    EXPECT_EQ(value, platform::RegValue::dword(8192));
    ASSERT_TRUE(store.queryValue(kWedgeSettingsKey, "LogFileName", value, error));
    const std::string traceFile = value.asString();
    EXPECT_EQ(traceFile.substr(traceFile.find_last_of('/')), "/zebecho.txt");
}

TEST_F(ZebApiTest, MissingSimulatorIsReportedAsADriverThatWillNotOpen) {
    EXPECT_EQ(ZebLoadDriver0(), 0);
    EXPECT_EQ(LastError(), "Unable to open the driver,\nNo such file or directory");
    EXPECT_EQ(ZebEnableEcho(1), 0);
}

TEST_F(ZebApiTest, MissingDeviceRunsTheInstallerFromTheSearchPath) {
    ScopedEnv noSimulator("ZEBAPI_SIM_SOCKET", nullptr);
    ScopedEnv device("ZEBAPI_DEVICE", (folder / "no-such-device").c_str());
    ScopedEnv path("PATH", folder.path.c_str());
    const std::string installer = folder / "instdrv";
    {
        std::ofstream script(installer);
        script << "#!/bin/sh\necho \"$@\" > '" << folder / "args"
               << "'\n";
    }
    ASSERT_EQ(::chmod(installer.c_str(), 0700), 0);

    EXPECT_EQ(ZebLoadDriver0(), 0);
    EXPECT_EQ(LastError(), "Unable to open the driver,\nNo such file or directory");
    const std::string args = ReadFile(folder / "args");
    EXPECT_EQ(args.rfind("zebdrv2k /lib/modules/", 0), 0u) << args;
    EXPECT_NE(args.find("/extra/zebdrv2k.ko"), std::string::npos) << args;

    ::unlink(installer.c_str());
    EXPECT_EQ(ZebLoadDriver0(), 0);
    EXPECT_EQ(LastError(), "Unable to install the driver,\nNo such file or directory");
}

TEST_F(ZebApiTest, DllApiTestAnswers) {
    char text[16] = {};
    EXPECT_EQ(ZebTestDllApi(text, sizeof text), 1);
    EXPECT_STREQ(text, "linked ok!");
}

}  // namespace
}  // namespace magtune::wedge
