#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemError.h"

namespace magtune::platform {

enum class ProgramLookup { AsGiven, SearchPath };

// A child process started by this process.
class Process {
  public:
    Process() = default;

    // Starts argv[0] with the rest as its arguments and this process's
    // environment, in a session of its own so that a signal from the
    // caller's terminal does not reach it. Standard input and output are
    // /dev/null, standard error is shared (or `standardError` when it is a
    // descriptor), no other descriptor is inherited. With SearchPath a bare
    // name is looked up on the search path and failures are reported under
    // "posix_spawnp", else under "posix_spawn".
    // On Windows: CreateProcess of the command line made of the arguments
    // (each quoted when it holds more than letters, digits, '_', '.' and
    // '-'), no handle inherited, failures under "CreateProcess".
    static std::optional<Process> spawn(const std::vector<std::string>& argv, SystemError& error,
                                        ProgramLookup lookup = ProgramLookup::AsGiven,
                                        int standardError = -1);

    pid_t id() const { return pid_; }
    // Reaps the child once it ended. A child that is no longer ours to wait
    // for (someone else reaped it) counts as ended.
    bool running();
    // Polls until the child ended or the time is up; true when it ended.
    bool waitEnded(std::uint32_t timeoutMs);
    // SIGKILL, then reaps.
    void kill();

  private:
    explicit Process(pid_t pid) : pid_(pid) {}

    pid_t pid_ = -1;
    bool ended_ = true;
    // Windows: the process handle, held so that the id cannot pass to
    // another process while this one is watched.
    std::shared_ptr<void> handle_;
};

}  // namespace magtune::platform
