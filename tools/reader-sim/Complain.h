#pragma once

#include <cstdio>
#include <string>

namespace magtune::readersim {

// Everything the simulator tells its user goes to standard error, under its
// own name, so a test's output shows which process spoke.
inline void Complain(const std::string& text) {
    std::fprintf(stderr, "magtune-reader-sim: %s\n", text.c_str());
}

}  // namespace magtune::readersim
