// Runs the built magtune-reader-sim and talks to it through its terminal the
// way the PC side does.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "DefaultImage.h"
#include "comm/ProtocolFrames.h"
#include "support/ChildProcess.h"

extern char** environ;

namespace magtune::readersim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

const Bytes kConnect{0x02, 0x1B, 0x48, 0x36, 0x35};
const Bytes kUploadRequest{0x02, 0x1B, 0x52, 0x36, 0x46};

// The simulator as a child process with its standard output on a pipe.
class SimProcess : public test::ChildProcess {
  public:
    explicit SimProcess(const std::vector<std::string>& args)
        : test::ChildProcess(WithProgram(args)) {}

  private:
    static std::vector<std::string> WithProgram(const std::vector<std::string>& args) {
        std::vector<std::string> all{MAGTUNE_READER_SIM_PATH};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }
};

// The PC side's end of the line, raw, at a given rate.
class Port {
  public:
    Port(const std::string& path, speed_t speed) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0) {
            setSpeed(speed);
        }
    }
    ~Port() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    bool isOpen() const { return fd_ >= 0; }

    bool setSpeed(speed_t speed) {
        termios settings{};
        if (::tcgetattr(fd_, &settings) != 0) {
            return false;
        }
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, speed);
        ::cfsetospeed(&settings, speed);
        return ::tcsetattr(fd_, TCSANOW, &settings) == 0;
    }

    bool purgeOutput() { return ::tcflush(fd_, TCOFLUSH) == 0; }

    bool write(const Bytes& data) {
        return ::write(fd_, data.data(), data.size()) == static_cast<ssize_t>(data.size());
    }

    // Up to `count` bytes, whatever arrived within the limit; stops early at
    // a hang-up (sets hungUp).
    Bytes read(std::size_t count, std::chrono::milliseconds limit = 1000ms) {
        Bytes data;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (data.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left <= 0ms) {
                break;
            }
            pollfd fd{fd_, POLLIN, 0};
            if (::poll(&fd, 1, static_cast<int>(left.count()) + 1) <= 0) {
                continue;
            }
            std::uint8_t buffer[1024];
            const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - data.size()));
            if (n <= 0) {
                if (n < 0 && errno == EAGAIN) {
                    continue;
                }
                hungUp = true;
                break;
            }
            data.insert(data.end(), buffer, buffer + n);
        }
        return data;
    }

    bool hungUp = false;

  private:
    int fd_ = -1;
};

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = testing::TempDir() + "readersimXXXXXX";
        if (::mkdtemp(pattern.data())) {
            path = pattern;
        }
    }
    ~TempFolder() {
        if (!path.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    }
    std::string path;
};

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(SimProcess, ConnectAndUploadAt9600) {
    SimProcess sim({});
    ASSERT_TRUE(sim.started());
    const std::string device = sim.firstLine();
    ASSERT_FALSE(device.empty());
    Port port(device, B9600);
    ASSERT_TRUE(port.isOpen());

    ASSERT_TRUE(port.write(kConnect));
    EXPECT_EQ(port.read(1), Bytes{0x06});
    ASSERT_TRUE(port.write(kUploadRequest));
    const Bytes reply = port.read(comm::kSerialImageFrameSize);
    ASSERT_EQ(reply.size(), comm::kSerialImageFrameSize);
    // The default image starts 01 A0: digits "01A0".
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 7),
              (Bytes{0x02, 0x1B, 0x52, 0x30, 0x31, 0x41, 0x30}));
    const comm::ImageDecodeResult decoded =
        comm::DecodeSerialUploadReply(std::span(reply).subspan(1));
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(*decoded.image, DefaultReaderImage());

    EXPECT_EQ(sim.terminate(), 0);
}

TEST(SimProcess, NoAnswerAtAnotherRateUntilThePortSwitches) {
    SimProcess sim({});
    const std::string device = sim.firstLine();
    ASSERT_FALSE(device.empty());
    Port port(device, B2400);
    ASSERT_TRUE(port.isOpen());

    ASSERT_TRUE(port.write(kConnect));
    EXPECT_TRUE(port.read(1, 300ms).empty());

    ASSERT_TRUE(port.setSpeed(B9600));
    ASSERT_TRUE(port.write(kConnect));
    EXPECT_EQ(port.read(1), Bytes{0x06});
    EXPECT_EQ(sim.terminate(), 0);
}

TEST(SimProcess, PacedExchangeAt38400) {
    SimProcess sim({"--pace", "--baud", "38400"});
    const std::string device = sim.firstLine();
    ASSERT_FALSE(device.empty());
    Port port(device, B38400);
    ASSERT_TRUE(port.isOpen());
    ASSERT_TRUE(port.write(kConnect));
    EXPECT_EQ(port.read(1), Bytes{0x06});
    ASSERT_TRUE(port.write(kUploadRequest));
    const Bytes reply = port.read(comm::kSerialImageFrameSize);
    const comm::SerialImageFrame expected = comm::SerialUploadReply(DefaultReaderImage());
    EXPECT_EQ(reply, Bytes(expected.begin(), expected.end()));
    EXPECT_EQ(sim.terminate(), 0);
}

