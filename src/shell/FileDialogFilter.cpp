#include "shell/FileDialogFilter.h"

#include <algorithm>

namespace magtune::shell {

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string WithoutBlanks(std::string_view text) {
    std::string out(text);
    out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
    return out;
}

std::vector<std::string_view> Split(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const auto bar = text.find('|', start);
        parts.push_back(text.substr(start, bar == std::string_view::npos ? bar : bar - start));
        if (bar == std::string_view::npos) {
            return parts;
        }
        start = bar + 1;
    }
}

}  // namespace

std::vector<std::string> NameFilters(std::string_view filter) {
    const std::vector<std::string_view> parts = Split(filter);
    std::vector<std::string> filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string_view name = Trim(parts[i]);
        // "*.cfg;*.bin" lists patterns the way the file dialogs expect them.
        std::string patterns(Trim(parts[i + 1]));
        std::replace(patterns.begin(), patterns.end(), ';', ' ');
        if (patterns.empty()) {
            continue;
        }
        const std::string shown = "(" + patterns + ")";
        if (WithoutBlanks(name).ends_with(WithoutBlanks(shown))) {
            filters.emplace_back(name);
        } else if (name.empty()) {
            filters.push_back(shown);
        } else {
            filters.push_back(std::string(name) + " " + shown);
        }
    }
    return filters;
}

}  // namespace magtune::shell
