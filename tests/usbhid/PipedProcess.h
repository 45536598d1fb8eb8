#pragma once

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace magtune::test {

// A child process whose standard input and output are pipes to the test,
// killed when the test lets go of it.
class PipedProcess {
  public:
    PipedProcess() = default;
    PipedProcess(const PipedProcess&) = delete;
    PipedProcess& operator=(const PipedProcess&) = delete;
    ~PipedProcess() {
        // End of input asks the child to finish; it gets a moment to clean up.
        closeInput();
        if (pid_ > 0 && waitExit(3000) == kStillRunning) {
            ::kill(pid_, SIGKILL);
            waitExit(5000);
        }
        if (out_ >= 0) {
            ::close(out_);
        }
    }

    static constexpr int kStillRunning = -1000;

    // As start(), as another user (its own group, no others) and with `env`
    // entries (NAME=value) replacing ours. Only root may do that.
    bool startAsUser(uid_t uid, const std::string& program, const std::vector<std::string>& env) {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            return false;
        }
        std::vector<std::string> entries = env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            bool replaced = false;
            for (const std::string& own : env) {
                replaced = replaced || entry.starts_with(own.substr(0, own.find('=') + 1));
            }
            if (!replaced) {
                entries.push_back(entry);
            }
        }
        std::vector<char*> envp;
        for (std::string& entry : entries) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        pid_ = ::fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls from here on.
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            const gid_t gid = static_cast<gid_t>(uid);
            if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 ||
                ::setresuid(uid, uid, uid) != 0) {
                ::_exit(126);
            }
            ::execve(program.c_str(), argv, envp.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        in_ = in[1];
        out_ = out[0];
        return pid_ > 0;
    }

    bool start(const std::string& program, const std::vector<std::string>& args = {}) {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        const int result =
            ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        in_ = in[1];
        out_ = out[0];
        return result == 0;
    }

    bool send(const std::string& line) {
        const std::string text = line + "\n";
        return in_ >= 0 &&
               ::write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }

    // One line of output without its line break; nullopt when none came in time.
    std::optional<std::string> readLine(int timeoutMs) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (const auto end = buffered_.find('\n'); end != std::string::npos) {
                std::string line = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd entry{out_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            char chunk[4096];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) {
                return std::nullopt;
            }
            buffered_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    void closeInput() {
        if (in_ >= 0) {
            ::close(in_);
            in_ = -1;
        }
    }

    // The exit status, or kStillRunning when the time ran out.
    int waitExit(int timeoutMs) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int status = 0;
            const pid_t result = ::waitpid(pid_, &status, WNOHANG);
            if (result == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            }
            if (result < 0 || std::chrono::steady_clock::now() >= deadline) {
                return result < 0 ? -1 : kStillRunning;
            }
            ::usleep(5000);
        }
    }

    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffered_;
};

}  // namespace magtune::test
