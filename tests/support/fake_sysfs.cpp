#include "tests/support/fake_sysfs.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {
constexpr const char* kUsbHost = "devices/pci0000:00/0000:00:14.0/usb1";
}

const CFakeSysfs::UsbDevice CFakeSysfs::kCp2102{"10c4", "ea60", "CP2102 USB to UART Bridge Controller",
                                               "Silicon Labs", "0001"};
const CFakeSysfs::UsbDevice CFakeSysfs::kUno{"2341", "0043", "Arduino Uno", "Arduino (www.arduino.cc)",
                                            "7583335303535"};

CFakeSysfs::CFakeSysfs()
{
    char folder[] = "/tmp/apconfig-sysfsXXXXXX";
    if (!mkdtemp(folder))
        throw std::runtime_error("no temporary folder");
    m_root = folder;
    m_sys = m_root + "/sys";
    m_dev = m_root + "/dev";
    m_locks = m_root + "/lock";
    fs::create_directories(m_locks);
    for (const char* bus : {"usb", "usb-serial", "pci", "pnp", "platform"})
        fs::create_directories(m_sys + "/bus/" + bus);
    fs::create_directories(m_sys + "/class/tty");
    fs::create_directories(m_dev);
    // The host controller the adapters hang off is a PCI device itself.
    fs::create_directories(m_sys + "/" + kUsbHost);
    Link(m_sys + "/bus/pci", m_sys + "/devices/pci0000:00/0000:00:14.0/subsystem");
    Link(m_sys + "/bus/usb", m_sys + "/" + kUsbHost + "/subsystem");
    fs::create_directories(m_sys + "/devices/platform/serial8250");
    Link(m_sys + "/bus/platform", m_sys + "/devices/platform/serial8250/subsystem");
}

