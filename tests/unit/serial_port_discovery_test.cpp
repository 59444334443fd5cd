#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "serial/posix/com_port_numbers.h"
#include "serial/posix/serial_port_discovery.h"
#include "serial/posix/sysfs_text.h"
#include "tests/support/fake_sysfs.h"
#include "tests/support/number_of.h"

namespace {

using testing::ElementsAre;
using testing::Field;

const CFakeSysfs::UsbDevice& kCp2102 = CFakeSysfs::kCp2102;

// A database that knows one adapter and counts its lookups.
class CFakeNames : public IHardwareNames {
public:
    HardwareName Usb(const std::string& vendor, const std::string& product) const override
    {
        ++lookups;
        if (vendor == "1a86" && product == "7523")
            return {"QinHeng Electronics", "CH340 serial converter"};
        return {};
    }
    HardwareName Pci(const std::string& vendor, const std::string& device) const override
    {
        ++lookups;
        if (vendor == "8086" && device == "a13d")
            return {"Intel Corporation", "100 Series/C230 Series Chipset Family KT Redirection"};
        return {};
    }
    mutable int lookups = 0;
};

const SerialPortInfo* Find(const std::vector<SerialPortInfo>& ports, const std::string& kernelName)
{
    auto it = std::find_if(ports.begin(), ports.end(),
                           [&](const SerialPortInfo& port) { return port.kernelName == kernelName; });
    return it == ports.end() ? nullptr : &*it;
}

// The machine of the examples: a USB serial adapter, a modem-class board, a
// PnP UART at ttyS4, the 8250 driver's placeholders ttyS1 to ttyS31, and a
// /dev/com7 link to a pty.
class DiscoveryTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_comPty = m_tree.AddExampleMachine();
    }

    std::vector<SerialPortInfo> List(const IHardwareNames* names = nullptr)
    {
        return CSerialPortDiscovery(m_tree.Sys(), m_tree.Dev(), names).List();
    }

    CFakeSysfs m_tree;
    std::string m_comPty;
};

TEST_F(DiscoveryTest, FindsAdaptersRealUartsAndLinksButNotThePlaceholders)
{
    const auto ports = List();
    std::vector<std::string> paths;
    for (const auto& port : ports)
        paths.push_back(port.devicePath);
    const std::string dev = m_tree.Dev();
    EXPECT_THAT(paths, ElementsAre(dev + "/com7", dev + "/ttyACM0", dev + "/ttyS4", dev + "/ttyUSB0"));

    const SerialPortInfo* usb = Find(ports, "ttyUSB0");
    ASSERT_NE(usb, nullptr);
    EXPECT_EQ(usb->kind, ESerialPortKind::UsbSerial);
    EXPECT_EQ(usb->product, kCp2102.product);
    EXPECT_EQ(usb->manufacturer, "Silicon Labs");
    EXPECT_EQ(usb->serialNumber, "0001");
    EXPECT_EQ(usb->vendorId, "10c4");
    EXPECT_EQ(usb->productId, "ea60");
    EXPECT_EQ(usb->byIdPath, dev + "/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0");
    EXPECT_EQ(usb->OpenPath(), usb->byIdPath) << "the by-id name follows the adapter";

    const SerialPortInfo* acm = Find(ports, "ttyACM0");
    ASSERT_NE(acm, nullptr);
    EXPECT_EQ(acm->kind, ESerialPortKind::UsbAcm);
    EXPECT_EQ(acm->DisplayName(), "Arduino Uno");

    const SerialPortInfo* uart = Find(ports, "ttyS4");
    ASSERT_NE(uart, nullptr);
    EXPECT_EQ(uart->kind, ESerialPortKind::BuiltIn);
    EXPECT_EQ(uart->uartIndex, 4);

    const SerialPortInfo& link = ports[0];
    EXPECT_EQ(link.kind, ESerialPortKind::LinkOnly);
    EXPECT_EQ(link.linkNumber, 7);
    EXPECT_EQ(link.linkTarget, m_comPty);
    EXPECT_EQ(link.OpenPath(), dev + "/com7");
}

