#pragma once

#include <string>

#include "wedge/WedgeDriver.h"

namespace magtune::wedge {

// A keyboard port wired to magtune-reader-sim: a Unix stream socket on which
// the simulator listens (magtune-reader-sim --wedge PATH; the library uses
// it when $ZEBAPI_SIM_SOCKET names PATH). The library writes the bytes it
// sends into the port; the simulator answers with the keys the reader types
// as set-1 scan codes, the make code when a key goes down and the make code
// plus 0x80 when it comes up. Those keys reach the hook as if the desktop
// had delivered them to the program's thread.
class SimulatorBackend : public WedgeDriverBackend {
  public:
    // $ZEBAPI_SIM_SOCKET, or "" when the simulator is not selected.
    static std::string SocketPathFromEnvironment();

    explicit SimulatorBackend(std::string socketPath);

    // The simulated driver needs no installing.
    bool serviceInstalled() override { return true; }
    std::optional<std::string> driverFile() override { return std::nullopt; }
    std::unique_ptr<WedgeDriver> open(OsFamily family, int& error) override;

  private:
    std::string socketPath_;
};

}  // namespace magtune::wedge
