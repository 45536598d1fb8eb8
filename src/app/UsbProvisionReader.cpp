#include "app/UsbProvisionReader.h"

#include <utility>

namespace magtune::app {

UsbProvisionReader::UsbProvisionReader(const ProvisionTarget& target,
                                       const comm::CommOptions& options,
                                       const RuntimeConfig& config, common::Prompter& prompter,
                                       comm::TransferView& view,
                                       UsbReaderSession::TypedKeys typedKeys)
    : target_(target),
      prompter_(prompter),
      view_(view),
      session_(prompter, options, config, true, std::move(typedKeys)) {}

bool UsbProvisionReader::chooseDevice() {
    if (!chosen_ && session_.choose(target_.usbNumber)) {
        chosen_ = true;
        // "2 - Tarvik Desk": the name follows the list number.
        const std::string& text = session_.readers()[target_.usbNumber - 1].text;
        const std::size_t dash = text.find(" - ");
        name_ = dash == std::string::npos ? text : text.substr(dash + 3);
    }
    return chosen_;
}

bool UsbProvisionReader::download(const settings::ConfigurationImage& image) {
    settings::ConfigurationImage sent = image;
    return session_.transfer(comm::UsbTransfer::Direction::Download, sent, prompter_, view_);
}

bool UsbProvisionReader::upload(settings::ConfigurationImage& image) {
    return session_.transfer(comm::UsbTransfer::Direction::Upload, image, prompter_, view_);
}

std::size_t CountUsbReaders(common::Prompter& prompter, const comm::CommOptions& options,
                            const RuntimeConfig& config) {
    UsbReaderSession list(prompter, options, config, false);
    return list.list() ? list.readers().size() : 0;
}

}  // namespace magtune::app
