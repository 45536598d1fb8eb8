#pragma once

#include <cstdint>
#include <string>

#include "comm/SerialLink.h"
#include "settings/SettingStore.h"
#include "shell/ComPortOpener.h"
#include "shell/InterfaceDialogs.h"
#include "shell/PortConfigDialog.h"

namespace magtune::shell {

// The option of a running simulated reader. Never stored: OK takes the
// interface the simulator plays (USB or the keyboard port).
inline constexpr std::int32_t kSimulatedReaderOption = 4;

// Where the focus goes when OK keeps the dialog open.
enum class SelectionOk {
    Accepted,         // the dialog closes with its result flag set
    FocusDeviceName,  // no product name (upload dialog only)
    FocusPortList,    // RS232 chosen, but the port did not open
    Stay,             // the port could not be configured (already reported)
};

// The rules of the three interface selection dialogs (frmOpen, frmSave,
// frmSelect), without the window: the forms show what this holds and hand
// every click to it.
//
// A COM port chosen in the list is opened at once, so that Properties can
// read it and OK can tell whether it is there; it stays open after an RS232
// OK for the transfer that follows and is closed by Cancel and by any other
// OK.
class InterfaceSelection {
  public:
    InterfaceSelection(SelectionDialogKind kind, settings::SettingStore& store,
                       comm::SerialLink& link, ComPortOpener openPort,
                       PortConfigDialog& portDialog);

    SelectionDialogKind kind() const { return kind_; }

    // Clears the result, closes the port and selects the option of
    // CurrentInterface (reopening the remembered port for RS232).
    void Load();

    // The option shown selected: 1 RS232, 2 keyboard wedge, 3 USB, or the
    // simulated reader.
    std::int32_t selectedInterface() const { return selected_; }
    void SelectOption(std::int32_t interface);

    // The interface a simulated reader that runs now plays, 0 when none
    // runs: it is offered as an option of its own while it runs. When it
    // stops, its option hands the selection to the interface it played.
    // When the last OK took it and the user has not chosen since, it is
    // selected as it comes up.
    void setSimulatedInterface(std::int32_t interface);
    bool simulatorOffered() const { return simulated_ != 0; }
    std::int32_t simulatedInterface() const { return simulated_; }
    // Kept by the caller from one dialog to the next: the last OK took the
    // simulated reader.
    void rememberSimulatorChoice(bool* lastChoseSimulator) {
        lastChoseSimulator_ = lastChoseSimulator;
    }
    // lblCom, cboCom and cmdProperties.
    bool portControlsVisible() const { return selected_ == settings::InterfaceCode::Rs232; }

    // The cboCom entry (0 is COM1).
    int comIndex() const;
    // Closes the open port and opens port `index` instead.
    void ChoosePort(int index);
    bool propertiesEnabled() const;
    // Edits PortSettings in the port configuration dialog; the port itself
    // is configured only at OK.
    void Properties();

    // `productName` is the text of txtDevName (upload dialog only).
    SelectionOk Ok(const std::string& productName = {});
    void Cancel();

    // UploadChosen, DownloadChosen or TestChosen.
    bool chosen() const { return chosen_; }

  private:
    comm::SerialSession& session() { return link_.session(); }
    const comm::SerialSession& session() const { return link_.session(); }

    SelectionDialogKind kind_;
    settings::SettingStore& store_;
    comm::SerialLink& link_;
    ComPortOpener openPort_;
    std::string portRefusal_;  // why the chosen port did not open
    PortConfigDialog& portDialog_;
    std::int32_t selected_ = settings::InterfaceCode::Usb;
    std::int32_t simulated_ = 0;
    bool* lastChoseSimulator_ = nullptr;
    bool userChose_ = false;
    bool chosen_ = false;
};

}  // namespace magtune::shell
