#include "WedgeSimLoop.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "Complain.h"
#include "WedgeScanCodes.h"
#include "platform/FileSystem.h"

namespace magtune {

namespace {

// A library that takes longer than this to take the typed keys is dropped.
constexpr int kWriteTimeoutMs = 1000;

}  // namespace

WedgeSimLoop::WedgeSimLoop(const SimOptions& options, int signalFd, KeyboardReaderSim& reader,
                           KeyboardReaderSim::LogSink log)
    : options_(options), signalFd_(signalFd), reader_(reader), log_(std::move(log)) {}

WedgeSimLoop::~WedgeSimLoop() {
    if (listener_.isOpen()) {
        ::unlink(options_.wedgePath.c_str());
    }
}

bool WedgeSimLoop::listen(std::string& error) {
    SystemError failure;
    auto listener = UnixSocket::listenAt(options_.wedgePath, failure);
    if (!listener) {
        error = "cannot listen at " + options_.wedgePath + ": " + SystemMessageText(failure.code);
        return false;
    }
    listener_ = std::move(*listener);
    std::printf("%s\n", options_.wedgePath.c_str());
    std::fflush(stdout);
    return true;
}

int WedgeSimLoop::run() {
    for (;;) {
        std::vector<pollfd> fds{{signalFd_, POLLIN, 0}, {listener_.fd(), POLLIN, 0}};
        for (const UnixSocket& port : ports_) {
            fds.push_back({port.fd(), POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            Complain("poll: " + SystemMessageText(errno));
            return 1;
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            [[maybe_unused]] const ssize_t n = ::read(signalFd_, &info, sizeof info);
            return 0;
        }
        for (std::size_t i = ports_.size(); i-- > 0;) {
            if (fds[2 + i].revents != 0 && !serve(ports_[i])) {
                ports_.erase(ports_.begin() + static_cast<std::ptrdiff_t>(i));
            }
            if (finished()) {
                return 0;
            }
        }
        while (auto port = listener_.accept()) {
            log("keyboard port connected");
            ports_.push_back(std::move(*port));
        }
    }
}

// Feeds what arrived to the reader and types its answer back; false when the
// library is gone.
bool WedgeSimLoop::serve(UnixSocket& port) {
    std::uint8_t buffer[4096];
    const auto got = port.readSome(buffer, 0);
    if (got.status == UnixSocket::ReadStatus::Closed) {
        // The library unloaded its driver: whatever was under way is over.
        log("keyboard port disconnected");
        reader_.reset();
        return false;
    }
    const std::uint64_t acceptedBefore = reader_.acceptedImages();
    const std::string typed = reader_.receive(std::span(buffer, got.count));
    if (reader_.acceptedImages() != acceptedBefore) {
        saveImage();
    }
    if (reader_.hangupDue()) {
        return false;
    }
    return typed.empty() || port.writeAll(WedgeScanCodes(typed), kWriteTimeoutMs);
}

void WedgeSimLoop::saveImage() {
    if (options_.savePath.empty()) {
        return;
    }
    SystemError error;
    if (!RealFileSystem().writeFileAtomically(options_.savePath, reader_.image(), error)) {
        Complain("cannot save the image to " + options_.savePath + ": " +
                 SystemMessageText(error.code));
    }
}

bool WedgeSimLoop::finished() const {
    return reader_.hangupDue() || (options_.exitAfterTransfers &&
                                   reader_.completedTransfers() >= *options_.exitAfterTransfers);
}

int RunWedgeReader(const SimOptions& options, const ConfigurationImage& image, int signalFd,
                   KeyboardReaderSim::LogSink log) {
    KeyboardReaderSim reader(image, KeyboardFaults::From(options.faults, options.lowercaseDigits),
                             log);
    WedgeSimLoop loop(options, signalFd, reader, log);
    std::string error;
    if (!loop.listen(error)) {
        Complain(error);
        return 1;
    }
    return loop.run();
}

void WedgeSimLoop::log(const std::string& text) const {
    if (log_) {
        log_(text);
    }
}

}  // namespace magtune
