#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KeyboardReaderSim.h"
#include "SimOptions.h"
#include "SimSocketServer.h"
#include "platform/UnixSocket.h"

namespace magtune::readersim {

// The simulator as a reader on the keyboard port: listens on the socket
// given with --wedge, where the keyboard wedge library plugs in its port.
// Bytes the library sends into the port go to the reader; the characters
// the reader types come back as set-1 scan codes (key down, key up). Runs
// until a signal, a hang-up or the last transfer asked for.
class WedgeSimLoop {
  public:
    WedgeSimLoop(const SimOptions& options, int signalFd, KeyboardReaderSim& reader,
                 KeyboardReaderSim::LogSink log);
    WedgeSimLoop(const WedgeSimLoop&) = delete;
    WedgeSimLoop& operator=(const WedgeSimLoop&) = delete;
    ~WedgeSimLoop() = default;

    // Listens and prints the socket's path on standard output; false with a
    // message.
    bool listen(std::string& error);
    // Returns the exit status.
    int run();

  private:
    bool serve(platform::UnixSocket& port);

    const SimOptions& options_;
    KeyboardReaderSim& reader_;
    SimSocketServer server_;
    platform::UnixSocket listener_;
    std::vector<platform::UnixSocket> ports_;
};

// Plays the reader on the keyboard port at --wedge until the end; the exit
// status.
int RunWedgeReader(const SimOptions& options, const settings::ConfigurationImage& image,
                   int signalFd, KeyboardReaderSim::LogSink log);

}  // namespace magtune::readersim
