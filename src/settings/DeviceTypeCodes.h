#pragma once

#include <array>
#include <cstdint>

namespace magtune::settings {

struct DeviceType {
    std::uint8_t code;
    const char* text;
};

// The list behind DeviceId: the index is the stored choice, the code is what
// image byte 0 carries.
inline constexpr std::array<DeviceType, 19> DeviceTypeCodes{{
    {0, "00-IBM PC/XT"},
    {1, "01-IBM PC/AT, PS/2 MOD 40, 60, 80"},
    {2, "02-IBM PS/2 MOD 30, 25, 56, 70, 90"},
    {8, "08-IBM 3196/3197"},
    {9, "09-IBM 3476/3477"},
    {10, "10-IBM 3191/3192/3270PC"},
    {11, "11-IBM 3486/3487/3488"},
    {13, "13-IBM 3471/3472/3179"},
    {15, "15-IBM 3180"},
    {17, "17-IBM 3151"},
    {19, "19-IBM 5550-5P"},
    {20, "20-IBM 5550-6P"},
    {6, "06-Keyboardless Wedge(PC/AT)"},
    {3, "03-Macintosh(ADB Port)"},
    {4, "04-Serial Wedge"},
    {35, "35-Serial TTL Inverted"},
    {25, "25-Terminal Wedge"},
    {26, "26-Wand Emulation(Native Output)"},
    {7, "07-Wand Emulation(With Code 39 Output)"},
}};

// Indexes that a download sets by interface.
inline constexpr std::int32_t kSerialWedgeDeviceIndex = 14;
inline constexpr std::int32_t kKeyboardlessWedgeDeviceIndex = 12;

// Code of a list index; an index outside the list gives 0.
std::uint8_t DeviceTypeCode(std::int32_t index);

// List index of a code; a code that is not listed gives 0.
std::int32_t DeviceTypeIndex(std::uint8_t code);

}  // namespace magtune::settings
