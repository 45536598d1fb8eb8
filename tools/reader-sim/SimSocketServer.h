#pragma once

#include <poll.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "KeyboardReaderSim.h"
#include "SimOptions.h"
#include "platform/UnixSocket.h"

namespace magtune::readersim {

// What the USB and the keyboard-port loops share: the sockets they listen
// on (removed again when the loop ends), the wait for the next event or the
// signal that ends the run, the image saved after a download, the end
// condition and the log.
class SimSocketServer {
  public:
    enum class Wait { Ready, Signalled, Failed };

    SimSocketServer(const SimOptions& options, int signalFd, KeyboardReaderSim& reader,
                    KeyboardReaderSim::LogSink log);
    SimSocketServer(const SimSocketServer&) = delete;
    SimSocketServer& operator=(const SimSocketServer&) = delete;
    ~SimSocketServer();

    // Listens at `path`; nothing, with a message, when it cannot.
    std::optional<platform::UnixSocket> listenAt(const std::string& path, std::string& error);

    // The descriptors to wait on, starting with the signal's: the caller's
    // own entries start at index 1.
    std::vector<pollfd> pollSet() const;
    // Waits until something in `fds` is ready. Signalled when the signal
    // came (it is taken), Failed after telling the user.
    Wait wait(std::vector<pollfd>& fds);

    // Saves the reader's image to --save when it took one since
    // `acceptedBefore` (its count of accepted images then).
    void saveIfAccepted(std::uint64_t acceptedBefore);
    // The reader hung up, or ran the transfers asked for.
    bool finished() const;
    void log(const std::string& text) const;

  private:
    const SimOptions& options_;
    int signalFd_;
    KeyboardReaderSim& reader_;
    KeyboardReaderSim::LogSink log_;
    std::vector<std::string> listening_;
};

}  // namespace magtune::readersim
