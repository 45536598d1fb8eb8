#include "comm/CommOptions.h"

namespace magtune::comm {

std::int32_t LoadOptionValue(std::optional<std::int32_t> stored, const OptionRange& range) {
    if (!stored || !range.contains(*stored)) {
        return range.defaultValue;
    }
    return *stored;
}

}  // namespace magtune::comm
