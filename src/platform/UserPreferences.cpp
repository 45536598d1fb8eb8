#include "platform/UserPreferences.h"

#include "platform/FilePreferencesStore.h"

namespace magtune::platform {

std::unique_ptr<PreferencesStore> OpenUserPreferences(const std::string& file,
                                                      std::string& problem) {
    auto store = std::make_unique<FilePreferencesStore>(file);
    problem = store->load();
    return store;
}

}  // namespace magtune::platform
