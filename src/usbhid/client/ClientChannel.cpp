#include "usbhid/client/ClientChannel.h"

#include <time.h>

#include <chrono>
#include <new>

#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "usbhid/common/ChannelNames.h"

namespace magtune {

namespace {

constexpr ChannelObject kEvents[] = {ChannelObject::RequestEvent, ChannelObject::ReplyEvent,
                                     ChannelObject::QuitEvent, ChannelObject::ReadyEvent};

void SleepMs(long ms) {
    const timespec pause{ms / 1000, (ms % 1000) * 1'000'000L};
    ::nanosleep(&pause, nullptr);
}

// Whether a server of the folder holds ServerMutex now.
bool ServerRuns(const std::string& lockPath) {
    SystemError ignored;
    auto lock = FileLock::open(lockPath, ignored);
    return lock && lock->heldElsewhere();
}

}  // namespace

bool ClientChannel::connect() {
    if (connected_) {
        return true;
    }
    folder_ = ProgramFolder();
    nameBase_ = NameBase(folder_);
    lockPath_ = ServerLockPath(UserRuntimeFolder(), nameBase_);
    endOldServer();
    connected_ = true;  // from here on a failure is cleaned up by disconnect()
    if (!createObjects() || !startServer()) {
        disconnect();
        return false;
    }
    return true;
}

// Each connect replaces a server that already serves the folder, so that
// the only server is always the one this library started.
void ClientChannel::endOldServer() {
    SystemError error;
    auto lock = FileLock::open(lockPath_, error);
    if (!lock || !lock->heldElsewhere()) {
        return;
    }
    // The request event wakes the old server so that it sees the quit event
    // at once instead of at its next look.
    for (ChannelObject object : {ChannelObject::QuitEvent, ChannelObject::RequestEvent}) {
        if (auto event = NamedSemaphore::open(ChannelObjectName(nameBase_, object), error)) {
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
    SystemError error;
    NamedSemaphore* events[] = {&requestEvent_, &replyEvent_, &quitEvent_, &readyEvent_};
    for (std::size_t i = 0; i < std::size(kEvents); ++i) {
        auto event = NamedSemaphore::createFresh(ChannelObjectName(nameBase_, kEvents[i]), error);
        if (!event) {
            return false;
        }
        *events[i] = std::move(*event);
    }
    auto mapping = SharedMemoryBlock::createFresh(
        ChannelObjectName(nameBase_, ChannelObject::RequestBlock), kRequestBlockSize, error);
    if (!mapping) {
        return false;
    }
    mapping_ = std::move(*mapping);
    block_ = std::launder(static_cast<RequestBlock*>(mapping_.data()));
    return true;
}

bool ClientChannel::startServer() {
    const std::string path = folder_ + "/" + kServerFileName;
    for (int attempt = 0; attempt < kServerStartAttempts; ++attempt) {
        SystemError error;
        auto process = Process::spawn({path}, error);
        if (!process) {
            continue;
        }
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyWaitMs);
        while (std::chrono::steady_clock::now() < deadline) {
            const auto ready = readyEvent_.wait(50);
            if (ready == NamedSemaphore::WaitResult::Signalled) {
                server_ = std::move(process);
                return true;
            }
            if (ready == NamedSemaphore::WaitResult::Failed || !process->running()) {
                break;
            }
        }
        // Never leave a server behind that did not become ready: it might
        // hold ServerMutex and turn every later attempt away.
        process->kill();
    }
    return false;
}

bool ClientChannel::transact() {
    if (!connected_ || !requestEvent_.post()) {
        return false;
    }
    for (;;) {
        switch (replyEvent_.wait(kLivenessCheckMs)) {
            case NamedSemaphore::WaitResult::Signalled:
                return true;
            case NamedSemaphore::WaitResult::Failed:
                return false;
            case NamedSemaphore::WaitResult::TimedOut:
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
        NamedSemaphore::remove(ChannelObjectName(nameBase_, object));
    }
    SharedMemoryBlock::remove(ChannelObjectName(nameBase_, ChannelObject::RequestBlock));
}

}  // namespace magtune
