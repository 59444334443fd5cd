#include <grp.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

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

TEST_F(ComPortResolverTest, AByIdLinkMovedByUdevMovesNoNumber)
{
    // Two adapters of one product without serial numbers: one by-id name,
    // which udev gives to whichever came last.
    const CFakeSysfs::UsbDevice ch340{"1a86", "7523", "USB Serial", "", ""};
    const std::string byId = "usb-1a86_USB_Serial-if00-port0";
    m_tree.AddUsb("ttyUSB0", "1-2", ch340);
    EXPECT_EQ(CComPortResolver::DevicePath("COM4"), m_tree.Dev() + "/ttyUSB0") << "before udev made the link";
    m_tree.AddById(byId, "ttyUSB0");
    m_tree.AddUsb("ttyUSB1", "1-3", ch340);
    m_tree.MoveById(byId, "ttyUSB1");
    const NumberedPorts listed = CComPortResolver::ListPorts();
    ASSERT_EQ(listed.ports.size(), 2u);
    EXPECT_EQ(listed.ports[0].info.kernelName, "ttyUSB0");
    EXPECT_EQ(listed.ports[1].info.kernelName, "ttyUSB1");
    int fd = CTtyDevice::OpenExclusive("COM4");
    EXPECT_TRUE(OpenedPty(fd, m_tree.PtyOf("ttyUSB0"))) << "COM4 stays with the adapter in 1-2";
    CTtyDevice::CloseExclusive(fd);

    // A fresh program sees the same, and the table names both places.
    CComPortResolver::SetSysfsRoot(m_tree.Sys());
    fd = CTtyDevice::OpenExclusive("COM5");
    EXPECT_TRUE(OpenedPty(fd, m_tree.PtyOf("ttyUSB1")));
    CTtyDevice::CloseExclusive(fd);
    const auto kept = CComPortResolver::KeptNumbers();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].key, "at:pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0");
    EXPECT_EQ(kept[1].key, "at:pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0");
}

// Counts the opens of the ptys behind the fake nodes.
class OpenCounter {
public:
    explicit OpenCounter(const std::vector<std::string>& paths) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        for (const std::string& path : paths)
            inotify_add_watch(m_fd, path.c_str(), IN_OPEN);
    }
    ~OpenCounter() { close(m_fd); }
    int Opens()
    {
        alignas(inotify_event) char buffer[4096];
        ssize_t n;
        while ((n = read(m_fd, buffer, sizeof buffer)) > 0)
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                m_opens += (event->mask & IN_OPEN) != 0;
                at += sizeof(inotify_event) + event->len;
            }
        return m_opens;
    }

private:
    int m_fd;
    int m_opens = 0;
};

