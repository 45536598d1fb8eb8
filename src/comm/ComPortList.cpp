#include "comm/ComPortList.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "platform/ComPorts.h"

namespace magtune::comm {
namespace {

std::optional<int> PortNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

ComPortList ParseComPortList(std::string_view text) {
    ComPortList list;
    auto fail = [&](std::string message) {
        return ComPortList{{}, "\"" + std::string(text) + "\": " + message};
    };
    if (text.empty()) {
        return fail("no port given");
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view item = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (item.empty()) {
            return fail("an empty item between commas");
        }
        const std::size_t dash = item.find('-');
        const auto first = PortNumber(item.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : PortNumber(item.substr(dash + 1));
        if (!first || !last) {
            return fail("\"" + std::string(item) + "\" is neither a port number nor a range N-M");
        }
        for (int n : {*first, *last}) {
            if (n < 1 || n > platform::kComPortCount) {
                return fail("there is no COM" + std::to_string(n) + " (ports are 1 to " +
                            std::to_string(platform::kComPortCount) + ")");
            }
        }
        if (*first > *last) {
            return fail("the range " + std::string(item) + " runs downwards; write " +
                        std::to_string(*last) + "-" + std::to_string(*first));
        }
        for (int n = *first; n <= *last; ++n) {
            if (std::find(list.indices.begin(), list.indices.end(), n - 1) != list.indices.end()) {
                return fail("COM" + std::to_string(n) + " is given twice");
            }
            list.indices.push_back(n - 1);
        }
        if (comma == std::string_view::npos) {
            return list;
        }
        start = comma + 1;
    }
}

}  // namespace magtune::comm
