// Files the port listing reads from folders others may write (the UUCP lock
// folder) or that a test lays out (sysfs): whatever stands in a file's place
// is read as nothing, at once, and no more than the bound is taken.
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "serial/posix/port_probe.h"
#include "serial/posix/small_file.h"
#include "serial/posix/sysfs_text.h"

namespace fs = std::filesystem;

namespace {

class SmallFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        // A blocking open or read would hang here: end the test instead.
        alarm(30);
        char folder[] = "/tmp/apconfig-smallXXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
    }
    void TearDown() override
    {
        alarm(0);
        fs::remove_all(m_folder);
    }
    std::string Path(const std::string& name) const { return m_folder + "/" + name; }
    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
    }

    std::string m_folder;
};

TEST_F(SmallFileTest, OnlyARegularFileIsReadAndNeverPastTheBound)
{
    Write("file", "1234\n");
    Write("long", std::string(100, 'x'));
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    fs::create_symlink(Path("file"), Path("link"));
    fs::create_directory(Path("folder"));
    struct Case {
        const char* name;
        bool followLink;
        std::optional<std::string> text;
        int error;
    } cases[] = {
        {"file", false, "1234\n", 0},
        {"long", false, std::string(11, 'x'), 0},  // one past the bound tells it was longer
        {"fifo", false, std::nullopt, EINVAL},
        {"link", false, std::nullopt, ELOOP},
        {"link", true, "1234\n", 0},
        {"folder", false, std::nullopt, EINVAL},
        {"absent", false, std::nullopt, ENOENT},
    };
    for (const Case& c : cases) {
        int error = -1;
        EXPECT_EQ(CSmallFile::Read(Path(c.name), 10, c.followLink, &error), c.text) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

// Anyone may write /run/lock: a FIFO named as a port's lock file, or one
// standing for the kernel's lock table, holds up nothing and locks nothing.
TEST_F(SmallFileTest, AFifoInPlaceOfALockFileOrTheLockTableIsNoLock)
{
    ASSERT_EQ(mkfifo(Path("LCK..ttyUSB0").c_str(), 0666), 0);
    EXPECT_FALSE(CPortProbe::LockedByUucp("/dev/ttyUSB0", m_folder, "ttyUSB0"));
    ASSERT_EQ(mkfifo(Path("locks").c_str(), 0666), 0);
    EXPECT_FALSE(CPortProbe::Flocked("/dev/null", Path("locks")));
    // A link to a live lock elsewhere is not taken for one either.
    Write("elsewhere", "      " + std::to_string(getpid()) + "\n");
    fs::create_symlink(Path("elsewhere"), Path("LCK..ttyUSB1"));
    EXPECT_FALSE(CPortProbe::LockedByUucp("/dev/ttyUSB1", m_folder, "ttyUSB1"));
    // While a real one still counts.
    Write("LCK..ttyUSB2", "      " + std::to_string(getpid()) + "\n");
    EXPECT_TRUE(CPortProbe::LockedByUucp("/dev/ttyUSB2", m_folder, "ttyUSB2"));
}

TEST_F(SmallFileTest, ASysfsAttributeThatIsAFifoReadsAsMissing)
{
    ASSERT_EQ(mkfifo(Path("product").c_str(), 0600), 0);
    EXPECT_EQ(CSysfsText::Read(Path("product")), "");
    Write("manufacturer", "Acme\n");
    EXPECT_EQ(CSysfsText::Read(Path("manufacturer")), "Acme");
}

}  // namespace
