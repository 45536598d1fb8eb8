#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "ReaderSim.h"

namespace magtune {

// What the command line of magtune-reader-sim asks for.
struct SimOptions {
    unsigned baudRate = 9600;
    std::string imagePath;  // empty: the default image
    std::string savePath;   // empty: accepted images are not written
    std::string linkPath;   // empty: no link to the device
    bool pace = false;
    bool verbose = false;
    bool help = false;
    std::optional<std::uint64_t> exitAfterTransfers;
    ReaderFaults faults;
};

// The options, or a message for the user saying what is wrong with them.
struct SimOptionsResult {
    std::optional<SimOptions> options;
    std::string error;
};

SimOptionsResult ParseSimOptions(std::span<const std::string> args);

// The --help text.
std::string SimUsageText();

}  // namespace magtune
