#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <system_error>

#include "bench/child_process.h"

using std::chrono::milliseconds;

TEST(ChildProcess, TalksALineAtATime)
{
    CChildProcess cat({"/bin/cat"});
    ASSERT_TRUE(cat.WriteLine("first"));
    ASSERT_TRUE(cat.WriteLine("second"));
    EXPECT_EQ(cat.ReadLine(milliseconds(10000)), "first");
    EXPECT_EQ(cat.ReadLine(milliseconds(10000)), "second");
}

TEST(ChildProcess, SilenceAndEndGiveNothing)
{
    CChildProcess cat({"/bin/cat"});
    EXPECT_EQ(cat.ReadLine(milliseconds(50)), std::nullopt);

    CChildProcess gone({"/bin/sh", "-c", "echo last; exit 0"});
    EXPECT_EQ(gone.ReadLine(milliseconds(10000)), "last");
    EXPECT_EQ(gone.ReadLine(milliseconds(10000)), std::nullopt);
    // Writing to a child that has gone fails instead of ending the caller.
    bool wrote = true;
    for (int i = 0; i < 100 && wrote; ++i)
        wrote = gone.WriteLine(std::string(4096, 'x'));
    EXPECT_FALSE(wrote);
}

TEST(ChildProcess, StopEndsTheChildAndMissingProgramsThrow)
{
    CChildProcess cat({"/bin/cat"});
    const int status = cat.Stop(SIGTERM);
    // cat ends on its input closing or on the signal, whichever comes first.
    EXPECT_TRUE(WIFEXITED(status) || (WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM));
    EXPECT_EQ(cat.Stop(SIGTERM), 0);
    EXPECT_THROW(CChildProcess({"/nonexistent/program"}), std::system_error);
    EXPECT_THROW(CChildProcess({}), std::system_error);
}
