// Wall time and peak memory of magtune-cli provision against simulated
// readers paced at the real line rate (9600 baud): 16 readers at once next
// to one reader alone. Every reader is downloaded and read back, so one
// reader costs two 517-byte frames each way plus the connects. The goal is
// that 16 readers take at most 1.15 times as long as one.
//
//   provision_bench [runs]      (runs of each size; default 3; medians shown)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Spawns argv with stdout (and stderr) on a pipe, or on /dev/null.
pid_t Spawn(std::vector<std::string> argv, int* stdoutPipe) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int out[2] = {-1, -1};
    if (stdoutPipe != nullptr && ::pipe2(out, O_CLOEXEC) == 0) {
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (out[1] >= 0) {
        ::close(out[1]);
        *stdoutPipe = out[0];
    }
    return pid;
}

// Waits for the simulator's first line: all links are in place then.
bool WaitForLine(int fd) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char c = 0;
            if (::read(fd, &c, 1) != 1) {
                return false;
            }
            if (c == '\n') {
                return true;
            }
        }
    }
    return false;
}

struct Sample {
    double seconds = 0;
    double peakMiB = 0;
    int status = -1;
};

Sample Provision(const std::string& cli, const std::string& sim, const fs::path& folder,
                 int readers) {
    const std::string ports = (folder / ("ports" + std::to_string(readers))).string();
    fs::create_directories(ports);
    ::setenv("MAGTUNE_PORTS_DIR", ports.c_str(), 1);
    int simOut = -1;
    const pid_t simPid =
        Spawn({sim, "--count", std::to_string(readers), "--link-dir", ports, "--pace"}, &simOut);
    Sample sample;
    if (simPid < 0 || !WaitForLine(simOut)) {
        std::fprintf(stderr, "provision_bench: the simulator did not start\n");
        return sample;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::string report = (folder / "report.json").string();
    const pid_t cliPid = Spawn({cli, "provision", (folder / "setting.cfg").string(), "--com",
                                "1-" + std::to_string(readers), "--report", report},
                               nullptr);
    int status = 0;
    rusage usage{};
    ::wait4(cliPid, &status, 0, &usage);
    sample.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sample.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
    sample.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (sample.status != 0) {
        // The readers that failed, as the report has them.
        std::ifstream in(report);
        for (std::string line; std::getline(in, line);) {
            if (line.find("\"state\": \"failed\"") != std::string::npos) {
                std::fprintf(stderr, "provision_bench: %s\n", line.c_str());
            }
        }
    }
    ::kill(simPid, SIGTERM);
    ::waitpid(simPid, nullptr, 0);
    ::close(simOut);
    return sample;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string cli = MAGTUNE_CLI_PATH;
    const std::string sim = MAGTUNE_READER_SIM_PATH;
    char pattern[] = "/tmp/provision-bench-XXXXXX";
    const fs::path folder = ::mkdtemp(pattern);
    ::setenv("MAGTUNE_REGISTRY_FILE", (folder / "registry.reg").c_str(), 1);
    const pid_t newPid = Spawn({cli, "new", (folder / "setting.cfg").string()}, nullptr);
    ::waitpid(newPid, nullptr, 0);

    std::vector<double> time1, time16, rss1, rss16;
    bool allVerified = true;
    for (int run = 0; run < runs; ++run) {
        // Alternate, so that a busy machine weighs on both sizes alike.
        const Sample one = Provision(cli, sim, folder, 1);
        const Sample many = Provision(cli, sim, folder, 16);
        allVerified = allVerified && one.status == 0 && many.status == 0;
        time1.push_back(one.seconds);
        time16.push_back(many.seconds);
        rss1.push_back(one.peakMiB);
        rss16.push_back(many.peakMiB);
        std::printf("run %d: 1 reader %.3f s %.1f MiB%s, 16 readers %.3f s %.1f MiB%s\n", run + 1,
                    one.seconds, one.peakMiB, one.status == 0 ? "" : " (not all verified)",
                    many.seconds, many.peakMiB, many.status == 0 ? "" : " (not all verified)");
    }
    fs::remove_all(folder);
    const double t1 = Median(time1);
    const double t16 = Median(time16);
    const double m1 = Median(rss1);
    const double m16 = Median(rss16);
    std::printf("\nmedian of %d runs, readers paced at 9600 baud, each downloaded and verified:\n",
                runs);
    std::printf("  1 reader alone      %.3f s, peak RSS %.1f MiB\n", t1, m1);
    std::printf("  16 readers at once  %.3f s, peak RSS %.1f MiB\n", t16, m16);
    std::printf("  ratio               %.2fx (goal <= 1.15x)\n", t1 > 0 ? t16 / t1 : 0);
    std::printf("  memory per extra reader  %.0f KiB\n", (m16 - m1) * 1024.0 / 15.0);
    if (!allVerified) {
        std::printf("  (some run did not verify every reader)\n");
        return 1;
    }
    return 0;
}
