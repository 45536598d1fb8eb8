#include "ManyReaders.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "Complain.h"
#include "DeviceLink.h"
#include "PtyLine.h"
#include "ReaderSim.h"
#include "SimLoop.h"
#include "platform/SystemError.h"

namespace magtune::readersim {
namespace {

// One reader: its options, terminal, link, machine, and the descriptor that
// tells its loop to end (standing in for the signal descriptor).
struct Reader {
    SimOptions options;
    PtyLine line;
    DeviceLink link;
    std::unique_ptr<ReaderSim> sim;
    int stopFd = -1;
    std::thread thread;

    ~Reader() {
        if (stopFd >= 0) {
            ::close(stopFd);
        }
    }
};

ReaderSim::LogSink ReaderLog(unsigned number, bool verbose) {
    if (!verbose) {
        return {};
    }
    const auto start = std::chrono::steady_clock::now();
    return [start, number](const std::string& text) {
        const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count();
        Complain("[COM" + std::to_string(number) + " " + std::to_string(ms / 1000) + "." +
                 std::to_string(1000 + ms % 1000).substr(1) + "] " + text);
    };
}

}  // namespace

int RunManyReaders(const SimOptions& options, const settings::ConfigurationImage& image,
                   int signalFd) {
    std::vector<std::unique_ptr<Reader>> readers;
    const int endedFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (endedFd < 0) {
        Complain("eventfd: " + platform::SystemMessageText(errno));
        return 1;
    }
    std::string lines;
    for (unsigned k = 1; k <= options.count; ++k) {
        auto reader = std::make_unique<Reader>();
        reader->options = options;
        reader->options.baudRate = options.readers[k - 1].baudRate;
        reader->options.faults = options.readers[k - 1].faults;
        reader->stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        std::string error;
        const std::string linkPath = options.linkDir + "/COM" + std::to_string(k);
        if (reader->stopFd < 0) {
            error = "eventfd: " + platform::SystemMessageText(errno);
        } else if (reader->line.open(reader->options.baudRate, error)) {
            reader->link.create(linkPath, reader->line.devicePath(), error);
        }
        if (!error.empty()) {
            Complain("reader " + std::to_string(k) + ": " + error);
            ::close(endedFd);
            return 1;
        }
        lines += "COM" + std::to_string(k) + " " + reader->line.devicePath() + "\n";
        readers.push_back(std::move(reader));
    }
    // Every link is in place before the first line tells the world so.
    std::fputs(lines.c_str(), stdout);
    std::fflush(stdout);

    std::atomic<unsigned> ended{0};
    for (unsigned k = 1; k <= options.count; ++k) {
        Reader& reader = *readers[k - 1];
        const ReaderSim::LogSink log = ReaderLog(k, options.verbose);
        reader.sim =
            std::make_unique<ReaderSim>(image, reader.options.baudRate, reader.options.faults, log);
        reader.thread = std::thread([&reader, &ended, endedFd, log] {
            SimLoop(reader.options, reader.line, reader.stopFd, *reader.sim, log).run();
            ++ended;
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(endedFd, &one, sizeof one);
        });
    }

    while (ended.load() < options.count) {
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {endedFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents & POLLIN) {
            break;
        }
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(endedFd, &count, sizeof count);
    }
    for (auto& reader : readers) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(reader->stopFd, &one, sizeof one);
    }
    for (auto& reader : readers) {
        reader->thread.join();
    }
    ::close(endedFd);
    return 0;
}

}  // namespace magtune::readersim