// At 1200 baud a download frame needs 4.3 s on the wire: unless the purge
// drops what was not sent yet, the connect frame behind it is not answered
// in time.
TEST(SimProcess, PacedLineDropsWhatThePcPurged) {
    SimProcess sim({"--pace", "--baud", "1200"});
    const std::string device = sim.firstLine();
    ASSERT_FALSE(device.empty());
    Port port(device, B1200);
    ASSERT_TRUE(port.isOpen());
    const comm::SerialImageFrame frame = comm::SerialDownloadFrame(settings::ConfigurationImage{});
    ASSERT_TRUE(port.write(Bytes(frame.begin(), frame.end())));
    std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(port.purgeOutput());
    ASSERT_TRUE(port.write(kConnect));
    EXPECT_EQ(port.read(2, 600ms), Bytes{0x06});
    EXPECT_EQ(sim.terminate(), 0);
}

TEST(SimProcess, SavesTheDownloadAndEndsAfterTheTransfer) {
    TempFolder temp;
    ASSERT_FALSE(temp.path.empty());
    const std::string saved = temp.path + "/saved.cfg";
    const std::string link = temp.path + "/COM3";
    ASSERT_EQ(::symlink("/nonexistent", link.c_str()), 0);  // a stale link is replaced

    SimProcess sim({"--save", saved, "--link", link, "--exit-after-transfers", "1"});
    const std::string device = sim.firstLine();
    ASSERT_FALSE(device.empty());
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), device);

    Port port(link, B9600);
    ASSERT_TRUE(port.isOpen());
    settings::ConfigurationImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(255 - i);
    }
    ASSERT_TRUE(port.write(kConnect));
    EXPECT_EQ(port.read(1), Bytes{0x06});
    const comm::SerialImageFrame frame = comm::SerialDownloadFrame(image);
    ASSERT_TRUE(port.write(Bytes(frame.begin(), frame.end())));
    EXPECT_EQ(port.read(1), Bytes{0x06});

    EXPECT_EQ(sim.waitForExit(), 0);
    EXPECT_EQ(ReadFileBytes(saved), Bytes(image.begin(), image.end()));
    struct stat info {};
    EXPECT_NE(::lstat(link.c_str(), &info), 0) << "the link outlived the simulator";
}

TEST(SimProcess, HangsUpAfterTheGivenByteCount) {
    SimProcess sim({"--hangup-after", "7"});
    const std::string device = sim.firstLine();
    ASSERT_FALSE(device.empty());
    Port port(device, B9600);
    ASSERT_TRUE(port.isOpen());
    ASSERT_TRUE(port.write(kConnect));
    EXPECT_EQ(port.read(1), Bytes{0x06});
    ASSERT_TRUE(port.write(kConnect));
    EXPECT_TRUE(port.read(1).empty());
    EXPECT_TRUE(port.hungUp);
    EXPECT_EQ(sim.waitForExit(), 0);
}

TEST(SimProcess, RefusesAnImageFileOfTheWrongSize) {
    TempFolder temp;
    ASSERT_FALSE(temp.path.empty());
    const std::string file = temp.path + "/short.cfg";
    std::ofstream(file, std::ios::binary) << std::string(255, '\xFF');

    SimProcess sim({"--image", file});
    EXPECT_EQ(sim.firstLine(), "");
    EXPECT_EQ(sim.waitForExit(), 2);
}

// The installed programs answer --version alike, so that a technician can
// tell which simulator a bug report was made against.
TEST(SimProcess, VersionIsPrintedWithoutStarting) {
    SimProcess sim({"--version"});
    EXPECT_EQ(sim.firstLine(), "magtune-reader-sim " MAGTUNE_VERSION);
    EXPECT_EQ(sim.waitForExit(), 0);
}

// A new account has no ports folder yet: the links make it.
TEST(SimProcess, LinksMakeTheirFolder) {
    TempFolder temp;
    ASSERT_FALSE(temp.path.empty());
    const std::string link = temp.path + "/config/magtune/ports/COM1";
    SimProcess one({"--link", link});
    EXPECT_FALSE(one.firstLine().empty());
    EXPECT_TRUE(std::filesystem::is_symlink(link));

    const std::string folder = temp.path + "/crate/ports";
    SimProcess many({"--count", "2", "--link-dir", folder});
    EXPECT_EQ(many.firstLine().rfind("COM1 ", 0), 0u);
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "/COM2"));
}

}  // namespace
}  // namespace magtune::readersim
