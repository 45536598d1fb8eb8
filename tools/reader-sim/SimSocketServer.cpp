#include "SimSocketServer.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "Complain.h"
#include "platform/FileSystem.h"

namespace magtune::readersim {

SimSocketServer::SimSocketServer(const SimOptions& options, int signalFd, KeyboardReaderSim& reader,
                                 KeyboardReaderSim::LogSink log)
    : options_(options), signalFd_(signalFd), reader_(reader), log_(std::move(log)) {}

SimSocketServer::~SimSocketServer() {
    for (const std::string& path : listening_) {
        ::unlink(path.c_str());
    }
}

std::optional<platform::UnixSocket> SimSocketServer::listenAt(const std::string& path,
                                                              std::string& error) {
    platform::SystemError failure;
    auto listener = platform::UnixSocket::listenAt(path, failure);
    if (!listener) {
        error = "cannot listen at " + path + ": " + platform::SystemMessageText(failure.code);
        return std::nullopt;
    }
    listening_.push_back(path);
    return listener;
}

std::vector<pollfd> SimSocketServer::pollSet() const {
    return {{signalFd_, POLLIN, 0}};
}

SimSocketServer::Wait SimSocketServer::wait(std::vector<pollfd>& fds) {
    while (::poll(fds.data(), fds.size(), -1) < 0) {
        if (errno != EINTR) {
            Complain("poll: " + platform::SystemMessageText(errno));
            return Wait::Failed;
        }
    }
    if (fds[0].revents & POLLIN) {
        signalfd_siginfo info{};
        [[maybe_unused]] const ssize_t n = ::read(signalFd_, &info, sizeof info);
        return Wait::Signalled;
    }
    return Wait::Ready;
}

void SimSocketServer::saveIfAccepted(std::uint64_t acceptedBefore) {
    if (reader_.acceptedImages() == acceptedBefore || options_.savePath.empty()) {
        return;
    }
    platform::SystemError error;
    if (!platform::RealFileSystem().writeFileAtomically(options_.savePath, reader_.image(),
                                                        error)) {
        Complain("cannot save the image to " + options_.savePath + ": " +
                 platform::SystemMessageText(error.code));
    }
}

bool SimSocketServer::finished() const {
    return reader_.hangupDue() || (options_.exitAfterTransfers &&
                                   reader_.completedTransfers() >= *options_.exitAfterTransfers);
}

void SimSocketServer::log(const std::string& text) const {
    if (log_) {
        log_(text);
    }
}

}  // namespace magtune::readersim