CFakeSysfs::~CFakeSysfs()
{
    for (auto& [name, pty] : m_ptys)
        close(pty.master);

    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

void CFakeSysfs::Link(const std::string& target, const std::string& at)
{
    // Relative, as the kernel makes them.
    fs::create_symlink(fs::path(target).lexically_relative(fs::path(at).parent_path()), at);
}

void CFakeSysfs::Write(const std::string& relativePath, const std::string& content)
{
    const fs::path file = fs::path(m_sys) / relativePath;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

std::string CFakeSysfs::AddNode(const std::string& name)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw std::runtime_error("no pty");
    const std::string path = ptsname(master);
    m_ptys[name] = {master, path};
    fs::create_symlink(path, m_dev + "/" + name);
    return path;
}

void CFakeSysfs::AddTty(const std::string& tty, const std::string& deviceFolder, const std::string& subsystemOfDevice)
{
    const std::string device = m_sys + "/" + deviceFolder;
    const std::string ttyFolder = device + "/tty/" + tty;
    fs::create_directories(ttyFolder);
    if (!fs::exists(device + "/subsystem"))
        Link(m_sys + "/bus/" + subsystemOfDevice, device + "/subsystem");
    Link(device, ttyFolder + "/device");
    Write(fs::path(ttyFolder).lexically_relative(m_sys).string() + "/dev", "188:0\n");
    Link(ttyFolder, m_sys + "/class/tty/" + tty);
    AddNode(tty);
}

std::string CFakeSysfs::AddUsb(const std::string& tty, const std::string& usbPort, const UsbDevice& device)
{
    const std::string usbDevice = std::string(kUsbHost) + "/" + usbPort;
    const std::string interface = usbDevice + "/" + usbPort + ":1.0";
    fs::create_directories(m_sys + "/" + interface);
    if (!fs::exists(m_sys + "/" + usbDevice + "/subsystem"))
        Link(m_sys + "/bus/usb", m_sys + "/" + usbDevice + "/subsystem");
    if (!fs::exists(m_sys + "/" + interface + "/subsystem"))
        Link(m_sys + "/bus/usb", m_sys + "/" + interface + "/subsystem");
    const std::pair<const char*, const std::string*> attributes[] = {
        {"idVendor", &device.vendorId}, {"idProduct", &device.productId}, {"product", &device.product},
        {"manufacturer", &device.manufacturer}, {"serial", &device.serial}};
    for (const auto& [file, value] : attributes)
        if (!value->empty())
            Write(usbDevice + "/" + file, *value + "\n");
    if (tty.compare(0, 6, "ttyACM") == 0)
        AddTty(tty, interface, "usb");  // cdc_acm's tty hangs off the interface
    else
        AddTty(tty, interface + "/" + tty, "usb-serial");
    return m_sys + "/" + usbDevice;
}

void CFakeSysfs::AddPnpUart(int k)
{
    AddTty("ttyS" + std::to_string(k), "devices/pnp0/00:0" + std::to_string(k % 10), "pnp");
}

void CFakeSysfs::AddPciUart(int k, const std::string& vendor, const std::string& device)
{
    const std::string folder = "devices/pci0000:00/0000:00:16." + std::to_string(k % 8);
    Write(folder + "/vendor", vendor + "\n");
    Write(folder + "/device", device + "\n");
    AddTty("ttyS" + std::to_string(k), folder, "pci");
}

void CFakeSysfs::AddPlaceholderUart(int k)
{
    AddPlatformUart(k, "0");
}

void CFakeSysfs::AddPlatformUart(int k, const std::string& type)
{
    const std::string tty = "ttyS" + std::to_string(k);
    const std::string folder = m_sys + "/devices/platform/serial8250/tty/" + tty;
    fs::create_directories(folder);
    Write("devices/platform/serial8250/tty/" + tty + "/type", type + "\n");
    Link(m_sys + "/devices/platform/serial8250", folder + "/device");
    Link(folder, m_sys + "/class/tty/" + tty);
    AddNode(tty);
}

void CFakeSysfs::AddById(const std::string& name, const std::string& tty)
{
    fs::create_directories(m_dev + "/serial/by-id");
    fs::create_symlink("../../" + tty, m_dev + "/serial/by-id/" + name);
}

void CFakeSysfs::MoveById(const std::string& name, const std::string& tty)
{
    const std::string link = m_dev + "/serial/by-id/" + name;
    const std::string moved = link + ".new";
    fs::create_symlink("../../" + tty, moved);
    fs::rename(moved, link);
}

void CFakeSysfs::LockUucp(const std::string& tty, long pid)
{
    char line[16];
    snprintf(line, sizeof line, "%10ld\n", pid);
    std::ofstream(m_locks + "/LCK.." + tty) << line;
}

std::string CFakeSysfs::AddComLink(int n)
{
    return AddNode("com" + std::to_string(n));
}

void CFakeSysfs::Unplug(const std::string& tty)
{
    std::error_code ignored;
    const fs::path entry = m_sys + "/class/tty/" + tty;
    const fs::path folder = fs::canonical(entry, ignored);
    fs::remove(entry, ignored);
    if (!folder.empty())
        fs::remove_all(folder, ignored);
    fs::remove(m_dev + "/" + tty, ignored);
    for (const auto& link : fs::directory_iterator(m_dev + "/serial/by-id", ignored))
        if (fs::read_symlink(link.path(), ignored).filename() == tty)
            fs::remove(link.path(), ignored);
    if (auto pty = m_ptys.find(tty); pty != m_ptys.end()) {
        close(pty->second.master);
        m_ptys.erase(pty);
    }
}

std::string CFakeSysfs::AddExampleMachine()
{
    AddUsb("ttyUSB0", "1-2", kCp2102);
    AddById("usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0", "ttyUSB0");
    AddUsb("ttyACM0", "1-3", kUno);
    AddById("usb-Arduino__www.arduino.cc__0043_7583335303535-if00", "ttyACM0");
    AddPnpUart(4);
    for (int k = 1; k <= 31; ++k)
        if (k != 4)
            AddPlaceholderUart(k);
    return AddComLink(7);
}
