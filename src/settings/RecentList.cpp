#include "settings/RecentList.h"

#include "settings/InterfaceCode.h"

namespace magtune::settings {

void RecentList::AddRecent(const std::string& name, std::int32_t interface,
                           std::int32_t currentComIndex, const DcbBytes& portSettings) {
    std::size_t i = kSize - 1;
    for (std::size_t k = 0; k < kSize; ++k) {
        if (entries[k].Name == name) {
            i = k;
            break;
        }
    }
    for (; i > 0; --i) {
        entries[i] = entries[i - 1];
    }
    bool serial = interface == InterfaceCode::Rs232;
    entries[0] = {name, interface, serial ? currentComIndex : 0,
                  serial ? portSettings : DcbBytes{}};
}

void RecentList::RemoveRecent(const std::string& name) {
    for (std::size_t i = 0; i < kSize; ++i) {
        if (entries[i].Name == name) {
            for (std::size_t k = i; k + 1 < kSize; ++k) {
                entries[k] = entries[k + 1];
            }
            entries[kSize - 1] = {};
            return;
        }
    }
}

RecentMenu RecentList::Menu() const {
    RecentMenu menu;
    menu.separatorVisible = !entries[0].Name.empty();
    for (std::size_t k = 0; k < kSize; ++k) {
        if (!entries[k].Name.empty()) {
            menu.captions[k] = "&" + std::to_string(k + 1) + ". " + entries[k].Name;
        }
    }
    return menu;
}

}  // namespace magtune::settings
