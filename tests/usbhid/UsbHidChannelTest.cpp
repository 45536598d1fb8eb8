// The client library, the server and the simulated reader as separate
// processes, the way Magtune meets them: each host program runs from a
// folder of its own next to a copy of the server.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <thread>

#include "PipedProcess.h"
#include "comm/ProtocolFrames.h"
#include "comm/SimulatorKeySource.h"
#include "platform/NamedSemaphore.h"
#include "platform/Process.h"
#include "platform/SharedMemoryBlock.h"
#include "platform/TempFolder.h"
#include "usbhid/common/ChannelNames.h"
#include "usbhid/common/SimUsbWire.h"

namespace magtune::usbhid {
namespace {

namespace fs = std::filesystem;
using test::PipedProcess;
using test::ScopedEnv;
using test::TempFolder;

// Long enough for a selection (2 s) and a server start on a busy machine.
constexpr int kCallTimeoutMs = 15000;

std::vector<pid_t> ServersIn(const std::string& folder) {
    std::vector<pid_t> pids;
    const std::string server = folder + "/" + kServerFileName;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::error_code error;
        if (fs::read_symlink(entry.path() / "exe", error) == server && !error) {
            pids.push_back(std::stoi(name));
        }
    }
    return pids;
}

uid_t OwnerOf(pid_t pid) {
    struct stat info {};
    return ::stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0 ? info.st_uid
                                                                        : static_cast<uid_t>(-1);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text;
}

// A program that uses the library, run from its own folder.
class Host {
  public:
    explicit Host(const std::string& folder) : folder_(folder) {
        started_ = process_.start(folder + "/usbhid_test_host");
    }
    // The program run by another user with its own environment entries.
    Host(const std::string& folder, uid_t user, const std::vector<std::string>& env)
        : folder_(folder) {
        started_ = process_.startAsUser(user, folder + "/usbhid_test_host", env);
    }

    std::string call(const std::string& line) {
        if (!started_ || !process_.send(line)) {
            return "<not running>";
        }
        return process_.readLine(kCallTimeoutMs).value_or("<no answer>");
    }
    void send(const std::string& line) { process_.send(line); }
    std::string answer() { return process_.readLine(kCallTimeoutMs).value_or("<no answer>"); }
    int exit() {
        process_.send("exit");
        process_.closeInput();
        return process_.waitExit(kCallTimeoutMs);
    }

  private:
    std::string folder_;
    PipedProcess process_;
    bool started_ = false;
};

class UsbHidChannelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(temp.path.empty());
        busPath = temp / "bus";
        ASSERT_TRUE(
            simulator.start(MAGTUNE_READER_SIM_PATH,
                            {"--usb", busPath, "--usb-device", "Tarvik Test Reader", "--usb-device",
                             "Acme Keyboard", "--save", temp / "saved.cfg"}));
        ASSERT_EQ(simulator.readLine(10000), busPath);
    }

    // Servers that a killed or replaced program left behind; their objects
    // go with the test's runtime folder.
    void TearDown() override {
        ::kill(simulator.pid(), SIGTERM);
        EXPECT_EQ(simulator.waitExit(5000), 0);
        for (const std::string& folder : folders) {
            for (const pid_t pid : ServersIn(folder)) {
                ::kill(pid, SIGKILL);
            }
        }
    }

    // A folder with the host program, and the server unless told otherwise.
    std::string hostFolder(const std::string& name, bool withServer = true) {
        const std::string folder = temp / name;
        fs::create_directory(folder);
        fs::copy_file(USBHID_TEST_HOST_PATH, folder + "/usbhid_test_host");
        if (withServer) {
            fs::copy_file(USBHID_SERVER_PATH, folder + "/" + kServerFileName);
        }
        folders.push_back(folder);
        return folder;
    }

    std::string keysUntil(comm::SimulatorKeySource& keys, std::size_t count) {
        std::string typed;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (typed.size() < count && std::chrono::steady_clock::now() < deadline &&
               !keys.closed()) {
            typed += keys.waitForKeys(100);
        }
        return typed;
    }

    TempFolder temp;
    // Lock files go to the test's folder, and the server finds the simulator.
    ScopedEnv runtime{"XDG_RUNTIME_DIR", temp.path.c_str()};
    std::string busPath;
    ScopedEnv simulatorEnv{kUsbSimEnvironmentVariable, (temp / "bus").c_str()};
    PipedProcess simulator;
    std::vector<std::string> folders;
};

