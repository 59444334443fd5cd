// COM numbers as the database keeps them: with their devices across runs
// and between the two programs (each a CComPortNumbers of its own over one
// state folder), whatever the plug order, and through a damaged or
// unwritable database.
#include <gmock/gmock.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "serial/posix/com_port_numbers.h"
#include "tests/support/state_home.h"
#include "tests/support/number_of.h"

namespace {

// An adapter plugged into USB port usbPort; serial may be empty.
SerialPortInfo Adapter(const std::string& tty, const std::string& usbPort, const std::string& serial = {},
                       const std::string& byId = {})
{
    SerialPortInfo port;
    port.kind = ESerialPortKind::UsbSerial;
    port.kernelName = tty;
    port.devicePath = "/dev/" + tty;
    port.place = "pci0000:00/0000:00:14.0/usb1/" + usbPort + "/" + usbPort + ":1.0";
    port.sysfsPath = "/sys/devices/" + port.place + "/" + tty + "/tty/" + tty;
    port.vendorId = "1a86";
    port.productId = "7523";
    port.product = "USB Serial";
    port.serialNumber = serial;
    if (!byId.empty())
        port.byIdPath = "/dev/serial/by-id/" + byId;
    return port;
}

SerialPortInfo Link(int n)
{
    SerialPortInfo port;
    port.kind = ESerialPortKind::LinkOnly;
    port.linkNumber = n;
    port.devicePath = "/dev/com" + std::to_string(n);
    return port;
}

SerialPortInfo Uart(int k)
{
    SerialPortInfo port;
    port.kind = ESerialPortKind::BuiltIn;
    port.kernelName = "ttyS" + std::to_string(k);
    port.devicePath = "/dev/" + port.kernelName;
    port.place = "pnp0/00:0" + std::to_string(k) + "/tty/" + port.kernelName;
    port.uartIndex = k;
    return port;
}

class ComPortNumbersTest : public testing::Test {
protected:
    CStateHome m_state;
};

// Both plug orders, for adapters with serial numbers and for two without in
// different USB ports: the numbers first given stay, in a second program
// and in the next run, whatever kernel name and by-id name the device has.
struct PlugCase {
    const char* name;
    SerialPortInfo first;
    SerialPortInfo second;
    // The devices as they come back, renamed by the kernel and by udev.
    SerialPortInfo firstAgain;
    SerialPortInfo secondAgain;
};

class PlugOrderTest : public ComPortNumbersTest, public testing::WithParamInterface<PlugCase> {};

TEST_P(PlugOrderTest, NumbersStayWithTheirDevicesAcrossProgramsAndRuns)
{
    const PlugCase& plug = GetParam();
    CComPortNumbers dialog;
    const int firstNumber = NumberOf(dialog.Assign({plug.first}), plug.first.devicePath);
    const int secondNumber = NumberOf(dialog.Assign({plug.first, plug.second}), plug.second.devicePath);
    EXPECT_EQ(firstNumber, 4);
    EXPECT_EQ(secondNumber, 5);

    CComPortNumbers apctl;
    NumberedPorts there = apctl.Assign({plug.second, plug.first});
    EXPECT_EQ(NumberOf(there, plug.first.devicePath), firstNumber);
    EXPECT_EQ(NumberOf(there, plug.second.devicePath), secondNumber);

    // Next run: the second device is plugged in first, both renamed.
    CComPortNumbers nextRun;
    EXPECT_EQ(NumberOf(nextRun.Assign({plug.secondAgain}), plug.secondAgain.devicePath), secondNumber);
    there = nextRun.Assign({plug.secondAgain, plug.firstAgain});
    EXPECT_EQ(NumberOf(there, plug.firstAgain.devicePath), firstNumber);
    EXPECT_EQ(NumberOf(there, plug.secondAgain.devicePath), secondNumber);
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, PlugOrderTest,
    testing::Values(
        PlugCase{"SerialNumbersAThenB", Adapter("ttyUSB0", "1-2", "A1"), Adapter("ttyUSB1", "1-3", "B2"),
                 Adapter("ttyUSB3", "1-4", "A1"), Adapter("ttyUSB2", "1-5", "B2")},
        PlugCase{"SerialNumbersBThenA", Adapter("ttyUSB0", "1-3", "B2"), Adapter("ttyUSB1", "1-2", "A1"),
                 Adapter("ttyUSB1", "1-6", "B2"), Adapter("ttyUSB0", "1-7", "A1")},
        // Without serial numbers the USB port is the device; udev gives both
        // one by-id name and moves it to whichever came last.
        PlugCase{"NoSerialAThenB", Adapter("ttyUSB0", "1-2", {}, "usb-1a86_USB_Serial-if00-port0"),
                 Adapter("ttyUSB1", "1-3", {}, "usb-1a86_USB_Serial-if00-port0"),
                 Adapter("ttyUSB1", "1-2", {}, "usb-1a86_USB_Serial-if00-port0"), Adapter("ttyUSB0", "1-3")},
        PlugCase{"NoSerialBThenA", Adapter("ttyUSB0", "1-3"), Adapter("ttyUSB1", "1-2", {}, "usb-1a86_x"),
                 Adapter("ttyUSB5", "1-3", {}, "usb-1a86_x"), Adapter("ttyUSB4", "1-2")}),
    [](const testing::TestParamInfo<PlugCase>& info) { return info.param.name; });

TEST_F(ComPortNumbersTest, KeysNameTheDeviceNotItsByIdName)
{
    EXPECT_EQ(CComPortNumbers::Key(Adapter("ttyUSB0", "1-2", "A1", "usb-x")), "1a86:7523:A1");
    EXPECT_EQ(CComPortNumbers::Key(Adapter("ttyUSB0", "1-2", {}, "usb-x")),
              "at:pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0");
    SerialPortInfo secondPort = Adapter("ttyUSB1", "1-2", "FT4");
    secondPort.place = "pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1";
    EXPECT_EQ(CComPortNumbers::Key(secondPort), "1a86:7523:FT4:1.1") << "each port of a multi-port device";
    EXPECT_EQ(CComPortNumbers::Key(Uart(0)), "at:pnp0/00:00/tty/ttyS0");
}

TEST_F(ComPortNumbersTest, TwoDevicesNeverShareANumber)
{
    CComPortNumbers numbers;
    // Clones with one serial number, in two USB ports.
    NumberedPorts clones = numbers.Assign({Adapter("ttyUSB0", "1-2", "0001"), Adapter("ttyUSB1", "1-3", "0001")});
    ASSERT_EQ(clones.ports.size(), 2u);
    EXPECT_NE(clones.ports[0].number, clones.ports[1].number);
}

TEST_F(ComPortNumbersTest, LinksAndUartsKeepTheirNumbersAndOthersTakeTheLowestFree)
{
    CComPortNumbers numbers;
    // ttyS3 would be COM4, but the link claims 4 itself; ttyS0 would be
    // COM1, which is never given out.
    NumberedPorts numbered = numbers.Assign({Uart(3), Uart(0), Link(4), Uart(9), Adapter("ttyUSB0", "1-2"), Link(2),
                                             Link(21)});
    EXPECT_EQ(NumberOf(numbered, "/dev/com4"), 4);
    EXPECT_EQ(NumberOf(numbered, "/dev/ttyS9"), 10);
    EXPECT_EQ(NumberOf(numbered, "/dev/ttyS0"), 5);
    EXPECT_EQ(NumberOf(numbered, "/dev/ttyS3"), 6);
    EXPECT_EQ(NumberOf(numbered, "/dev/ttyUSB0"), 7) << "by sysfs path: ttyS… before ttyUSB…";
    EXPECT_EQ(NumberOf(numbered, "/dev/com2"), 0) << "COM1 to COM3 are never offered";
    EXPECT_EQ(NumberOf(numbered, "/dev/com21"), 0);
    EXPECT_TRUE(numbered.leftOut.empty());
    // Only the ports without a number of their own are kept.
    EXPECT_EQ(numbers.Kept().size(), 3u);
}

TEST_F(ComPortNumbersTest, WhenAllAreGivenTheOneUnusedLongestIsTakenBack)
{
    std::vector<SerialPortInfo> ports;
    for (int i = 0; i < 20; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "ttyUSB%02d", i);
        ports.push_back(Adapter(name, "1-" + std::to_string(i + 10)));
    }
    CComPortNumbers numbers;
    NumberedPorts numbered = numbers.Assign(ports);
    ASSERT_EQ(numbered.ports.size(), 17u);
    EXPECT_EQ(numbered.ports.back().info.kernelName, "ttyUSB16");
    ASSERT_EQ(numbered.leftOut.size(), 3u) << "all 17 are in use";
    EXPECT_EQ(numbered.leftOut[0].kernelName, "ttyUSB17");

