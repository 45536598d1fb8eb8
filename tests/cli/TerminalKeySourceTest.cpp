#include "cli/TerminalKeySource.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace magtune::cli {
namespace {

// A pseudo-terminal standing in for the user's terminal.
class Terminal {
  public:
    Terminal() { ok = ::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0; }
    ~Terminal() {
        ::close(master);
        ::close(slave);
    }
    termios settings() const {
        termios t{};
        ::tcgetattr(slave, &t);
        return t;
    }
    bool ok = false;
    int master = -1;
    int slave = -1;
};

TEST(TerminalKeySource, TakesEachKeyUnseenAndGivesTheTerminalBack) {
    Terminal terminal;
    ASSERT_TRUE(terminal.ok);
    const termios before = terminal.settings();
    ASSERT_TRUE(before.c_lflag & ICANON);
    {
        TerminalKeySource keys(terminal.slave);
        ASSERT_TRUE(keys.changedTerminal());
        const termios during = terminal.settings();
        EXPECT_FALSE(during.c_lflag & (ICANON | ECHO));
        EXPECT_TRUE(during.c_lflag & ISIG) << "Ctrl+C must still interrupt";

        EXPECT_EQ(keys.waitForKeys(10), "");
        // Keys without a line end arrive at once.
        ASSERT_EQ(::write(terminal.master, "O1a", 3), 3);
        EXPECT_EQ(keys.waitForKeys(1000), "O1a");
    }
    const termios after = terminal.settings();
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
}

TEST(TerminalKeySource, AnInterruptGivesTheTerminalBackBeforeTheProgramEnds) {
    Terminal terminal;
    ASSERT_TRUE(terminal.ok);
    const termios before = terminal.settings();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TerminalKeySource keys(terminal.slave);
        ::raise(SIGINT);
        ::_exit(0);  // not reached: the interrupt ends the program
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    EXPECT_EQ(terminal.settings().c_lflag, before.c_lflag);
}

TEST(TerminalKeySource, InputThatIsNoTerminalIsReadUntilItsEnd) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    TerminalKeySource keys(pipeFds[0]);
    EXPECT_FALSE(keys.changedTerminal());
    ASSERT_EQ(::write(pipeFds[1], "OY", 2), 2);
    ::close(pipeFds[1]);
    EXPECT_EQ(keys.waitForKeys(1000), "OY");
    // The end of input answers at once, and for good.
    EXPECT_EQ(keys.waitForKeys(1000), "");
    EXPECT_EQ(keys.waitForKeys(1000), "");
    ::close(pipeFds[0]);
}

}  // namespace
}  // namespace magtune::cli