TEST_F(UsbHidChannelTest, EveryExportAgainstTheSimulatedReader) {
    platform::SystemError error;
    auto keys = comm::SimulatorKeySource::connect(busPath, error);
    ASSERT_NE(keys, nullptr);
    const std::string folder = hostFolder("program");
    Host host(folder);

    EXPECT_EQ(host.call("ready"), "0");  // no reader carries the filter yet
    EXPECT_EQ(host.call("count"), "1");  // the keyboard is no Tarvik reader
    EXPECT_EQ(ServersIn(folder).size(), 1u);
    EXPECT_EQ(host.call("enum 0"), "1 0 Tarvik Test Reader");
    EXPECT_EQ(host.call("enum 1"), "0 0 ");
    EXPECT_EQ(host.call("enum -1"), "0 0 ");
    EXPECT_EQ(host.call("selected"), "1");
    EXPECT_EQ(host.call("set 236"), "0");
    EXPECT_EQ(host.call("select 0"), "1");
    EXPECT_EQ(host.call("ready"), "1");
    EXPECT_EQ(host.call("enum 0"), "1 1 Tarvik Test Reader");
    EXPECT_EQ(host.call("get"), "1 0");

    // A download in the keyboard dialect, byte by byte and buffered.
    EXPECT_EQ(host.call("channel 253"), "1");
    EXPECT_EQ(host.call("set 236"), "1");
    EXPECT_EQ(host.call("set 492"), "1");  // 0x1EC: the low 8 bits go out
    EXPECT_EQ(host.call("buffered EC"), "1");
    EXPECT_EQ(keysUntil(*keys, 1), "O");
    settings::ConfigurationImage image;
    std::iota(image.begin(), image.end(), std::uint8_t{0x40});
    EXPECT_EQ(host.call("buffered " + Hex(comm::KeyboardDownload(image))), "1");
    EXPECT_EQ(keysUntil(*keys, 1), "Y");
    std::ifstream saved(temp / "saved.cfg", std::ios::binary);
    const std::vector<std::uint8_t> savedBytes((std::istreambuf_iterator<char>(saved)),
                                               std::istreambuf_iterator<char>());
    EXPECT_EQ(savedBytes, std::vector<std::uint8_t>(image.begin(), image.end()));

    // The upload reply comes back as typed digits.
    EXPECT_EQ(
        host.call("buffered " + Hex(comm::WakeSequence()) + Hex(comm::KeyboardUploadRequest())),
        "1");
    EXPECT_EQ(keysUntil(*keys, 515), "O" + comm::KeyboardUploadReplyDigits(image));
    EXPECT_EQ(host.call("overlong"), "0");
    EXPECT_EQ(host.call("channel 254"), "1");

    EXPECT_EQ(host.call("deselect"), "1");
    EXPECT_EQ(host.call("ready"), "0");
    EXPECT_EQ(host.call("release"), "1");
    EXPECT_EQ(host.call("release"), "0");
    EXPECT_EQ(host.call("enum 0"), "0 0 ");

    // Unloading the library asks the server to quit.
    EXPECT_EQ(host.exit(), 0);
    EXPECT_TRUE(WaitUntil([&] { return ServersIn(folder).empty(); }, 5000));
}

TEST_F(UsbHidChannelTest, TransfersReachTheSimulatedReaderAndHearItsKeys) {
    Host host(hostFolder("program"));
    EXPECT_EQ(host.call("count"), "1");
    EXPECT_EQ(host.call("select 0"), "1");
    // The host downloads the bytes 40 41 ... 3F.
    EXPECT_EQ(host.call("download"), "1 40413F|Download finished successfully.");
    EXPECT_EQ(host.call("upload"), "1 40413F|Upload finished successfully.");
    std::ifstream saved(temp / "saved.cfg", std::ios::binary);
    EXPECT_EQ(saved.get(), 0x40);
}

TEST_F(UsbHidChannelTest, TwoFoldersGetTwoServers) {
    const std::string first = hostFolder("first");
    const std::string second = hostFolder("second");
    Host a(first);
    Host b(second);
    EXPECT_EQ(a.call("count"), "1");
    EXPECT_EQ(b.call("count"), "1");
    const auto serversA = ServersIn(first);
    const auto serversB = ServersIn(second);
    ASSERT_EQ(serversA.size(), 1u);
    ASSERT_EQ(serversB.size(), 1u);
    EXPECT_NE(serversA[0], serversB[0]);
    // Each server keeps its own list.
    EXPECT_EQ(a.call("release"), "1");
    EXPECT_EQ(b.call("enum 0"), "1 0 Tarvik Test Reader");
}

