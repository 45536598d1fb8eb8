#pragma once

#include <string>
#include <vector>

#include "platform/PreferencesStore.h"

namespace magtune::platform {

// The current user's real registry (HKEY_CURRENT_USER). Every change is
// made at once, as the registry makes it; save() has nothing left to do.
// Failures carry the registry's own error numbers.
class RegistryPreferencesStore : public PreferencesStore {
  public:
    bool createKey(const std::string& key, SystemError& error) override;
    bool openKey(const std::string& key, SystemError& error) override;
    bool keyExists(const std::string& key) override;
    bool enumValues(const std::string& key, std::size_t nameBufferChars,
                    std::vector<std::string>& names, SystemError& error) override;
    bool enumKeys(const std::string& key, std::vector<std::string>& names,
                  SystemError& error) override;
    bool queryValue(const std::string& key, const std::string& name, RegValue& value,
                    SystemError& error) override;
    bool setValue(const std::string& key, const std::string& name, const RegValue& value,
                  SystemError& error) override;
    bool deleteValue(const std::string& key, const std::string& name, SystemError& error) override;
    bool deleteKey(const std::string& key, SystemError& error) override;
    bool save(SystemError& error) override;
    std::string location() const override { return "HKEY_CURRENT_USER"; }
};

}  // namespace magtune::platform
