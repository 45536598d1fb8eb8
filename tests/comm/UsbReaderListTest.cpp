#include "comm/UsbReaderList.h"

#include <gtest/gtest.h>

#include "comm/CommFakes.h"
#include "comm/FakeUsbReaders.h"
#include "comm/UsbReaderNames.h"
#include "support/FakePrompter.h"

namespace magtune::comm {
namespace {

using test::FakeClock;
using test::FakePrompter;
using test::FakeUsbReaders;
using Strings = std::vector<std::string>;

TEST(UsbReaderNames, TheOstraProTitleShowsQuellForTarvik) {
    struct Case {
        const char* name;
        const char* title;
        const char* shown;
    } cases[] = {
        {"Tarvik USB Magnetic Stripe Reader", "Ostra Pro", "Quell USB Magnetic Stripe Reader"},
        {"Tarvik Tarvik TarvikTarvik", "Ostra Pro", "Quell Quell QuellQuell"},
        // Case-sensitive, the word and the title alike.
        {"tarvik TARVIK Tarvi", "Ostra Pro", "tarvik TARVIK Tarvi"},
        {"Tarvik One", "ostra pro", "Tarvik One"},
        {"Tarvik One", "Ostra Pro ", "Tarvik One"},
        // This build's title shows names as they are.
        {"Tarvik One", "Magtune Reader", "Tarvik One"},
        {"", "Ostra Pro", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BrandedUsbName(c.name, c.title), c.shown) << c.name << " / " << c.title;
    }
    EXPECT_EQ(BrandedUsbName("Tarvik One", common::kApplicationTitle), "Tarvik One");
}

TEST(UsbReaderNames, ListItemsCarryTheNumberAndTheName) {
    EXPECT_EQ(UsbListItemText(0, "Tarvik One"), "1 - Tarvik One");
    EXPECT_EQ(UsbListItemText(11, ""), "12 - ");
    // The name is all after the first separator, a separator in it included.
    EXPECT_EQ(UsbNameOfListItem("2 - Tarvik - Desk"), "Tarvik - Desk");
    EXPECT_EQ(UsbNameOfListItem("12 - "), "");
    EXPECT_EQ(UsbNameOfListItem("no separator"), "");
}

class UsbReaderListTest : public ::testing::Test {
  protected:
    UsbReaderListTest() {
        list.setBusy = [this](bool busy) { busyChanges.push_back(busy); };
    }

    FakeUsbReaders library;
    FakeClock clock;
    FakePrompter prompter;
    std::vector<bool> busyChanges;
    UsbReaderList list{library, clock, prompter};
};

TEST_F(UsbReaderListTest, NoReaderIsReportedUnderTheProgramTitle) {
    EXPECT_FALSE(list.load());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text,
              "No USB device found. Please check your device connection.");
    EXPECT_EQ(prompter.messages[0].caption, "Magtune Reader");
    EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Warning);
    EXPECT_EQ(list.current(), -1);
    EXPECT_EQ(busyChanges, (std::vector<bool>{true, false}));
}

TEST_F(UsbReaderListTest, ListsEveryReaderAndPreselectsTheOneWithTheFilter) {
    library.readers = {{"Tarvik One", false}, {"Tarvik Two", true}, {"Tarvik Three", false}};
    library.enumFailsAt = 2;
    ASSERT_TRUE(list.load());
    ASSERT_EQ(list.entries().size(), 3u);
    EXPECT_EQ(list.entries()[0].text, "1 - Tarvik One");
    EXPECT_EQ(list.entries()[1].text, "2 - Tarvik Two");
    EXPECT_TRUE(list.entries()[1].filterPresent);
    // A failed call shows neither what the library left behind nor the name
    // before.
    EXPECT_EQ(list.entries()[2].text, "3 - ");
    EXPECT_FALSE(list.entries()[2].filterPresent);
    EXPECT_EQ(list.current(), 1);
    EXPECT_EQ(library.calls, (Strings{"count", "enum 0", "enum 1", "enum 2"}));
    EXPECT_TRUE(prompter.messages.empty());

    library.readers[1].filter = false;
    library.enumFailsAt = -1;
    ASSERT_TRUE(list.load());
    EXPECT_EQ(list.current(), 0);
}

