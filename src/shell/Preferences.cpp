#include "shell/Preferences.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "platform/SystemError.h"

namespace magtune::shell {

namespace {

constexpr std::size_t kValueNameBufferChars = 128;
constexpr std::size_t kMaxRecentNameChars = 127;
constexpr int kRecentKeys = 4;

constexpr comm::OptionRange kCurrentComRange{0, 31, 0};
constexpr comm::OptionRange kCurrentInterfaceRange{1, 3, 2};
constexpr comm::OptionRange kGroupCharsRange{8, 16, 12};
constexpr comm::OptionRange kReductionRange{0, 10, 0};
constexpr comm::OptionRange kRecentInterfaceRange{0, 3, 0};
constexpr comm::OptionRange kRecentComRange{0, 31, 0};

// Reads the values of one key. A value that is there but cannot be taken
// (not 4 bytes long, or outside its range) is deleted, so that it does not
// outlive this start; `changed` records that the store needs saving.
class KeyReader {
  public:
    KeyReader(platform::PreferencesStore& store, std::string key, bool& changed)
        : store_(store), key_(std::move(key)), changed_(changed) {}

    // A value read as 4 raw bytes whatever its type; anything else is missing.
    std::optional<std::int32_t> number(const char* name) {
        platform::RegValue value;
        platform::SystemError error;
        if (!store_.queryValue(key_, name, value, error)) {
            return std::nullopt;
        }
        const auto number = value.asDword();
        if (!number) {
            forget(name);
            return std::nullopt;
        }
        return static_cast<std::int32_t>(*number);
    }

    std::int32_t inRange(const char* name, const comm::OptionRange& range) {
        const auto stored = number(name);
        if (stored && !range.contains(*stored)) {
            forget(name);
        }
        return comm::LoadOptionValue(stored, range);
    }

    std::int32_t any(const char* name, std::int32_t defaultValue) {
        return number(name).value_or(defaultValue);
    }

    void forget(const char* name) {
        platform::SystemError error;
        if (store_.deleteValue(key_, name, error)) {
            changed_ = true;
        }
    }

    platform::PreferencesStore& store() { return store_; }
    const std::string& key() const { return key_; }

