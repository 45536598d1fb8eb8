#include "comm/UsbReaderNames.h"

namespace magtune::comm {

namespace {

constexpr std::string_view kSeparator = " - ";

}  // namespace

std::string BrandedUsbName(std::string_view name, std::string_view applicationTitle) {
    std::string shown(name);
    if (applicationTitle != kQuellBrandTitle) {
        return shown;
    }
    constexpr std::string_view from = "Tarvik";
    constexpr std::string_view to = "Quell";
    for (std::size_t at = shown.find(from); at != std::string::npos;
         at = shown.find(from, at + to.size())) {
        shown.replace(at, from.size(), to);
    }
    return shown;
}

std::string UsbListItemText(std::size_t index, std::string_view name) {
    return std::to_string(index + 1) + std::string(kSeparator) + std::string(name);
}

std::string UsbNameOfListItem(std::string_view itemText) {
    const std::size_t at = itemText.find(kSeparator);
    return at == std::string_view::npos ? std::string()
                                        : std::string(itemText.substr(at + kSeparator.size()));
}

}  // namespace magtune::comm
