#pragma once

#include "app/ReaderTransport.h"
#include "comm/CommOptions.h"
#include "comm/ui/WedgeKeyFilter.h"
#include "common/Prompter.h"
#include "platform/Clock.h"
#include "settings/SettingStore.h"
#include "wedge/ZebApiLibrary.h"

class QWidget;

namespace magtune::shell {

// The keyboard wedge transport of the desktop program: frmDnld, frmUpld and
// frmTest, shown modally, with zebapi loaded on the first transfer. While it
// exists the application's key events go through the library's keyboard
// hook, which swallows them only while a transfer captures the keyboard.
class WedgeTransportForms : public app::ReaderTransport {
  public:
    WedgeTransportForms(wedge::ZebApiLibrary& library, settings::SettingStore& store,
                        const comm::CommOptions& options, common::Prompter& prompter,
                        platform::Clock& clock, QWidget* parent);
    ~WedgeTransportForms() override;

    WedgeTransportForms(const WedgeTransportForms&) = delete;
    WedgeTransportForms& operator=(const WedgeTransportForms&) = delete;

    bool download(const settings::ConfigurationImage& image) override;
    bool upload(settings::ConfigurationImage& image) override;
    void testPad() override;
    // Unloads the driver should a transfer have left it loaded.
    void releaseDevices() override;

  private:
    wedge::ZebApiLibrary& library_;
    settings::SettingStore& store_;
    const comm::CommOptions& options_;
    common::Prompter& prompter_;
    platform::Clock& clock_;
    QWidget* parent_;
    comm::WedgeKeyFilter keyFilter_;
    bool used_ = false;
};

}  // namespace magtune::shell
