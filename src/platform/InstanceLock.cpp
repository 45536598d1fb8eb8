#include "platform/InstanceLock.h"

#include <unistd.h>

#include "platform/Paths.h"

namespace magtune {

InstanceLock::InstanceLock(const std::string& path) {
    lock_ = FileLock::open(path, error_);
    if (!lock_) {
        state_ = State::Unavailable;
        return;
    }
    state_ = lock_->tryLock() ? State::Held : State::OtherInstance;
}

std::string InstanceLock::DefaultPath() {
    return UserRuntimeFolder() + "/magtune-" + std::to_string(::getuid()) + ".lock";
}

}  // namespace magtune
