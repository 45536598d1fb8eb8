// Start-up time and peak memory of magtune next to a minimal Qt Widgets
// program, measured in the same run:
//   startup_bench [runs]
// Each program is started as a child with MAGTUNE_STARTUP_PROBE set, prints
// the time from main() to its first painted window and quits. The bench
// also takes the time from spawning the child to that line (which includes
// loading the shared libraries) and the child's peak resident memory
// (ru_maxrss). Runs alternate between the two programs; medians are shown.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Sample {
    double spawnToShownMs = 0;
    double mainToShownMs = 0;
    double peakMiB = 0;
};

struct Program {
    const char* name;
    const char* path;
    std::vector<Sample> samples;
};

std::vector<std::string> ChildEnvironment(const std::string& folder) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    auto set = [&env](const std::string& name, const std::string& value) {
        std::erase_if(env, [&name](const std::string& entry) {
            return entry.compare(0, name.size() + 1, name + "=") == 0;
        });
        env.push_back(name + "=" + value);
    };
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        set("QT_QPA_PLATFORM", "offscreen");
    }
    // Each run on a fresh preferences file and lock, never the user's own.
    set("XDG_RUNTIME_DIR", folder);
    set("XDG_CONFIG_HOME", folder);
    set("XDG_STATE_HOME", folder);
    set("MAGTUNE_REGISTRY_FILE", folder + "/registry.reg");
    set("MAGTUNE_STARTUP_PROBE", "1");
    return env;
}

bool RunOnce(const char* path, Sample& sample) {
    char pattern[] = "/tmp/magtune-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        return false;
    }
    const std::string folder = pattern;
    std::vector<std::string> env = ChildEnvironment(folder);
    std::vector<char*> envp;
    for (auto& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    int out[2];
    if (::pipe(out) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(path), nullptr};

    const auto spawned = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int error = posix_spawn(&pid, path, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (error != 0) {
        ::close(out[0]);
        std::fprintf(stderr, "cannot start %s: %s\n", path, std::strerror(error));
        return false;
    }
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    const auto shown = std::chrono::steady_clock::now();
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    std::filesystem::remove_all(folder);

    const std::string prefix = "first-show-ms ";
    if (line.compare(0, prefix.size(), prefix) != 0 || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not report its window (\"%s\")\n", path, line.c_str());
        return false;
    }
    sample.mainToShownMs = std::atof(line.c_str() + prefix.size());
    sample.spawnToShownMs = std::chrono::duration<double, std::milli>(shown - spawned).count();
    sample.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : (n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

template <class Field>
double MedianOf(const Program& program, Field field) {
    std::vector<double> values;
    for (const auto& sample : program.samples) {
        values.push_back(sample.*field);
    }
    return Median(values);
}

}  // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    Program magtune{"magtune", MAGTUNE_PROGRAM_PATH, {}};
    Program baseline{"baseline", MAGTUNE_BASELINE_PATH, {}};

    // One warm-up run each fills the file cache, then the runs alternate.
    Sample ignored;
    if (!RunOnce(magtune.path, ignored) || !RunOnce(baseline.path, ignored)) {
        return 1;
    }
    for (int i = 0; i < runs; ++i) {
        for (Program* program : {&magtune, &baseline}) {
            Sample sample;
            if (!RunOnce(program->path, sample)) {
                return 1;
            }
            program->samples.push_back(sample);
        }
    }

    std::printf("start-up to first shown window, median of %d runs\n", runs);
    std::printf("%-10s %18s %18s %14s\n", "program", "spawn->shown ms", "main->shown ms",
                "peak RSS MiB");
    for (const Program* program : {&magtune, &baseline}) {
        std::printf("%-10s %18.1f %18.1f %14.1f\n", program->name,
                    MedianOf(*program, &Sample::spawnToShownMs),
                    MedianOf(*program, &Sample::mainToShownMs),
                    MedianOf(*program, &Sample::peakMiB));
    }
    auto ratio = [&](double Sample::*field) {
        const double base = MedianOf(baseline, field);
        return base > 0 ? MedianOf(magtune, field) / base : 0.0;
    };
    std::printf("%-10s %18.2f %18.2f %14.2f\n", "ratio", ratio(&Sample::spawnToShownMs),
                ratio(&Sample::mainToShownMs), ratio(&Sample::peakMiB));
    // The runs alternate, so run i of each program met the same machine.
    auto spread = [&](double Sample::*field) {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < magtune.samples.size(); ++i) {
            const double base = baseline.samples[i].*field;
            ratios.push_back(base > 0 ? magtune.samples[i].*field / base : 0.0);
        }
        const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
        return std::to_string(*low).substr(0, 4) + ".." + std::to_string(*high).substr(0, 4);
    };
    std::printf("%-10s %18s %18s\n", "run ratios", spread(&Sample::spawnToShownMs).c_str(),
                spread(&Sample::mainToShownMs).c_str());
    return 0;
}
