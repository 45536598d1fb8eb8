#include <dirent.h>
#include <sched.h>

#include <cstdlib>
#include <string>

#include "platform/ProcessorPin.h"

namespace magtune::platform {

struct ProcessorPin::Saved {
    cpu_set_t allowed;
    cpu_set_t one;
};

namespace {

int FirstProcessor(const cpu_set_t& set) {
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &set)) {
            return cpu;
        }
    }
    return -1;
}

}  // namespace

ProcessorPin::ProcessorPin() {
    auto saved = std::make_unique<Saved>();
    CPU_ZERO(&saved->allowed);
    if (::sched_getaffinity(0, sizeof saved->allowed, &saved->allowed) != 0 ||
        CPU_COUNT(&saved->allowed) < 2) {
        return;
    }
    int cpu = ::sched_getcpu();
    if (cpu < 0 || cpu >= CPU_SETSIZE || !CPU_ISSET(cpu, &saved->allowed)) {
        cpu = FirstProcessor(saved->allowed);
    }
    CPU_ZERO(&saved->one);
    CPU_SET(cpu, &saved->one);
    if (::sched_setaffinity(0, sizeof saved->one, &saved->one) == 0) {
        saved_ = std::move(saved);
    }
}

ProcessorPin::~ProcessorPin() {
    release();
}

void ProcessorPin::release() {
    if (!saved_) {
        return;
    }
    const auto putBack = [this](pid_t tid) {
        cpu_set_t current;
        CPU_ZERO(&current);
        if (::sched_getaffinity(tid, sizeof current, &current) == 0 &&
            CPU_EQUAL(&current, &saved_->one)) {
            ::sched_setaffinity(tid, sizeof saved_->allowed, &saved_->allowed);
        }
    };
    // Every thread started since the pin inherited it; each is put back
    // by its id. One that ended meanwhile is simply not found.
    if (DIR* tasks = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(tasks)) {
            char* end = nullptr;
            const long tid = std::strtol(entry->d_name, &end, 10);
            if (end != entry->d_name && *end == '\0') {
                putBack(static_cast<pid_t>(tid));
            }
        }
        ::closedir(tasks);
    }
    putBack(0);  // the calling thread in any case, even without /proc
    saved_.reset();
}

}  // namespace magtune::platform