    // Age the table: COM9's device was seen longest ago, COM6's next.
    CComNumberStore store;
    store.Update([](CComNumberStore::Table& table) {
        for (ComNumberEntry& entry : table)
            entry.lastSeen = entry.number == 9 ? 100 : entry.number == 6 ? 200 : 300;
        return true;
    });
    std::vector<SerialPortInfo> later(ports.begin(), ports.begin() + 17);
    later.erase(later.begin() + 5);  // COM9
    later.erase(later.begin() + 2);  // COM6
    later.push_back(ports[19]);
    numbered = numbers.Assign(later);
    EXPECT_EQ(NumberOf(numbered, ports[19].devicePath), 9);
    EXPECT_TRUE(numbered.leftOut.empty());
    EXPECT_EQ(NumberOf(numbers.Assign({ports[5]}), ports[5].devicePath), 6) << "its old number was taken back";
}

TEST_F(ComPortNumbersTest, ProgramsNumberingAtOnceNeverGiveOneNumberTwice)
{
    // Four programs, each with four new devices of its own, one at a time.
    constexpr int kPrograms = 4, kEach = 4;
    std::vector<pid_t> children;
    for (int program = 0; program < kPrograms; ++program) {
        const pid_t child = fork();
        if (child == 0) {
            CComPortNumbers numbers;
            std::vector<SerialPortInfo> mine;
            for (int i = 0; i < kEach; ++i) {
                const std::string place = "1-" + std::to_string(10 * program + i + 10);
                mine.push_back(Adapter("ttyUSB" + place, place));
                if (numbers.Assign(mine).ports.size() != mine.size())
                    _exit(1);
            }
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // Every device has a number, none given twice (a repeat reads as damage).
    testing::internal::CaptureStderr();
    EXPECT_EQ(CComNumberStore().Read().size(), static_cast<size_t>(kPrograms * kEach));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

class ComNumberStoreTest : public ComPortNumbersTest {
protected:
    std::string Folder() const { return m_state.Folder() + "/apconfig"; }
};

TEST_F(ComNumberStoreTest, ADamagedFileIsSetAsideAndNumberingStartsAfresh)
{
    const char* damaged[] = {"garbage", "# apconfig COM numbers 1: number, key, last seen, device, description\n"
                                        "5\tk\tnot-a-time\t/dev/x\tX\n",
                             "# apconfig COM numbers 1: number, key, last seen, device, description\n"
                             "5\tk\t1\t/dev/x\tX\n5\tj\t1\t/dev/y\tY\n",
                             "# apconfig COM numbers 1: number, key, last seen, device, description\n"
                             "25\tk\t1\t/dev/x\tX\n"};
    for (const char* text : damaged) {
        std::filesystem::create_directories(Folder());
        std::ofstream(m_state.NumbersFile()) << text;
        testing::internal::CaptureStderr();
        CComPortNumbers numbers;
        EXPECT_EQ(NumberOf(numbers.Assign({Adapter("ttyUSB0", "1-2", "A")}), "/dev/ttyUSB0"), 4) << text;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_THAT(said, testing::HasSubstr("is damaged")) << text;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "one line";
        std::ifstream aside(m_state.NumbersFile() + ".damaged");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), text);
        ASSERT_EQ(numbers.Kept().size(), 1u) << "a fresh table was written";
        std::filesystem::remove_all(Folder());
    }
}

TEST_F(ComNumberStoreTest, AnUnwritableFolderStillGivesNumbersForTheRun)
{
    // A file where the folder should be stops root too.
    const std::string blocked = m_state.Folder() + "/blocked";
    std::ofstream{blocked};
    setenv("XDG_STATE_HOME", blocked.c_str(), 1);
    testing::internal::CaptureStderr();
    CComPortNumbers numbers;
    EXPECT_EQ(NumberOf(numbers.Assign({Adapter("ttyUSB0", "1-2", "A")}), "/dev/ttyUSB0"), 4);
    NumberedPorts again = numbers.Assign({Adapter("ttyUSB1", "1-3", "B"), Adapter("ttyUSB0", "1-2", "A")});
    EXPECT_EQ(NumberOf(again, "/dev/ttyUSB0"), 4);
    EXPECT_EQ(NumberOf(again, "/dev/ttyUSB1"), 5);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_THAT(said, testing::HasSubstr("kept for this run only"));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said once";
}

TEST_F(ComNumberStoreTest, TheTableReadsBackAsWrittenWithTabsAndLineEndsKeptOut)
{
    CComNumberStore::Table table = {{4, "1a86:7523:A1", 1700000000, "/dev/ttyUSB0", "USB\tSerial\nx"},
                                    {20, "at:pci0000:00/usb1/1-2/1-2:1.0", 5, "/dev/ttyACM0", ""}};
    CComNumberStore::Table read;
    ASSERT_EQ(CComNumberStore::Parse(CComNumberStore::Format(table), read), "");
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].description, "USB Serial x");
    EXPECT_EQ(read[1].key, table[1].key);
    EXPECT_EQ(read[1].lastSeen, 5);
    EXPECT_EQ(read[1].description, "");
}

}  // namespace

