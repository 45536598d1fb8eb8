#pragma once

#include <cerrno>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/PreferencesStore.h"

namespace magtune::test {

// The registry in memory, names compared exactly; failures are injected per
// key or value name.
class MemoryPreferencesStore : public platform::PreferencesStore {
  public:
    std::map<std::string, std::vector<std::pair<std::string, platform::RegValue>>> keys;
    std::set<std::string> failCreate, failOpen, failSet, failDelete;
    bool failEnum = false;
    bool failSave = false;
    int saves = 0;

    bool createKey(const std::string& key, platform::SystemError& error) override {
        if (failCreate.count(key)) {
            return fail(error, "RegCreateKeyEx", EACCES);
        }
        keys[key];
        return true;
    }
    bool openKey(const std::string& key, platform::SystemError& error) override {
        if (failOpen.count(key) || !keys.count(key)) {
            return fail(error, "RegOpenKeyEx", failOpen.count(key) ? EACCES : ENOENT);
        }
        return true;
    }
    bool keyExists(const std::string& key) override { return keys.count(key) != 0; }
    bool enumValues(const std::string& key, std::size_t nameBufferChars,
                    std::vector<std::string>& names, platform::SystemError& error) override {
        names.clear();
        if (failEnum || !keys.count(key)) {
            return fail(error, "RegEnumValue", EACCES);
        }
        bool tooLong = false;
        for (const auto& [name, value] : keys[key]) {
            names.push_back(name);
            tooLong = tooLong || (nameBufferChars != 0 && name.size() >= nameBufferChars);
        }
        return tooLong ? fail(error, "RegEnumValue", platform::kRegNameTooLong) : true;
    }
    bool enumKeys(const std::string&, std::vector<std::string>&,
                  platform::SystemError& error) override {
        return fail(error, "RegEnumKeyEx", ENOSYS);
    }
    bool queryValue(const std::string& key, const std::string& name, platform::RegValue& value,
                    platform::SystemError& error) override {
        if (const auto* found = find(key, name)) {
            value = *found;
            return true;
        }
        return fail(error, "RegQueryValueEx", ENOENT);
    }
    bool setValue(const std::string& key, const std::string& name, const platform::RegValue& value,
                  platform::SystemError& error) override {
        if (failSet.count(name) || !keys.count(key)) {
            return fail(error, "RegSetValueEx", EACCES);
        }
        if (auto* found = find(key, name)) {
            *found = value;
        } else {
            keys[key].emplace_back(name, value);
        }
        return true;
    }
    bool deleteValue(const std::string& key, const std::string& name,
                     platform::SystemError& error) override {
        auto& values = keys[key];
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (it->first == name && !failDelete.count(name)) {
                values.erase(it);
                return true;
            }
        }
        return fail(error, "RegDeleteValue", failDelete.count(name) ? EACCES : ENOENT);
    }
    bool deleteKey(const std::string& key, platform::SystemError& error) override {
        return keys.erase(key) ? true : fail(error, "RegDeleteKey", ENOENT);
    }
    bool save(platform::SystemError& error) override {
        ++saves;
        return failSave ? fail(error, "RegFlushKey", ENOSPC) : true;
    }

    platform::RegValue* find(const std::string& key, const std::string& name) {
        auto k = keys.find(key);
        if (k == keys.end()) {
            return nullptr;
        }
        for (auto& [n, v] : k->second) {
            if (n == name) {
                return &v;
            }
        }
        return nullptr;
    }
    void put(const std::string& key, const std::string& name, platform::RegValue value) {
        keys[key].emplace_back(name, std::move(value));
    }
    std::optional<std::uint32_t> dword(const std::string& key, const std::string& name) {
        const auto* v = find(key, name);
        return v ? v->asDword() : std::nullopt;
    }

  private:
    static bool fail(platform::SystemError& error, const char* function, int code) {
        error = {function, code};
        return false;
    }
};

}  // namespace magtune::test
