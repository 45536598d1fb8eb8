#pragma once

#include <cerrno>
#include <deque>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "wedge/DriverInstaller.h"
#include "wedge/WedgeDriver.h"

namespace magtune::test {

using namespace magtune::wedge;

// Time that passes only when someone sleeps.
class FakeClock : public platform::Clock {
  public:
    std::uint64_t now = 1000;
    std::uint64_t slept = 0;

    std::uint64_t nowMs() override { return now; }
    void sleepMs(std::uint32_t milliseconds) override {
        now += milliseconds;
        slept += milliseconds;
    }
};

// An installer that fails to start or runs for a while by the fake clock.
class FakeProcessRunner : public wedge::ProcessRunner {
  public:
    explicit FakeProcessRunner(FakeClock& clock) : clock_(clock) {}

    int startError = 0;             // nonzero: the start fails with it
    std::uint64_t runsForMs = 100;  // how long a started program runs
    std::vector<std::vector<std::string>> started;
    bool* installsDriver = nullptr;  // set once a started installer ends

    bool start(const std::vector<std::string>& argv, platform::SystemError& error) override {
        started.push_back(argv);
        if (startError != 0) {
            error = {"posix_spawnp", startError};
            return false;
        }
        endsAt_ = clock_.nowMs() + runsForMs;
        return true;
    }
    bool running() override {
        if (clock_.nowMs() < endsAt_) {
            return true;
        }
        if (installsDriver != nullptr) {
            *installsDriver = true;
        }
        return false;
    }

  private:
    FakeClock& clock_;
    std::uint64_t endsAt_ = 0;
};

// What the fake driver was asked, and what it types back.
struct FakeDriverLog {
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> sends;
    std::vector<std::string> tests;
    std::vector<wedge::TypedKey> typed;  // delivered at the next takeTypedKeys
    int closes = 0;
    int sendError = 0;
    bool versionRefused = false;
    bool traceRefused = false;
    std::array<std::uint32_t, 3> version{0x0102, 0x0304, 0x0506};
    std::string trace = "driver trace";
};

class FakeDriver : public wedge::WedgeDriver {
  public:
    explicit FakeDriver(FakeDriverLog& log) : log_(log) {}
    ~FakeDriver() override { ++log_.closes; }

    bool send(std::uint32_t delay, std::span<const std::uint8_t> data, int& error) override {
        if (log_.sendError != 0) {
            error = log_.sendError;
            return false;
        }
        log_.sends.push_back({delay, {data.begin(), data.end()}});
        return true;
    }
    bool version(std::array<std::uint32_t, 3>& words, int& error) override {
        if (log_.versionRefused) {
            error = EINVAL;
            return false;
        }
        words = log_.version;
        return true;
    }
    bool trace(std::string& text, int& error) override {
        if (log_.traceRefused) {
            error = EINVAL;
            return false;
        }
        text = log_.trace;
        return true;
    }
    bool test(const std::string& text, std::string& reply, int&) override {
        log_.tests.push_back(text);
        reply = "ok:" + text;
        return true;
    }
    void takeTypedKeys(std::vector<wedge::TypedKey>& keys) override {
        keys = log_.typed;
        log_.typed.clear();
    }

  private:
    FakeDriverLog& log_;
};

// A driver that opens once the service is installed, unless told to fail.
class FakeDriverBackend : public wedge::WedgeDriverBackend {
  public:
    FakeDriverLog log;
    bool installed = true;
    std::optional<std::string> file = "/lib/modules/test/extra/zebdrv2k.ko";
    std::deque<int> openErrors;  // consumed one per open; ENOENT while not installed
    std::vector<wedge::OsFamily> opened;

    bool serviceInstalled() override { return installed; }
    std::optional<std::string> driverFile() override { return file; }
    std::unique_ptr<wedge::WedgeDriver> open(wedge::OsFamily family, int& error) override {
        opened.push_back(family);
        if (!openErrors.empty()) {
            error = openErrors.front();
            openErrors.pop_front();
            return nullptr;
        }
        if (!installed) {
            error = ENOENT;
            return nullptr;
        }
        return std::make_unique<FakeDriver>(log);
    }
};

}  // namespace magtune::test
