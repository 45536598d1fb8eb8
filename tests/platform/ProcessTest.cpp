#include "platform/Process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace magtune::platform {
namespace {

TEST(Process, ArgumentsReachTheProgramFoundOnTheSearchPath) {
    SystemError error;
    auto quick = Process::spawn({"sh", "-c", "exit 0"}, error, ProgramLookup::SearchPath);
    ASSERT_TRUE(quick) << error.function << " " << error.code;
    EXPECT_TRUE(quick->waitEnded(5000));
    EXPECT_FALSE(quick->running());

    auto slow = Process::spawn({"sleep", "30"}, error, ProgramLookup::SearchPath);
    ASSERT_TRUE(slow);
    EXPECT_TRUE(slow->running());
    slow->kill();
    EXPECT_FALSE(slow->running());
}

TEST(Process, FailuresNameTheCallThatFailed) {
    struct Case {
        std::vector<std::string> argv;
        ProgramLookup lookup;
        const char* function;
        int code;
    };
    const Case cases[] = {
        {{}, ProgramLookup::AsGiven, "posix_spawn", EINVAL},
        {{}, ProgramLookup::SearchPath, "posix_spawnp", EINVAL},
        // A bare name is not looked up unless asked for.
        {{"sh", "-c", "exit 0"}, ProgramLookup::AsGiven, "posix_spawn", ENOENT},
        {{"magtune-no-such-program"}, ProgramLookup::SearchPath, "posix_spawnp", ENOENT},
    };
    for (const Case& c : cases) {
        SystemError error;
        EXPECT_FALSE(Process::spawn(c.argv, error, c.lookup)) << c.function;
        EXPECT_EQ(error.function, c.function);
        EXPECT_EQ(error.code, c.code) << c.function;
    }
}

TEST(Process, ADefaultProcessHasEnded) {
    Process none;
    EXPECT_FALSE(none.running());
    EXPECT_TRUE(none.waitEnded(0));
}

}  // namespace
}  // namespace magtune::platform
