#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "serial/posix/com_port_resolver.h"
#include "serial/posix/port_probe.h"
#include "serial/posix/tty_device.h"
#include "tests/support/fake_sysfs.h"

namespace {

const CFakeSysfs::UsbDevice kFtdi{"0403", "6001", "FT232R USB UART", "FTDI", "A50285BI"};

// The pty an open descriptor reached.
bool OpenedPty(int fd, const std::string& pty)
{
    struct stat opened, expected;
    return fd >= 0 && fstat(fd, &opened) == 0 && stat(pty.c_str(), &expected) == 0 &&
           opened.st_rdev == expected.st_rdev;
}

class ComPortResolverTest : public testing::Test {
protected:
    void SetUp() override
    {
        CComPortResolver::SetHardwareNames(nullptr);
        CComPortResolver::SetSysfsRoot(m_tree.Sys());
        CComPortResolver::SetDeviceFolder(m_tree.Dev());
    }
    void TearDown() override
    {
        CComPortResolver::SetSysfsRoot("/sys");
        CComPortResolver::SetDeviceFolder("/dev");
    }

    CFakeSysfs m_tree;
};

TEST_F(ComPortResolverTest, AListedNumberNamesTheSameDeviceWhileAdaptersComeAndGo)
{
    m_tree.AddUsb("ttyUSB0", "1-2", kFtdi);
    m_tree.AddById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");
    NumberedPorts listed = CComPortResolver::ListPorts();
    ASSERT_EQ(listed.ports.size(), 1u);
    ASSERT_EQ(listed.ports[0].number, 4);

    // Plugged in after the listing, before the port is opened; its name
    // sorts first, and it takes the kernel name of nothing listed.
    m_tree.AddUsb("ttyUSB1", "1-3", {"10c4", "ea60", "CP2102 USB to UART Bridge Controller", "Silicon Labs", "0001"});
    m_tree.AddById("usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0", "ttyUSB1");
    int fd = CTtyDevice::OpenExclusive("COM4");
    EXPECT_TRUE(OpenedPty(fd, m_tree.PtyOf("ttyUSB0")));
    CTtyDevice::CloseExclusive(fd);
    EXPECT_EQ(CComPortResolver::ListPorts().ports.size(), 2u);
    fd = CTtyDevice::OpenExclusive("COM5");
    EXPECT_TRUE(OpenedPty(fd, m_tree.PtyOf("ttyUSB1")));
    CTtyDevice::CloseExclusive(fd);

    // Pulled out, COM4 names nothing; plugged in again under another
    // kernel name, it is COM4 once more.
    m_tree.Unplug("ttyUSB0");
    EXPECT_EQ(CComPortResolver::DevicePath("COM4"), "");
    EXPECT_LT(CTtyDevice::OpenExclusive("COM4"), 0);
    m_tree.AddUsb("ttyUSB2", "1-4", kFtdi);
    m_tree.AddById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB2");
    fd = CTtyDevice::OpenExclusive("COM4");
    EXPECT_TRUE(OpenedPty(fd, m_tree.PtyOf("ttyUSB2")));
    CTtyDevice::CloseExclusive(fd);
}

TEST_F(ComPortResolverTest, LinksNameThemselvesAndNothingElseIsGuessed)
{
    m_tree.AddComLink(2);
    m_tree.AddComLink(9);
    EXPECT_EQ(CComPortResolver::DevicePath("COM9"), m_tree.Dev() + "/com9");
    EXPECT_EQ(CComPortResolver::DevicePath("COM2"), m_tree.Dev() + "/com2") << "a link outside 4 to 20 still opens";
    // No ttyS(n-1) by guesswork: a node without a port in sysfs is no port.
    std::filesystem::create_symlink(m_tree.PtyOf("com9"), m_tree.Dev() + "/ttyS4");
    EXPECT_EQ(CComPortResolver::DevicePath("COM5"), "");
    EXPECT_EQ(CComPortResolver::DevicePath("COM"), "");
    EXPECT_EQ(CComPortResolver::DevicePath("COM0"), "");
    EXPECT_EQ(CComPortResolver::DevicePath("com9"), "");
}

TEST_F(ComPortResolverTest, ProbeTellsAPortInUseFromAnOpenableOne)
{
    m_tree.AddUsb("ttyUSB0", "1-2", kFtdi);
    const std::string path = m_tree.Dev() + "/ttyUSB0";
    EXPECT_TRUE(CPortProbe::Probe(path).Openable());
    const int holder = CTtyDevice::OpenPathExclusive(path);
    ASSERT_GE(holder, 0);
    const PortAccess held = CPortProbe::Probe(path);
    EXPECT_EQ(held.problem, EPortProblem::InUse);
    CTtyDevice::CloseExclusive(holder);
    const PortAccess gone = CPortProbe::Probe(m_tree.Dev() + "/ttyUSB9");
    EXPECT_EQ(gone.problem, EPortProblem::Other);
    EXPECT_EQ(gone.error, ENOENT);
}

// Root opens anything: the refusal is seen from an unprivileged child.
TEST_F(ComPortResolverTest, PermissionDeniedNamesTheGroupThatOwnsTheNode)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to hand the node to a group and drop to another user";
    const group* dialout = getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    m_tree.AddUsb("ttyUSB0", "1-2", kFtdi);
    const std::string pty = m_tree.PtyOf("ttyUSB0");
    ASSERT_EQ(chown(pty.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(pty.c_str(), 0660), 0);
    ASSERT_EQ(chmod(m_tree.Dev().c_str(), 0755), 0);
    ASSERT_EQ(chmod(std::filesystem::path(m_tree.Dev()).parent_path().c_str(), 0755), 0);

    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    if (child == 0) {
        // nobody, in no group but its own.
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        const PortAccess access = CPortProbe::Probe(m_tree.Dev() + "/ttyUSB0");
        const std::string line = std::to_string(static_cast<int>(access.problem)) + " " + access.group + " " +
                                 std::to_string(access.groupMayOpen) + std::to_string(access.userListedInGroup) +
                                 std::to_string(access.sessionHasGroup);
        (void)!write(report[1], line.data(), line.size());
        _exit(0);
    }
    close(report[1]);
    char buffer[128] = {};
    const ssize_t n = read(report[0], buffer, sizeof buffer - 1);
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer), std::to_string(static_cast<int>(EPortProblem::PermissionDenied)) + " dialout 100");
}

}  // namespace