// A network port the user numbered is not a device: however long ago it was
// added, its number is never taken back for one, and a link to its number
// hides it without losing it.
TEST_F(ComPortNumbersTest, ANetworkPortsNumberIsNeverGivenToADevice)
{
    const ComNumberEntry network{5, "rfc2217://server:2001", 0, "rfc2217://server:2001", ""};
    CComNumberStore store;
    store.Update([&](CComNumberStore::Table& table) {
        table.push_back(network);
        return true;
    });
    std::vector<SerialPortInfo> ports;
    for (int i = 0; i < 17; ++i)
        ports.push_back(Adapter("ttyUSB" + std::to_string(i), "1-" + std::to_string(i + 10)));
    CComPortNumbers numbers;
    NumberedPorts numbered = numbers.Assign(ports);
    ASSERT_EQ(numbered.ports.size(), 16u);
    EXPECT_EQ(NumberOf(numbered, ports[1].devicePath), 6) << "COM5 passed over";
    ASSERT_EQ(numbered.leftOut.size(), 1u);

    // All devices gone but one new one: the network port is the oldest, yet
    // a device's number is taken back.
    numbered = numbers.Assign({Adapter("ttyUSB20", "2-1")});
    EXPECT_NE(NumberOf(numbered, "/dev/ttyUSB20"), 5);
    EXPECT_NE(NumberOf(numbered, "/dev/ttyUSB20"), 0);

    EXPECT_EQ(NumberOf(numbers.Assign({Link(5), Adapter("ttyUSB21", "2-2")}), "/dev/com5"), 5);
    const CComNumberStore::Table kept = numbers.Kept();
    EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&](const ComNumberEntry& entry) {
        return entry.number == 5 && entry.key == network.key;
    })) << "kept behind the link";
}
