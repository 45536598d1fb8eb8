#include "shell/SerialTransportForms.h"

#include "comm/ui/frmComDn.h"
#include "comm/ui/frmComTest.h"
#include "comm/ui/frmComUp.h"

namespace magtune {

SerialTransportForms::SerialTransportForms(SerialLink& link, SettingStore& store, Clock& clock,
                                           QWidget* parent)
    : link_(link), store_(store), clock_(clock), parent_(parent) {}

bool SerialTransportForms::download() {
    frmComDn form(link_, store_.image, parent_);
    form.exec();
    return form.succeeded();
}

bool SerialTransportForms::upload() {
    frmComUp form(link_, clock_, store_.image, parent_);
    form.exec();
    return form.succeeded();
}

void SerialTransportForms::testPad() {
    frmComTest form(link_, parent_);
    form.exec();
}

}  // namespace magtune
