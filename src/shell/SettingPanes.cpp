#include "shell/SettingPanes.h"

#include <QFrame>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTreeWidget>

namespace magtune::shell {

namespace {

// The property list's header. Qt measures header sections in the bold face,
// for headers that show the current section bold; this one never does
// (highlightSections stays off), so its sections are measured in the face
// they are drawn in, and the window does not load a second face of the font
// before its first frame.
class PropertyHeader : public QHeaderView {
  public:
    using QHeaderView::QHeaderView;

  protected:
    QSize sectionSizeFromContents(int logicalIndex) const override {
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.section = logicalIndex;
        option.text = model()->headerData(logicalIndex, orientation()).toString();
        return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
    }
};

}  // namespace

SettingPanes::SettingPanes(QWidget* parent)
    : QWidget(parent),
      tvSettings(new QTreeWidget(this)),
      lvProperty(new QTreeWidget(this)),
      imgSplitter(new QWidget(this)),
      picSplitter(new QFrame(this)) {
    tvSettings->setObjectName(QStringLiteral("tvSettings"));
    tvSettings->setHeaderHidden(true);
    tvSettings->setColumnCount(1);

    lvProperty->setObjectName(QStringLiteral("lvProperty"));
    auto* header = new PropertyHeader(Qt::Horizontal, lvProperty);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lvProperty->setHeader(header);
    lvProperty->setColumnCount(2);
    lvProperty->setHeaderLabels({QStringLiteral("Attribute"), QStringLiteral("Data")});
    lvProperty->setRootIsDecorated(false);
    lvProperty->setItemsExpandable(false);
    lvProperty->setUniformRowHeights(true);
    lvProperty->setAllColumnsShowFocus(true);
    lvProperty->setSelectionMode(QAbstractItemView::SingleSelection);
    lvProperty->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvProperty->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The column widths are the user's, kept in the preferences.
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);

    imgSplitter->setObjectName(QStringLiteral("imgSplitter"));
    imgSplitter->setCursor(Qt::SplitHCursor);
    imgSplitter->installEventFilter(this);

    picSplitter->setObjectName(QStringLiteral("picSplitter"));
    picSplitter->setAutoFillBackground(true);
    QPalette gray = picSplitter->palette();
    gray.setColor(QPalette::Window, Qt::darkGray);
    picSplitter->setPalette(gray);
    picSplitter->hide();
}

std::int32_t SettingPanes::windowWidthTwips() const {
    return scale_.toTwips(window()->width());
}

void SettingPanes::arrangePanes(std::int32_t x) {
    const PaneColumns columns = ArrangePanes(x, windowWidthTwips(), scale_.toTwips(width()));
    splitterLeft_ = columns.treeWidth;
    const int h = height();
    const int treeWidth = scale_.toPixels(columns.treeWidth);
    const int listLeft = scale_.toPixels(columns.listLeft);
    tvSettings->setGeometry(0, 0, treeWidth, h);
    const int listWidth = std::max(width() - listLeft, 0);
    lvProperty->setGeometry(listLeft, 0, listWidth, h);
    // Room for the frame and a vertical scroll bar, whether or not it shows.
    const int visible =
        listWidth - 2 * lvProperty->frameWidth() -
        lvProperty->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, lvProperty);
    lvProperty->setColumnWidth(1, FitSecondColumn(lvProperty->columnWidth(0),
                                                  lvProperty->columnWidth(1), listWidth, visible));
    // The strip lies over the gap and the start of the list.
    imgSplitter->setGeometry(treeWidth, 0, scale_.toPixels(kSplitterWidth), h);
    imgSplitter->raise();
}

void SettingPanes::setSplitterPosition(std::int32_t x) {
    splitterLeft_ = x;
    if (isVisible()) {
        arrangePanes(x);
    }
}

void SettingPanes::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrangePanes(splitterLeft_);
}

bool SettingPanes::eventFilter(QObject* watched, QEvent* event) {
    if (watched != imgSplitter) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                beginDrag();
                return true;
            }
            break;
        case QEvent::MouseMove:
            if (moving_) {
                dragTo(static_cast<QMouseEvent*>(event)->position().toPoint().x());
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (moving_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                endDrag();
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void SettingPanes::beginDrag() {
    const QRect strip = imgSplitter->geometry();
    const int top = strip.top() + scale_.toPixels(kDragBarTopOffset);
    const int height = strip.height() - scale_.toPixels(kDragBarHeightReduction);
    picSplitter->setGeometry(strip.left(), top, std::max(strip.width() / 2, 1),
                             std::max(height, 0));
    picSplitter->show();
    picSplitter->raise();
    moving_ = true;
}

void SettingPanes::dragTo(int stripX) {
    const std::int32_t p = splitterLeft_ + scale_.toTwips(stripX);
    picSplitter->move(scale_.toPixels(ClampSplitter(p, windowWidthTwips())), picSplitter->y());
}

void SettingPanes::endDrag() {
    const std::int32_t barLeft = scale_.toTwips(picSplitter->x());
    picSplitter->hide();
    moving_ = false;
    arrangePanes(barLeft);
}

}  // namespace magtune::shell
