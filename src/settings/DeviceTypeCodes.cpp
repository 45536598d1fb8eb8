#include "settings/DeviceTypeCodes.h"

namespace magtune::settings {

std::uint8_t DeviceTypeCode(std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(DeviceTypeCodes.size())) {
        return 0;
    }
    return DeviceTypeCodes[static_cast<std::size_t>(index)].code;
}

std::int32_t DeviceTypeIndex(std::uint8_t code) {
    for (std::size_t i = 0; i < DeviceTypeCodes.size(); ++i) {
        if (DeviceTypeCodes[i].code == code) {
            return static_cast<std::int32_t>(i);
        }
    }
    return 0;
}

}  // namespace magtune::settings
