#include "platform/SignalPipe.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

namespace magtune::platform {
namespace {

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

TEST(SignalPipeTest, CaughtSignalsWaitOnThePipeInOrder) {
    SignalPipe pipe(SignalPipe::TerminationSignals());
    ASSERT_TRUE(pipe.ok());
    EXPECT_FALSE(Readable(pipe.readFd()));
    EXPECT_TRUE(pipe.take().empty());

    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_EQ(::raise(SIGHUP), 0);
    ASSERT_EQ(::raise(SIGINT), 0);
    EXPECT_TRUE(Readable(pipe.readFd()));
    EXPECT_EQ(pipe.take(), (std::vector<int>{SIGTERM, SIGHUP, SIGINT}));
    EXPECT_FALSE(Readable(pipe.readFd()));
}

TEST(SignalPipeTest, ThePreviousHandlingComesBack) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGHUP, &ignore, &before), 0);
    {
        SignalPipe pipe({SIGHUP});
        struct sigaction during {};
        ::sigaction(SIGHUP, nullptr, &during);
        EXPECT_NE(during.sa_handler, SIG_IGN);
    }
    struct sigaction after {};
    ::sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_IGN);
    // Ignored again: this would end the test program otherwise.
    EXPECT_EQ(::raise(SIGHUP), 0);
    ::sigaction(SIGHUP, &before, nullptr);
}

}  // namespace
}  // namespace magtune::platform
