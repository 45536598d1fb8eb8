#include "comm/UsbReaderList.h"

#include <algorithm>
#include <utility>

#include "comm/UsbReaderNames.h"

namespace magtune::comm {

UsbReaderList::UsbReaderList(UsbLibraryCalls& library, platform::Clock& clock,
                             common::Prompter& prompter, std::string applicationTitle)
    : library_(library),
      clock_(clock),
      prompter_(prompter),
      applicationTitle_(std::move(applicationTitle)) {}

bool UsbReaderList::load() {
    entries_.clear();
    current_ = -1;
    busy(true);
    const std::int32_t count = std::min(library_.UsbHidGetAvailableDeviceList(), kMaxEntries);
    if (count <= 0) {
        busy(false);
        prompter_.show({kNoDeviceText, applicationTitle_, common::MessageIcon::Warning,
                        common::MessageButtons::Ok, common::Answer::Ok});
        return false;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        // Fresh for every entry: a failed call must not show the name before.
        char name[256] = {};
        std::uint8_t flag = 0;
        if (library_.UsbHidEnumDeviceList(i, name, &flag) == 0) {
            name[0] = '\0';
            flag = 0;
        }
        name[sizeof name - 1] = '\0';
        UsbReaderEntry entry;
        entry.text =
            UsbListItemText(static_cast<std::size_t>(i), BrandedUsbName(name, applicationTitle_));
        entry.position = i;
        entry.filterPresent = flag == 1;
        if (entry.filterPresent) {
            current_ = i;
        }
        entries_.push_back(std::move(entry));
    }
    if (current_ < 0) {
        current_ = 0;
    }
    busy(false);
    return true;
}

bool UsbReaderList::choose(std::size_t index, std::string& selectedName,
                           std::int32_t driverDelayMs) {
    if (index >= entries_.size()) {
        return false;
    }
    const UsbReaderEntry& entry = entries_[index];
    const std::string name = UsbNameOfListItem(entry.text);
    if (entry.filterPresent) {
        selectedName = name;
        return true;
    }
    busy(true);
    if (!selectedName.empty()) {
        if (library_.UsbHidDeselectDevice() == 0) {
            busy(false);
            prompter_.warning("Failed to deselect " + selectedName);
            return false;
        }
        // The old reader has lost its filter: nothing is selected now, and
        // no entry may be taken as selected without asking the library.
        selectedName.clear();
        for (UsbReaderEntry& other : entries_) {
            other.filterPresent = false;
        }
    }
    pause(driverDelayMs);
    if (library_.UsbHidSelectDevice(entry.position) == 0) {
        busy(false);
        prompter_.warning("Failed to select " + name);
        return false;
    }
    selectedName = name;
    pause(driverDelayMs);
    busy(false);
    return true;
}

void UsbReaderList::busy(bool on) {
    if (setBusy) {
        setBusy(on);
    }
}

void UsbReaderList::pause(std::int32_t ms) {
    if (ms > 0) {
        clock_.sleepMs(static_cast<std::uint32_t>(ms));
    }
}

}  // namespace magtune::comm
