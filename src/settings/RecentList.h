#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/RecentEntry.h"
#include "settings/RecentMenu.h"

namespace magtune::settings {

// The four most recent setting files and devices, index 0 the most recent.
// Names are compared exactly, case included.
class RecentList {
  public:
    static constexpr std::size_t kSize = 4;

    std::array<RecentEntry, kSize> entries;

    // Moves the name to the front (dropping the oldest entry when it is new).
    // The port index and control block are kept for RS232 only.
    void AddRecent(const std::string& name, std::int32_t interface,
                   std::int32_t currentComIndex = 0, const DcbBytes& portSettings = {});

    // Removes the first entry with that name; the later ones move up.
    void RemoveRecent(const std::string& name);

    // Captions "&1. " + name ... and the separator above them.
    RecentMenu Menu() const;
};

}  // namespace magtune::settings
