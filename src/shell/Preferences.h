#pragma once

#include <cstdint>
#include <string>

#include "comm/CommOptions.h"
#include "common/Prompter.h"
#include "platform/PreferencesStore.h"
#include "settings/RecentList.h"

namespace magtune::shell {

// Where the program keeps its preferences, below the current user's key.
inline constexpr const char* kAppKey = "Software\\Tarvik Veviriz Inc.\\Magtune";
inline constexpr const char* kSettingsKey = "Software\\Tarvik Veviriz Inc.\\Magtune\\Settings";
// "...\\RecentFileList\\File" + k for k = 1..4.
std::string RecentFileKey(int k);

// Value names under "Settings", in the order they are read and written.
namespace PreferenceNames {
inline constexpr const char* MainLeft = "MainLeft";
inline constexpr const char* MainTop = "MainTop";
inline constexpr const char* MainWidth = "MainWidth";
inline constexpr const char* MainHeight = "MainHeight";
inline constexpr const char* Splitter = "Splitter";
inline constexpr const char* Column1Width = "Column1Width";
inline constexpr const char* Column2Width = "Column2Width";
inline constexpr const char* CurrentCom = "Current Com";
inline constexpr const char* CurrentInterface = "Current Interface";
inline constexpr const char* GroupChars = "GroupChars";
inline constexpr const char* Reduction = "Reduction";
inline constexpr const char* UsbDelay = "USB Delay";
inline constexpr const char* ProtocolDelay = "Protocol Delay";
inline constexpr const char* DriverDelay = "Driver Delay";
inline constexpr const char* UsbLogEnable = "USB Log Enable";
inline constexpr const char* ReadIntervalTimeout = "Read Interval Timeout";
inline constexpr const char* ReadTotalTimeoutConstant = "Read Total Timeout Constant";
}  // namespace PreferenceNames

// The main window's position, size, splitter and list column widths, in
// twips.
struct WindowLayout {
    std::int32_t MainLeft = 0;
    std::int32_t MainTop = 0;
    std::int32_t MainWidth = 0;
    std::int32_t MainHeight = 0;
    std::int32_t Splitter = 0;
    std::int32_t Column1Width = 0;
    std::int32_t Column2Width = 0;

    friend bool operator==(const WindowLayout&, const WindowLayout&) = default;
};

// What the window defaults are computed from. The client width is the
// window's inner width once it has its size: MainWidth less the frame.
struct DisplayMetrics {
    double screenWidthTwips = 0;
    double screenHeightTwips = 0;
    std::int32_t frameWidthTwips = 0;
};

// The window layout of a first start: a tenth of the screen in from the
// top left corner, eight tenths of it in size, the client width split in
// three for the splitter and the two columns.
WindowLayout DefaultWindowLayout(const DisplayMetrics& display);

// Everything read at start-up and written at program end.
struct Preferences {
    WindowLayout window;
    std::int32_t CurrentCom = 0;        // CurrentComIndex, 0-31
    std::int32_t CurrentInterface = 2;  // 1 RS232, 2 keyboard wedge, 3 USB
    std::int32_t GroupChars = 12;       // kept for the stored file only
    std::int32_t Reduction = 0;         // kept for the stored file only
    comm::CommOptions options;
    settings::RecentList recent;
};

enum class PreferencesLoadOutcome {
    Loaded,
    EndProgram,  // a key could not be created or cleaned: the error was shown
};

// Reads the preferences, deleting any value found directly under the
// application key and creating the keys that are missing. A value that is
// missing or out of its range takes its default. Fails (after showing the
// system error) only when a key cannot be created or a stray value cannot
// be enumerated or deleted; the program then ends at once.
// What the load cleaned up or created is saved at once (saveCleanUp), so
// that a crash before the program ends does not bring it back; a reader
// that only looks (magtune-cli) passes false, and so does a window that
// saves it with SaveLoadCleanUp once its first frame is out.
PreferencesLoadOutcome LoadPreferences(platform::PreferencesStore& store,
                                       common::Prompter& prompter, const DisplayMetrics& display,
                                       Preferences& preferences, bool saveCleanUp = true);

// Saves what a load cleaned up or created and has not saved yet (nothing
// when it changed nothing). A failure is shown; the program runs on.
bool SaveLoadCleanUp(platform::PreferencesStore& store, common::Prompter& prompter);

// Writes the preferences and makes them permanent. While the window is
// minimized its layout keeps the values stored before; "USB Log Enable" is
// written (as 0) only when logging is off. A failure is shown and ends the
// saving; the program closes either way. Returns whether everything was
// written.
bool SavePreferences(platform::PreferencesStore& store, common::Prompter& prompter,
                     const Preferences& preferences, bool minimized);

}  // namespace magtune::shell