TEST_F(UsbReaderListTest, OstraProListsTheFirstReaderAsQuell) {
    UsbReaderList branded(library, clock, prompter, "Ostra Pro");
    library.readers = {{"Tarvik USB Reader", false}};
    ASSERT_TRUE(branded.load());
    EXPECT_EQ(branded.entries()[0].text, "1 - Quell USB Reader");
    std::string selected;
    ASSERT_TRUE(branded.choose(0, selected, 0));
    EXPECT_EQ(selected, "Quell USB Reader");
}

TEST_F(UsbReaderListTest, AReaderWithTheFilterIsTakenWithoutTheLibrary) {
    library.readers = {{"Tarvik One", false}, {"Tarvik Two", true}};
    ASSERT_TRUE(list.load());
    library.calls.clear();
    std::string selected = "Tarvik Two";
    EXPECT_TRUE(list.choose(1, selected, 2000));
    EXPECT_EQ(selected, "Tarvik Two");
    EXPECT_TRUE(library.calls.empty());
    EXPECT_EQ(clock.now, 0u);
}

TEST_F(UsbReaderListTest, ChoosingAnotherReaderDeselectsTheOldOneFirst) {
    library.readers = {{"Tarvik One", false}, {"Tarvik Two", false}};
    ASSERT_TRUE(list.load());
    library.calls.clear();
    busyChanges.clear();
    std::string selected = "Tarvik One";
    EXPECT_TRUE(list.choose(1, selected, 2000));
    EXPECT_EQ(selected, "Tarvik Two");
    EXPECT_EQ(library.calls, (Strings{"deselect", "select 1"}));
    EXPECT_EQ(clock.now, 4000u);  // the driver's time before and after
    EXPECT_EQ(busyChanges, (std::vector<bool>{true, false}));

    // Nothing selected: nothing to deselect.
    library.calls.clear();
    selected.clear();
    EXPECT_TRUE(list.choose(0, selected, 0));
    EXPECT_EQ(library.calls, (Strings{"select 0"}));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(UsbReaderListTest, RefusalsAreReportedAndKeepTheChoiceOpen) {
    library.readers = {{"Tarvik One", true}, {"Tarvik Two", false}};
    ASSERT_TRUE(list.load());

    library.deselectFails = true;
    std::string selected = "Tarvik One";
    EXPECT_FALSE(list.choose(1, selected, 0));
    EXPECT_EQ(selected, "Tarvik One");

    library.deselectFails = false;
    library.selectFails = true;
    EXPECT_FALSE(list.choose(1, selected, 0));
    // The old reader was let go: it is no longer selected, and taking its
    // entry now asks the library instead of trusting the stale flag.
    EXPECT_EQ(selected, "");
    library.calls.clear();
    library.selectFails = false;
    EXPECT_TRUE(list.choose(0, selected, 0));
    EXPECT_EQ(library.calls, (Strings{"select 0"}));
    EXPECT_EQ(selected, "Tarvik One");

    EXPECT_EQ(prompter.texts(),
              (Strings{"Failed to deselect Tarvik One", "Failed to select Tarvik Two"}));
    for (const common::Message& message : prompter.messages) {
        EXPECT_EQ(message.caption, "Error");
        EXPECT_EQ(message.icon, common::MessageIcon::Warning);
    }
    EXPECT_FALSE(list.choose(5, selected, 0));
}

TEST_F(UsbReaderListTest, AnOverlargeCountIsCut) {
    class Boastful : public FakeUsbReaders {
        std::int32_t UsbHidGetAvailableDeviceList() override { return 1'000'000; }
    } boastful;
    UsbReaderList big(boastful, clock, prompter);
    ASSERT_TRUE(big.load());
    EXPECT_EQ(big.entries().size(), static_cast<std::size_t>(UsbReaderList::kMaxEntries));
}

}  // namespace
}  // namespace magtune::comm
