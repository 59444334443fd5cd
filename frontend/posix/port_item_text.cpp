#include "frontend/posix/port_item_text.h"

#include <glibmm/convert.h>
#include "frontend/compose.h"

#include "frontend/string_table.h"
#include "frontend/port_string_ids.h"

namespace {
// File names are bytes; what goes on screen must be UTF-8.
std::string Shown(const std::string& path)
{
    return Glib::filename_display_name(path);
}

std::string Compose(int formatId, const std::string& a1)
{
    return ::Compose(CStringTable::LoadString(formatId), {a1});
}

std::string Compose(int formatId, const std::string& a1, const std::string& a2)
{
    return ::Compose(CStringTable::LoadString(formatId), {a1, a2});
}

std::string Compose(int formatId, const std::string& a1, const std::string& a2, const std::string& a3)
{
    return ::Compose(CStringTable::LoadString(formatId), {a1, a2, a3});
}
}  // namespace

std::vector<std::string> CPortItemText::Items(const std::vector<NumberedPort>& ports)
{
    std::vector<std::string> items;
    for (const NumberedPort& port : ports) {
        const std::string name = Name(port.info);
        bool alike = false;
        for (const NumberedPort& other : ports)
            alike = alike || (&other != &port && !name.empty() && Name(other.info) == name);
        items.push_back(Item(port, alike));
    }
    return items;
}

std::string CPortItemText::Item(const NumberedPort& port, bool withSerial)
{
    std::string name = Name(port.info);
    if (withSerial && !name.empty() && !port.info.serialNumber.empty())
        name = Compose(IDS_PORT_WITH_SERIAL, name, port.info.serialNumber);
    const std::string number = std::to_string(port.number);
    return name.empty() ? Compose(IDS_PORT_ITEM_UNNAMED, number, Device(port.info))
                        : Compose(IDS_PORT_ITEM, number, name, Device(port.info));
}

std::string CPortItemText::ShortName(const NumberedPort& port)
{
    return Compose(IDS_PORT_SHORT, std::to_string(port.number), Device(port.info));
}

std::string CPortItemText::Details(const SerialPortInfo& port)
{
    std::vector<std::string> parts;
    if (!port.manufacturer.empty() && port.manufacturer != port.DisplayName())
        parts.push_back(Compose(IDS_PORT_MADE_BY, port.manufacturer));
    if (!port.serialNumber.empty())
        parts.push_back(Compose(IDS_PORT_SERIAL, port.serialNumber));
    if (!port.vendorId.empty() && !port.productId.empty())
        parts.push_back(Compose(port.kind == ESerialPortKind::Pci ? IDS_PORT_PCI_ID : IDS_PORT_USB_ID, port.vendorId,
                                port.productId));
    if (!port.byIdPath.empty())
        parts.push_back(Compose(IDS_PORT_STABLE_NAME, Shown(port.byIdPath)));
    std::string details;
    for (const std::string& part : parts)
        details += (details.empty() ? "" : CStringTable::LoadString(IDS_PORT_DETAIL_SEPARATOR)) + part;
    return details;
}

std::string CPortItemText::Name(const SerialPortInfo& port)
{
    std::string name = port.DisplayName();
    if (!name.empty())
        return name;
    switch (port.kind) {
    case ESerialPortKind::BuiltIn: return CStringTable::LoadString(IDS_PORT_BUILT_IN);
    case ESerialPortKind::Pci: return CStringTable::LoadString(IDS_PORT_PCI);
    case ESerialPortKind::UsbSerial:
    case ESerialPortKind::UsbAcm:
        if (!port.vendorId.empty() && !port.productId.empty())
            return Compose(IDS_PORT_USB_UNNAMED, port.vendorId, port.productId);
        return CStringTable::LoadString(IDS_PORT_USB);
    default: return {};
    }
}

std::string CPortItemText::Device(const SerialPortInfo& port)
{
    if (port.linkNumber != 0 && !port.linkTarget.empty())
        return Compose(IDS_PORT_LINK, Shown(port.devicePath), Shown(port.linkTarget));
    return Shown(port.devicePath);
}
