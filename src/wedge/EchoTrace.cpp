#include "wedge/EchoTrace.h"

#include <cstdio>

namespace magtune::wedge {

std::string FormatEchoTrace(std::span<const std::uint8_t> keys, std::span<const std::uint8_t> scans,
                            std::size_t start, std::size_t end) {
    std::string text = "- - - \nEcho Total: " + std::to_string(keys.size()) +
                       ",  start: " + std::to_string(start) + ", end: " + std::to_string(end) +
                       "\nEcho ASCII/SCode:  ";
    for (std::size_t i = 0; i < keys.size() && i < scans.size(); ++i) {
        if (i > 0 && i % 8 == 0) {
            text += '\n';
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, "/$%02X, ", static_cast<unsigned>(scans[i]));
        text += static_cast<char>(keys[i]);
        text += hex;
    }
    text += "\n\n";
    return text;
}

}  // namespace magtune::wedge
