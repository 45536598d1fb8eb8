#pragma once

class QWidget;

namespace magtune::common {

// Dialogs open centred on the screen (not on their parent window).
void CentreOnScreen(QWidget* widget);

}  // namespace magtune::common
