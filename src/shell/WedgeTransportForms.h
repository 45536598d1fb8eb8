#pragma once

#include "app/ReaderTransport.h"
#include "comm/CommOptions.h"
#include "comm/ui/WedgeKeyFilter.h"
#include "common/Prompter.h"
#include "platform/Clock.h"
#include "settings/SettingStore.h"
#include "wedge/ZebApiLibrary.h"

class QWidget;

namespace magtune {

// The keyboard wedge transport of the desktop program: frmDnld, frmUpld and
// frmTest, shown modally, with zebapi loaded on the first transfer. While it
// exists the application's key events go through the library's keyboard
// hook, which swallows them only while a transfer captures the keyboard.
class WedgeTransportForms : public ReaderTransport {
  public:
    WedgeTransportForms(ZebApiLibrary& library, SettingStore& store, const CommOptions& options,
                        Prompter& prompter, Clock& clock, QWidget* parent);
    ~WedgeTransportForms() override;

    WedgeTransportForms(const WedgeTransportForms&) = delete;
    WedgeTransportForms& operator=(const WedgeTransportForms&) = delete;

    bool download(const ConfigurationImage& image) override;
    bool upload(ConfigurationImage& image) override;
    void testPad() override;
    // Unloads the driver should a transfer have left it loaded.
    void releaseDevices() override;

  private:
    ZebApiLibrary& library_;
    SettingStore& store_;
    const CommOptions& options_;
    Prompter& prompter_;
    Clock& clock_;
    QWidget* parent_;
    WedgeKeyFilter keyFilter_;
    bool used_ = false;
};

}  // namespace magtune
