#include "shell/SerialTransportForms.h"

#include "comm/ui/frmComDn.h"
#include "comm/ui/frmComTest.h"
#include "comm/ui/frmComUp.h"

namespace magtune::shell {

SerialTransportForms::SerialTransportForms(comm::SerialLink& link, platform::Clock& clock,
                                           QWidget* parent)
    : link_(link), clock_(clock), parent_(parent) {}

bool SerialTransportForms::download(const settings::ConfigurationImage& image) {
    comm::frmComDn form(link_, clock_, image, parent_);
    form.exec();
    return form.succeeded();
}

bool SerialTransportForms::upload(settings::ConfigurationImage& image) {
    comm::frmComUp form(link_, clock_, image, parent_);
    form.exec();
    return form.succeeded();
}

void SerialTransportForms::testPad() {
    comm::frmComTest form(link_, parent_);
    form.exec();
}

void SerialTransportForms::endTransfers() {
    link_.session().closePort();
}

}  // namespace magtune::shell
