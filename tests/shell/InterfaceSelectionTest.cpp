#include "shell/InterfaceSelection.h"

#include <gtest/gtest.h>

#include "platform/SystemError.h"
#include "shell/ShellFakes.h"
#include "support/FakePrompter.h"

namespace magtune::shell {
namespace {

using test::FakeComPorts;
using test::FakePortConfigDialog;
using test::FakePrompter;
using test::FakeSerialPort;

constexpr const char* kBaudMessage =
    "Tarvik products donot support 110 baudrate, please select a different baudrate.";

class InterfaceSelectionTest : public ::testing::Test {
  protected:
    settings::SettingStore store;
    comm::SerialSession session;
    comm::CommOptions options;
    test::MemoryFileSystem files;
    comm::TransferLog log{files, "/tmp/USBLog.txt"};
    FakePrompter prompter;
    comm::SerialLink link{session, options, log, prompter};
    FakeComPorts ports;
    FakeSerialPort com1;
    FakeSerialPort com3;
    FakePortConfigDialog portDialog;

    InterfaceSelectionTest() {
        ports.available = {{0, &com1}, {2, &com3}};
        com3.systemState.DCBlength = platform::PortSettings::kByteSize;
        com3.systemState.BaudRate = 19200;
        com3.systemState.ByteSize = 7;
        com3.systemState.Parity = platform::PortSettings::kEvenParity;
    }

    InterfaceSelection dialog(SelectionDialogKind kind = SelectionDialogKind::Download) {
        return InterfaceSelection(kind, store, link, ports.opener(), portDialog);
    }

