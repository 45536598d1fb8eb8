#pragma once

#include <memory>
#include <string>

#include "platform/PreferencesStore.h"

namespace magtune::platform {

// The current user's registry as this system keeps it: on Windows the real
// one (the file is not used), elsewhere the registry export file `file`
// (see FilePreferencesStore). `problem` is set, to be shown once, when a
// broken file had to be put aside.
std::unique_ptr<PreferencesStore> OpenUserPreferences(const std::string& file,
                                                      std::string& problem);

}  // namespace magtune::platform
