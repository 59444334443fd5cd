// apctl's side of the COM numbers: the number the port dialog gave a device
// names that device in apctl too (a program of its own, started afresh),
// list-ports shows the table, and a number whose device is gone says so.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include "cli/port_choice.h"
#include "cli/port_listing.h"
#include "frontend/string_table.h"
#include "serial/posix/com_port_resolver.h"
#include "tests/support/fake_sysfs.h"

namespace {

using testing::HasSubstr;

const CFakeSysfs::UsbDevice kCh340{"1a86", "7523", "USB Serial", "", ""};

class PortListingTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CStringTable::Load()); }
    void SetUp() override
    {
        CComPortResolver::SetHardwareNames(nullptr);
        CComPortResolver::SetSysfsRoot(m_tree.Sys());
        CComPortResolver::SetDeviceFolder(m_tree.Dev());
        CComPortResolver::SetLockFolder(m_tree.Locks());
    }
    void TearDown() override
    {
        CComPortResolver::SetSysfsRoot("/sys");
        CComPortResolver::SetDeviceFolder("/dev");
        CComPortResolver::SetLockFolder("/var/lock");
    }
    // A fresh run of apctl: nothing of this process's numbering is left.
    static void StartApctl() { CComPortResolver::SetSysfsRoot(CComPortResolver::SysfsRoot()); }

    CFakeSysfs m_tree;
};

TEST_F(PortListingTest, TheDialogsNumbersNameTheSameDevicesInApctl)
{
    // The dialog is open while X, then Y, are plugged in; both have no
    // serial number, and the later one is ttyUSB0.
    m_tree.AddUsb("ttyUSB1", "1-3", kCh340);
    ASSERT_EQ(CComPortResolver::ListPorts().ports.size(), 1u);
    m_tree.AddUsb("ttyUSB0", "1-2", kCh340);
    const NumberedPorts dialog = CComPortResolver::ListPorts();
    ASSERT_EQ(dialog.ports.size(), 2u);
    EXPECT_EQ(dialog.ports[0].info.kernelName, "ttyUSB1") << "COM4, first seen";

    StartApctl();
    PortChoice com5 = CPortChooser::Choose("COM5");
    EXPECT_EQ(com5.number, 5) << com5.error;
    EXPECT_EQ(com5.name, "COM5 (" + m_tree.Dev() + "/ttyUSB0)");

    const auto rows = CPortListing::Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].key, "at:pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0");
    EXPECT_TRUE(rows[0].present && rows[1].present);

    // Y pulled out: COM5 is still Y's, and apctl says it is gone.
    m_tree.Unplug("ttyUSB0");
    StartApctl();
    com5 = CPortChooser::Choose("COM5");
    EXPECT_EQ(com5.number, 0);
    EXPECT_EQ(com5.exitCode, CPortChooser::kExitPort);
    EXPECT_EQ(com5.error, "COM5 is USB Serial (at:pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0), which is not plugged in");
    const std::string text = CPortListing::Text(CPortListing::Rows());
    EXPECT_THAT(text, HasSubstr("COM4  " + m_tree.Dev() + "/ttyUSB1  USB Serial  at:"));
    EXPECT_THAT(text, HasSubstr("1-2:1.0  (not plugged in)\n"));
    const std::string json = CPortListing::Json(CPortListing::Rows());
    EXPECT_THAT(json, HasSubstr("\"name\" : \"COM5\""));
    EXPECT_THAT(json, HasSubstr("\"present\" : false"));
}

TEST_F(PortListingTest, WhatTheDatabaseSaysReachesTheTerminalWithoutControls)
{
    m_tree.AddUsb("ttyUSB0", "1-2", kCh340);
    CComPortResolver::ListPorts();
    // The user edits the file; an escape sequence in a description.
    const std::string file = m_tree.State().NumbersFile();
    std::ifstream in(file);
    std::string table((std::istreambuf_iterator<char>(in)), {});
    in.close();
    table.replace(table.find("USB Serial"), 10, "\x1b[2J\xe2\x80\xae" "evil\xff");
    std::ofstream(file) << table;
    m_tree.Unplug("ttyUSB0");
    StartApctl();
    const std::string text = CPortListing::Text(CPortListing::Rows());
    EXPECT_THAT(text, HasSubstr("?[2J?evil?"));
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
}

}  // namespace
