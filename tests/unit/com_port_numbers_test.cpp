#include <gtest/gtest.h>

#include <string>

#include "serial/posix/com_port_numbers.h"

namespace {

SerialPortInfo Adapter(const std::string& tty, const std::string& byId = {})
{
    SerialPortInfo port;
    port.kind = ESerialPortKind::UsbSerial;
    port.kernelName = tty;
    port.devicePath = "/dev/" + tty;
    port.sysfsPath = "/sys/devices/pci0000:00/usb1/" + tty + "/tty/" + tty;
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
    SerialPortInfo port = Adapter("ttyS" + std::to_string(k));
    port.kind = ESerialPortKind::BuiltIn;
    port.uartIndex = k;
    return port;
}

int NumberOf(const NumberedPorts& numbered, const std::string& devicePath)
{
    for (const NumberedPort& port : numbered.ports)
        if (port.info.devicePath == devicePath)
            return port.number;
    return 0;
}

TEST(ComPortNumbers, NumbersStayWithTheirDevicesForTheRun)
{
    CComPortNumbers numbers;
    NumberedPorts first = numbers.Assign({Adapter("ttyUSB0", "usb-B")});
    EXPECT_EQ(NumberOf(first, "/dev/ttyUSB0"), 4);

    // A new adapter whose name sorts first does not take COM4 away.
    NumberedPorts second = numbers.Assign({Adapter("ttyUSB0", "usb-B"), Adapter("ttyUSB1", "usb-A")});
    EXPECT_EQ(NumberOf(second, "/dev/ttyUSB0"), 4);
    EXPECT_EQ(NumberOf(second, "/dev/ttyUSB1"), 5);

    // Unplugged, its number waits for it: it comes back, under another
    // kernel name, as COM4; a stranger never gets it.
    numbers.Assign({Adapter("ttyUSB1", "usb-A")});
    NumberedPorts third = numbers.Assign({Adapter("ttyUSB1", "usb-A"), Adapter("ttyUSB2", "usb-C")});
    EXPECT_EQ(NumberOf(third, "/dev/ttyUSB2"), 6);
    NumberedPorts back = numbers.Assign({Adapter("ttyUSB3", "usb-B"), Adapter("ttyUSB1", "usb-A")});
    EXPECT_EQ(NumberOf(back, "/dev/ttyUSB3"), 4);
    ASSERT_EQ(back.ports.size(), 2u);
    EXPECT_EQ(back.ports[0].number, 4) << "listed by number";
}

TEST(ComPortNumbers, APortKeepsItsNumberWhenUdevNamesItLater)
{
    CComPortNumbers numbers;
    NumberedPorts early = numbers.Assign({Adapter("ttyUSB0"), Adapter("ttyUSB1", "usb-Z")});
    const int number = NumberOf(early, "/dev/ttyUSB0");
    NumberedPorts named = numbers.Assign({Adapter("ttyUSB0", "usb-A"), Adapter("ttyUSB1", "usb-Z")});
    EXPECT_EQ(NumberOf(named, "/dev/ttyUSB0"), number);
    EXPECT_NE(NumberOf(named, "/dev/ttyUSB1"), number);
}

TEST(ComPortNumbers, LinksAndUartsKeepTheirNumbersAndOthersTakeTheLowestFree)
{
    CComPortNumbers numbers;
    // ttyS3 would be COM4, but the link claims 4 itself; ttyS0 would be
    // COM1, which is never given out.
    NumberedPorts numbered = numbers.Assign({Uart(3), Uart(0), Link(4), Uart(9), Adapter("ttyUSB0"), Link(2),
                                             Link(21)});
    EXPECT_EQ(NumberOf(numbered, "/dev/com4"), 4);
    EXPECT_EQ(NumberOf(numbered, "/dev/ttyS9"), 10);
    EXPECT_EQ(NumberOf(numbered, "/dev/ttyS0"), 5);
    EXPECT_EQ(NumberOf(numbered, "/dev/ttyS3"), 6);
    EXPECT_EQ(NumberOf(numbered, "/dev/ttyUSB0"), 7) << "by sysfs path: ttyS… before ttyUSB…";
    EXPECT_EQ(NumberOf(numbered, "/dev/com2"), 0) << "COM1 to COM3 are never offered";
    EXPECT_EQ(NumberOf(numbered, "/dev/com21"), 0);
    EXPECT_TRUE(numbered.leftOut.empty());
}

TEST(ComPortNumbers, PortsBeyondSeventeenAreLeftOutInOrder)
{
    std::vector<SerialPortInfo> ports;
    for (int i = 0; i < 20; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "ttyUSB%02d", i);
        ports.push_back(Adapter(name));
    }
    CComPortNumbers numbers;
    NumberedPorts numbered = numbers.Assign(ports);
    ASSERT_EQ(numbered.ports.size(), 17u);
    EXPECT_EQ(numbered.ports.front().info.kernelName, "ttyUSB00");
    EXPECT_EQ(numbered.ports.back().number, 20);
    EXPECT_EQ(numbered.ports.back().info.kernelName, "ttyUSB16");
    ASSERT_EQ(numbered.leftOut.size(), 3u);
    EXPECT_EQ(numbered.leftOut[0].kernelName, "ttyUSB17");
    EXPECT_EQ(numbered.leftOut[2].kernelName, "ttyUSB19");
}

}  // namespace
