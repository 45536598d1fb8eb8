#include "shell/PaneLayout.h"

#include <algorithm>
#include <cmath>

namespace magtune::shell {

std::int32_t ClampSplitter(std::int32_t x, std::int32_t windowWidth) {
    if (x > windowWidth - kMinimumPaneWidth) {
        x = windowWidth - kMinimumPaneWidth;
    }
    return std::max(x, kMinimumPaneWidth);
}

PaneColumns ArrangePanes(std::int32_t x, std::int32_t windowWidth, std::int32_t clientWidth) {
    PaneColumns columns;
    columns.treeWidth = ClampSplitter(x, windowWidth);
    columns.listLeft = columns.treeWidth + kPaneGap;
    columns.listWidth = std::max(clientWidth - columns.listLeft, 0);
    return columns;
}

std::int32_t FitSecondColumn(std::int32_t column1, std::int32_t column2, std::int32_t listWidth,
                             std::int32_t visibleWidth) {
    const std::int64_t both = static_cast<std::int64_t>(column1) + column2;
    if (both <= visibleWidth || both > listWidth || column1 >= visibleWidth) {
        return column2;
    }
    return visibleWidth - column1;
}

std::int32_t TwipScale::toPixels(std::int32_t twips) const {
    return static_cast<std::int32_t>(std::lround(twips * dpi_ / 1440.0));
}

std::int32_t TwipScale::toTwips(std::int32_t pixels) const {
    return static_cast<std::int32_t>(std::lround(pixels * 1440.0 / dpi_));
}

}  // namespace magtune::shell
