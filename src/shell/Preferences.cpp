#include "shell/Preferences.h"

#include <cmath>
#include <optional>
#include <vector>

#include "platform/SystemError.h"

namespace magtune {

namespace {

constexpr std::size_t kValueNameBufferChars = 128;
constexpr std::size_t kMaxRecentNameChars = 127;
constexpr int kRecentKeys = 4;

constexpr OptionRange kCurrentComRange{0, 31, 0};
constexpr OptionRange kCurrentInterfaceRange{1, 3, 2};
constexpr OptionRange kGroupCharsRange{8, 16, 12};
constexpr OptionRange kReductionRange{0, 10, 0};
constexpr OptionRange kRecentInterfaceRange{0, 3, 0};
constexpr OptionRange kRecentComRange{0, 31, 0};

// A value read as 4 raw bytes whatever its type; anything else is missing.
std::optional<std::int32_t> ReadNumber(PreferencesStore& store, const std::string& key,
                                       const char* name) {
    RegValue value;
    SystemError error;
    if (!store.queryValue(key, name, value, error)) {
        return std::nullopt;
    }
    const auto number = value.asDword();
    if (!number) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*number);
}

std::int32_t ReadInRange(PreferencesStore& store, const std::string& key, const char* name,
                         const OptionRange& range) {
    return LoadOptionValue(ReadNumber(store, key, name), range);
}

std::int32_t ReadAny(PreferencesStore& store, const std::string& key, const char* name,
                     std::int32_t defaultValue) {
    return ReadNumber(store, key, name).value_or(defaultValue);
}

std::int32_t Round(double twips) {
    return static_cast<std::int32_t>(std::lround(twips));
}

std::int32_t ThirdOfClient(std::int32_t mainWidth, const DisplayMetrics& display) {
    const std::int64_t client = static_cast<std::int64_t>(mainWidth) - display.frameWidthTwips;
    return static_cast<std::int32_t>((client - 40) / 3);
}

PreferencesLoadOutcome EndProgram(Prompter& prompter, const char* function,
                                  const SystemError& error) {
    ShowSystemError(prompter, function, error.code);
    return PreferencesLoadOutcome::EndProgram;
}

// Values directly under the application key belong to no one and go. A
// name too long for the 128-character buffer used to make the enumeration
// fail on every start, so the program could never start again; such names
// are deleted like the others.
bool DeleteStrayValues(PreferencesStore& store, Prompter& prompter) {
    std::vector<std::string> names;
    SystemError error;
    if (!store.enumValues(kAppKey, kValueNameBufferChars, names, error) && !IsNameTooLong(error)) {
        ShowSystemError(prompter, "RegEnumValue", error.code);
        return false;
    }
    for (const auto& name : names) {
        if (!store.deleteValue(kAppKey, name, error)) {
            ShowSystemError(prompter, "RegDeleteValue", error.code);
            return false;
        }
    }
    return true;
}

void ReadSettings(PreferencesStore& store, const DisplayMetrics& display, Preferences& p) {
    namespace N = PreferenceNames;
    const std::string key = kSettingsKey;
    const WindowLayout defaults = DefaultWindowLayout(display);
    auto& w = p.window;
    w.MainLeft = ReadAny(store, key, N::MainLeft, defaults.MainLeft);
    w.MainTop = ReadAny(store, key, N::MainTop, defaults.MainTop);
    w.MainWidth = ReadAny(store, key, N::MainWidth, defaults.MainWidth);
    w.MainHeight = ReadAny(store, key, N::MainHeight, defaults.MainHeight);
    // The client width follows the width the window was just given.
    const std::int32_t third = ThirdOfClient(w.MainWidth, display);
    w.Splitter = ReadAny(store, key, N::Splitter, third);
    w.Column1Width = ReadAny(store, key, N::Column1Width, third);
    w.Column2Width = ReadAny(store, key, N::Column2Width, third);

    p.CurrentCom = ReadInRange(store, key, N::CurrentCom, kCurrentComRange);
    p.CurrentInterface = ReadInRange(store, key, N::CurrentInterface, kCurrentInterfaceRange);
    p.GroupChars = ReadInRange(store, key, N::GroupChars, kGroupCharsRange);
    p.Reduction = ReadInRange(store, key, N::Reduction, kReductionRange);
    auto& o = p.options;
    o.UsbDelay = ReadInRange(store, key, N::UsbDelay, kUsbDelayRange);
    o.ProtocolDelay = ReadInRange(store, key, N::ProtocolDelay, kProtocolDelayRange);
    o.DriverDelay = ReadInRange(store, key, N::DriverDelay, kDriverDelayRange);
    o.UsbLogEnable = ReadAny(store, key, N::UsbLogEnable, 0) != 0;
    o.ReadIntervalTimeout =
        ReadInRange(store, key, N::ReadIntervalTimeout, kReadIntervalTimeoutRange);
    o.ReadTotalTimeoutConstant =
        ReadInRange(store, key, N::ReadTotalTimeoutConstant, kReadTotalTimeoutConstantRange);
}

RecentEntry ReadRecentEntry(PreferencesStore& store, const std::string& key) {
    RecentEntry entry;
    RegValue value;
    SystemError error;
    if (store.queryValue(key, "Name", value, error)) {
        entry.Name = value.asString();
        if (entry.Name.size() > kMaxRecentNameChars) {
            entry.Name.clear();
        }
    }
    entry.Interface = ReadInRange(store, key, "Interface", kRecentInterfaceRange);
    entry.Com = ReadInRange(store, key, "Com", kRecentComRange);
    if (store.queryValue(key, "DCB", value, error) && value.data.size() == kDcbSize) {
        std::copy(value.data.begin(), value.data.end(), entry.Dcb.begin());
    }
    return entry;
}

bool WriteAll(PreferencesStore& store, Prompter& prompter, const std::string& key,
              const std::vector<std::pair<const char*, RegValue>>& values) {
    SystemError error;
    for (const auto& [name, value] : values) {
        if (!store.setValue(key, name, value, error)) {
            ShowSystemError(prompter, "RegSetValueEx", error.code);
            return false;
        }
    }
    return true;
}

RegValue Number(std::int32_t value) {
    return RegValue::dword(static_cast<std::uint32_t>(value));
}

bool WriteSettings(PreferencesStore& store, Prompter& prompter, const Preferences& p,
                   bool minimized) {
    namespace N = PreferenceNames;
    std::vector<std::pair<const char*, RegValue>> values;
    if (!minimized) {
        const auto& w = p.window;
        values = {
            {N::MainLeft, Number(w.MainLeft)},        {N::MainTop, Number(w.MainTop)},
            {N::MainWidth, Number(w.MainWidth)},      {N::MainHeight, Number(w.MainHeight)},
            {N::Splitter, Number(w.Splitter)},        {N::Column1Width, Number(w.Column1Width)},
            {N::Column2Width, Number(w.Column2Width)}};
    }
    const auto& o = p.options;
    values.insert(values.end(), {{N::CurrentCom, Number(p.CurrentCom)},
                                 {N::CurrentInterface, Number(p.CurrentInterface)},
                                 {N::GroupChars, Number(p.GroupChars)},
                                 {N::Reduction, Number(p.Reduction)},
                                 {N::UsbDelay, Number(o.UsbDelay)},
                                 {N::ProtocolDelay, Number(o.ProtocolDelay)},
                                 {N::DriverDelay, Number(o.DriverDelay)}});
    // A non-zero value put there from outside switches logging on at every
    // start; the program never overwrites it.
    if (!o.UsbLogEnable) {
        values.emplace_back(N::UsbLogEnable, Number(0));
    }
    values.insert(values.end(),
                  {{N::ReadIntervalTimeout, Number(o.ReadIntervalTimeout)},
                   {N::ReadTotalTimeoutConstant, Number(o.ReadTotalTimeoutConstant)}});
    return WriteAll(store, prompter, kSettingsKey, values);
}

bool WriteRecentEntries(PreferencesStore& store, Prompter& prompter, const RecentList& recent) {
    SystemError error;
    for (int k = 1; k <= kRecentKeys; ++k) {
        const std::string key = RecentFileKey(k);
        if (!store.openKey(key, error)) {
            ShowSystemError(prompter, "RegOpenKeyEx", error.code);
            return false;
        }
        const RecentEntry& entry = recent.entries[k - 1];
        if (!WriteAll(store, prompter, key,
                      {{"Name", RegValue::string(entry.Name)},
                       {"Interface", Number(entry.Interface)},
                       {"Com", Number(entry.Com)},
                       {"DCB", RegValue::binary(entry.Dcb)}})) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string RecentFileKey(int k) {
    return std::string(kAppKey) + "\\RecentFileList\\File" + std::to_string(k);
}

WindowLayout DefaultWindowLayout(const DisplayMetrics& display) {
    const std::int64_t width = Round(display.screenWidthTwips);
    const std::int64_t height = Round(display.screenHeightTwips);
    WindowLayout w;
    w.MainLeft = static_cast<std::int32_t>(width / 10);
    w.MainTop = static_cast<std::int32_t>(height / 10);
    w.MainWidth = static_cast<std::int32_t>(width * 8 / 10);
    w.MainHeight = static_cast<std::int32_t>(height * 8 / 10);
    w.Splitter = w.Column1Width = w.Column2Width = ThirdOfClient(w.MainWidth, display);
    return w;
}

PreferencesLoadOutcome LoadPreferences(PreferencesStore& store, Prompter& prompter,
                                       const DisplayMetrics& display, Preferences& preferences) {
    SystemError error;
    if (!store.createKey(kAppKey, error)) {
        return EndProgram(prompter, "RegCreateKeyEx", error);
    }
    if (!DeleteStrayValues(store, prompter)) {
        return PreferencesLoadOutcome::EndProgram;
    }
    if (!store.createKey(kSettingsKey, error)) {
        return EndProgram(prompter, "RegCreateKeyEx", error);
    }
    ReadSettings(store, display, preferences);
    for (int k = 1; k <= kRecentKeys; ++k) {
        const std::string key = RecentFileKey(k);
        if (!store.createKey(key, error)) {
            return EndProgram(prompter, "RegCreateKeyEx", error);
        }
        preferences.recent.entries[k - 1] = ReadRecentEntry(store, key);
    }
    return PreferencesLoadOutcome::Loaded;
}

bool SavePreferences(PreferencesStore& store, Prompter& prompter, const Preferences& preferences,
                     bool minimized) {
    SystemError error;
    if (!store.openKey(kAppKey, error) || !store.openKey(kSettingsKey, error)) {
        ShowSystemError(prompter, "RegOpenKeyEx", error.code);
        return false;
    }
    const bool written = WriteSettings(store, prompter, preferences, minimized) &&
                         WriteRecentEntries(store, prompter, preferences.recent);
    // What was written before a failure is kept, as the registry keeps it.
    if (!store.save(error)) {
        ShowSystemError(prompter, error.function.empty() ? "RegSetValueEx" : error.function,
                        error.code);
        return false;
    }
    return written;
}

}  // namespace magtune