    void rememberRs232(int comIndex) {
        store.CurrentInterface = settings::InterfaceCode::Rs232;
        session.CurrentComIndex = static_cast<std::uint16_t>(comIndex);
    }
};

TEST_F(InterfaceSelectionTest, LoadSelectsTheOptionOfCurrentInterface) {
    struct Case {
        std::int32_t current;
        std::int32_t shown;
        bool portControls;
    };
    for (const Case c : {Case{1, 1, true}, Case{2, 2, false}, Case{3, 3, false}, Case{0, 3, false},
                         Case{7, 3, false}, Case{-1, 3, false}}) {
        store.CurrentInterface = c.current;
        auto d = dialog();
        d.Load();
        EXPECT_EQ(d.selectedInterface(), c.shown) << c.current;
        EXPECT_EQ(d.portControlsVisible(), c.portControls) << c.current;
        EXPECT_FALSE(d.chosen());
    }
}

// The simulated reader is offered while it runs; OK stores the interface it
// plays, never an option of its own.
TEST_F(InterfaceSelectionTest, TheSimulatedReaderIsAnOptionWhileItRuns) {
    constexpr std::int32_t kSim = kSimulatedReaderOption;
    struct Case {
        const char* what;
        std::int32_t current;
        bool lastChoseSimulator;
        std::int32_t plays;
        std::int32_t userPicks;  // before the simulator is seen; 0: nothing
        std::int32_t shown;
        std::int32_t stored;
    };
    const Case cases[] = {
        {"offered, not imposed", 3, false, 3, 0, 3, 3},
        {"chosen last time", 3, true, 3, 0, kSim, 3},
        {"chosen last time, the user picked first", 3, true, 3, 3, 3, 3},
        {"chosen last time, now another interface", 2, true, 3, 0, 2, 2},
        {"plays the keyboard port", 1, false, 2, kSim, 1, 1},  // picked before it ran
        {"no interface to play", 3, true, 1, 0, 3, 3},
        {"an option code in the preferences loads as USB", kSim, true, 3, 0, kSim, 3},
    };
    for (const Case& c : cases) {
        store.CurrentInterface = c.current;
        bool last = c.lastChoseSimulator;
        auto d = dialog();
        d.rememberSimulatorChoice(&last);
        d.Load();
        if (c.userPicks != 0) {
            d.SelectOption(c.userPicks);
        }
        d.setSimulatedInterface(c.plays);
        EXPECT_EQ(d.simulatorOffered(), c.plays == 2 || c.plays == 3) << c.what;
        EXPECT_EQ(d.selectedInterface(), c.shown) << c.what;
        ASSERT_EQ(d.Ok(), SelectionOk::Accepted) << c.what;
        EXPECT_EQ(store.CurrentInterface, c.stored) << c.what;
        EXPECT_EQ(last, c.shown == kSim) << c.what;
    }
}

TEST_F(InterfaceSelectionTest, ASimulatorThatStopsHandsTheSelectionToItsInterface) {
    rememberRs232(2);
    auto d = dialog();
    d.Load();
    d.setSimulatedInterface(settings::InterfaceCode::KeyboardWedge);
    d.SelectOption(kSimulatedReaderOption);
    EXPECT_FALSE(d.portControlsVisible());
    d.setSimulatedInterface(0);
    EXPECT_FALSE(d.simulatorOffered());
    EXPECT_EQ(d.selectedInterface(), settings::InterfaceCode::KeyboardWedge);
    ASSERT_EQ(d.Ok(), SelectionOk::Accepted);
    EXPECT_EQ(store.CurrentInterface, settings::InterfaceCode::KeyboardWedge);
    EXPECT_FALSE(session.isPortOpen());
}

TEST_F(InterfaceSelectionTest, LoadWithRs232ReopensTheRememberedPort) {
    rememberRs232(2);
    auto d = dialog();
    d.Load();
    EXPECT_EQ(ports.opened, std::vector<int>{2});
    EXPECT_EQ(d.comIndex(), 2);
    EXPECT_TRUE(d.propertiesEnabled());
    EXPECT_TRUE(session.isPortOpen());
}

TEST_F(InterfaceSelectionTest, LoadClosesAPortLeftOpen) {
    session.SerialPort = std::make_unique<test::PortHandle>(com1);
    store.CurrentInterface = settings::InterfaceCode::Usb;
    auto d = dialog();
    d.Load();
    EXPECT_TRUE(com1.closed);
    EXPECT_FALSE(session.isPortOpen());
    EXPECT_TRUE(ports.opened.empty());
}

TEST_F(InterfaceSelectionTest, PortHeldElsewhereDisablesPropertiesAndOkReportsIt) {
    rememberRs232(1);  // COM2: not available
    auto d = dialog();
    d.Load();
    EXPECT_FALSE(d.propertiesEnabled());
    EXPECT_EQ(d.Ok(), SelectionOk::FocusPortList);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, FakeComPorts::refusal(1));
    EXPECT_EQ(prompter.messages[0].caption, "Error");
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Warning);
    EXPECT_FALSE(d.chosen());

    // Picking a port that is there lets OK through.
    d.ChoosePort(0);
    EXPECT_TRUE(d.propertiesEnabled());
    EXPECT_EQ(d.Ok(), SelectionOk::Accepted);
    EXPECT_EQ(session.CurrentComIndex, 0);
}

TEST_F(InterfaceSelectionTest, ChoosingAPortClosesTheOneBefore) {
    rememberRs232(0);
    auto d = dialog();
    d.Load();
    d.ChoosePort(2);
    EXPECT_TRUE(com1.closed);
    EXPECT_FALSE(com3.closed);
    EXPECT_EQ(session.CurrentComIndex, 2);
    EXPECT_EQ(ports.opened, (std::vector<int>{0, 2}));
}

