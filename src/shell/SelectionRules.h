#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ComPorts.h"

namespace magtune::shell {

// The rate the readers cannot run at; the port properties refuse it.
inline constexpr std::uint32_t kUnsupportedBaudRate = 110;
inline constexpr const char* kUnsupportedBaudRateText =
    "Tarvik products donot support 110 baudrate, please select a different baudrate.";

// The product name as typed: every character that has an upper-case form in
// the ANSI code page takes it; other characters stay as they are.
std::string UpperCaseProductName(std::string_view text);

// Without leading and trailing blanks.
std::string TrimBlanks(std::string_view text);

// A port list entry: the number after "COM" ("3" for COM3).
std::string ComPortEntryText(int comIndex);

// Beside the port list: the device the chosen port opens, "/dev/ttyUSB0",
// or "/dev/ttyUSB0 (not present)" when nothing is plugged in there.
std::string ComPortDeviceText(const platform::ComPortInfo& port, bool present);

// Shown when a reader interface has no transfer windows in this build yet.
std::string InterfaceNotAvailableText(std::int32_t interface);

}  // namespace magtune::shell
