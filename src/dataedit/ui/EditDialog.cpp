#include "dataedit/ui/EditDialog.h"

#include <QEvent>

#include "common/ui/DialogPlacement.h"

namespace magtune::dataedit {

void EditDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centred_) {
        centred_ = true;
        common::CentreOnScreen(this);
        activated();
    }
}

void EditDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        activated();
    }
}

void EditDialog::activated() {
    if (!keepFocus_) {
        if (QWidget* control = activationFocus()) {
            control->setFocus();
        }
    }
    keepFocus_ = false;
}

}  // namespace magtune::dataedit
