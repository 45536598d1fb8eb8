#pragma once

#include "comm/SerialLink.h"
#include "platform/Clock.h"
#include "settings/SettingStore.h"
#include "shell/ReaderTransport.h"

class QWidget;

namespace magtune {

// The RS232 transport of the desktop program: frmComDn, frmComUp and
// frmComTest, shown modally over the port that the selection dialog opened.
class SerialTransportForms : public ReaderTransport {
  public:
    SerialTransportForms(SerialLink& link, SettingStore& store, Clock& clock, QWidget* parent);

    bool download() override;
    bool upload() override;
    void testPad() override;

  private:
    SerialLink& link_;
    SettingStore& store_;
    Clock& clock_;
    QWidget* parent_;
};

}  // namespace magtune
