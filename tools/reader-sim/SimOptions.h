#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ReaderSim.h"

namespace magtune::readersim {

// One reader of several (--count): its rate and its faults.
struct SimReader {
    unsigned baudRate = 9600;
    ReaderFaults faults;
};

// What the command line of magtune-reader-sim asks for.
struct SimOptions {
    unsigned baudRate = 9600;
    std::string imagePath;                // empty: the default image
    std::string savePath;                 // empty: accepted images are not written
    std::string linkPath;                 // empty: no link to the device
    std::string usbPath;                  // set: a USB reader on the simulated bus at this socket
    std::vector<std::string> usbDevices;  // product names on the simulated bus
    std::string wedgePath;                // set: a reader on the keyboard port at this socket
    bool pace = false;
    bool verbose = false;
    bool help = false;
    bool version = false;
    bool lowercaseDigits = false;  // USB: upload replies typed in lower case
    std::optional<std::uint64_t> exitAfterTransfers;
    ReaderFaults faults;
    // --count N: N readers at once, each on its own terminal with the link
    // linkDir/COM1 ... linkDir/COMN; readers[k - 1] is reader k.
    unsigned count = 0;
    std::string linkDir;
    std::vector<SimReader> readers;
};

// The options, or a message for the user saying what is wrong with them.
struct SimOptionsResult {
    std::optional<SimOptions> options;
    std::string error;
};

SimOptionsResult ParseSimOptions(std::span<const std::string> args);

// The --help text.
std::string SimUsageText();

}  // namespace magtune::readersim