TEST_F(InterfaceSelectionTest, OkWithRs232ConfiguresThePortAndKeepsItOpen) {
    rememberRs232(2);
    store.CurrentInterface = settings::InterfaceCode::Usb;
    auto d = dialog();
    d.Load();
    d.SelectOption(settings::InterfaceCode::Rs232);  // reopens the remembered port
    EXPECT_EQ(d.Ok(), SelectionOk::Accepted);
    EXPECT_TRUE(d.chosen());
    EXPECT_EQ(store.CurrentInterface, settings::InterfaceCode::Rs232);
    EXPECT_EQ(session.CurrentComIndex, 2);
    EXPECT_FALSE(com3.closed);
    // A block never filled becomes 9600 baud 8N1, then the idle time-outs.
    ASSERT_EQ(com3.appliedStates.size(), 1u);
    EXPECT_EQ(com3.appliedStates[0].BaudRate, 9600u);
    EXPECT_EQ(com3.appliedStates[0].ByteSize, 8);
    EXPECT_EQ(com3.appliedStates[0].Parity, platform::PortSettings::kNoParity);
    ASSERT_EQ(com3.appliedTimeouts.size(), 1u);
    EXPECT_EQ(com3.appliedTimeouts[0], comm::kIdleTimeouts);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(InterfaceSelectionTest, OkStaysWhenThePortCannotBeConfigured) {
    rememberRs232(2);
    session.PortSettings = com3.systemState;
    com3.failSetState = true;
    auto d = dialog();
    d.Load();
    EXPECT_EQ(d.Ok(), SelectionOk::Stay);
    EXPECT_FALSE(d.chosen());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, platform::SystemErrorText("SetCommState", EIO));
}

TEST_F(InterfaceSelectionTest, OkWithoutRs232ClosesThePortAndSetsTheInterface) {
    struct Case {
        std::int32_t option;
        std::int32_t interface;
    };
    for (const Case c :
         {Case{settings::InterfaceCode::Usb, 3}, Case{settings::InterfaceCode::KeyboardWedge, 2}}) {
        rememberRs232(0);
        auto d = dialog();
        d.Load();
        d.SelectOption(c.option);
        // The port stays open until OK.
        EXPECT_FALSE(com1.closed);
        EXPECT_FALSE(d.portControlsVisible());
        EXPECT_EQ(d.Ok(), SelectionOk::Accepted);
        EXPECT_TRUE(com1.closed);
        EXPECT_FALSE(session.isPortOpen());
        EXPECT_EQ(store.CurrentInterface, c.interface);
    }
}

TEST_F(InterfaceSelectionTest, CancelClosesThePortAndChangesNothing) {
    rememberRs232(0);
    auto d = dialog();
    d.Load();
    d.SelectOption(settings::InterfaceCode::Usb);
    d.Cancel();
    EXPECT_FALSE(d.chosen());
    EXPECT_TRUE(com1.closed);
    EXPECT_EQ(store.CurrentInterface, settings::InterfaceCode::Rs232);
}

