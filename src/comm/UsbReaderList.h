#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "comm/UsbLibraryCalls.h"
#include "common/Prompter.h"
#include "platform/Clock.h"

namespace magtune::comm {

// One reader of the list, as shown: "1 - " and its (branded) name.
struct UsbReaderEntry {
    std::string text;
    // Its place in the library's device list.
    std::int32_t position = 0;
    // The reader carries the filter already (it is the selected one).
    bool filterPresent = false;
};

// The reader list of the USB device dialog (frmUSB) without its window: the
// readers the control library finds, and the choice of one of them.
class UsbReaderList {
  public:
    static constexpr const char* kNoDeviceText =
        "No USB device found. Please check your device connection.";
    // More entries than any bus holds readers: a count beyond it is cut.
    static constexpr std::int32_t kMaxEntries = 128;

    UsbReaderList(UsbLibraryCalls& library, platform::Clock& clock, common::Prompter& prompter,
                  std::string applicationTitle = common::kApplicationTitle);

    // The hourglass pointer while the library works; nothing by default.
    std::function<void(bool busy)> setBusy;

    // Asks the library for the readers. False, after telling the user,
    // when there is none.
    bool load();

    const std::vector<UsbReaderEntry>& entries() const { return entries_; }
    // The entry shown first: the last one that carries the filter, else the
    // first one; -1 when the list is empty.
    int current() const { return current_; }

    // OK with entry `index`: makes that reader the selected one, the one
    // named by `selectedName`. A reader that carries the filter needs no
    // library call. False, after telling the user, when the library
    // refused; `selectedName` then names what is still selected (nothing
    // once the old reader was let go).
    bool choose(std::size_t index, std::string& selectedName, std::int32_t driverDelayMs);

  private:
    void busy(bool on);
    void pause(std::int32_t ms);

    UsbLibraryCalls& library_;
    platform::Clock& clock_;
    common::Prompter& prompter_;
    std::string applicationTitle_;
    std::vector<UsbReaderEntry> entries_;
    int current_ = -1;
};

}  // namespace magtune::comm
