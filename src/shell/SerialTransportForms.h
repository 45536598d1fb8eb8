#pragma once

#include "app/ReaderTransport.h"
#include "comm/SerialLink.h"
#include "platform/Clock.h"

class QWidget;

namespace magtune::shell {

// The RS232 transport of the desktop program: frmComDn, frmComUp and
// frmComTest, shown modally over the port that the selection dialog opened.
class SerialTransportForms : public app::ReaderTransport {
  public:
    SerialTransportForms(comm::SerialLink& link, platform::Clock& clock, QWidget* parent);

    bool download(const settings::ConfigurationImage& image) override;
    bool upload(settings::ConfigurationImage& image) override;
    void testPad() override;
    void endTransfers() override;

  private:
    comm::SerialLink& link_;
    platform::Clock& clock_;
    QWidget* parent_;
};

}  // namespace magtune::shell
