#include "usbhid/client/UsbHidLibrary.h"

#include <gtest/gtest.h>

#include "support/DynamicExports.h"
#include "support/FakePrompter.h"

namespace magtune::usbhid {
namespace {

using test::FakePrompter;

// The library's messages reach the program without a function of its own
// for that: it exports the eleven calls and nothing else.
TEST(UsbHidLibrary, ExportsExactlyTheElevenCalls) {
    EXPECT_EQ(test::DynamicExports(ORUUSBHIDCTRL_PATH),
              (std::vector<std::string>{
                  "UsbHidDeselectDevice", "UsbHidEnumDeviceList", "UsbHidGetAvailableDeviceList",
                  "UsbHidGetDeviceControlCode", "UsbHidIsDeviceReady", "UsbHidIsDeviceSelected",
                  "UsbHidReleaseDeviceList", "UsbHidSelectDevice", "UsbHidSetDeviceBufferedData",
                  "UsbHidSetDeviceControlCode", "UsbHidSetDownloadChannel"}));
}

TEST(UsbHidLibrary, BindsTheLibraryBesideTheProgramByName) {
    FakePrompter prompter;
    UsbHidLibrary byName(prompter);
    EXPECT_TRUE(byName.load());
    UsbHidLibrary byPath(prompter, ORUUSBHIDCTRL_PATH);
    EXPECT_TRUE(byPath.load());
    EXPECT_TRUE(byName.loadError().empty());
    EXPECT_TRUE(prompter.messages.empty());
}

TEST(UsbHidLibrary, ALibraryThatCannotBeBoundFailsEveryCallAndSaysWhyOnce) {
    struct Case {
        const char* file;
        const char* errorStart;
    } cases[] = {
        {"/nonexistent/libOruUsbHidCtrl.so", "The USB control library could not be loaded:\n"},
        {"libNoSuchUsbLibrary.so", "The USB control library could not be loaded:\n"},
        // Loads, but is some other library.
        {"libm.so.6", "The USB control library libm.so.6 has no UsbHidGetAvailableDeviceList."},
    };
    for (const Case& c : cases) {
        FakePrompter prompter;
        UsbHidLibrary library(prompter, c.file);
        EXPECT_EQ(library.UsbHidGetAvailableDeviceList(), 0) << c.file;
        char name[256] = "stale";
        std::uint8_t flag = 1;
        EXPECT_EQ(library.UsbHidEnumDeviceList(0, name, &flag), 0);
        EXPECT_STREQ(name, "");
        EXPECT_EQ(flag, 0);
        EXPECT_EQ(library.UsbHidSelectDevice(0), 0);
        EXPECT_EQ(library.UsbHidDeselectDevice(), 0);
        EXPECT_EQ(library.UsbHidIsDeviceReady(), 0);
        EXPECT_EQ(library.UsbHidSetDeviceControlCode(0xEC), 0);
        EXPECT_EQ(library.UsbHidSetDownloadChannel(253), 0);
        EXPECT_EQ(library.UsbHidReleaseDeviceList(), 0);
        EXPECT_FALSE(library.load());

        ASSERT_EQ(prompter.messages.size(), 1u) << c.file;
        const common::Message& message = prompter.messages[0];
        EXPECT_EQ(message.text, library.loadError());
        EXPECT_TRUE(message.text.starts_with(c.errorStart)) << message.text;
        EXPECT_EQ(message.caption, "Error");
        EXPECT_EQ(message.icon, common::MessageIcon::Error);
    }
}

}  // namespace
}  // namespace magtune::usbhid