TEST_F(DiscoveryTest, NumbersLinksAndUartsByTheirOwnNumbersAndTheRestFromFourInByIdOrder)
{
    CComPortNumbers numbers;
    const NumberedPorts numbered = numbers.Assign(List());
    const std::string dev = m_tree.Dev();
    EXPECT_EQ(NumberOf(numbered, dev + "/com7"), 7);
    EXPECT_EQ(NumberOf(numbered, dev + "/ttyS4"), 5);
    EXPECT_EQ(NumberOf(numbered, dev + "/ttyACM0"), 4) << "usb-Arduino… sorts before usb-Silicon_Labs…";
    EXPECT_EQ(NumberOf(numbered, dev + "/ttyUSB0"), 6);
    EXPECT_THAT(numbered.ports, ElementsAre(Field(&NumberedPort::number, 4), Field(&NumberedPort::number, 5),
                                            Field(&NumberedPort::number, 6), Field(&NumberedPort::number, 7)));
    EXPECT_TRUE(numbered.leftOut.empty());
}

TEST_F(DiscoveryTest, ALinkToADiscoveredPortStandsForIt)
{
    std::filesystem::create_symlink("ttyUSB0", m_tree.Dev() + "/com9");
    const auto ports = List();
    EXPECT_EQ(std::count_if(ports.begin(), ports.end(), [](const auto& port) { return port.kernelName == "ttyUSB0"; }),
              1);
    const SerialPortInfo* usb = Find(ports, "ttyUSB0");
    ASSERT_NE(usb, nullptr);
    EXPECT_EQ(usb->linkNumber, 9);
    EXPECT_EQ(usb->devicePath, m_tree.Dev() + "/com9");
    EXPECT_EQ(usb->linkTarget, m_tree.Dev() + "/ttyUSB0");
    EXPECT_EQ(usb->product, kCp2102.product) << "the link shows what it points to";
}

TEST_F(DiscoveryTest, TheDatabaseNamesOnlyWhatItsAttributesLeaveGeneric)
{
    CFakeNames names;
    m_tree.AddUsb("ttyUSB1", "1-4", {"1a86", "7523", "USB Serial", "", ""});
    m_tree.AddUsb("ttyUSB2", "1-5", {"1a86", "7524", "USB2.0-Serial", "QinHeng", ""});
    m_tree.AddPciUart(32, "0x8086", "0xa13d");
    const auto ports = List(&names);
    EXPECT_EQ(Find(ports, "ttyUSB1")->DisplayName(), "QinHeng Electronics CH340 serial converter");
    EXPECT_EQ(Find(ports, "ttyUSB2")->DisplayName(), "QinHeng USB2.0-Serial") << "unknown to the database";
    EXPECT_EQ(Find(ports, "ttyUSB0")->DisplayName(), kCp2102.product);
    const SerialPortInfo* pci = Find(ports, "ttyS32");
    ASSERT_NE(pci, nullptr);
    EXPECT_EQ(pci->kind, ESerialPortKind::Pci);
    EXPECT_EQ(pci->vendorId, "8086");
    EXPECT_EQ(pci->databaseVendor, "Intel Corporation");
    // Two generic USB products and the PCI card: the CP2102 and the Uno
    // name themselves.
    EXPECT_EQ(names.lookups, 3);
}

TEST_F(DiscoveryTest, OddSysfsContentsGivePlainDescriptionsWithoutFailing)
{
    const std::string usb = m_tree.AddUsb("ttyUSB1", "1-6", {"0403", "6001", "", "", ""});
    m_tree.Write(std::filesystem::path(usb).lexically_relative(m_tree.Sys()).string() + "/product", "\xff\xfe bad");
    m_tree.Write(std::filesystem::path(usb).lexically_relative(m_tree.Sys()).string() + "/manufacturer",
                 std::string(5000, 'M'));
    m_tree.Write(std::filesystem::path(usb).lexically_relative(m_tree.Sys()).string() + "/serial", "\n");
    // A class entry pointing nowhere, one without a device, and a loop.
    std::filesystem::create_symlink("../../devices/gone/tty/ttyUSB7", m_tree.Sys() + "/class/tty/ttyUSB7");
    std::filesystem::create_directories(m_tree.Sys() + "/class/tty/tty3");
    std::filesystem::create_symlink("ttyUSB9", m_tree.Sys() + "/class/tty/ttyUSB9");

    const auto ports = List();
    const SerialPortInfo* odd = Find(ports, "ttyUSB1");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->product, "") << "non-UTF-8 is not shown";
    EXPECT_EQ(odd->manufacturer, std::string(CSysfsText::kMaxChars, 'M'));
    EXPECT_EQ(odd->serialNumber, "");
    EXPECT_EQ(odd->vendorId, "0403");
    EXPECT_EQ(Find(ports, "ttyUSB7"), nullptr);
    EXPECT_EQ(Find(ports, "tty3"), nullptr);
    EXPECT_EQ(Find(ports, "ttyUSB9"), nullptr);
}

