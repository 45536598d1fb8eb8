#include "platform/win32/RegistryPreferencesStore.h"

#include <windows.h>

#include <algorithm>

namespace magtune::platform {
namespace {

// An open key, closed when it goes.
class Key {
  public:
    Key() = default;
    ~Key() {
        if (key_ != nullptr) {
            ::RegCloseKey(key_);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

bool Fail(SystemError& error, const char* function, LONG status) {
    error = {function, static_cast<int>(status)};
    return false;
}

bool Open(const std::string& key, REGSAM access, Key& opened, SystemError& error) {
    const LONG status = ::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, access, opened.out());
    return status == ERROR_SUCCESS || Fail(error, "RegOpenKeyEx", status);
}

}  // namespace

bool RegistryPreferencesStore::createKey(const std::string& key, SystemError& error) {
    Key created;
    const LONG status =
        ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, created.out(), nullptr);
    return status == ERROR_SUCCESS || Fail(error, "RegCreateKeyEx", status);
}

bool RegistryPreferencesStore::openKey(const std::string& key, SystemError& error) {
    Key opened;
    return Open(key, KEY_READ, opened, error);
}

bool RegistryPreferencesStore::keyExists(const std::string& key) {
    Key opened;
    SystemError ignored;
    return Open(key, KEY_READ, opened, ignored);
}

// Every name is collected, whatever the caller's buffer; a name that would
// not have fitted it fails the call as the registry does, afterwards.
bool RegistryPreferencesStore::enumValues(const std::string& key, std::size_t nameBufferChars,
                                          std::vector<std::string>& names, SystemError& error) {
    names.clear();
    Key opened;
    if (!Open(key, KEY_READ, opened, error)) {
        return false;
    }
    bool tooLong = false;
    // Value names have at most 16383 characters.
    std::vector<char> name(16384);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG status = ::RegEnumValueA(opened.get(), index, name.data(), &length, nullptr,
                                            nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS) {
            return Fail(error, "RegEnumValue", status);
        }
        names.emplace_back(name.data(), length);
        if (nameBufferChars != 0 && length + 1 > nameBufferChars) {
            tooLong = true;
        }
    }
    return !tooLong || Fail(error, "RegEnumValue", kRegNameTooLong);
}

bool RegistryPreferencesStore::enumKeys(const std::string& key, std::vector<std::string>& names,
                                        SystemError& error) {
    names.clear();
    Key opened;
    if (!Open(key, KEY_READ, opened, error)) {
        return false;
    }
    std::vector<char> name(256);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG status = ::RegEnumKeyExA(opened.get(), index, name.data(), &length, nullptr,
                                            nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS) {
            return Fail(error, "RegEnumKeyEx", status);
        }
        names.emplace_back(name.data(), length);
    }
    std::sort(names.begin(), names.end());
    return true;
}

bool RegistryPreferencesStore::queryValue(const std::string& key, const std::string& name,
                                          RegValue& value, SystemError& error) {
    Key opened;
    if (!Open(key, KEY_QUERY_VALUE, opened, error)) {
        error.function = "RegQueryValueEx";
        return false;
    }
    DWORD type = 0;
    DWORD size = 0;
    LONG status = ::RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<std::uint8_t> data;
    // The value may grow between the two calls.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data.resize(size);
        status = ::RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type,
                                    data.empty() ? nullptr : data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            value = {static_cast<RegType>(type), std::move(data)};
            return true;
        }
    }
    return Fail(error, "RegQueryValueEx", status);
}

bool RegistryPreferencesStore::setValue(const std::string& key, const std::string& name,
                                        const RegValue& value, SystemError& error) {
    Key opened;
    if (!Open(key, KEY_SET_VALUE, opened, error)) {
        error.function = "RegSetValueEx";
        return false;
    }
    const LONG status =
        ::RegSetValueExA(opened.get(), name.c_str(), 0, static_cast<DWORD>(value.type),
                         value.data.data(), static_cast<DWORD>(value.data.size()));
    return status == ERROR_SUCCESS || Fail(error, "RegSetValueEx", status);
}

bool RegistryPreferencesStore::deleteValue(const std::string& key, const std::string& name,
                                           SystemError& error) {
    Key opened;
    if (!Open(key, KEY_SET_VALUE, opened, error)) {
        error.function = "RegDeleteValue";
        return false;
    }
    const LONG status = ::RegDeleteValueA(opened.get(), name.c_str());
    return status == ERROR_SUCCESS || Fail(error, "RegDeleteValue", status);
}

bool RegistryPreferencesStore::deleteKey(const std::string& key, SystemError& error) {
    if (key.empty()) {
        return Fail(error, "RegDeleteKey", ERROR_ACCESS_DENIED);
    }
    const LONG status = ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    if (status != ERROR_SUCCESS) {
        return Fail(error, "RegDeleteKey", status);
    }
    // RegDeleteTree empties the key; the key itself goes last.
    const LONG removed = ::RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND ||
           Fail(error, "RegDeleteKey", removed);
}

bool RegistryPreferencesStore::save(SystemError& /*error*/) {
    return true;
}

}  // namespace magtune::platform
