#include "platform/UserPreferences.h"

#include "platform/win32/RegistryPreferencesStore.h"

namespace magtune::platform {

std::unique_ptr<PreferencesStore> OpenUserPreferences(const std::string& /*file*/,
                                                      std::string& problem) {
    problem.clear();
    return std::make_unique<RegistryPreferencesStore>();
}

}  // namespace magtune::platform
