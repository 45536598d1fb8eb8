#pragma once

#include "app/ReaderTransport.h"
#include "comm/SerialLink.h"
#include "platform/Clock.h"

class QWidget;

namespace magtune {

// The RS232 transport of the desktop program: frmComDn, frmComUp and
// frmComTest, shown modally over the port that the selection dialog opened.
class SerialTransportForms : public ReaderTransport {
  public:
    SerialTransportForms(SerialLink& link, Clock& clock, QWidget* parent);

    bool download(const ConfigurationImage& image) override;
    bool upload(ConfigurationImage& image) override;
    void testPad() override;
    void endTransfers() override;

  private:
    SerialLink& link_;
    Clock& clock_;
    QWidget* parent_;
};

}  // namespace magtune
