#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace magtune::comm {

// The program title under which the maker's readers are sold as Quell
// readers; under it every "Tarvik" in a reader's name is shown as "Quell".
inline constexpr const char* kQuellBrandTitle = "Ostra Pro";

// The reader name as the program titled `applicationTitle` shows it: under
// kQuellBrandTitle every "Tarvik" (case-sensitive) becomes "Quell", under
// any other title the name is shown as the library gave it.
std::string BrandedUsbName(std::string_view name, std::string_view applicationTitle);

// The reader list entry of list position `index` (0-based): the 1-based
// number, " - " and the name.
std::string UsbListItemText(std::size_t index, std::string_view name);

// The name in a list entry: everything after the first " - " (empty when
// there is none).
std::string UsbNameOfListItem(std::string_view itemText);

}  // namespace magtune::comm