TEST_F(UsbHidChannelTest, ASecondConnectReplacesTheServerOfTheFolder) {
    const std::string folder = hostFolder("shared");
    Host first(folder);
    EXPECT_EQ(first.call("selected"), "1");
    const auto before = ServersIn(folder);
    ASSERT_EQ(before.size(), 1u);

    Host second(folder);
    EXPECT_EQ(second.call("selected"), "1");
    EXPECT_TRUE(WaitUntil([&] { return ServersIn(folder).size() == 1; }, 5000));
    const auto after = ServersIn(folder);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_NE(after[0], before[0]);

    // The first program's server is gone: its next call fails, the one
    // after it starts a server of its own again.
    EXPECT_EQ(first.call("selected"), "0");
    EXPECT_EQ(first.call("selected"), "1");
}

TEST_F(UsbHidChannelTest, ASecondConnectReplacesAServerBusyInASelection) {
    const std::string folder = hostFolder("shared");
    Host first(folder);
    EXPECT_EQ(first.call("count"), "1");
    const auto before = ServersIn(folder);
    ASSERT_EQ(before.size(), 1u);

    first.send("select 0");  // the server pauses 2 s in there
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Host second(folder);
    // The busy server ends only after it answered, later than the 1 s that
    // the quit is given; the start attempts wait for it.
    EXPECT_EQ(second.call("selected"), "1");
    EXPECT_EQ(first.answer(), "1");  // the old server finished the selection
    EXPECT_TRUE(WaitUntil([&] { return ServersIn(folder).size() == 1; }, 5000));
    const auto after = ServersIn(folder);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_NE(after[0], before[0]);
    EXPECT_EQ(second.call("count"), "1");
}

TEST_F(UsbHidChannelTest, AServerThatDiesFailsTheWaitingCallInsteadOfHangingIt) {
    const std::string folder = hostFolder("program");
    Host host(folder);
    EXPECT_EQ(host.call("count"), "1");
    const auto servers = ServersIn(folder);
    ASSERT_EQ(servers.size(), 1u);

    host.send("select 0");  // the server pauses 2 s in there
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto killedAt = std::chrono::steady_clock::now();
    ::kill(servers[0], SIGKILL);
    EXPECT_EQ(host.answer(), "0");
    const auto waited = std::chrono::steady_clock::now() - killedAt;
    EXPECT_LT(waited, std::chrono::milliseconds(1700)) << "the call waited for the pause";

    EXPECT_EQ(host.call("selected"), "1");
    const auto restarted = ServersIn(folder);
    ASSERT_EQ(restarted.size(), 1u);
    EXPECT_NE(restarted[0], servers[0]);
}

TEST_F(UsbHidChannelTest, WithoutTheServerEveryExportFails) {
    Host host(hostFolder("lonely", false));
    for (const char* call : {"count", "release", "selected", "select 0", "deselect", "ready",
                             "set 236", "channel 253", "buffered ECECEC"}) {
        EXPECT_EQ(host.call(call), "0") << call;
    }
    EXPECT_EQ(host.call("enum 0"), "0 0 ");
    EXPECT_EQ(host.call("get"), "0 0");
}

TEST_F(UsbHidChannelTest, ASecondServerForTheFolderEndsAtOnce) {
    const std::string folder = hostFolder("program");
    Host host(folder);
    EXPECT_EQ(host.call("selected"), "1");
    platform::SystemError error;
    auto intruder = platform::Process::spawn({folder + "/" + kServerFileName}, error);
    ASSERT_TRUE(intruder);
    EXPECT_TRUE(intruder->waitEnded(5000));
    EXPECT_EQ(host.call("selected"), "1");
    EXPECT_EQ(ServersIn(folder).size(), 1u);
}

