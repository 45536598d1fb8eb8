#pragma once

#include <QWidget>
#include <cstdint>

#include "shell/PaneLayout.h"

class QFrame;
class QTreeWidget;

namespace magtune::shell {

// The main window's client area: the setting tree (tvSettings) on the left,
// the property list (lvProperty) on the right, and between them the
// splitter strip (imgSplitter). Pressing the strip shows the gray drag bar
// (picSplitter), which follows the mouse within the pane limits; releasing
// moves the splitter to the bar. Positions are kept in twips.
class SettingPanes : public QWidget {
    Q_OBJECT

  public:
    explicit SettingPanes(QWidget* parent = nullptr);

    QTreeWidget* tree() const { return tvSettings; }
    QTreeWidget* list() const { return lvProperty; }

    void setScale(const TwipScale& scale) { scale_ = scale; }
    const TwipScale& scale() const { return scale_; }

    // Places the panes with the splitter at x (kept within the limits).
    void arrangePanes(std::int32_t x);
    // The splitter position read at start-up. It is taken as it is until the
    // panes have their size, so the limits of a window not yet laid out do
    // not cut it short.
    void setSplitterPosition(std::int32_t x);
    std::int32_t splitterLeft() const { return splitterLeft_; }
    bool splitterMoving() const { return moving_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The width the splitter limits are measured against: the window's.
    std::int32_t windowWidthTwips() const;
    void beginDrag();
    void dragTo(int stripX);
    void endDrag();

    TwipScale scale_{96};
    std::int32_t splitterLeft_ = kMinimumPaneWidth;  // twips
    bool moving_ = false;

    QTreeWidget* tvSettings;
    QTreeWidget* lvProperty;
    QWidget* imgSplitter;
    QFrame* picSplitter;
};

}  // namespace magtune::shell