  private:
    platform::PreferencesStore& store_;
    std::string key_;
    bool& changed_;
};

// Characters, not bytes, of a UTF-8 text.
std::size_t CharacterCount(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::int32_t Round(double twips) {
    return static_cast<std::int32_t>(std::lround(twips));
}

std::int32_t ThirdOfClient(std::int32_t mainWidth, const DisplayMetrics& display) {
    const std::int64_t client = static_cast<std::int64_t>(mainWidth) - display.frameWidthTwips;
    return static_cast<std::int32_t>((client - 40) / 3);
}

void ShowPreferencesNotSaved(platform::PreferencesStore& store, common::Prompter& prompter,
                             const platform::SystemError& error) {
    std::string where = store.location();
    prompter.systemError("Preferences were not saved: " + (where.empty() ? "" : where + ": ") +
                         platform::SystemMessageText(error.code));
}

PreferencesLoadOutcome EndProgram(common::Prompter& prompter, const char* function,
                                  const platform::SystemError& error) {
    platform::ShowSystemError(prompter, function, error.code);
    return PreferencesLoadOutcome::EndProgram;
}

// Values directly under the application key belong to no one and go. A
// name too long for the 128-character buffer used to make the enumeration
// fail on every start, so the program could never start again; such names
// are deleted like the others.
bool DeleteStrayValues(platform::PreferencesStore& store, common::Prompter& prompter,
                       bool& changed) {
    std::vector<std::string> names;
    platform::SystemError error;
    if (!store.enumValues(kAppKey, kValueNameBufferChars, names, error) &&
        !platform::IsNameTooLong(error)) {
        platform::ShowSystemError(prompter, "RegEnumValue", error.code);
        return false;
    }
    for (const auto& name : names) {
        if (!store.deleteValue(kAppKey, name, error)) {
            platform::ShowSystemError(prompter, "RegDeleteValue", error.code);
            return false;
        }
        changed = true;
    }
    return true;
}

void ReadSettings(KeyReader& r, const DisplayMetrics& display, Preferences& p) {
    namespace N = PreferenceNames;
    const WindowLayout defaults = DefaultWindowLayout(display);
    auto& w = p.window;
    w.MainLeft = r.any(N::MainLeft, defaults.MainLeft);
    w.MainTop = r.any(N::MainTop, defaults.MainTop);
    w.MainWidth = r.any(N::MainWidth, defaults.MainWidth);
    w.MainHeight = r.any(N::MainHeight, defaults.MainHeight);
    // The client width follows the width the window was just given.
    const std::int32_t third = ThirdOfClient(w.MainWidth, display);
    w.Splitter = r.any(N::Splitter, third);
    w.Column1Width = r.any(N::Column1Width, third);
    w.Column2Width = r.any(N::Column2Width, third);

    p.CurrentCom = r.inRange(N::CurrentCom, kCurrentComRange);
    p.CurrentInterface = r.inRange(N::CurrentInterface, kCurrentInterfaceRange);
    p.GroupChars = r.inRange(N::GroupChars, kGroupCharsRange);
    p.Reduction = r.inRange(N::Reduction, kReductionRange);
    auto& o = p.options;
    o.UsbDelay = r.inRange(N::UsbDelay, comm::kUsbDelayRange);
    o.ProtocolDelay = r.inRange(N::ProtocolDelay, comm::kProtocolDelayRange);
    o.DriverDelay = r.inRange(N::DriverDelay, comm::kDriverDelayRange);
    o.UsbLogEnable = r.any(N::UsbLogEnable, 0) != 0;
    o.ReadIntervalTimeout = r.inRange(N::ReadIntervalTimeout, comm::kReadIntervalTimeoutRange);
    o.ReadTotalTimeoutConstant =
        r.inRange(N::ReadTotalTimeoutConstant, comm::kReadTotalTimeoutConstantRange);
}

settings::RecentEntry ReadRecentEntry(KeyReader& r) {
    settings::RecentEntry entry;
    platform::RegValue value;
    platform::SystemError error;
    if (r.store().queryValue(r.key(), "Name", value, error)) {
        entry.Name = value.asString();
        if (CharacterCount(entry.Name) > kMaxRecentNameChars) {
            entry.Name.clear();
            r.forget("Name");
        }
    }
    entry.Interface = r.inRange("Interface", kRecentInterfaceRange);
    entry.Com = r.inRange("Com", kRecentComRange);
    if (r.store().queryValue(r.key(), "DCB", value, error)) {
        if (value.data.size() == settings::kDcbSize) {
            std::copy(value.data.begin(), value.data.end(), entry.Dcb.begin());
        } else {
            r.forget("DCB");
        }
    }
    return entry;
}

bool WriteAll(platform::PreferencesStore& store, common::Prompter& prompter, const std::string& key,
              const std::vector<std::pair<const char*, platform::RegValue>>& values) {
    platform::SystemError error;
    for (const auto& [name, value] : values) {
        if (!store.setValue(key, name, value, error)) {
            platform::ShowSystemError(prompter, "RegSetValueEx", error.code);
            return false;
        }
    }
    return true;
}

platform::RegValue Number(std::int32_t value) {
    return platform::RegValue::dword(static_cast<std::uint32_t>(value));
}

bool WriteSettings(platform::PreferencesStore& store, common::Prompter& prompter,
                   const Preferences& p, bool minimized) {
    namespace N = PreferenceNames;
    std::vector<std::pair<const char*, platform::RegValue>> values;
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

bool WriteRecentEntries(platform::PreferencesStore& store, common::Prompter& prompter,
                        const settings::RecentList& recent) {
    platform::SystemError error;
    for (int k = 1; k <= kRecentKeys; ++k) {
        const std::string key = RecentFileKey(k);
        if (!store.openKey(key, error)) {
            platform::ShowSystemError(prompter, "RegOpenKeyEx", error.code);
            return false;
        }
        const settings::RecentEntry& entry = recent.entries[k - 1];
        if (!WriteAll(store, prompter, key,
                      {{"Name", platform::RegValue::string(entry.Name)},
                       {"Interface", Number(entry.Interface)},
                       {"Com", Number(entry.Com)},
                       {"DCB", platform::RegValue::binary(entry.Dcb)}})) {
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

PreferencesLoadOutcome LoadPreferences(platform::PreferencesStore& store,
                                       common::Prompter& prompter, const DisplayMetrics& display,
                                       Preferences& preferences, bool saveCleanUp) {
    platform::SystemError error;
    // Whatever the load cleans up or creates is saved at once, so that a
    // crash before the program ends does not bring it back.
    bool changed = false;
    auto create = [&](const std::string& key) {
        changed = changed || !store.keyExists(key);
        return store.createKey(key, error);
    };
    if (!create(kAppKey)) {
        return EndProgram(prompter, "RegCreateKeyEx", error);
    }
    if (!DeleteStrayValues(store, prompter, changed)) {
        return PreferencesLoadOutcome::EndProgram;
    }
    if (!create(kSettingsKey)) {
        return EndProgram(prompter, "RegCreateKeyEx", error);
    }
    KeyReader settings(store, kSettingsKey, changed);
    ReadSettings(settings, display, preferences);
    for (int k = 1; k <= kRecentKeys; ++k) {
        const std::string key = RecentFileKey(k);
        if (!create(key)) {
            return EndProgram(prompter, "RegCreateKeyEx", error);
        }
        KeyReader recent(store, key, changed);
        preferences.recent.entries[k - 1] = ReadRecentEntry(recent);
    }
    if (saveCleanUp && changed) {
        SaveLoadCleanUp(store, prompter);
    }
    return PreferencesLoadOutcome::Loaded;
}

bool SaveLoadCleanUp(platform::PreferencesStore& store, common::Prompter& prompter) {
    platform::SystemError error;
    // The program runs on with what it read; the next save tries again.
    if (!store.save(error)) {
        ShowPreferencesNotSaved(store, prompter, error);
        return false;
    }
    return true;
}

bool SavePreferences(platform::PreferencesStore& store, common::Prompter& prompter,
                     const Preferences& preferences, bool minimized) {
    platform::SystemError error;
    if (!store.openKey(kAppKey, error) || !store.openKey(kSettingsKey, error)) {
        platform::ShowSystemError(prompter, "RegOpenKeyEx", error.code);
        return false;
    }
    const bool written = WriteSettings(store, prompter, preferences, minimized) &&
                         WriteRecentEntries(store, prompter, preferences.recent);
    // What was written before a failure is kept, as the registry keeps it.
    if (!store.save(error)) {
        ShowPreferencesNotSaved(store, prompter, error);
        return false;
    }
    return written;
}

}  // namespace magtune::shell