// Two users of one installed program: each meets a server of its own in a
// namespace of its own, and neither can take the other's names.
TEST_F(UsbHidChannelTest, TwoUsersOfOneProgramFolderEachGetTheirOwnServer) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "a second user needs root";
    }
    constexpr uid_t kOtherUser = 65534;
    const std::string folder = hostFolder("installed");
    // The other user may pass through the test's folder and reach the bus,
    // as it may reach an installed program.
    ::chmod(temp.path.c_str(), 0711);
    ::chmod(busPath.c_str(), 0666);
    const std::string myRuntime = temp / "run-mine";
    ::mkdir(myRuntime.c_str(), 0700);
    ScopedEnv myRuntimeEnv("XDG_RUNTIME_DIR", myRuntime.c_str());
    const std::string otherRuntime = temp / "run-other";
    ::mkdir(otherRuntime.c_str(), 0700);
    ASSERT_EQ(::chown(otherRuntime.c_str(), kOtherUser, kOtherUser), 0);

    // What a local user could leave in the system-wide namespaces under the
    // names the objects would have there: it must not matter.
    const std::string base = NameBase(folder);
    std::vector<std::string> planted;
    for (const ChannelObject object : {ChannelObject::RequestEvent, ChannelObject::RequestBlock}) {
        planted.push_back(ChannelObjectPath("/dev/shm", base, object));
        planted.push_back(ChannelObjectPath("/dev/shm", "sem." + base, object));
    }
    planted.push_back(ServerLockPath("/tmp", base));
    for (const std::string& path : planted) {
        ::close(::open(path.c_str(), O_CREAT | O_WRONLY, 0600));
        ASSERT_EQ(::chown(path.c_str(), kOtherUser, kOtherUser), 0) << path;
    }

    Host mine(folder);
    EXPECT_EQ(mine.call("count"), "1");
    Host theirs(folder, kOtherUser, {"XDG_RUNTIME_DIR=" + otherRuntime, "HOME=" + otherRuntime});
    EXPECT_EQ(theirs.call("count"), "1");
    EXPECT_EQ(theirs.call("enum 0"), "1 0 Tarvik Test Reader");
    EXPECT_EQ(theirs.call("messages"), "");

    // Both servers run, one per user; the first was not replaced.
    const auto servers = ServersIn(folder);
    ASSERT_EQ(servers.size(), 2u);
    std::vector<uid_t> owners{OwnerOf(servers[0]), OwnerOf(servers[1])};
    std::sort(owners.begin(), owners.end());
    EXPECT_EQ(owners, (std::vector<uid_t>{0, kOtherUser}));
    EXPECT_EQ(mine.call("enum 0"), "1 0 Tarvik Test Reader");

    // Each user's objects are in its own folder, for the owner alone.
    for (const auto& [runtime, owner] :
         {std::pair{myRuntime, uid_t{0}}, std::pair{otherRuntime, kOtherUser}}) {
        for (const ChannelObject object :
             {ChannelObject::RequestEvent, ChannelObject::ReplyEvent, ChannelObject::QuitEvent,
              ChannelObject::ReadyEvent, ChannelObject::RequestBlock}) {
            const std::string path = ChannelObjectPath(runtime, base, object);
            struct stat info {};
            ASSERT_EQ(::lstat(path.c_str(), &info), 0) << path;
            EXPECT_EQ(info.st_mode & 0777, 0600u) << path;
            EXPECT_EQ(info.st_uid, owner) << path;
        }
    }
    EXPECT_EQ(theirs.exit(), 0);
    EXPECT_EQ(mine.call("selected"), "1");
    for (const std::string& path : planted) {
        ::unlink(path.c_str());
    }
}

TEST_F(UsbHidChannelTest, WithoutARuntimeFolderOfItsOwnTheUserIsToldOnce) {
    if (::access(("/run/user/" + std::to_string(::geteuid())).c_str(), F_OK) == 0) {
        GTEST_SKIP() << "this user has a runtime folder of the login manager";
    }
    const std::string folder = hostFolder("program");
    // Only the shared /tmp, and a home that others may write to.
    const std::string home = temp / "open-home";
    ::mkdir(home.c_str(), 0777);
    ::chmod(home.c_str(), 0777);
    ScopedEnv shared("XDG_RUNTIME_DIR", "/tmp");
    ScopedEnv open("HOME", home.c_str());
    Host host(folder);
    EXPECT_EQ(host.call("count"), "0");
    EXPECT_EQ(host.call("ready"), "0");
    const std::string told = host.call("messages");
    EXPECT_TRUE(told.starts_with("|USB readers cannot be reached: no runtime folder of your own ("))
        << told;
    EXPECT_EQ(told.find('|', 1), std::string::npos) << told;
    EXPECT_TRUE(ServersIn(folder).empty());
}

// The server has no window: what it says on its standard error reaches the
// program's message boxes, and other output its standard error.
TEST_F(UsbHidChannelTest, TheServersMessagesReachTheProgram) {
    const std::string folder = hostFolder("program", false);
    const std::string server = folder + "/" + kServerFileName;
    {
        std::ofstream script(server);
        script << "#!/bin/sh\n"
               << "echo 'OruUsbHidCtrlSrv64: Access is denied.' >&2\n"
               << "echo 'some other output' >&2\n";
    }
    ::chmod(server.c_str(), 0755);
    Host host(folder);
    EXPECT_EQ(host.call("count"), "0");
    EXPECT_EQ(host.call("messages"),
              "|Access is denied.|Access is denied.|Access is denied.|Access is denied."
              "|Access is denied.");
}

}  // namespace
}  // namespace magtune::usbhid
