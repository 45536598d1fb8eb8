#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace magtune::test {

// A program started by a test, with its standard output and error on pipes.
// Killed when the test lets go of it, so that no test leaves one behind.
class ChildProcess {
  public:
    // argv[0] is the program's path. `env` adds or replaces NAME=value
    // entries of this process's environment.
    explicit ChildProcess(std::vector<std::string> argv,
                          const std::vector<std::pair<std::string, std::string>>& env = {}) {
        int out[2];
        int err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            bool replaced = false;
            for (const auto& [name, value] : env) {
                replaced = replaced || entry.starts_with(name + "=");
            }
            if (!replaced) {
                environment.push_back(entry);
            }
        }
        for (const auto& [name, value] : env) {
            environment.push_back(name + "=" + value);
        }
        std::vector<char*> envp;
        for (auto& e : environment) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        std::vector<char*> args;
        for (auto& a : argv) {
            args.push_back(a.data());
        }
        args.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, args.data(), envp.data()) !=
            0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        stdout_ = out[0];
        stderr_ = err[0];
    }

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    ~ChildProcess() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (int fd : {stdout_, stderr_}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    bool started() const { return pid_ > 0; }

    // The first line of standard output, without its line end; empty when
    // none came within the limit.
    std::string firstLine(std::chrono::milliseconds limit = std::chrono::milliseconds(30000)) {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            pollfd fd{stdout_, POLLIN, 0};
            if (::poll(&fd, 1, 20) <= 0) {
                continue;
            }
            char c = 0;
            if (::read(stdout_, &c, 1) != 1) {
                break;
            }
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return {};
    }

    // Waits for the end within the limit, collecting both outputs meanwhile;
    // the exit status, or 128 + the signal. Nothing when it did not end.
    std::optional<int> waitForExit(
        std::chrono::milliseconds limit = std::chrono::milliseconds(30000)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!status_ && std::chrono::steady_clock::now() < end) {
            drain();
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        drain();
        return status_;
    }

    // Ctrl+C, as a user at a terminal gives it.
    std::optional<int> interrupt(
        std::chrono::milliseconds limit = std::chrono::milliseconds(30000)) {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGINT);
        }
        return waitForExit(limit);
    }

    void sendSignal(int signal) {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, signal);
        }
    }

    // Collects the outputs until standard error holds `text`; false when it
    // did not come within the limit or the program ended first.
    bool waitForError(const std::string& text, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (err_.find(text) == std::string::npos && !status_ &&
               std::chrono::steady_clock::now() < end) {
            waitForExit(std::chrono::milliseconds(20));
        }
        return err_.find(text) != std::string::npos;
    }

    std::optional<int> terminate() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGTERM);
        }
        return waitForExit();
    }

    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }

  private:
    void drain() {
        pollfd fds[2] = {{stdout_, POLLIN, 0}, {stderr_, POLLIN, 0}};
        while (::poll(fds, 2, 0) > 0) {
            bool any = false;
            for (int i = 0; i < 2; ++i) {
                if (fds[i].revents & (POLLIN | POLLHUP)) {
                    char buffer[4096];
                    ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                    if (n > 0) {
                        (i == 0 ? out_ : err_).append(buffer, static_cast<std::size_t>(n));
                        any = true;
                    }
                }
            }
            if (!any) {
                break;
            }
        }
    }

    pid_t pid_ = -1;
    int stdout_ = -1;
    int stderr_ = -1;
    std::string out_;
    std::string err_;
    std::optional<int> status_;
};

}  // namespace magtune::test
