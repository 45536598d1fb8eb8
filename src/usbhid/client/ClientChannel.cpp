#include "usbhid/client/ClientChannel.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <new>
#include <vector>

#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "platform/RuntimeFolder.h"

namespace magtune::usbhid {

namespace {

constexpr ChannelObject kEvents[] = {ChannelObject::RequestEvent, ChannelObject::ReplyEvent,
                                     ChannelObject::QuitEvent, ChannelObject::ReadyEvent};

void SleepMs(long ms) {
    const timespec pause{ms / 1000, (ms % 1000) * 1'000'000L};
    ::nanosleep(&pause, nullptr);
}

// Whether a server of the folder holds ServerMutex now.
bool ServerRuns(const std::string& lockPath) {
    platform::SystemError ignored;
    auto lock = platform::FileLock::open(lockPath, ignored);
    return lock && lock->heldElsewhere();
}

// The first helper folder that holds the server; the program's own when
// none does, so that the start fails there with the usual message.
std::string ServerFolder() {
    const std::vector<std::string> folders = platform::HelperFolders();
    for (const std::string& folder : folders) {
        if (platform::IsExecutableFile(folder + "/" + kServerFileName)) {
            return folder;
        }
    }
    return folders.front();
}

}  // namespace

bool ClientChannel::connect() {
    if (connected_) {
        return true;
    }
    if (!findRuntimeFolder()) {
        return false;
    }
    folder_ = ServerFolder();
    nameBase_ = NameBase(folder_);
    lockPath_ = ServerLockPath(runtimeFolder_, nameBase_);
    endOldServer();
    connected_ = true;  // from here on a failure is cleaned up by disconnect()
    if (!createObjects() || !startServer()) {
        disconnect();
        return false;
    }
    return true;
}

// The channel's objects live only where no other user can reach them; with
// no such folder there is no channel, and the user is told why once.
bool ClientChannel::findRuntimeFolder() {
    std::string problem;
    const auto folder = platform::PrivateRuntimeFolder(problem);
    if (!folder) {
        if (!toldNoRuntimeFolder_) {
            toldNoRuntimeFolder_ = true;
            messages_.warning("USB readers cannot be reached: no runtime folder of your own (" +
                              problem + "). Set XDG_RUNTIME_DIR to a folder only you can open.");
        }
        return false;
    }
    runtimeFolder_ = *folder;
    return true;
}

std::string ClientChannel::objectPath(ChannelObject object) const {
    return ChannelObjectPath(runtimeFolder_, nameBase_, object);
}

// Each connect replaces a server that already serves the folder, so that
// the only server is always the one this library started.
void ClientChannel::endOldServer() {
    platform::SystemError error;
    auto lock = platform::FileLock::open(lockPath_, error);
    if (!lock || !lock->heldElsewhere()) {
        return;
    }
    // The request event wakes the old server so that it sees the quit event
    // at once instead of at its next look.
    for (ChannelObject object : {ChannelObject::QuitEvent, ChannelObject::RequestEvent}) {
        if (auto event = platform::NamedSemaphore::open(objectPath(object), error)) {
            event->post();
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kQuitWaitMs);
    while (lock->heldElsewhere() && std::chrono::steady_clock::now() < deadline) {
        SleepMs(10);
    }
}

// Fresh objects every time: no signal of an earlier run survives, and no
// object that someone else created can be slipped in.
bool ClientChannel::createObjects() {
    platform::SystemError error;
    platform::NamedSemaphore* events[] = {&requestEvent_, &replyEvent_, &quitEvent_, &readyEvent_};
    for (std::size_t i = 0; i < std::size(kEvents); ++i) {
        auto event = platform::NamedSemaphore::createFresh(objectPath(kEvents[i]), error);
        if (!event) {
            return false;
        }
        *events[i] = std::move(*event);
    }
    auto mapping = platform::SharedMemoryBlock::createFresh(objectPath(ChannelObject::RequestBlock),
                                                            kRequestBlockSize, error);
    if (!mapping) {
        return false;
    }
    mapping_ = std::move(*mapping);
    block_ = std::launder(static_cast<RequestBlock*>(mapping_.data()));
    return true;
}

bool ClientChannel::startServer() {
    const std::string path = folder_ + "/" + kServerFileName;
    platform::SystemError error;
    auto lock = platform::FileLock::open(lockPath_, error);
    for (int attempt = 0; attempt < kServerStartAttempts; ++attempt) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyWaitMs);
        // An old server that is busy with a request of its own program (a
        // selection pauses for seconds) sees the quit only after it answered;
        // until then it holds ServerMutex and a new server would end at once.
        while (lock && lock->heldElsewhere() && std::chrono::steady_clock::now() < deadline) {
            SleepMs(10);
        }
        if (lock && lock->heldElsewhere()) {
            continue;
        }
        // The server has no window: what it has to tell the user comes
        // through its standard error.
        int output[2];
        if (::pipe2(output, O_CLOEXEC) != 0) {
            return false;
        }
        ::fcntl(output[0], F_SETFL, O_NONBLOCK);
        auto process =
            platform::Process::spawn({path}, error, platform::ProgramLookup::AsGiven, output[1]);
        ::close(output[1]);
        if (!process) {
            ::close(output[0]);
            continue;
        }
        while (std::chrono::steady_clock::now() < deadline) {
            const auto ready = readyEvent_.wait(50);
            forwardServerOutput(output[0]);
            if (ready == platform::NamedSemaphore::WaitResult::Signalled) {
                server_ = std::move(process);
                serverOutput_ = output[0];
                return true;
            }
            if (ready == platform::NamedSemaphore::WaitResult::Failed || !process->running()) {
                break;
            }
        }
        // Never leave a server behind that did not become ready: it might
        // hold ServerMutex and turn every later attempt away.
        process->kill();
        forwardServerOutput(output[0], true);
        ::close(output[0]);
    }
    return false;
}

