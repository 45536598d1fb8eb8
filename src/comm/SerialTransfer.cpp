#include "comm/SerialTransfer.h"

#include <optional>
#include <string>

#include "comm/ProtocolFrames.h"

namespace magtune {

namespace {

enum class ReplyOutcome { Received, Failed, PortFailed };

bool SendImage(SerialLink& link, const ConfigurationImage& image) {
    if (!link.SetTransferTimeouts()) {
        return false;
    }
    const auto frame = SerialDownloadFrame(image);
    const bool log = link.options().UsbLogEnable;
    for (int send = 0; send < kDownloadSends; ++send) {
        if (!link.purge() || !link.SerialWrite(frame)) {
            return false;
        }
        std::uint8_t answer = 0;
        const int result = link.SerialRead(std::span(&answer, 1), log);
        if (result < 0) {
            return false;
        }
        if (result == 1 && answer == kAck) {
            return true;
        }
    }
    return false;
}

// One request and its reply. Bytes before STX are skipped, but only for as
// long as a whole reply would take: a reader that sends noise without end
// must not keep the upload waiting for ever.
ReplyOutcome RequestImage(SerialLink& link, Clock& clock, ConfigurationImage& received) {
    const bool log = link.options().UsbLogEnable;
    if (!link.purge() || !link.SerialWrite(SerialUploadRequest())) {
        return ReplyOutcome::PortFailed;
    }
    const std::uint64_t patience =
        static_cast<std::uint64_t>(link.options().ReadTotalTimeoutConstant) +
        kTransferTimeoutPerByte * kSerialImageFrameSize;
    const std::uint64_t start = clock.nowMs();
    for (;;) {
        std::uint8_t byte = 0;
        const int result = link.SerialRead(std::span(&byte, 1), log);
        if (result < 0) {
            return ReplyOutcome::PortFailed;
        }
        if (result == 0) {
            return ReplyOutcome::Failed;
        }
        if (byte == kStx) {
            break;
        }
        if (clock.nowMs() - start > patience) {
            return ReplyOutcome::Failed;
        }
    }
    std::array<std::uint8_t, kSerialReplyBodySize> body{};
    const int result = link.SerialRead(body, log);
    if (result < 0) {
        return ReplyOutcome::PortFailed;
    }
    if (result == 0) {
        return ReplyOutcome::Failed;
    }
    const auto decoded = DecodeSerialUploadReply(body);
    if (!decoded.ok()) {
        return ReplyOutcome::Failed;
    }
    received = *decoded.image;
    return ReplyOutcome::Received;
}

std::optional<ConfigurationImage> ReceiveImage(SerialLink& link, Clock& clock) {
    if (!link.SetTransferTimeouts()) {
        return std::nullopt;
    }
    ConfigurationImage received{};
    for (int failures = 0; failures < kUploadAttempts;) {
        switch (RequestImage(link, clock, received)) {
            case ReplyOutcome::Received:
                return received;
            case ReplyOutcome::PortFailed:
                return std::nullopt;
            case ReplyOutcome::Failed:
                ++failures;
                break;
        }
    }
    return std::nullopt;
}

}  // namespace

bool SerialDownload(SerialLink& link, const ConfigurationImage& image, TransferView& view) {
    auto& session = link.session();
    if (link.options().UsbLogEnable) {
        link.log().clear();
    }
    session.DownloadSucceeded = false;
    view.setStatus("Connecting to device ...");
    if (!link.SerialConnect(view)) {
        view.setStatus("Connect failed");
        link.prompter().warning("Failed to connect to device.");
        return false;
    }
    view.setProgress(50);
    view.setStatus("Downloading to device ...");
    if (SendImage(link, image)) {
        view.setStatus("Download succeed");
        view.setProgress(100);
        session.DownloadSucceeded = true;
        link.prompter().information("Download finished successfully.", kApplicationTitle);
    } else {
        view.setStatus("Download failed");
        link.prompter().warning("Download setting failed.");
    }
    return session.DownloadSucceeded;
}

bool SerialUpload(SerialLink& link, Clock& clock, ConfigurationImage& image, TransferView& view) {
    auto& session = link.session();
    const std::string& name = session.DeviceName;
    if (link.options().UsbLogEnable) {
        link.log().clear();
    }
    session.UploadSucceeded = false;
    view.setStatus("Connecting to " + name + " ...");
    if (!link.SerialConnect(view)) {
        view.setStatus("Connect failed");
        link.prompter().warning("Failed to connect to " + name + ".");
    } else {
        view.setProgress(50);
        view.setStatus("Upload setting from " + name + " ...");
        if (auto received = ReceiveImage(link, clock)) {
            image = *received;
            view.setStatus("Upload succeed");
            view.setProgress(100);
            session.UploadSucceeded = true;
            link.prompter().information("Upload finished successfully.", kApplicationTitle);
        } else {
            view.setStatus("Upload failed");
            link.prompter().warning("Upload setting from " + name + " failed.");
        }
    }
    session.closePort();
    return session.UploadSucceeded;
}

}  // namespace magtune
