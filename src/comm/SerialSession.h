#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/PortSettings.h"
#include "platform/SerialPort.h"

namespace magtune::comm {

// The serial state that the selection dialogs, the main window and the
// serial transfers share: one port at a time.
struct SerialSession {
    // The open COM port; empty when none is open.
    std::unique_ptr<magtune::platform::SerialPort> SerialPort;
    // Zero-based port index: 0 is COM1.
    std::uint16_t CurrentComIndex = 0;
    // The port's control block; its length field stays 0 until the block has
    // been filled once. The connect scan leaves the answering baud rate here.
    magtune::platform::PortSettings PortSettings;
    // The device name typed in the selection dialog (upload status texts).
    std::string DeviceName;
    // Results of the last transfer form, cleared when one starts.
    bool DownloadSucceeded = false;
    bool UploadSucceeded = false;

    bool isPortOpen() const { return SerialPort != nullptr; }
    void closePort();
};

}  // namespace magtune::comm
