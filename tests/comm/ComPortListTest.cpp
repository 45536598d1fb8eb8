#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comm/ComPortList.h"

namespace magtune::comm {
namespace {

TEST(ComPortList, ListsAsUsersWriteThem) {
    struct Case {
        const char* text;
        std::vector<int> indices;  // 0-based; empty: refused
        const char* errorPart;
    } cases[] = {
        {"1-8,12", {0, 1, 2, 3, 4, 5, 6, 7, 11}, ""},
        {"3", {2}, ""},
        {"32", {31}, ""},
        {"12,1-2", {11, 0, 1}, ""},
        {"5-5", {4}, ""},
        {"1-32", {}, ""},  // filled below
        {"8-1", {}, "runs downwards; write 1-8"},
        {"0", {}, "there is no COM0"},
        {"33", {}, "there is no COM33"},
        {"1-33", {}, "there is no COM33"},
        {"1,,2", {}, "empty item"},
        {",1", {}, "empty item"},
        {"1,", {}, "empty item"},
        {"", {}, "no port given"},
        {"3,3", {}, "COM3 is given twice"},
        {"1-4,3", {}, "COM3 is given twice"},
        {"COM3", {}, "neither a port number nor a range"},
        {"1-", {}, "neither a port number nor a range"},
        {"-3", {}, "neither a port number nor a range"},
        {"1 ,2", {}, "neither a port number nor a range"},
        {"1-2-3", {}, "neither a port number nor a range"},
        {"+3", {}, "neither a port number nor a range"},
        {"99999999999", {}, "neither a port number nor a range"},
    };
    for (auto c : cases) {
        if (std::string(c.text) == "1-32") {
            for (int i = 0; i < 32; ++i) {
                c.indices.push_back(i);
            }
        }
        const ComPortList list = ParseComPortList(c.text);
        if (*c.errorPart == '\0') {
            EXPECT_EQ(list.error, "") << c.text;
            EXPECT_EQ(list.indices, c.indices) << c.text;
        } else {
            EXPECT_NE(list.error.find(c.errorPart), std::string::npos)
                << c.text << ": " << list.error;
            EXPECT_TRUE(list.indices.empty()) << c.text;
        }
    }
}

}  // namespace
}  // namespace magtune::comm
