#pragma once

#include <array>
#include <optional>
#include <string>

namespace magtune::settings {

// What the File menu shows of the recent list: an item is visible exactly
// when it has a caption.
struct RecentMenu {
    bool separatorVisible = false;
    std::array<std::optional<std::string>, 4> captions;

    bool operator==(const RecentMenu&) const = default;
};

}  // namespace magtune::settings
