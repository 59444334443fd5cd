// The single instance under load: while the holder's main loop waits on the
// device, knocks pile up; a queue that fills (by this user's starts or by
// another user's connects) must still tell a later start that an instance
// exists, since the bind decides who is first, not whether a knock is taken.
#include <gmock/gmock.h>
#include <glibmm/main.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "app/framework/single_instance_lock.h"
#include "tests/support/wait_until.h"

namespace {

class SingleInstanceTest : public testing::Test {
protected:
    void TearDown() override
    {
        for (int fd : m_fds)
            close(fd);
    }
    std::string Name() const { return "apconfig-instance-test-" + std::to_string(getpid()); }
    // The abstract address the lock binds for this user.
    socklen_t Address(sockaddr_un& address) const
    {
        const std::string bound = CSingleInstanceLock::NameFor(Name(), geteuid());
        address = {};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, bound.data(), bound.size());
        return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + bound.size());
    }
    // A socket that stays open for the test's life.
    int OwnSocket(int flags)
    {
        m_fds.push_back(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0));
        return m_fds.back();
    }
    // Connects without waiting.
    int Knock()
    {
        sockaddr_un address;
        const int fd = OwnSocket(SOCK_NONBLOCK);
        return connect(fd, reinterpret_cast<sockaddr*>(&address), Address(address)) == 0 ? 0 : errno;
    }
    // Binds the lock's address without the lock; -1 when the bind fails.
    int BindAddress()
    {
        sockaddr_un address;
        const int fd = OwnSocket(0);
        return bind(fd, reinterpret_cast<sockaddr*>(&address), Address(address)) == 0 ? fd : -1;
    }
    void ExpectAnInstanceExists()
    {
        CSingleInstanceLock later;
        EXPECT_FALSE(later.Create(Name()));
        EXPECT_TRUE(later.AlreadyExists());
    }

    std::vector<int> m_fds;
};

TEST_F(SingleInstanceTest, KnocksAreTakenWhileTheMainLoopIsBusy)
{
    CSingleInstanceLock holder;
    ASSERT_TRUE(holder.Create(Name()));
    int knocks = 0;
    holder.OnKnock([&knocks] { ++knocks; });
    // The main loop is not run: as while an exchange with the device lasts.
    // Far more than any queue holds, each left connected.
    for (int i = 0; i < 4 * CSingleInstanceLock::kBacklog; ++i)
        Knock();
    ExpectAnInstanceExists();
    // Taken off the main loop: the queue empties while it still does not run.
    EXPECT_TRUE(WaitUntil([this] { return Knock() == 0; })) << "the queue stayed full";
    EXPECT_TRUE(WaitUntil([&knocks] {
        while (Glib::MainContext::get_default()->iteration(false)) {
        }
        return knocks > 0;
    })) << "the holder still hears of them";
}

TEST_F(SingleInstanceTest, AFullQueueStillMeansAnInstanceExists)
{
    // A holder that takes no knocks at all, its queue as small as it goes.
    const int holder = BindAddress();
    ASSERT_GE(holder, 0);
    ASSERT_EQ(listen(holder, 0), 0);
    int error = 0;
    for (int i = 0; i < 64 && error == 0; ++i)
        error = Knock();
    ASSERT_EQ(error, EAGAIN) << "the queue filled";
    ExpectAnInstanceExists();
}

TEST_F(SingleInstanceTest, ANameBoundButNotYetListenedOnIsTaken)
{
    // The first start between its bind and its listen.
    ASSERT_GE(BindAddress(), 0);
    ExpectAnInstanceExists();
}

TEST_F(SingleInstanceTest, ReleasingStopsTakingKnocksAndFreesTheName)
{
    CSingleInstanceLock holder;
    ASSERT_TRUE(holder.Create(Name()));
    EXPECT_EQ(Knock(), 0);
    holder.Release();
    EXPECT_EQ(Knock(), ECONNREFUSED);
    CSingleInstanceLock again;
    EXPECT_TRUE(again.Create(Name()));
}

}  // namespace
