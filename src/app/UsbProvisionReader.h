#pragma once

#include <string>

#include "app/ProvisionReader.h"
#include "app/RuntimeConfig.h"
#include "app/UsbReaderSession.h"
#include "comm/CommOptions.h"

namespace magtune::app {

// A USB reader of the list, through a hold on the control library of its
// own, so that its messages are the reader's. The run gives USB readers one
// at a time.
class UsbProvisionReader : public ProvisionReader {
  public:
    UsbProvisionReader(const ProvisionTarget& target, const comm::CommOptions& options,
                       const RuntimeConfig& config, common::Prompter& prompter,
                       comm::TransferView& view, UsbReaderSession::TypedKeys typedKeys);

    bool chooseDevice() override;
    bool download(const settings::ConfigurationImage& image) override;
    bool upload(settings::ConfigurationImage& image) override;
    std::string devicePath() const override { return name_; }

  private:
    ProvisionTarget target_;
    common::Prompter& prompter_;
    comm::TransferView& view_;
    UsbReaderSession session_;
    std::string name_;
    bool chosen_ = false;
};

// How many readers the USB list has (0 when there is none or the list
// cannot be had, after telling `prompter` why).
std::size_t CountUsbReaders(common::Prompter& prompter, const comm::CommOptions& options,
                            const RuntimeConfig& config);

}  // namespace magtune::app
