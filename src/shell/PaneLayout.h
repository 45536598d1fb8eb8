#pragma once

#include <cstdint>

namespace magtune::shell {

// The main window's panes, in twips: the setting tree on the left, the
// property list on the right, and the splitter between them.
inline constexpr std::int32_t kMinimumPaneWidth = 1500;
inline constexpr std::int32_t kPaneGap = 40;
inline constexpr std::int32_t kMinimumWindowWidth = 3000;
inline constexpr std::int32_t kSplitterWidth = 150;
// The gray bar shown while the splitter is dragged sits this far below the
// splitter's top and is this much shorter.
inline constexpr std::int32_t kDragBarTopOffset = 20;
inline constexpr std::int32_t kDragBarHeightReduction = 40;

// The splitter position kept at least kMinimumPaneWidth from either edge of
// the window. A window narrower than two panes keeps the left pane whole.
std::int32_t ClampSplitter(std::int32_t x, std::int32_t windowWidth);

struct PaneColumns {
    std::int32_t treeWidth = 0;
    std::int32_t listLeft = 0;
    std::int32_t listWidth = 0;  // never negative
};

// The tree ends at the (clamped) splitter, the list starts one gap later
// and takes the rest of the client width.
PaneColumns ArrangePanes(std::int32_t x, std::int32_t windowWidth, std::int32_t clientWidth);

// The second list column as shown. The layout of a first start makes the
// two columns exactly as wide as the list's outer edge, which inside its
// frame and beside its vertical scroll bar would need a horizontal scroll
// bar; a second column that reaches past the visible width by no more than
// that is shortened to fit. A column the user made wider than the list
// stays as it is.
std::int32_t FitSecondColumn(std::int32_t column1, std::int32_t column2, std::int32_t listWidth,
                             std::int32_t visibleWidth);

// Twips (1/1440 inch) and pixels at the screen's logical resolution.
class TwipScale {
  public:
    explicit TwipScale(double logicalDpi) : dpi_(logicalDpi > 0 ? logicalDpi : 96) {}

    std::int32_t toPixels(std::int32_t twips) const;
    std::int32_t toTwips(std::int32_t pixels) const;
    double twipsPerPixel() const { return 1440.0 / dpi_; }

  private:
    double dpi_;
};

}  // namespace magtune::shell
