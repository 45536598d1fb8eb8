#pragma once

#include <cstdint>

namespace magtune::settings {

// How a reader is connected (CurrentInterface); 0 marks a setting file in a
// recent entry.
namespace InterfaceCode {
inline constexpr std::int32_t SettingFile = 0;
inline constexpr std::int32_t Rs232 = 1;
inline constexpr std::int32_t KeyboardWedge = 2;
inline constexpr std::int32_t Usb = 3;
}  // namespace InterfaceCode

}  // namespace magtune::settings
