#include "platform/InstanceLock.h"

#include <unistd.h>

#include <cerrno>

#include "platform/RuntimeFolder.h"

namespace magtune::platform {

InstanceLock::InstanceLock(const std::string& path) {
    if (path.empty()) {
        error_ = {"open", ENOENT};
        return;
    }
    lock_ = FileLock::open(path, error_);
    if (!lock_) {
        state_ = State::Unavailable;
        return;
    }
    state_ = lock_->tryLock() ? State::Held : State::OtherInstance;
}

namespace {

std::string InRuntimeFolder(const char* extension) {
    std::string problem;
    const auto folder = PrivateRuntimeFolder(problem);
    return folder ? *folder + "/magtune-" + std::to_string(::geteuid()) + extension : std::string();
}

}  // namespace

std::string InstanceLock::DefaultPath() {
    return InRuntimeFolder(".lock");
}

std::string InstanceLock::DefaultChannelPath() {
    return InRuntimeFolder(".sock");
}

}  // namespace magtune::platform
