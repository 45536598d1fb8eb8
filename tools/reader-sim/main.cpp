// magtune-reader-sim: a reader on the serial side of the programming
// protocol, behind a pseudo-terminal that the PC side opens like a COM port.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Complain.h"
#include "DefaultImage.h"
#include "DeviceLink.h"
#include "ManyReaders.h"
#include "PtyLine.h"
#include "ReaderSim.h"
#include "SimLoop.h"
#include "SimOptions.h"
#include "UsbSimLoop.h"
#include "WedgeSimLoop.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

namespace magtune::readersim {
namespace {

bool LoadImage(const std::string& path, settings::ConfigurationImage& image, std::string& error) {
    platform::SystemError systemError;
    const auto data = platform::RealFileSystem().readFile(path, systemError);
    if (!data) {
        error = "cannot read the image file " + path + ": " +
                platform::SystemMessageText(systemError.code);
        return false;
    }
    if (data->size() != settings::kImageSize) {
        error = "the image file " + path + " holds " + std::to_string(data->size()) +
                " bytes; an image is exactly 256 bytes";
        return false;
    }
    std::copy(data->begin(), data->end(), image.begin());
    return true;
}

ReaderSim::LogSink VerboseLog() {
    const auto start = std::chrono::steady_clock::now();
    return [start](const std::string& text) {
        const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count();
        Complain("[" + std::to_string(ms / 1000) + "." +
                 std::to_string(1000 + ms % 1000).substr(1) + "] " + text);
    };
}

int Run(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const SimOptionsResult parsed = ParseSimOptions(args);
    if (!parsed.options) {
        Complain(parsed.error);
        return 2;
    }
    const SimOptions& options = *parsed.options;
    if (options.help) {
        std::fputs(SimUsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("magtune-reader-sim %s\n", MAGTUNE_VERSION);
        return 0;
    }

    settings::ConfigurationImage image = DefaultReaderImage();
    std::string error;
    if (!options.imagePath.empty() && !LoadImage(options.imagePath, image, error)) {
        Complain(error);
        return 2;
    }

    // Signals arrive through a descriptor, so the loop sees them between two
    // polls and always leaves through the same clean-up.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    if (::sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        Complain("sigprocmask: " + platform::SystemMessageText(errno));
        return 1;
    }
    const int signalFd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) {
        Complain("signalfd: " + platform::SystemMessageText(errno));
        return 1;
    }

    int status = 1;
    if (options.count != 0) {
        status = RunManyReaders(options, image, signalFd);
    } else if (!options.wedgePath.empty()) {
        status = RunWedgeReader(options, image, signalFd,
                                options.verbose ? VerboseLog() : ReaderSim::LogSink{});
    } else if (!options.usbPath.empty()) {
        status = RunUsbReader(options, image, signalFd,
                              options.verbose ? VerboseLog() : ReaderSim::LogSink{});
    } else {
        PtyLine line;
        DeviceLink link;
        if (!line.open(options.baudRate, error) ||
            (!options.linkPath.empty() &&
             !link.create(options.linkPath, line.devicePath(), error))) {
            Complain(error);
        } else {
            std::printf("%s\n", line.devicePath().c_str());
            std::fflush(stdout);
            const ReaderSim::LogSink log = options.verbose ? VerboseLog() : ReaderSim::LogSink{};
            ReaderSim reader(image, options.baudRate, options.faults, log);
            status = SimLoop(options, line, signalFd, reader, log).run();
        }
    }
    ::close(signalFd);
    return status;
}

}  // namespace
}  // namespace magtune::readersim

int main(int argc, char** argv) {
    return magtune::readersim::Run(argc, argv);
}
