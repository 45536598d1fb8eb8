#include "platform/PreferencesStore.h"

namespace magtune::platform {

RegValue RegValue::dword(std::uint32_t value) {
    return {RegType::Dword,
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

RegValue RegValue::string(std::string_view text) {
    RegValue value{RegType::String, {text.begin(), text.end()}};
    value.data.push_back(0);
    return value;
}

RegValue RegValue::binary(std::span<const std::uint8_t> bytes) {
    return {RegType::Binary, {bytes.begin(), bytes.end()}};
}

std::optional<std::uint32_t> RegValue::asDword() const {
    if (data.size() != 4) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
           static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

std::string RegValue::asString() const {
    std::string text;
    for (std::uint8_t byte : data) {
        if (byte == 0) {
            break;
        }
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

}  // namespace magtune::platform
