#include "shell/InterfaceSelection.h"

#include <utility>

#include "platform/SystemError.h"
#include "shell/SelectionRules.h"

namespace magtune::shell {

InterfaceSelection::InterfaceSelection(SelectionDialogKind kind, settings::SettingStore& store,
                                       comm::SerialLink& link, ComPortOpener openPort,
                                       PortConfigDialog& portDialog)
    : kind_(kind),
      store_(store),
      link_(link),
      openPort_(std::move(openPort)),
      portDialog_(portDialog) {}

void InterfaceSelection::Load() {
    chosen_ = false;
    session().closePort();
    SelectOption(store_.CurrentInterface);
    userChose_ = false;
}

void InterfaceSelection::SelectOption(std::int32_t interface) {
    userChose_ = true;
    switch (interface) {
        case kSimulatedReaderOption:
            if (simulated_ != 0) {
                selected_ = kSimulatedReaderOption;
            }
            break;
        case settings::InterfaceCode::Rs232:
            selected_ = settings::InterfaceCode::Rs232;
            ChoosePort(comIndex());
            break;
        case settings::InterfaceCode::KeyboardWedge:
            selected_ = settings::InterfaceCode::KeyboardWedge;
            break;
        default:
            selected_ = settings::InterfaceCode::Usb;
            break;
    }
}

void InterfaceSelection::setSimulatedInterface(std::int32_t interface) {
    const std::int32_t before = simulated_;
    simulated_ =
        interface == settings::InterfaceCode::Usb || interface == settings::InterfaceCode::KeyboardWedge ? interface : 0;
    if (selected_ == kSimulatedReaderOption && simulated_ == 0) {
        selected_ = before;
    } else if (simulated_ != 0 && !userChose_ && selected_ == simulated_ &&
               lastChoseSimulator_ != nullptr && *lastChoseSimulator_) {
        selected_ = kSimulatedReaderOption;
    }
}

int InterfaceSelection::comIndex() const {
    // A remembered index beyond the list shows (and opens) the first port.
    const int index = session().CurrentComIndex;
    return index < platform::kComPortCount ? index : 0;
}

void InterfaceSelection::ChoosePort(int index) {
    if (index < 0 || index >= platform::kComPortCount) {
        return;
    }
    session().closePort();
    session().CurrentComIndex = static_cast<std::uint16_t>(index);
    portRefusal_ = OpenComPortInto(openPort_, index, session().SerialPort);
}

bool InterfaceSelection::propertiesEnabled() const {
    return session().isPortOpen();
}

void InterfaceSelection::Properties() {
    auto& port = session().SerialPort;
    if (!port) {
        return;
    }
    auto& settings = session().PortSettings;
    if (settings.DCBlength == 0) {
        platform::PortSettings current;
        platform::SystemError error;
        if (!port->getState(current, error)) {
            platform::ShowSystemError(link_.prompter(), "GetCommState", error.code);
            return;
        }
        settings = current;
    }
    platform::PortSettings edited = settings;
    for (;;) {
        auto chosen = portDialog_.configure(platform::ComPortName(comIndex()), edited);
        if (!chosen) {
            return;
        }
        if (chosen->BaudRate != kUnsupportedBaudRate) {
            settings = *chosen;
            return;
        }
        link_.prompter().warning(kUnsupportedBaudRateText);
        // Shown again as the user left it, so only the rate needs fixing.
        edited = *chosen;
    }
}

SelectionOk InterfaceSelection::Ok(const std::string& productName) {
    const std::string name = TrimBlanks(productName);
    if (kind_ == SelectionDialogKind::Upload && name.empty()) {
        return SelectionOk::FocusDeviceName;
    }
    if (selected_ == kSimulatedReaderOption) {
        store_.CurrentInterface = simulated_;
        session().closePort();
    } else if (selected_ != settings::InterfaceCode::Rs232) {
        store_.CurrentInterface = selected_;
        session().closePort();
    } else {
        if (!session().isPortOpen()) {
            link_.prompter().warning(portRefusal_);
            return SelectionOk::FocusPortList;
        }
        store_.CurrentInterface = settings::InterfaceCode::Rs232;
        session().CurrentComIndex = static_cast<std::uint16_t>(comIndex());
        if (!link_.OpenSerialPort()) {
            return SelectionOk::Stay;
        }
    }
    if (kind_ == SelectionDialogKind::Upload) {
        session().DeviceName = name;
    }
    if (lastChoseSimulator_ != nullptr) {
        *lastChoseSimulator_ = selected_ == kSimulatedReaderOption;
    }
    chosen_ = true;
    return SelectionOk::Accepted;
}

void InterfaceSelection::Cancel() {
    session().closePort();
    chosen_ = false;
}

}  // namespace magtune::shell
