#include <gtest/gtest.h>

#include <cerrno>

#include "serial/open_failure.h"
#include "serial/posix/tty_device.h"
#include "tests/support/pty_pair.h"

namespace {

struct FailureCase {
    int error;
    EPortProblem problem;
};

class OpenFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(OpenFailureTest, TheErrorNamesTheCause)
{
    const PortAccess access = DescribeOpenFailure("/dev/null", GetParam().error);
    EXPECT_EQ(access.problem, GetParam().problem);
    EXPECT_EQ(access.error, GetParam().error);
    // Only a refusal needs the node's owner and group to be fixed.
    EXPECT_EQ(access.owner.empty(), GetParam().problem != EPortProblem::PermissionDenied);
}

INSTANTIATE_TEST_SUITE_P(Errors, OpenFailureTest,
                         testing::Values(FailureCase{ENOENT, EPortProblem::Gone},
                                         FailureCase{ENODEV, EPortProblem::Gone},
                                         FailureCase{ENXIO, EPortProblem::Gone},
                                         FailureCase{EBUSY, EPortProblem::InUse},
                                         FailureCase{EACCES, EPortProblem::PermissionDenied},
                                         FailureCase{EPERM, EPortProblem::PermissionDenied},
                                         FailureCase{ENOTTY, EPortProblem::Other},
                                         FailureCase{EIO, EPortProblem::Other}));

// Without the error the port is tried once more to learn it.
TEST(OpenFailureUnknownError, IsLearntByTryingThePort)
{
    CPtyPair pty(6);
    const int holder = CTtyDevice::OpenPathExclusive(pty.SlavePath());
    ASSERT_GE(holder, 0);
    EXPECT_EQ(DescribeOpenFailure(pty.SlavePath(), 0).problem, EPortProblem::InUse);
    CTtyDevice::CloseExclusive(holder);

    // It opens now: what failed was the setting up.
    const PortAccess free = DescribeOpenFailure(pty.SlavePath(), 0);
    EXPECT_EQ(free.problem, EPortProblem::Other);
    EXPECT_EQ(free.error, EIO);
    EXPECT_EQ(DescribeOpenFailure(pty.Folder() + "/absent", 0).problem, EPortProblem::Gone);
    const int again = CTtyDevice::OpenPathExclusive(pty.SlavePath());
    EXPECT_GE(again, 0) << "trying it left the port free";
    CTtyDevice::CloseExclusive(again);
}

}  // namespace
