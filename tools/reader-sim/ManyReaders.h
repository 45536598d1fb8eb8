#pragma once

#include "SimOptions.h"
#include "settings/ConfigurationImage.h"

namespace magtune::readersim {

// Plays options.count serial readers at once, each on its own terminal and
// thread, with the links linkDir/COM1 ... to them. Ends on a signal at
// `signalFd`, or when every reader's loop has ended; returns the exit status.
int RunManyReaders(const SimOptions& options, const settings::ConfigurationImage& image,
                   int signalFd);

}  // namespace magtune::readersim
