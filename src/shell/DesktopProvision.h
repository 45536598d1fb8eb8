#pragma once

#include <functional>

#include "app/ProvisionSession.h"
#include "app/RuntimeConfig.h"
#include "comm/CommOptions.h"

namespace magtune::shell {

// The readers that the desktop program's provisioning window reaches: the
// COM ports through the ports folder and the readers of the USB list. A real
// USB reader's answers are the keys typed into the window; the simulated
// reader's come from its bus. What the control library has to say during a
// run goes to the reader's row (or to the summary, for the list), never to a
// message box from a worker thread. `releaseUsb` lets go of the reader that
// the single transfers hold before USB readers are provisioned.
app::ProvisionSession::Machine DesktopProvisionMachine(const comm::CommOptions& options,
                                                       const app::RuntimeConfig& config,
                                                       std::function<void()> releaseUsb);

}  // namespace magtune::shell