TEST_F(ComPortResolverTest, ListingAndJudgingOpenNoPort)
{
    m_tree.AddExampleMachine();
    const std::vector<std::string> ptys = {m_tree.PtyOf("ttyUSB0"), m_tree.PtyOf("ttyACM0"), m_tree.PtyOf("ttyS4"),
                                           m_tree.PtyOf("com7")};
    OpenCounter counter(ptys);
    int fd = open(ptys[0].c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    close(fd);
    ASSERT_EQ(counter.Opens(), 1) << "the counter sees an open";
    for (int refresh = 0; refresh < 3; ++refresh)
        for (const NumberedPort& port : CComPortResolver::ListPorts().ports)
            EXPECT_TRUE(CPortProbe::Judge(port.info.OpenPath(), m_tree.Locks(), port.info.kernelName).Openable());
    EXPECT_EQ(CComPortResolver::DevicePath("COM6"),
              m_tree.Dev() + "/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0");
    EXPECT_EQ(counter.Opens(), 1);
}

TEST_F(ComPortResolverTest, APortIsInUseWhileALiveProcessHoldsItsUucpLockOrAnFlock)
{
    m_tree.AddUsb("ttyUSB0", "1-2", kFtdi);
    const std::string path = m_tree.Dev() + "/ttyUSB0";
    EXPECT_TRUE(CPortProbe::Judge(path, m_tree.Locks()).Openable());
    // As apconfig and apctl hold the port they talk through.
    const int holder = CTtyDevice::OpenPathExclusive(path);
    ASSERT_GE(holder, 0);
    EXPECT_EQ(CPortProbe::Judge(path, m_tree.Locks()).problem, EPortProblem::InUse);
    CTtyDevice::CloseExclusive(holder);
    EXPECT_TRUE(CPortProbe::Judge(path, m_tree.Locks()).Openable());
    m_tree.LockUucp("ttyUSB0", getpid());
    const PortAccess held = CPortProbe::Judge(path, m_tree.Locks());
    EXPECT_EQ(held.problem, EPortProblem::InUse);
    // By the kernel's name where the path is a by-id link.
    m_tree.AddById("usb-FTDI", "ttyUSB0");
    EXPECT_EQ(CPortProbe::Judge(m_tree.Dev() + "/serial/by-id/usb-FTDI", m_tree.Locks(), "ttyUSB0").problem,
              EPortProblem::InUse);
    // A lock whose process has ended is stale.
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    waitpid(ended, nullptr, 0);
    m_tree.LockUucp("ttyUSB0", ended);
    EXPECT_TRUE(CPortProbe::Judge(path, m_tree.Locks()).Openable());
    const PortAccess gone = CPortProbe::Judge(m_tree.Dev() + "/ttyUSB9", m_tree.Locks());
    EXPECT_EQ(gone.problem, EPortProblem::Other);
    EXPECT_EQ(gone.error, ENOENT);
}

// An access list as the kernel keeps it: header, then tag, perm, id.
std::string Acl(std::initializer_list<std::array<uint32_t, 3>> entries)
{
    std::string data(4, '\0');
    data[0] = 2;
    for (const auto& [tag, perm, id] : entries) {
        const uint16_t t = static_cast<uint16_t>(tag), p = static_cast<uint16_t>(perm);
        data.append(reinterpret_cast<const char*>(&t), 2).append(reinterpret_cast<const char*>(&p), 2);
        data.append(reinterpret_cast<const char*>(&id), 4);
    }
    return data;
}

struct PermissionCase {
    const char* name;
    mode_t mode;
    // The access list, or none.
    std::string acl;
    // The child's groups beside its own.
    std::vector<gid_t> groups;
    bool denied;
    EPermissionCause cause;
    const char* group;
};

class PermissionTest : public ComPortResolverTest, public testing::WithParamInterface<PermissionCase> {};

// Root opens anything: the verdict is seen from an unprivileged child.
TEST_P(PermissionTest, TheHintFollowsWhatWouldLetTheUserIn)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to hand the node to a group and drop to another user";
    const PermissionCase& c = GetParam();
    const group* dialout = getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    // Judging reads only the node's attributes; a plain file takes access
    // lists where ptys do not.
    const std::string node = m_tree.Dev() + "/ttyUSB0";
    std::ofstream{node};
    ASSERT_EQ(chown(node.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(node.c_str(), c.mode), 0);
    if (!c.acl.empty() && setxattr(node.c_str(), "system.posix_acl_access", c.acl.data(), c.acl.size(), 0) != 0)
        GTEST_SKIP() << "no access lists on " << node << ": " << strerror(errno);
    ASSERT_EQ(chmod(m_tree.Dev().c_str(), 0755), 0);
    ASSERT_EQ(chmod(std::filesystem::path(m_tree.Dev()).parent_path().c_str(), 0755), 0);

    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    if (child == 0) {
        // nobody, in the case's groups only.
        if (setgroups(c.groups.size(), c.groups.data()) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        const PortAccess access = CPortProbe::Judge(m_tree.Dev() + "/ttyUSB0", m_tree.Locks());
        const std::string line = std::to_string(access.problem == EPortProblem::PermissionDenied) + " " +
                                 std::to_string(static_cast<int>(access.permission)) + " " + access.group;
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
    EXPECT_EQ(std::string(buffer),
              std::to_string(c.denied) + " " + std::to_string(static_cast<int>(c.cause)) + " " + c.group);
}

constexpr uint32_t kUserObj = 1, kUser = 2, kGroupObj = 4, kMask = 16, kOther = 32;
const gid_t kDialout = 20;

INSTANTIATE_TEST_SUITE_P(
    Nodes, PermissionTest,
    testing::Values(
        PermissionCase{"GroupGrantsAndTheSessionLacksIt", 0660, {}, {}, true, EPermissionCause::JoinGroup,
                       "dialout"},
        PermissionCase{"TheSessionHasTheGroup", 0660, {}, {kDialout}, false, EPermissionCause::Unknown, ""},
        PermissionCase{"OnlyTheOwner", 0600, {}, {}, true, EPermissionCause::OwnerOnly, "dialout"},
        // group::rw- but mask::r--: not the owner-only hint, nor "join".
        PermissionCase{"AnAccessListMaskKeepsTheGroupOut", 0640,
                       Acl({{kUserObj, 6, 0}, {kGroupObj, 6, 0}, {kMask, 4, 0}, {kOther, 0, 0}}), {kDialout},
                       true, EPermissionCause::AccessList, "dialout"},
        PermissionCase{"AnAccessListEntryForTheUser", 0660,
                       Acl({{kUserObj, 6, 0}, {kUser, 0, 65534}, {kGroupObj, 6, 0}, {kMask, 6, 0}, {kOther, 0, 0}}),
                       {}, true, EPermissionCause::AccessList, "dialout"}),
    [](const testing::TestParamInfo<PermissionCase>& info) { return info.param.name; });

}  // namespace
