#include "platform/ProcessRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace magtune {

namespace {

class SpawnProcessRunner : public ProcessRunner {
  public:
    bool start(const std::vector<std::string>& argv, SystemError& error) override {
        if (argv.empty()) {
            error = {"posix_spawnp", EINVAL};
            return false;
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
        ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        ::posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        sigset_t none;
        sigemptyset(&none);
        ::posix_spawnattr_setsigmask(&attributes, &none);
        sigset_t all;
        sigfillset(&all);
        ::posix_spawnattr_setsigdefault(&attributes, &all);

        pid_t pid = -1;
        const int result =
            ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
        ::posix_spawn_file_actions_destroy(&actions);
        ::posix_spawnattr_destroy(&attributes);
        if (result != 0) {
            error = {"posix_spawnp", result};
            return false;
        }
        pid_ = pid;
        return true;
    }

    bool running() override {
        if (pid_ < 0) {
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
        pid_ = -1;
        return false;
    }

  private:
    pid_t pid_ = -1;
};

}  // namespace

std::unique_ptr<ProcessRunner> CreateProcessRunner() {
    return std::make_unique<SpawnProcessRunner>();
}

}  // namespace magtune
