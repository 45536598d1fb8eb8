#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SystemError.h"

namespace magtune::platform {

// Registry value types, numbered as in the registry so that stored values
// keep their meaning on every system. Other numbers found in a file are
// kept as they are.
enum class RegType : std::uint32_t {
    None = 0,
    String = 1,  // REG_SZ: the text and its terminating zero byte
    ExpandString = 2,
    Binary = 3,  // REG_BINARY
    Dword = 4,   // REG_DWORD: 4 bytes, little-endian
    MultiString = 7,
    Qword = 11,
};

struct RegValue {
    RegType type = RegType::None;
    std::vector<std::uint8_t> data;

    static RegValue dword(std::uint32_t value);
    // The text's bytes and one terminating zero byte.
    static RegValue string(std::string_view text);
    static RegValue binary(std::span<const std::uint8_t> bytes);

    // The 4 bytes as a little-endian number whatever the type; nullopt when
    // the data is not exactly 4 bytes long.
    std::optional<std::uint32_t> asDword() const;
    // The bytes up to the first zero byte (all of them when there is none).
    std::string asString() const;

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

// The failure code of enumValues for a value name that does not fit the
// caller's name buffer (the registry's ERROR_MORE_DATA on Windows).
#ifdef _WIN32
inline constexpr int kRegNameTooLong = 234;
#else
inline constexpr int kRegNameTooLong = ENAMETOOLONG;
#endif
inline bool IsNameTooLong(const SystemError& error) {
    return error.code == kRegNameTooLong;
}

// The current user's registry. Keys are paths below HKEY_CURRENT_USER such
// as "Software\\Tarvik Veviriz Inc.\\Magtune\\Settings" ("" is the root
// itself); key and value names compare without regard to case and keep the
// case they were created with. The empty value name is the key's default
// value. Failures are reported under the registry call that fails the
// same way on Windows ("RegCreateKeyEx", "RegOpenKeyEx", "RegEnumValue",
// "RegEnumKeyEx", "RegQueryValueEx", "RegSetValueEx", "RegDeleteValue",
// "RegDeleteKey"); a missing key or value fails with ENOENT.
//
// Changes live in memory until save().
class PreferencesStore {
  public:
    virtual ~PreferencesStore() = default;

    // Creates the key and any missing parents, or opens the existing one.
    virtual bool createKey(const std::string& key, SystemError& error) = 0;
    // Fails with ENOENT when the key does not exist.
    virtual bool openKey(const std::string& key, SystemError& error) = 0;
    virtual bool keyExists(const std::string& key) = 0;

    // The names of the values directly under the key, in the order they
    // were created. As with the registry, a name of nameBufferChars
    // characters or more does not fit the caller's buffer (it needs room
    // for the terminating zero): then the call fails with kRegNameTooLong
    // under "RegEnumValue" - but `names` still holds every name, in full,
    // so a caller can go on and delete them. nameBufferChars 0: no limit.
    virtual bool enumValues(const std::string& key, std::size_t nameBufferChars,
                            std::vector<std::string>& names, SystemError& error) = 0;
    // The names of the sub-keys directly under the key, sorted.
    virtual bool enumKeys(const std::string& key, std::vector<std::string>& names,
                          SystemError& error) = 0;

    virtual bool queryValue(const std::string& key, const std::string& name, RegValue& value,
                            SystemError& error) = 0;
    // The key must exist (as a value is set through an open key). Names may
    // hold any character but zero, carriage return and line feed.
    virtual bool setValue(const std::string& key, const std::string& name, const RegValue& value,
                          SystemError& error) = 0;
    virtual bool deleteValue(const std::string& key, const std::string& name,
                             SystemError& error) = 0;
    // Deletes the key with everything below it; the root cannot be deleted.
    virtual bool deleteKey(const std::string& key, SystemError& error) = 0;

    // Makes the changes since the last save permanent, all or none.
    virtual bool save(SystemError& error) = 0;

    // Where save() writes (a file's path), for messages; "" when there is
    // nothing to name.
    virtual std::string location() const { return {}; }
};

}  // namespace magtune::platform