TEST(SysfsText, KeepsValidTextCutAtACharacterAndDropsTheRest)
{
    EXPECT_EQ(CSysfsText::Clean("FT232R USB UART\n"), "FT232R USB UART");
    EXPECT_EQ(CSysfsText::Clean("  two\tlines\nhere \n"), "two lines here");
    EXPECT_EQ(CSysfsText::Clean(""), "");
    EXPECT_EQ(CSysfsText::Clean("\n"), "");
    EXPECT_EQ(CSysfsText::Clean("caf\xc3"), "") << "a character cut short is not UTF-8";
    EXPECT_EQ(CSysfsText::Clean("Latin-1 \xe9t\xe9"), "");

    // 126 characters of two bytes each: cut at a character, never inside.
    std::string wide;
    for (int i = 0; i < 200; ++i)
        wide += "\xc3\xa9";
    EXPECT_EQ(CSysfsText::Clean(wide), wide.substr(0, 2 * CSysfsText::kMaxChars));
    // A page-long attribute that ends inside a character keeps what is whole.
    std::string page(CSysfsText::kMaxBytes - 1, 'a');
    page += "\xe2";
    EXPECT_EQ(CSysfsText::Clean(page, true), std::string(CSysfsText::kMaxChars, 'a'));
    EXPECT_EQ(CSysfsText::Clean(page, false), "");
}

TEST_F(DiscoveryTest, MissingFoldersFindNothing)
{
    EXPECT_TRUE(CSerialPortDiscovery(m_tree.Sys() + "/none", m_tree.Dev() + "/none").List().empty());
}

TEST_F(DiscoveryTest, EightTwoFiftyPortsWithAKnownUartTypeAreOnBoardPorts)
{
    // ttyS1 to ttyS31 (but 4) are placeholders of type 0; ttyS0 a 16550A
    // the driver found without PnP or ACPI, ttyS32 of a type unreadable.
    m_tree.AddPlatformUart(0, "4");
    m_tree.AddPlatformUart(32, "sixteen");
    const auto ports = List();
    const SerialPortInfo* uart = Find(ports, "ttyS0");
    ASSERT_NE(uart, nullptr);
    EXPECT_EQ(uart->kind, ESerialPortKind::BuiltIn);
    EXPECT_EQ(uart->uartIndex, 0);
    EXPECT_EQ(Find(ports, "ttyS1"), nullptr);
    EXPECT_EQ(Find(ports, "ttyS32"), nullptr);
}

TEST_F(DiscoveryTest, APortsPlaceIsTheUsbInterfaceItHangsOff)
{
    const auto ports = List();
    EXPECT_EQ(Find(ports, "ttyUSB0")->place, "pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0");
    EXPECT_EQ(Find(ports, "ttyACM0")->place, "pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0");
    EXPECT_EQ(Find(ports, "ttyS4")->place, "pnp0/00:04/tty/ttyS4");
}

TEST(SysfsText, FormatCharactersAreDroppedBesideControls)
{
    // Right-to-left override, isolates, marks, zero-width and BOM.
    EXPECT_EQ(CSysfsText::Clean("Evil\u202E0BSU\u202C Adapter"), "Evil0BSU Adapter");
    EXPECT_EQ(CSysfsText::Clean("\u2066a\u2069\u200Eb\u200Fc\u200B\u200C\u200D\u2060d\uFEFF"), "abcd");
    EXPECT_EQ(CSysfsText::Clean("\u202A\u202B\u202D"), "") << "nothing left to show";
    EXPECT_EQ(CSysfsText::Clean("caf\u00E9 \u2192 ok"), "caf\u00E9 \u2192 ok") << "other characters stay";
}

TEST(DiscoveryOfAVanishingTree, TheScanEnds)
{
    // The tree goes away while it is read, at every point of the scan in
    // turn as the runs drift apart; each scan must come back.
    for (int run = 0; run < 40; ++run) {
        auto tree = std::make_unique<CFakeSysfs>();
        tree->AddExampleMachine();
        std::atomic<bool> started = false;
        std::thread remover([&] {
            while (!started)
                std::this_thread::yield();
            for (int i = 0; i < run * 50; ++i)
                std::this_thread::yield();
            std::error_code ignored;
            std::filesystem::remove_all(tree->Sys(), ignored);
        });
        started = true;
        const auto ports = CSerialPortDiscovery(tree->Sys(), tree->Dev()).List();
        remover.join();
        EXPECT_LE(ports.size(), 4u);
    }
}

}  // namespace
