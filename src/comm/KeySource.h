#pragma once

#include <cstdint>
#include <string>

namespace magtune::comm {

// Where a transfer of the keyboard dialect hears the reader's answers: the
// reader types them as keys. In the desktop program they are the key events
// of the active transfer form, handed to the transfer as they come; a loop
// without windows (the command line, the tests) waits on a KeySource
// instead, such as the simulated reader's key channel.
class KeySource {
  public:
    virtual ~KeySource() = default;

    // The characters typed since the last call, in order, waiting up to
    // timeoutMs for the first one; empty when nothing came in time or the
    // source is gone.
    virtual std::string waitForKeys(std::uint32_t timeoutMs) = 0;
};

}  // namespace magtune::comm
