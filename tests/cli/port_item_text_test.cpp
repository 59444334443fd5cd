// The port texts over one record, built and run on both platforms: a port as
// Linux lists it (a device node, what sysfs says) and as Windows lists it
// (the system's own name) reads the same on either.
#include <gtest/gtest.h>

#include "frontend/compose.h"
#include "frontend/port_hints.h"
#include "frontend/port_item_text.h"
#include "frontend/port_string_ids.h"
#include "frontend/string_table.h"

namespace {

SerialPortRecord NodePort(int number, const std::string& node, const std::string& description = {})
{
    SerialPortRecord port;
    port.number = number;
    port.node = node;
    port.path = node;
    port.description = description;
    port.kind = ESerialPortKind::UsbSerial;
    return port;
}

SerialPortRecord SystemNamedPort(int number, const std::string& displayName, const std::string& driverDevice = {})
{
    SerialPortRecord port;
    port.number = number;
    port.path = "\\\\.\\COM" + std::to_string(number);
    port.displayName = displayName;
    port.driverDevice = driverDevice;
    return port;
}

std::string Hint(int id, std::initializer_list<std::string_view> args)
{
    return Compose(CStringTable::LoadString(id), args);
}

class PortItemTextTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CStringTable::Load()); }
};

TEST_F(PortItemTextTest, ANodeOrTheSystemsOwnNameNamesThePort)
{
    SerialPortRecord usb = NodePort(5, "/dev/ttyUSB0", "CP2102 USB to UART Bridge Controller");
    usb.manufacturer = "Silicon Labs";
    usb.serialNumber = "0001";
    usb.vendorId = "10c4";
    usb.productId = "ea60";
    usb.stableName = "/dev/serial/by-id/usb-cp2102";
    SerialPortRecord link = NodePort(21, "/dev/com21");
    link.linkTarget = "/dev/ttyUSB1";
    link.numberFromLink = true;
    const struct {
        SerialPortRecord port;
        std::string item, shortName, messageName, details;
    } cases[] = {
        {usb, "COM5 — CP2102 USB to UART Bridge Controller (/dev/ttyUSB0)", "COM5 (/dev/ttyUSB0)",
         "COM5 (/dev/ttyUSB0)",
         "made by Silicon Labs · serial number 0001 · USB ID 10c4:ea60 · always reachable as "
         "/dev/serial/by-id/usb-cp2102"},
        {link, "COM21 — USB serial adapter (/dev/com21 → /dev/ttyUSB1)", "COM21 (/dev/com21 → /dev/ttyUSB1)",
         "COM21 (/dev/com21 → /dev/ttyUSB1)", ""},
        {SystemNamedPort(5, "USB Serial Device (COM5)", "\\Device\\USBSER000"), "USB Serial Device (COM5)", "COM5",
         "USB Serial Device (COM5)", "\\Device\\USBSER000"},
        {SystemNamedPort(20, ""), "COM20", "COM20", "COM20", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CPortItemText::Item(c.port), c.item);
        EXPECT_EQ(CPortItemText::ShortName(c.port), c.shortName);
        EXPECT_EQ(CPortItemText::MessageName(c.port), c.messageName);
        EXPECT_EQ(CPortItemText::Details(c.port), c.details) << c.item;
    }
}

TEST_F(PortItemTextTest, AlikePortsAreToldApartByTheirSerialNumbers)
{
    SerialPortRecord a = NodePort(4, "/dev/ttyUSB0", "FT232R USB UART");
    SerialPortRecord b = NodePort(6, "/dev/ttyUSB1", "FT232R USB UART");
    a.serialNumber = "A1";
    b.serialNumber = "B2";
    EXPECT_EQ(CPortItemText::Items({a, b, NodePort(7, "/dev/ttyACM0", "Uno")}),
              (std::vector<std::string>{"COM4 — FT232R USB UART, serial A1 (/dev/ttyUSB0)",
                                        "COM6 — FT232R USB UART, serial B2 (/dev/ttyUSB1)",
                                        "COM7 — Uno (/dev/ttyACM0)"}));
}

// A link the user made gives its number here; Windows numbers a port itself.
TEST_F(PortItemTextTest, APortOutsideFourToTwentyIsToldWhatGivesItANumberThatFits)
{
    SerialPortRecord link = NodePort(30, "/dev/com30");
    link.linkTarget = "/dev/ttyUSB0";
    link.numberFromLink = true;
    EXPECT_EQ(CPortHints::OutOfRangeLine(link),
              Hint(IDS_HINT_OUT_OF_RANGE_LINK, {"COM30 (USB serial adapter)", "/dev/com30"}));
    EXPECT_EQ(CPortHints::OutOfRangeLine(SystemNamedPort(3, "USB Serial Port (COM3)")),
              Hint(IDS_HINT_OUT_OF_RANGE_WINDOWS, {"COM3 (USB Serial Port)"}));
    EXPECT_EQ(CPortHints::OutOfRangeLine(SystemNamedPort(21, "")), Hint(IDS_HINT_OUT_OF_RANGE_WINDOWS, {"COM21"}));
}

}  // namespace
