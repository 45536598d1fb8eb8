#include "shell/LazyIconStyle.h"

#include <QIconEngine>
#include <QPainter>
#include <functional>
#include <utility>

namespace magtune::shell {

namespace {

// An icon that reads itself on its first use.
class DeferredIconEngine : public QIconEngine {
  public:
    explicit DeferredIconEngine(std::function<QIcon()> load) : load_(std::move(load)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }
    QString key() const override { return QStringLiteral("DeferredIconEngine"); }

  private:
    const QIcon& icon() {
        if (!loaded_) {
            loaded_ = true;
            icon_ = load_();
        }
        return icon_;
    }

    std::function<QIcon()> load_;
    QIcon icon_;
    bool loaded_ = false;
};

}  // namespace

QIcon LazyIconStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                                  const QWidget* widget) const {
    if (which != SP_ToolBarHorizontalExtensionButton &&
        which != SP_ToolBarVerticalExtensionButton) {
        return QProxyStyle::standardIcon(which, option, widget);
    }
    // The option and the widget may be gone by the time the icon is drawn.
    const QStyle* base = baseStyle();
    return QIcon(new DeferredIconEngine([base, which] { return base->standardIcon(which); }));
}

}  // namespace magtune::shell
