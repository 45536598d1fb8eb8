// Wall time of a USB download against magtune-reader-sim's simulated bus,
// through the real control library and its server, next to the sum of the
// waits the transfer prescribes: UsbDelay after entering the download
// channel, after each of the three wake bytes and after each of the 260
// frame bytes, ProtocolDelay before the frame, ProtocolDelay and UsbDelay
// when the channel is left, and the 1 ms of the first timer tick. The
// difference is what one control call costs (client, shared memory, server,
// simulated bus) and what the key channel adds.
//
//   usb_download_bench [runs [UsbDelay ...]]
//
// runs each UsbDelay (default 5) and reports the median and the spread; the delays default
// to 0, 1, 2, 5, 10 and 20.
//
// It must lie beside libOruUsbHidCtrl.so and OruUsbHidCtrlSrv64.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "comm/CommOptions.h"
#include "comm/ProtocolFrames.h"
#include "comm/SimulatorKeySource.h"
#include "comm/TransferLog.h"
#include "comm/TransferView.h"
#include "comm/UsbReaderList.h"
#include "comm/UsbTransfer.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "usbhid/client/UsbHidLibrary.h"
#include "usbhid/common/SimUsbWire.h"

extern char** environ;

namespace magtune::comm {
namespace {

class QuietPrompter : public common::Prompter {
  public:
    common::Answer show(const common::Message& message) override {
        if (message.icon != common::MessageIcon::Information) {
            std::fprintf(stderr, "usb_download_bench: %s\n", message.text.c_str());
        }
        return message.buttons == common::MessageButtons::Ok ? common::Answer::Ok
                                                             : common::Answer::No;
    }
    void beep() override {}
};

class NullView : public TransferView {
  public:
    void setStatus(const std::string&) override {}
    void setProgress(int) override {}
    void setBusy(bool) override {}
};

// The simulated bus as a child process; it prints its socket once it listens.
class Simulator {
  public:
    explicit Simulator(const std::string& bus) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> args{MAGTUNE_READER_SIM_PATH, "--usb", bus};
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        std::string line;
        char c = 0;
        while (pid_ > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') {
            line += c;
        }
        ::close(out[0]);
        listening_ = line == bus;
    }
    ~Simulator() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool listening() const { return listening_; }

  private:
    pid_t pid_ = -1;
    bool listening_ = false;
};

// The waits that the transfer itself prescribes for one download.
double PrescribedMs(const CommOptions& options) {
    const double usb = options.UsbDelay;
    const double protocol = options.ProtocolDelay;
    const double firstTick = 1;
    const double enter = usb;
    const double wake = kWakeSequenceSize * usb;
    const double frame = protocol + kKeyboardDownloadFrameSize * usb;
    const double leave = protocol + usb;
    return firstTick + enter + wake + frame + leave;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int Run(int runs, const std::vector<int>& delays) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("usb_download_bench." + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    // The channel's objects go only where no one else may open them.
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    const std::string bus = (folder / "bus").string();
    ::setenv(usbhid::kUsbSimEnvironmentVariable, bus.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);

    int status = 1;
    {
        Simulator simulator(bus);
        platform::SystemError error;
        auto keys = simulator.listening() ? SimulatorKeySource::connect(bus, error) : nullptr;
        if (keys == nullptr) {
            std::fprintf(stderr, "usb_download_bench: the simulated bus did not start\n");
        } else {
            QuietPrompter prompter;
            usbhid::UsbHidLibrary library(prompter);
            platform::Clock& clock = platform::SystemClock();
            UsbReaderList readers(library, clock, prompter);
            std::string selected;
            const auto selectStart = std::chrono::steady_clock::now();
            if (readers.load() && readers.choose(0, selected, 0)) {
                const std::chrono::duration<double, std::milli> selectTime =
                    std::chrono::steady_clock::now() - selectStart;
                std::printf(
                    "reader \"%s\" selected in %.0f ms (the server's own pause included)\n\n",
                    selected.c_str(), selectTime.count());
                std::printf("%-10s %-14s %-14s %-8s %-18s %s\n", "UsbDelay", "prescribed ms",
                            "median ms", "ratio", "min..max ratio", "overhead per control call");
                status = 0;
                TransferLog log(platform::RealFileSystem(), "/dev/null");
                NullView view;
                settings::ConfigurationImage image{};
                for (std::size_t i = 0; i < image.size(); ++i) {
                    image[i] = static_cast<std::uint8_t>(i * 7);
                }
                for (const int usbDelay : delays) {
                    CommOptions options;
                    options.UsbDelay = usbDelay;
                    std::vector<double> times;
                    for (int run = 0; run < runs && status == 0; ++run) {
                        UsbTransfer transfer(UsbTransfer::Direction::Download, library, clock,
                                             prompter, view, options, log, log, image);
                        const auto start = std::chrono::steady_clock::now();
                        if (!RunUsbTransfer(transfer, *keys, clock)) {
                            status = 1;
                        }
                        times.push_back(std::chrono::duration<double, std::milli>(
                                            std::chrono::steady_clock::now() - start)
                                            .count());
                    }
                    if (status != 0) {
                        break;
                    }
                    const double prescribed = PrescribedMs(options);
                    const double measured = Median(times);
                    // Entering, the wake, the frame and leaving.
                    const double calls = 1 + kWakeSequenceSize + kKeyboardDownloadFrameSize + 1;
                    const auto [fastest, slowest] = std::minmax_element(times.begin(), times.end());
                    auto ratio = [prescribed](double ms) {
                        return prescribed > 0 ? ms / prescribed : 0.0;
                    };
                    std::printf("%-10d %-14.0f %-14.1f %-8.3f %.3f..%-12.3f %.3f ms\n", usbDelay,
                                prescribed, measured, ratio(measured), ratio(*fastest),
                                ratio(*slowest), (measured - prescribed) / calls);
                }
                library.UsbHidDeselectDevice();
                library.UsbHidReleaseDeviceList();
            }
        }
    }
    std::filesystem::remove_all(folder);
    return status;
}

}  // namespace
}  // namespace magtune::comm

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<int> delays;
    for (int i = 2; i < argc; ++i) {
        delays.push_back(std::clamp(std::atoi(argv[i]), 0, 20));
    }
    if (delays.empty()) {
        delays = {0, 1, 2, 5, 10, 20};
    }
    return magtune::comm::Run(runs, delays);
}