TEST_F(InterfaceSelectionTest, UploadDialogNeedsAProductName) {
    struct Case {
        std::string typed;
        SelectionOk outcome;
        std::string deviceName;
    };
    for (const Case& c : {Case{"", SelectionOk::FocusDeviceName, "OLD"},
                          Case{"    ", SelectionOk::FocusDeviceName, "OLD"},
                          Case{"  MSR 100 ", SelectionOk::Accepted, "MSR 100"}}) {
        session.DeviceName = "OLD";
        store.CurrentInterface = settings::InterfaceCode::Usb;
        auto d = dialog(SelectionDialogKind::Upload);
        d.Load();
        EXPECT_EQ(d.Ok(c.typed), c.outcome) << c.typed;
        EXPECT_EQ(session.DeviceName, c.deviceName);
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(InterfaceSelectionTest, MissingNameIsCheckedBeforeThePort) {
    rememberRs232(1);  // not available
    auto d = dialog(SelectionDialogKind::Upload);
    d.Load();
    EXPECT_EQ(d.Ok(" "), SelectionOk::FocusDeviceName);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(store.CurrentInterface, settings::InterfaceCode::Rs232);
}

TEST_F(InterfaceSelectionTest, OtherDialogsIgnoreTheName) {
    for (auto kind : {SelectionDialogKind::Download, SelectionDialogKind::TestPad}) {
        session.DeviceName = "KEPT";
        store.CurrentInterface = settings::InterfaceCode::KeyboardWedge;
        auto d = dialog(kind);
        d.Load();
        EXPECT_EQ(d.Ok(), SelectionOk::Accepted);
        EXPECT_EQ(session.DeviceName, "KEPT");
    }
}

TEST_F(InterfaceSelectionTest, PropertiesReadsAnUnfilledBlockFromThePort) {
    rememberRs232(2);
    auto d = dialog();
    d.Load();
    platform::PortSettings chosen = com3.systemState;
    chosen.BaudRate = 4800;
    portDialog.answers = {chosen};
    d.Properties();
    EXPECT_EQ(com3.getStateCalls, 1);
    ASSERT_EQ(portDialog.shown.size(), 1u);
    EXPECT_EQ(portDialog.shown[0].portName, "COM3");
    EXPECT_EQ(portDialog.shown[0].settings, com3.systemState);
    EXPECT_EQ(session.PortSettings, chosen);
    // Only OK configures the port, and then with what was chosen.
    EXPECT_TRUE(com3.appliedStates.empty());
    EXPECT_EQ(d.Ok(), SelectionOk::Accepted);
    ASSERT_EQ(com3.appliedStates.size(), 1u);
    EXPECT_EQ(com3.appliedStates[0], chosen);
}

TEST_F(InterfaceSelectionTest, PropertiesUsesAFilledBlockAsItIs) {
    rememberRs232(2);
    session.PortSettings.DCBlength = platform::PortSettings::kByteSize;
    session.PortSettings.BaudRate = 1200;
    const platform::PortSettings before = session.PortSettings;
    auto d = dialog();
    d.Load();
    d.Properties();  // cancelled
    EXPECT_EQ(com3.getStateCalls, 0);
    ASSERT_EQ(portDialog.shown.size(), 1u);
    EXPECT_EQ(portDialog.shown[0].settings, before);
    EXPECT_EQ(session.PortSettings, before);
}

TEST_F(InterfaceSelectionTest, PropertiesReportsAFailedRead) {
    rememberRs232(2);
    com3.failGetState = true;
    com3.errorCode = EIO;
    auto d = dialog();
    d.Load();
    d.Properties();
    EXPECT_TRUE(portDialog.shown.empty());
    EXPECT_EQ(session.PortSettings.DCBlength, 0u);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "GetCommState():\n" + platform::SystemMessageText(EIO));
    EXPECT_EQ(prompter.messages[0].caption, "Error");
}

TEST_F(InterfaceSelectionTest, PropertiesRefuses110BaudAndShowsTheDialogAgain) {
    rememberRs232(2);
    session.PortSettings = com3.systemState;
    auto d = dialog();
    d.Load();
    platform::PortSettings slow = com3.systemState;
    slow.BaudRate = 110;
    slow.StopBits = platform::PortSettings::kTwoStopBits;
    platform::PortSettings fixed = slow;
    fixed.BaudRate = 2400;
    portDialog.answers = {slow, fixed};
    d.Properties();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, kBaudMessage);
    EXPECT_EQ(prompter.messages[0].caption, "Error");
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Warning);
    ASSERT_EQ(portDialog.shown.size(), 2u);
    EXPECT_EQ(portDialog.shown[1].settings, slow);  // as the user left it
    EXPECT_EQ(session.PortSettings, fixed);
}

TEST_F(InterfaceSelectionTest, CancellingAfter110BaudKeepsTheSettings) {
    rememberRs232(2);
    session.PortSettings = com3.systemState;
    auto d = dialog();
    d.Load();
    platform::PortSettings slow = com3.systemState;
    slow.BaudRate = 110;
    portDialog.answers = {slow, std::nullopt};
    d.Properties();
    EXPECT_EQ(portDialog.shown.size(), 2u);
    EXPECT_EQ(session.PortSettings, com3.systemState);
}

}  // namespace
}  // namespace magtune::shell
