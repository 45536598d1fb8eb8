#include "wedge/WedgeLibrary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "WedgeFakes.h"
#include "platform/FilePreferencesStore.h"
#include "support/FakePrompter.h"
#include "support/MemoryFileSystem.h"
#include "wedge/EchoTrace.h"

namespace magtune::wedge {
namespace {

using namespace magtune::wedge;

using test::FakeClock;
using test::FakeDriverBackend;
using test::FakeProcessRunner;
using test::FakePrompter;
using test::MemoryFileSystem;

constexpr const char* kRegistry = "/home/user/.config/magtune/registry.reg";
constexpr const char* kTrace = "/home/user/.config/magtune/zebecho.txt";

std::vector<std::int32_t> g_callbackCodes;
std::vector<std::int32_t> g_callbackFlags;

void RecordKey(std::int32_t code, std::int32_t flags) {
    g_callbackCodes.push_back(code);
    g_callbackFlags.push_back(flags);
}

class WedgeLibraryTest : public ::testing::Test {
  protected:
    WedgeLibraryTest() : runner(clock) { g_callbackCodes.clear(), g_callbackFlags.clear(); }

    WedgeServices services(OsFamily family = OsFamily::Nt) {
        return {[this](std::string& problem) {
                    auto store = std::make_unique<platform::FilePreferencesStore>(kRegistry, files);
                    problem = store->load();
                    return store;
                },
                drivers,
                runner,
                clock,
                prompter,
                files,
                family,
                kTrace};
    }

    void setValue(const char* name, const platform::RegValue& value) {
        platform::FilePreferencesStore store(kRegistry, files);
        store.load();
        platform::SystemError error;
        ASSERT_TRUE(store.createKey(kWedgeSettingsKey, error));
        ASSERT_TRUE(store.setValue(kWedgeSettingsKey, name, value, error));
        ASSERT_TRUE(store.save(error));
    }

    std::optional<platform::RegValue> value(const char* name) {
        platform::FilePreferencesStore store(kRegistry, files);
        store.load();
        platform::RegValue found;
        platform::SystemError error;
        if (!store.queryValue(kWedgeSettingsKey, name, found, error)) {
            return std::nullopt;
        }
        return found;
    }

    std::string lastError(WedgeLibrary& library) {
        char text[1024] = {};
        library.getLastError(text, sizeof text);
        return text;
    }

    // One key typed on the keyboard: down, then up.
    static void press(WedgeLibrary& library, char character) {
        const auto key = KeyStrokeForCharacter(character);
        library.keyboardHook(key->virtualKey, key->scanCode, true);
        library.keyboardHook(key->virtualKey, key->scanCode, false);
    }

    struct Echo {
        std::int32_t result = 0;
        std::string keys;
        std::string scans;
    };
    static Echo read(WedgeLibrary& library, std::int32_t size = 2000) {
        std::vector<char> keys(static_cast<std::size_t>(std::max(size, 1)), 'x');
        std::vector<char> scans(keys.size(), 'x');
        Echo echo;
        echo.result = library.getEchoChars(keys.data(), scans.data(), size);
        echo.keys = keys.data();
        echo.scans = scans.data();
        return echo;
    }