void ClientChannel::forwardServerOutput(int fd, bool ended) {
    const std::string prefix = std::string(kServerFileName) + ": ";
    char chunk[1024];
    ssize_t n = 0;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0) {
        serverLine_.append(chunk, static_cast<std::size_t>(n));
    }
    if (ended && !serverLine_.empty() && serverLine_.back() != '\n') {
        serverLine_ += '\n';
    }
    std::size_t end = 0;
    while ((end = serverLine_.find('\n')) != std::string::npos) {
        const std::string line = serverLine_.substr(0, end);
        serverLine_.erase(0, end + 1);
        if (line.starts_with(prefix)) {
            messages_.warning(line.substr(prefix.size()));
        } else {
            std::fprintf(stderr, "%s\n", line.c_str());
        }
    }
}

bool ClientChannel::transact() {
    if (!connected_ || !requestEvent_.post()) {
        return false;
    }
    for (;;) {
        const auto replied = replyEvent_.wait(kLivenessCheckMs);
        // The server writes a message before it answers the request.
        forwardServerOutput(serverOutput_);
        switch (replied) {
            case platform::NamedSemaphore::WaitResult::Signalled:
                return true;
            case platform::NamedSemaphore::WaitResult::Failed:
                return false;
            case platform::NamedSemaphore::WaitResult::TimedOut:
                break;
        }
        if (!server_ || !server_->running()) {
            server_.reset();
            release();
            return false;
        }
    }
}

void ClientChannel::disconnect() {
    if (!connected_) {
        return;
    }
    if (server_ && server_->running()) {
        quitEvent_.post();
        requestEvent_.post();
        server_->waitEnded(kQuitWaitMs);
    }
    server_.reset();
    release();
}

void ClientChannel::release() {
    if (serverOutput_ >= 0) {
        forwardServerOutput(serverOutput_, true);
        ::close(serverOutput_);
        serverOutput_ = -1;
    }
    serverLine_.clear();
    block_ = nullptr;
    mapping_.close();
    requestEvent_.close();
    replyEvent_.close();
    quitEvent_.close();
    readyEvent_.close();
    removeNamesUnlessServed();
    connected_ = false;
}

// The names are only needed while a server starts; they go once no server
// of the folder runs. Another program of the same folder that replaced our
// server still needs them to end that server later.
void ClientChannel::removeNamesUnlessServed() {
    if (ServerRuns(lockPath_)) {
        return;
    }
    for (ChannelObject object : kEvents) {
        platform::NamedSemaphore::remove(objectPath(object));
    }
    platform::SharedMemoryBlock::remove(objectPath(ChannelObject::RequestBlock));
}

}  // namespace magtune::usbhid
