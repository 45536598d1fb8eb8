#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace magtune::comm {

// A list of COM port numbers as a user writes it: "3", "1-8,12". Each port
// from 1 to 32 may appear once; a range runs upwards.
struct ComPortList {
    std::vector<int> indices;  // 0-based (COM1 is 0), in the order given
    std::string error;         // what is wrong with the text; empty when it is fine
};

ComPortList ParseComPortList(std::string_view text);

}  // namespace magtune::comm
