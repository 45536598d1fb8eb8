#include "wedge/WedgeSettings.h"

#include <optional>

#include "platform/Paths.h"

namespace magtune::wedge {

namespace {

std::optional<std::uint32_t> QueryNumber(platform::PreferencesStore& store, const char* name) {
    platform::RegValue value;
    platform::SystemError error;
    if (!store.queryValue(kWedgeSettingsKey, name, value, error) ||
        value.type != platform::RegType::Dword) {
        return std::nullopt;
    }
    return value.asDword();
}

std::optional<std::string> QueryText(platform::PreferencesStore& store, const char* name) {
    platform::RegValue value;
    platform::SystemError error;
    if (!store.queryValue(kWedgeSettingsKey, name, value, error) ||
        (value.type != platform::RegType::String &&
         value.type != platform::RegType::ExpandString)) {
        return std::nullopt;
    }
    return value.asString();
}

}  // namespace

bool IsWindowsPath(const std::string& path) {
    const bool driveLetter =
        path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
    return driveLetter || path.find('\\') != std::string::npos;
}

std::string DefaultEchoTraceFile() {
#ifdef _WIN32
    return "c:\\zebecho.txt";
#else
    return platform::UserFilePath(platform::UserConfigFolder(), "zebecho.txt");
#endif
}

WedgeSettings LoadWedgeSettings(platform::PreferencesStore& store,
                                const std::string& defaultLogFileName) {
    WedgeSettings settings;
    platform::SystemError error;

    settings.logEnable = QueryNumber(store, "LogEnable").value_or(0) != 0;
    settings.sendDelay = QueryNumber(store, "SendDelay").value_or(0);

    settings.logFileName = QueryText(store, "LogFileName").value_or("");
    const bool fileNameMissing = settings.logFileName.empty();
    // A name carried over from Windows ("c:\\zebecho.txt") would become a
    // file of that literal name in whatever folder the program runs in; the
    // trace goes to its usual place instead, and the stored name stays for
    // the system it came from.
#ifdef _WIN32
    const bool foreign = false;
#else
    const bool foreign = IsWindowsPath(settings.logFileName);
#endif
    if (fileNameMissing || foreign) {
        settings.logFileName = defaultLogFileName;
    }

    const std::uint32_t stored = QueryNumber(store, "EchoBufferSize").value_or(0);
    settings.echoBufferSize = stored == 0                   ? kDefaultEchoBufferSize
                              : stored > kMaxEchoBufferSize ? kMaxEchoBufferSize
                                                            : stored;
    const bool sizeReplaced = settings.echoBufferSize != stored;

    if (fileNameMissing || sizeReplaced) {
        // A registry that cannot be written only loses the write-back; the
        // values in use are the same either way.
        if (store.createKey(kWedgeSettingsKey, error)) {
            if (fileNameMissing) {
                store.setValue(kWedgeSettingsKey, "LogFileName",
                               platform::RegValue::string(settings.logFileName), error);
            }
            if (sizeReplaced) {
                store.setValue(kWedgeSettingsKey, "EchoBufferSize",
                               platform::RegValue::dword(settings.echoBufferSize), error);
            }
            store.save(error);
        }
    }
    return settings;
}

}  // namespace magtune::wedge
