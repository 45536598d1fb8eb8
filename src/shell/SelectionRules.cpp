#include "shell/SelectionRules.h"

#include "dataedit/Ansi.h"
#include "settings/InterfaceCode.h"

namespace magtune::shell {

namespace {

// The Windows-1252 upper case of a byte; bytes without one map to themselves.
std::uint8_t UpperAnsi(std::uint8_t byte) {
    if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) {
        return static_cast<std::uint8_t>(byte - 0x20);
    }
    switch (byte) {
        case 0x9A:  // s caron
        case 0x9C:  // oe
        case 0x9E:  // z caron
            return static_cast<std::uint8_t>(byte - 0x10);
        case 0xFF:  // y diaeresis
            return 0x9F;
        default:
            return byte;
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string UpperCaseProductName(std::string_view text) {
    std::string upper;
    upper.reserve(text.size());
    for (const std::string& character : dataedit::SplitCharacters(text)) {
        const auto ansi = dataedit::AnsiFromText(character);
        // A character outside the code page is kept, not turned into '?'.
        if (ansi.size() == 1 && dataedit::TextFromAnsiByte(ansi[0]) == character) {
            upper += dataedit::TextFromAnsiByte(UpperAnsi(ansi[0]));
        } else {
            upper += character;
        }
    }
    return upper;
}

std::string TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string ComPortEntryText(int comIndex) {
    return std::to_string(comIndex + 1);
}

std::string ComPortDeviceText(const platform::ComPortInfo& port, bool present) {
    if (port.device.empty()) {
        return "not present";
    }
    return present ? port.device : port.device + " (not present)";
}

std::string InterfaceNotAvailableText(std::int32_t interface) {
    switch (interface) {
        case settings::InterfaceCode::Rs232:
            return "Transfers by RS232 interface are not available yet.";
        case settings::InterfaceCode::Usb:
            return "Transfers by USB interface are not available yet.";
        default:
            return "Transfers by PS/2 keyboard interface are not available yet.";
    }
}

}  // namespace magtune::shell
