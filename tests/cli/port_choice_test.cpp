// apctl's choice of a port by itself: never a tty that serves as a terminal
// (the kernel's console, a tty some process has as its controlling terminal,
// such as a getty's), and a port so chosen is named when it fails to open.
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>

#include "cli/port_choice.h"
#include "frontend/string_table.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/posix/terminal_use.h"
#include "tests/support/resolver_on_tree.h"

namespace fs = std::filesystem;

namespace {

const CFakeSysfs::UsbDevice kCh340{"1a86", "7523", "USB Serial", "", ""};

class PortChoiceTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CStringTable::Load()); }
    void SetUp() override
    {
        m_proc = m_tree.State().Folder() + "/proc";
        fs::create_directories(m_proc + "/self");
        CComPortResolver::SetProcRoot(m_proc);
        m_tree.AddUsb("ttyUSB0", "1-2", kCh340);
        m_tree.AddUsb("ttyACM0", "1-3", CFakeSysfs::kUno);
    }
    // A process pid whose controlling terminal is the node of tty, as
    // /proc/<pid>/stat gives it (the command name may hold ") ").
    void Controls(int pid, const std::string& tty)
    {
        struct stat node {};
        ASSERT_EQ(stat((m_tree.Dev() + "/" + tty).c_str(), &node), 0);
        const unsigned long major = ::major(node.st_rdev), minor = ::minor(node.st_rdev);
        const unsigned long ttyNr = (minor & 0xff) | (major << 8) | ((minor & ~0xffUL) << 12);
        fs::create_directories(m_proc + "/" + std::to_string(pid));
        std::ofstream(m_proc + "/" + std::to_string(pid) + "/stat")
            << pid << " (agetty) x) S 1 " << pid << " " << pid << " " << ttyNr << " " << pid << " 4194560 0 0\n";
    }

    CFakeSysfs m_tree;
    CResolverOnTree m_resolver{m_tree};
    std::string m_proc;
};

TEST_F(PortChoiceTest, TwoPortsAreAChoiceForTheUser)
{
    const PortChoice choice = CPortChooser::Choose("");
    EXPECT_EQ(choice.number, 0);
    EXPECT_EQ(choice.exitCode, CPortChooser::kExitUsage);
}

TEST_F(PortChoiceTest, TheConsoleIsNeverChosenAndTheChoiceNamesItsPath)
{
    // console=ttyUSB0 on the kernel's command line, beside the screen.
    m_tree.Write("class/tty/console/active", "tty0 ttyUSB0\n");
    const PortChoice choice = CPortChooser::Choose("");
    ASSERT_NE(choice.number, 0) << choice.error;
    EXPECT_THAT(choice.name, testing::HasSubstr("ttyACM0"));
    EXPECT_EQ(choice.path, m_tree.Dev() + "/ttyACM0") << "an open failure names the port";
    // Named, it is the user's to take.
    EXPECT_NE(CPortChooser::Choose(m_tree.Dev() + "/ttyUSB0").number, 0);
}

TEST_F(PortChoiceTest, APortALoginRunsOnIsNeverChosen)
{
    Controls(4242, "ttyACM0");
    const PortChoice choice = CPortChooser::Choose("");
    ASSERT_NE(choice.number, 0) << choice.error;
    EXPECT_EQ(choice.path, m_tree.Dev() + "/ttyUSB0");
    // Both taken: nothing is chosen.
    m_tree.Write("class/tty/console/active", "ttyUSB0\n");
    EXPECT_EQ(CPortChooser::Choose("").number, 0);
}

TEST_F(PortChoiceTest, AProcessWithoutATerminalOrWithAnotherOneTakesNothing)
{
    Controls(7, "ttyACM0");
    // Another process's stat naming no terminal, and one unreadable.
    std::ofstream(m_proc + "/self/stat") << "1 (init) S 0 1 1 0 -1\n";
    fs::create_directories(m_proc + "/8");
    std::ofstream(m_proc + "/8/stat") << "8 (sh) S 1 8 8 0 -1 0\n";
    const std::string acm = m_tree.Dev() + "/ttyACM0", usb = m_tree.Dev() + "/ttyUSB0";
    EXPECT_TRUE(CTerminalUse::IsControllingTerminal(acm, m_proc));
    EXPECT_FALSE(CTerminalUse::IsControllingTerminal(usb, m_proc));
    EXPECT_FALSE(CTerminalUse::IsControllingTerminal(m_tree.Dev() + "/absent", m_proc));
}

}  // namespace

TEST(PortChoiceNetworkTest, ANetworkAddressIsTakenAsGivenAndAMalformedOneIsAUsageError)
{
    const PortChoice network = CPortChooser::Choose("rfc2217://127.0.0.1:4001");
    EXPECT_TRUE(network.network);
    EXPECT_EQ(network.path, "rfc2217://127.0.0.1:4001");
    EXPECT_EQ(network.exitCode, 0);
    const PortChoice malformed = CPortChooser::Choose("rfc2217://127.0.0.1");
    EXPECT_FALSE(malformed.network);
    EXPECT_EQ(malformed.exitCode, CPortChooser::kExitUsage);
}
