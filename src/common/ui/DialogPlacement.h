#pragma once

class QWidget;

namespace magtune {

// Dialogs open centred on the screen (not on their parent window).
void CentreOnScreen(QWidget* widget);

}  // namespace magtune
