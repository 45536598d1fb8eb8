#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/ProvisionRun.h"
#include "app/ProvisionTargets.h"
#include "comm/CommOptions.h"

namespace magtune::app {

// A provisioning run as a window drives it: started and stopped by the user
// and looked at by a timer of the user interface thread, which never waits
// for a reader. The ports are tried and the USB readers counted on a thread
// of the session; each reader then runs on the run's own workers.
class ProvisionSession {
  public:
    // What the session needs of the machine.
    struct Machine {
        ProvisionReaderFactory readers;
        // Whether a serial target opens now (for all ports).
        std::function<bool(const ProvisionTarget&)> opens;
        // How many readers the USB list has; 0, with the reason in
        // `problem`, when there is none or no list.
        std::function<std::size_t(std::string& problem)> usbReaderCount;
        // Keys typed into the window: a real USB reader's answers.
        std::function<void(const std::string& keys)> typed;
        // Before a run with USB readers, on the user interface thread: lets
        // go of a reader that the single transfers hold.
        std::function<void()> beforeUsb;
    };

    enum class Phase { Idle, Running, Stopping, Finished };

    ProvisionSession(Machine machine, platform::Clock& clock);
    // Stops the run and waits for the readers under way: at the end of the
    // program a reader is never left half-written.
    ~ProvisionSession();

    ProvisionSession(const ProvisionSession&) = delete;
    ProvisionSession& operator=(const ProvisionSession&) = delete;

    // Starts a run of `setting` over `targets`, replacing the rows of a
    // finished one; false while a run is under way.
    bool start(const settings::SettingStore& setting, const ProvisionTargetList& targets,
               bool verify);
    // The ports not tried yet are left out, USB readers waiting for their
    // turn fail untouched; readers still connecting give up, the others
    // finish.
    void stop();

    Phase phase() const;
    // Whether Stop was asked for in the current run.
    bool stopped() const { return stopped_; }
    // Readers still under way or waiting.
    std::size_t unfinished() const;
    // The rows that changed since the last call (a new row counts as changed).
    std::vector<std::size_t> takeChanged();
    std::vector<ProvisionResult> results() const;
    // One line about the run: how many readers in which state.
    std::string summary() const;

  private:
    void find(ProvisionTargetList targets);
    void joinFinder();

    Machine machine_;
    platform::Clock& clock_;
    std::unique_ptr<ProvisionRun> run_;
    std::thread finder_;
    std::atomic<bool> finding_ = false;
    std::atomic<bool> stopped_ = false;
    std::string usbProblem_;  // written by the finder, read once it is done
    // Held while a target is added and while Stop is noted, so that no
    // reader starts after Stop.
    std::mutex adding_;

    mutable std::mutex mutex_;
    std::set<std::size_t> changed_;
};

// The serial readers of this machine: COM ports through `portsFolder`, with
// the transfer options as they are when each reader starts. No USB readers.
ProvisionSession::Machine SerialProvisionMachine(const comm::CommOptions& options,
                                                 std::string portsFolder);

}  // namespace magtune::app
