#pragma once

#include <cstdint>
#include <string>

#include "platform/PreferencesStore.h"

namespace magtune::wedge {

// The wedge library's own key in the current user's registry.
inline constexpr const char* kWedgeSettingsKey =
    "Software\\Tarvik Veviriz Inc.\\Lumo Setting DLL Library\\Settings";

inline constexpr std::uint32_t kDefaultEchoBufferSize = 2048;
inline constexpr std::uint32_t kMaxEchoBufferSize = 8192;

// The library's settings, read at every driver load.
struct WedgeSettings {
    bool logEnable = false;
    std::string logFileName;
    std::uint32_t echoBufferSize = kDefaultEchoBufferSize;
    std::uint32_t sendDelay = 0;

    friend bool operator==(const WedgeSettings&, const WedgeSettings&) = default;
};

// Where the echo trace goes unless "LogFileName" says otherwise: zebecho.txt
// in the user's configuration folder, beside the preferences file in which
// the trace is switched on. The program deletes it at start-up.
std::string DefaultEchoTraceFile();

// A path in the form of the original system: a drive letter ("c:...") or
// backslashes.
bool IsWindowsPath(const std::string& path);

// Reads "LogEnable", "LogFileName", "EchoBufferSize" and "SendDelay". A
// missing or empty file name and a missing, zero or too large buffer size
// are replaced and the replacement is written back, so that the key shows
// what the library uses. Values of the wrong type count as missing.
WedgeSettings LoadWedgeSettings(platform::PreferencesStore& store,
                                const std::string& defaultLogFileName);

}  // namespace magtune::wedge
