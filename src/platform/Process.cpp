#include "platform/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <cerrno>
#include <chrono>

extern char** environ;

namespace magtune::platform {

std::optional<Process> Process::spawn(const std::vector<std::string>& argv, SystemError& error,
                                      ProgramLookup lookup, int standardError) {
    const bool search = lookup == ProgramLookup::SearchPath;
    const char* call = search ? "posix_spawnp" : "posix_spawn";
    if (argv.empty()) {
        error = {call, EINVAL};
        return std::nullopt;
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attributes);
    // Inherited pipes would keep whoever reads them waiting for the child.
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (standardError >= 0) {
        ::posix_spawn_file_actions_adddup2(&actions, standardError, 2);
    }
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    ::posix_spawnattr_setflags(&attributes,
                               POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    sigset_t none;
    sigemptyset(&none);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t all;
    sigfillset(&all);
    ::posix_spawnattr_setsigdefault(&attributes, &all);

    pid_t pid = -1;
    const int result =
        search ? ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ)
               : ::posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        error = {call, result};
        return std::nullopt;
    }
    Process process(pid);
    process.ended_ = false;
    return process;
}

bool Process::running() {
    if (ended_) {
        return false;
    }
    int status = 0;
    pid_t result = 0;
    do {
        result = ::waitpid(pid_, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) {
        return true;
    }
    ended_ = true;
    return false;
}

bool Process::waitEnded(std::uint32_t timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        const timespec pause{0, 5'000'000};
        ::nanosleep(&pause, nullptr);
    }
    return true;
}

void Process::kill() {
    if (running()) {
        ::kill(pid_, SIGKILL);
        waitEnded(5000);
    }
}

}  // namespace magtune::platform