    MemoryFileSystem files;
    FakeClock clock;
    FakeProcessRunner runner;
    FakeDriverBackend drivers;
    FakePrompter prompter;
};

struct BufferSizeCase {
    std::optional<std::uint32_t> stored;
    std::uint32_t used;
    bool writtenBack;
};

TEST_F(WedgeLibraryTest, EchoBufferSizeIsClampedAndWrittenBack) {
    const std::vector<BufferSizeCase> cases = {
        {std::nullopt, 2048, true},
        {0, 2048, true},
        {10000, 8192, true},
        {0xFFFFFFFF, 8192, true},
        {8192, 8192, false},
        {8193, 8192, true},
        {4, 4, false},
        {1, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? std::to_string(*c.stored) : "missing");
        files.files.clear();
        if (c.stored) {
            setValue("EchoBufferSize", platform::RegValue::dword(*c.stored));
        }
        const int writesBefore = files.writes;
        platform::FilePreferencesStore store(kRegistry, files);
        store.load();
        const WedgeSettings settings = LoadWedgeSettings(store, kTrace);
        EXPECT_EQ(settings.echoBufferSize, c.used);
        EXPECT_EQ(value("EchoBufferSize"), platform::RegValue::dword(c.used));
        if (!c.writtenBack) {
            // Only the missing file name is written.
            EXPECT_EQ(files.writes, writesBefore + 1);
        }
    }
}

TEST_F(WedgeLibraryTest, SettingsAreReadWithTheirDefaults) {
    WedgeSettings settings;
    {
        platform::FilePreferencesStore store(kRegistry, files);
        store.load();
        settings = LoadWedgeSettings(store, kTrace);
    }
    EXPECT_EQ(settings, (WedgeSettings{false, kTrace, 2048, 0}));
    EXPECT_EQ(value("LogFileName"), platform::RegValue::string(kTrace));
    EXPECT_FALSE(value("LogEnable"));
    EXPECT_FALSE(value("SendDelay"));

    setValue("LogFileName", platform::RegValue::string(""));
    setValue("LogEnable", platform::RegValue::dword(3));
    setValue("SendDelay", platform::RegValue::dword(25));
    setValue("EchoBufferSize", platform::RegValue::string("4096"));  // wrong type: as if missing
    platform::FilePreferencesStore store(kRegistry, files);
    store.load();
    settings = LoadWedgeSettings(store, kTrace);
    EXPECT_EQ(settings, (WedgeSettings{true, kTrace, 2048, 25}));
    EXPECT_EQ(value("LogFileName"), platform::RegValue::string(kTrace));
    EXPECT_EQ(value("EchoBufferSize"), platform::RegValue::dword(2048));
}

TEST_F(WedgeLibraryTest, TheSystemsKeyboardHookComesAndGoesWithTheDriver) {
    struct FakeHook : KeyboardHook {
        bool refuse = false;
        int installs = 0;
        int removes = 0;
        bool install() override {
            ++installs;
            return !refuse;
        }
        void remove() override { ++removes; }
    } hook;
    WedgeServices withHook = services();
    withHook.keyboardHook = &hook;
    WedgeLibrary library(withHook);
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    EXPECT_EQ(hook.installs, 1);
    EXPECT_EQ(library.unloadDriver(), 1);
    EXPECT_EQ(hook.removes, 1);

    hook.refuse = true;
    EXPECT_EQ(library.loadDriver(nullptr), 0);
    EXPECT_EQ(lastError(library), "Install KB hook failed.");
    EXPECT_EQ(library.enableEcho(1), 0) << "nothing is loaded without the hook";
    // The driver was closed again, so this is no second load.
    hook.refuse = false;
    EXPECT_EQ(library.loadDriver(nullptr), 1);
    EXPECT_EQ(hook.installs, 3);
    EXPECT_EQ(hook.removes, 1);
}

TEST_F(WedgeLibraryTest, ATraceFileNameFromWindowsTakesTheDefault) {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows such a name is the trace file itself";
#endif
    struct Case {
        const char* stored;
        std::string used;
    };
    const Case cases[] = {
        {"c:\\zebecho.txt", kTrace},
        {"C:/trace.txt", kTrace},
        {"logs\\zebecho.txt", kTrace},
        {"/var/log/zeb.txt", "/var/log/zeb.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        setValue("LogFileName", platform::RegValue::string(c.stored));
        platform::FilePreferencesStore store(kRegistry, files);
        store.load();
        EXPECT_EQ(LoadWedgeSettings(store, kTrace).logFileName, c.used);
        EXPECT_EQ(value("LogFileName"),
                  platform::RegValue::string(c.stored));  // kept for its own system
    }
}

TEST_F(WedgeLibraryTest, TheConfiguredCapacityIsUsed) {
    setValue("EchoBufferSize", platform::RegValue::dword(4));
    WedgeLibrary library(services());
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    press(library, 'A');
    press(library, 'B');
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(library.keyboardHook('C', 0x2E, true));  // swallowed even when dropped
    ASSERT_EQ(prompter.texts(), std::vector<std::string>{"Internal buffer overflow!"});
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Error);
    // A full ring is read whole, not taken for an empty one.
    EXPECT_EQ(read(library).keys, "AABB");
}

TEST_F(WedgeLibraryTest, SecondLoadFailsUntilUnloaded) {
    WedgeLibrary library(services());
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    EXPECT_EQ(library.loadDriver(nullptr), 0);
    EXPECT_EQ(lastError(library), "Driver already loaded");
    EXPECT_EQ(drivers.opened.size(), 1u);
    // The first load is untouched.
    press(library, '1');
    EXPECT_EQ(read(library).result, 2);

    EXPECT_EQ(library.unloadDriver(), 1);
    EXPECT_EQ(drivers.log.closes, 1);
    EXPECT_EQ(library.unloadDriver(), 0);
    EXPECT_EQ(lastError(library), "No driver loaded");
    EXPECT_EQ(library.loadDriver(nullptr), 1);
}

TEST_F(WedgeLibraryTest, HookSwallowsOnlyWhileCaptureIsOn) {
    WedgeLibrary library(services());
    struct Step {
        const char* what;
        std::function<void()> action;
        bool swallowed;
    };
    const std::vector<Step> steps = {
        {"before load", [] {}, false},
        {"after load", [&] { library.loadDriver(nullptr); }, true},
        {"echo off", [&] { library.enableEcho(0); }, false},
        {"echo on", [&] { library.enableEcho(1); }, true},
        {"after unload", [&] { library.unloadDriver(); }, false},
    };
    for (const auto& step : steps) {
        step.action();
        EXPECT_EQ(library.keyboardHook('Q', 0x10, true), step.swallowed) << step.what;
        EXPECT_EQ(library.keyboardHook('Q', 0x10, false), step.swallowed) << step.what;
        if (step.swallowed) {
            EXPECT_EQ(read(library).scans, "\x10\x10") << step.what;
        }
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(WedgeLibraryTest, EventsOfOtherThreadsPassOn) {
    WedgeLibrary library(services());
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    bool swallowed = true;
    std::thread other([&] { swallowed = library.keyboardHook('Q', 0x10, true); });
    other.join();
    EXPECT_FALSE(swallowed);
    EXPECT_EQ(read(library).result, 0);
}

TEST_F(WedgeLibraryTest, EachKeyGivesTwoEntriesAndReachesTheCallback) {
    WedgeLibrary library(services());
    ASSERT_EQ(library.loadDriver(RecordKey), 1);
    press(library, 'O');
    press(library, '7');
    const Echo echo = read(library);
    EXPECT_EQ(echo.result, 4);
    EXPECT_EQ(echo.keys, "OO77");
    EXPECT_EQ(echo.scans, "\x18\x18\x08\x08");
    EXPECT_EQ(g_callbackCodes, (std::vector<std::int32_t>{'O', 'O', '7', '7'}));
    EXPECT_EQ(g_callbackFlags,
              (std::vector<std::int32_t>{0x00180001, static_cast<std::int32_t>(0xC0180001u),
                                         0x00080001, static_cast<std::int32_t>(0xC0080001u)}));
    EXPECT_EQ(read(library).result, 0);
}

TEST_F(WedgeLibraryTest, TooSmallBufferGetsTheNeededSizeAndKeepsTheEntries) {
    WedgeLibrary library(services());
    EXPECT_EQ(read(library).result, -1);
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    for (char c : std::string("ABCDEF")) {
        press(library, c);
    }
    Echo echo = read(library, 10);
    EXPECT_EQ(echo.result, 13);
    EXPECT_EQ(echo.keys, "");
    ASSERT_EQ(prompter.texts(), std::vector<std::string>{"ZebGetEchoChars, buffer too small!"});
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Error);

    echo = read(library, 13);
    EXPECT_EQ(echo.result, 12);
    EXPECT_EQ(echo.keys, "AABBCCDDEEFF");
    EXPECT_EQ(echo.scans, "\x1E\x1E\x30\x30\x2E\x2E\x20\x20\x12\x12\x21\x21");
}

TEST_F(WedgeLibraryTest, EntriesComeBackInOrderAcrossTheWrap) {
    setValue("EchoBufferSize", platform::RegValue::dword(5));
    WedgeLibrary library(services());
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    press(library, '1');
    press(library, '2');
    EXPECT_EQ(read(library).keys, "1122");
    press(library, '3');
    press(library, '4');
    EXPECT_EQ(read(library).keys, "3344");
    press(library, '5');
    press(library, '6');
    library.keyboardHook('7', 0x08, true);
    EXPECT_EQ(read(library).keys, "55667");
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(WedgeLibraryTest, EnableEchoClearsWhatWasCaptured) {
    WedgeLibrary library(services());
    EXPECT_EQ(library.enableEcho(1), 0);
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    press(library, 'A');
    drivers.log.typed = {{{'B', 0x30}, true}};
    EXPECT_EQ(library.enableEcho(1), 1);
    EXPECT_EQ(read(library).result, 0);
}

TEST_F(WedgeLibraryTest, KeysTypedIntoThePortGoThroughTheHook) {
    WedgeLibrary library(services());
    ASSERT_EQ(library.loadDriver(RecordKey), 1);
    drivers.log.typed = {{{'Y', 0x15}, true}, {{'Y', 0x15}, false}};
    EXPECT_EQ(read(library).scans, "\x15\x15");
    EXPECT_EQ(g_callbackCodes.size(), 2u);

    library.enableEcho(0);
    drivers.log.typed = {{{'N', 0x31}, true}};
    library.enableEcho(1);
    EXPECT_EQ(read(library).result, 0);
}

TEST_F(WedgeLibraryTest, LastErrorWithAShortBufferKeepsTheText) {
    WedgeLibrary library(services());
    EXPECT_EQ(library.getLastError(nullptr, 0), 0);
    ASSERT_EQ(library.unloadDriver(), 0);
    const std::string text = "No driver loaded";
    const auto needed = static_cast<std::int32_t>(text.size() + 1);
    char small[8] = "unused";
    EXPECT_EQ(library.getLastError(small, sizeof small), needed);
    EXPECT_STREQ(small, "unused");
    EXPECT_EQ(library.getLastError(nullptr, 100), needed);
    std::vector<char> exact(text.size() + 1);
    EXPECT_EQ(library.getLastError(exact.data(), needed), needed);
    EXPECT_EQ(std::string(exact.data()), text);
    EXPECT_EQ(library.getLastError(exact.data(), needed), 0);
}

TEST_F(WedgeLibraryTest, SendDataPassesTheBytesAndTheDelay) {
    setValue("SendDelay", platform::RegValue::dword(9));
    WedgeLibrary library(services());
    const std::uint8_t wake[] = {0xEC, 0xEC, 0xEC};
    EXPECT_EQ(library.sendData(wake, 3), 0);
    EXPECT_EQ(lastError(library), "No driver loaded");

    ASSERT_EQ(library.loadDriver(nullptr), 1);
    EXPECT_EQ(library.sendData(wake, 3), 1);
    EXPECT_EQ(library.setDelay(1), 1);
    EXPECT_EQ(library.sendData(wake, 2), 1);
    ASSERT_EQ(drivers.log.sends.size(), 2u);
    EXPECT_EQ(drivers.log.sends[0].first, 9u);
    EXPECT_EQ(drivers.log.sends[0].second, (std::vector<std::uint8_t>{0xEC, 0xEC, 0xEC}));
    EXPECT_EQ(drivers.log.sends[1].first, 1u);
    EXPECT_EQ(drivers.log.sends[1].second, (std::vector<std::uint8_t>{0xEC, 0xEC}));

    EXPECT_EQ(library.sendData(nullptr, 3), 0);
    EXPECT_EQ(lastError(library), "Send data to keyboard port failed! (2k)");
    EXPECT_EQ(library.sendData(wake, -1), 0);
    drivers.log.sendError = EIO;
    EXPECT_EQ(library.sendData(wake, 3), 0);
    EXPECT_EQ(lastError(library), "Send data to keyboard port failed! (2k)");
    EXPECT_EQ(drivers.log.sends.size(), 2u);

    // The registry's delay holds again after the next load.
    library.unloadDriver();
    drivers.log.sendError = 0;
    library.loadDriver(nullptr);
    library.sendData(wake, 1);
    EXPECT_EQ(drivers.log.sends.back().first, 9u);
}

TEST_F(WedgeLibraryTest, SendFailureNamesThe9xDriver) {
    WedgeLibrary library(services(OsFamily::Win9x));
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    drivers.log.sendError = EIO;
    const std::uint8_t byte = 0xEC;
    EXPECT_EQ(library.sendData(&byte, 1), 0);
    EXPECT_EQ(lastError(library), "Send data to keyboard port failed! (9x)");
}

struct InstallCase {
    const char* what;
    bool serviceInstalled;
    std::deque<int> openErrors;
    int startError;
    std::uint64_t installerRunsMs;
    bool hasDriverFile;
    OsFamily family;
    std::int32_t result;
    std::string error;
    std::size_t installs;
};

TEST_F(WedgeLibraryTest, MissingDriverIsInstalledWithinThirtySeconds) {
    const std::vector<InstallCase> cases = {
        {"service missing", false, {}, 0, 100, true, OsFamily::Nt, 1, "", 1},
        {"device missing", true, {ENOENT}, 0, 100, true, OsFamily::Nt, 1, "", 1},
        {"installer not found",
         false,
         {},
         ENOENT,
         0,
         true,
         OsFamily::Nt,
         0,
         "Unable to install the driver,\n" + platform::SystemMessageText(ENOENT),
         1},
        {"installer not supported",
         true,
         {ENOENT},
         ENOTSUP,
         0,
         true,
         OsFamily::Nt,
         0,
         "Unable to install the driver,\nnot supported",
         1},
        {"installer hangs",
         false,
         {},
         0,
         3600000,
         true,
         OsFamily::Nt,
         0,
         "Install of driver failed\n",
         1},
        {"installer ends just in time", false, {}, 0, 29999, true, OsFamily::Nt, 1, "", 1},
        {"installed driver will not open",
         true,
         {EACCES, EACCES},
         0,
         100,
         true,
         OsFamily::Nt,
         0,
         "Unable to open the driver,\n" + platform::SystemMessageText(EACCES),
         1},
        {"nothing to install",
         true,
         {ECONNREFUSED},
         0,
         100,
         false,
         OsFamily::Nt,
         0,
         "Unable to open the driver,\n" + platform::SystemMessageText(ECONNREFUSED),
         0},
        {"9x family never installs",
         true,
         {ENOENT},
         0,
         100,
         true,
         OsFamily::Win9x,
         0,
         "Unable to open the driver,\n" + platform::SystemMessageText(ENOENT),
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDriverBackend backend;
        backend.installed = c.serviceInstalled;
        backend.openErrors = c.openErrors;
        if (!c.hasDriverFile) {
            backend.file.reset();
        }
        FakeProcessRunner installer(clock);
        installer.startError = c.startError;
        installer.runsForMs = c.installerRunsMs;
        installer.installsDriver = &backend.installed;
        WedgeServices s = services(c.family);
        WedgeServices withBackend{s.openPreferences, backend, installer, clock,
                                  prompter,          files,   c.family,  kTrace};
        WedgeLibrary library(withBackend);
        const std::uint64_t start = clock.now;

        EXPECT_EQ(library.loadDriver(nullptr), c.result);
        EXPECT_EQ(lastError(library), c.error);
        ASSERT_EQ(installer.started.size(), c.installs);
        if (c.installs > 0) {
            EXPECT_EQ(installer.started[0],
                      (std::vector<std::string>{"instdrv", "zebdrv2k",
                                                "/lib/modules/test/extra/zebdrv2k.ko"}));
        }
        const std::uint64_t waited = clock.now - start;
        if (c.error == "Install of driver failed\n") {
            EXPECT_GE(waited, 30000u);
            EXPECT_LT(waited, 30100u);
        } else {
            EXPECT_LE(waited, 30000u);
        }
        EXPECT_EQ(library.unloadDriver(), c.result);
    }
}

TEST_F(WedgeLibraryTest, VersionWordsFollowTheFamily) {
    {
        WedgeLibrary library(services());
        std::int32_t word = -1;
        EXPECT_EQ(library.getVersion(&word), 0);
        EXPECT_EQ(lastError(library), "No driver loaded");
        ASSERT_EQ(library.loadDriver(nullptr), 1);
        std::int32_t word1 = 0, word2 = 0;
        EXPECT_EQ(library.getVersion(&word), 1);
        EXPECT_EQ(library.getVersionEx(&word1, &word2), 1);
        EXPECT_EQ(word, 0x0102);
        EXPECT_EQ(word1, 0x0102);
        EXPECT_EQ(word2, 0x0304);
        drivers.log.versionRefused = true;
        EXPECT_EQ(library.getVersion(&word), 0);
        EXPECT_EQ(lastError(library), "Device does not support the requested API.");
        drivers.log.versionRefused = false;
        library.unloadDriver();
    }
    WedgeLibrary library(services(OsFamily::Win9x));
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    std::int32_t word1 = 0, word2 = -1;
    EXPECT_EQ(library.getVersionEx(&word1, &word2), 1);
    EXPECT_EQ(word1, 0x0102);
    EXPECT_EQ(word2, 0);
}

TEST_F(WedgeLibraryTest, TraceAndTestRequestsBelongToThe9xDriver) {
    {
        WedgeLibrary library(services());
        ASSERT_EQ(library.loadDriver(nullptr), 1);
        char text[64] = "hello";
        EXPECT_EQ(library.getTrace(text, sizeof text), 0);
        EXPECT_EQ(lastError(library), "Device does not support the requested API.");
        EXPECT_EQ(library.testVxd(text, sizeof text), 0);
        EXPECT_EQ(lastError(library), "Device does not support the requested API.");
        EXPECT_TRUE(drivers.log.tests.empty());
        library.unloadDriver();
    }
    WedgeLibrary library(services(OsFamily::Win9x));
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    char small[4] = "abc";
    EXPECT_EQ(library.getTrace(small, sizeof small), 13);
    EXPECT_STREQ(small, "abc");
    char text[64] = "";
    EXPECT_EQ(library.getTrace(text, sizeof text), 13);
    EXPECT_STREQ(text, "driver trace");
    drivers.log.traceRefused = true;
    EXPECT_EQ(library.getTrace(text, sizeof text), 0);
    EXPECT_EQ(lastError(library), "Device does not support the requested API.");

    std::strcpy(text, "ping");
    EXPECT_EQ(library.testVxd(text, sizeof text), 1);
    EXPECT_STREQ(text, "Test return (7): ok:ping\n");
    std::string longText(300, 'x');
    std::vector<char> buffer(longText.begin(), longText.end());
    buffer.push_back('\0');
    EXPECT_EQ(library.testVxd(buffer.data(), static_cast<std::int32_t>(buffer.size())), 1);
    EXPECT_EQ(drivers.log.tests.back().size(), 255u);

    char linked[16] = "";
    EXPECT_EQ(library.testDllApi(linked, sizeof linked), 1);
    EXPECT_STREQ(linked, "linked ok!");
}

TEST_F(WedgeLibraryTest, TraceFileRecordsEveryRead) {
    setValue("LogEnable", platform::RegValue::dword(1));
    WedgeLibrary library(services());
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    for (char c : std::string("12345")) {
        press(library, c);
    }
    ASSERT_EQ(read(library).result, 10);
    const std::string expected =
        "- - - \nEcho Total: 10,  start: 0, end: 10\n"
        "Echo ASCII/SCode:  1/$02, 1/$02, 2/$03, 2/$03, 3/$04, 3/$04, 4/$05, 4/$05, \n"
        "5/$06, 5/$06, \n\n";
    const auto& trace = files.files[kTrace];
    EXPECT_EQ(std::string(trace.begin(), trace.end()), expected);

    press(library, 'A');
    read(library);
    const std::string second = FormatEchoTrace(std::vector<std::uint8_t>{'A', 'A'},
                                               std::vector<std::uint8_t>{0x1E, 0x1E}, 10, 12);
    EXPECT_EQ(std::string(trace.begin(), trace.end()), expected + second);
    EXPECT_EQ(second,
              "- - - \nEcho Total: 2,  start: 10, end: 12\nEcho ASCII/SCode:  A/$1E, "
              "A/$1E, \n\n");
}

TEST_F(WedgeLibraryTest, NoTraceUnlessEnabled) {
    WedgeLibrary library(services());
    ASSERT_EQ(library.loadDriver(nullptr), 1);
    press(library, '1');
    read(library);
    EXPECT_FALSE(files.fileExists(kTrace));
}

}  // namespace
}  // namespace magtune::wedge
