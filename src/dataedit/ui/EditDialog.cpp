#include "dataedit/ui/EditDialog.h"

#include <QEvent>

#include "common/ui/DialogPlacement.h"

namespace magtune {

void EditDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!centred_) {
        centred_ = true;
        CentreOnScreen(this);
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
    if (!inputShown_) {
        if (QWidget* control = activationFocus()) {
            control->setFocus();
        }
    }
    inputShown_ = false;
}

}  // namespace magtune
