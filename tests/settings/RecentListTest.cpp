#include "settings/RecentList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace magtune::settings {
namespace {

std::vector<std::string> Names(const RecentList& list) {
    std::vector<std::string> names;
    for (const auto& entry : list.entries) {
        names.push_back(entry.Name);
    }
    return names;
}

RecentList ListOf(std::initializer_list<const char*> oldestFirst) {
    RecentList list;
    for (const char* name : oldestFirst) {
        list.AddRecent(name, 0);
    }
    return list;
}

TEST(RecentList, AddRecentMovesOrInsertsAtTheFront) {
    struct Case {
        const char* name;
        std::vector<std::string> expected;
    };
    // Starting from d, c, b, a (d most recent).
    const Case cases[] = {
        {"b", {"b", "d", "c", "a"}},  // index 2 moves to 0, 0-1 shift down
        {"d", {"d", "c", "b", "a"}}, {"a", {"a", "d", "c", "b"}},
        {"e", {"e", "d", "c", "b"}},  // a fifth name drops the oldest
        {"B", {"B", "d", "c", "b"}},  // names compare with case
    };
    for (const auto& c : cases) {
        RecentList list = ListOf({"a", "b", "c", "d"});
        list.AddRecent(c.name, 0);
        EXPECT_EQ(Names(list), c.expected) << c.name;
    }
}

TEST(RecentList, AddRecentIntoAShortList) {
    RecentList list = ListOf({"a"});
    list.AddRecent("b", 0);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b", "a", "", ""}));
    list.AddRecent("a", 0);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "", ""}));
}

TEST(RecentList, PortAndControlBlockAreKeptForRs232Only) {
    DcbBytes dcb{};
    dcb.fill(0x11);
    RecentList list;
    list.AddRecent("COMDEV", 1, 5, dcb);
    EXPECT_EQ(list.entries[0], (RecentEntry{"COMDEV", 1, 5, dcb}));
    for (std::int32_t interface : {0, 2, 3}) {
        list.AddRecent("OTHER", interface, 5, dcb);
        EXPECT_EQ(list.entries[0], (RecentEntry{"OTHER", interface, 0, DcbBytes{}})) << interface;
    }
}

TEST(RecentList, RemoveRecent) {
    struct Case {
        const char* name;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"c", {"d", "b", "a", ""}},  {"d", {"c", "b", "a", ""}},  {"a", {"d", "c", "b", ""}},
        {"x", {"d", "c", "b", "a"}}, {"C", {"d", "c", "b", "a"}},
    };
    for (const auto& c : cases) {
        RecentList list = ListOf({"a", "b", "c", "d"});
        list.RemoveRecent(c.name);
        EXPECT_EQ(Names(list), c.expected) << c.name;
    }
    RecentList list = ListOf({"a", "b", "c", "d"});
    list.entries[3].Interface = 2;
    list.RemoveRecent("d");
    EXPECT_EQ(list.entries[3], RecentEntry{});
}

TEST(RecentList, MenuShowsTheUsedEntries) {
    RecentList list;
    EXPECT_EQ(list.Menu(), RecentMenu{});

    list = ListOf({"/a.cfg", "READER"});
    RecentMenu menu = list.Menu();
    EXPECT_TRUE(menu.separatorVisible);
    EXPECT_EQ(menu.captions[0], "&1. READER");
    EXPECT_EQ(menu.captions[1], "&2. /a.cfg");
    EXPECT_EQ(menu.captions[2], std::nullopt);
    EXPECT_EQ(menu.captions[3], std::nullopt);

    list = ListOf({"a", "b", "c", "d"});
    EXPECT_EQ(list.Menu().captions[3], "&4. a");
}

}  // namespace
}  // namespace magtune::settings
