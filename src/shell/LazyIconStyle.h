#pragma once

#include <QProxyStyle>

namespace magtune::shell {

// The desktop's style, with the icons of the menu bar's and the toolbar's
// extension buttons read from their files only when first drawn. Those
// buttons show only when a bar is too narrow for its items, and reading an
// image file for them while the window is built brings every image format
// plugin in before the first frame.
class LazyIconStyle : public QProxyStyle {
  public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace magtune::shell
