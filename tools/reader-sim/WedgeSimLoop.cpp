#include "WedgeSimLoop.h"

#include <cstdio>
#include <utility>

#include "Complain.h"
#include "WedgeScanCodes.h"

namespace magtune::readersim {

namespace {

// A library that takes longer than this to take the typed keys is dropped.
constexpr int kWriteTimeoutMs = 1000;

}  // namespace

WedgeSimLoop::WedgeSimLoop(const SimOptions& options, int signalFd, KeyboardReaderSim& reader,
                           KeyboardReaderSim::LogSink log)
    : options_(options), reader_(reader), server_(options, signalFd, reader, std::move(log)) {}

bool WedgeSimLoop::listen(std::string& error) {
    auto listener = server_.listenAt(options_.wedgePath, error);
    if (!listener) {
        return false;
    }
    listener_ = std::move(*listener);
    std::printf("%s\n", options_.wedgePath.c_str());
    std::fflush(stdout);
    return true;
}

int WedgeSimLoop::run() {
    for (;;) {
        std::vector<pollfd> fds = server_.pollSet();
        fds.push_back({listener_.fd(), POLLIN, 0});
        for (const platform::UnixSocket& port : ports_) {
            fds.push_back({port.fd(), POLLIN, 0});
        }
        switch (server_.wait(fds)) {
            case SimSocketServer::Wait::Failed:
                return 1;
            case SimSocketServer::Wait::Signalled:
                return 0;
            case SimSocketServer::Wait::Ready:
                break;
        }
        for (std::size_t i = ports_.size(); i-- > 0;) {
            if (fds[2 + i].revents != 0 && !serve(ports_[i])) {
                ports_.erase(ports_.begin() + static_cast<std::ptrdiff_t>(i));
            }
            if (server_.finished()) {
                return 0;
            }
        }
        while (auto port = listener_.accept()) {
            server_.log("keyboard port connected");
            ports_.push_back(std::move(*port));
        }
    }
}

// Feeds what arrived to the reader and types its answer back; false when the
// library is gone.
bool WedgeSimLoop::serve(platform::UnixSocket& port) {
    std::uint8_t buffer[4096];
    const auto got = port.readSome(buffer, 0);
    if (got.status == platform::UnixSocket::ReadStatus::Closed) {
        // The library unloaded its driver: whatever was under way is over.
        server_.log("keyboard port disconnected");
        reader_.reset();
        return false;
    }
    const std::uint64_t acceptedBefore = reader_.acceptedImages();
    const std::string typed = reader_.receive(std::span(buffer, got.count));
    server_.saveIfAccepted(acceptedBefore);
    if (reader_.hangupDue()) {
        return false;
    }
    return typed.empty() || port.writeAll(WedgeScanCodes(typed), kWriteTimeoutMs);
}

int RunWedgeReader(const SimOptions& options, const settings::ConfigurationImage& image,
                   int signalFd, KeyboardReaderSim::LogSink log) {
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

}  // namespace magtune::readersim
