#pragma once

#include "comm/SerialLink.h"
#include "comm/TransferView.h"
#include "platform/Clock.h"
#include "settings/ConfigurationImage.h"

namespace magtune {

// Failed replies after which an upload gives up.
inline constexpr int kUploadAttempts = 6;
// Sends of the download frame before a download gives up.
inline constexpr int kDownloadSends = 3;

// The download form (frmComDn): connects, sends the image, reports. Sets
// and returns DownloadSucceeded. The port stays open.
bool SerialDownload(SerialLink& link, const ConfigurationImage& image, TransferView& view);

// The upload form (frmComUp): connects, requests the image, reports and
// closes the port. Sets and returns UploadSucceeded; `image` is written only
// when a whole checked reply arrived.
bool SerialUpload(SerialLink& link, Clock& clock, ConfigurationImage& image, TransferView& view);

}  // namespace magtune
