#include "frontend/port_item_text.h"

#include "frontend/compose.h"
#include "frontend/port_string_ids.h"
#include "frontend/shown_path.h"
#include "frontend/string_table.h"

namespace {
std::string Format(int formatId, std::initializer_list<std::string_view> args)
{
    return Compose(CStringTable::LoadString(formatId), args);
}
}  // namespace

std::vector<std::string> CPortItemText::Items(const std::vector<SerialPortRecord>& ports)
{
    std::vector<std::string> items;
    for (const SerialPortRecord& port : ports) {
        const std::string name = Name(port);
        bool alike = false;
        for (const SerialPortRecord& other : ports)
            alike = alike || (&other != &port && !name.empty() && Name(other) == name);
        items.push_back(Item(port, alike));
    }
    return items;
}

std::string CPortItemText::Item(const SerialPortRecord& port, bool withSerial)
{
    if (!port.displayName.empty())
        return port.displayName;
    std::string name = Name(port);
    if (withSerial && !name.empty() && !port.serialNumber.empty())
        name = Format(IDS_PORT_WITH_SERIAL, {name, port.serialNumber});
    const std::string number = std::to_string(port.number);
    if (port.node.empty())
        return name.empty() ? ShortName(port) : Format(IDS_PORT_ITEM_UNNAMED, {number, name});
    return name.empty() ? Format(IDS_PORT_ITEM_UNNAMED, {number, Device(port)})
                        : Format(IDS_PORT_ITEM, {number, name, Device(port)});
}

std::string CPortItemText::ShortName(const SerialPortRecord& port)
{
    if (port.node.empty())
        return "COM" + std::to_string(port.number);
    return Format(IDS_PORT_SHORT, {std::to_string(port.number), Device(port)});
}

std::string CPortItemText::MessageName(const SerialPortRecord& port)
{
    return port.displayName.empty() ? ShortName(port) : port.displayName;
}

std::string CPortItemText::Details(const SerialPortRecord& port)
{
    std::vector<std::string> parts;
    if (!port.manufacturer.empty() && port.manufacturer != port.description)
        parts.push_back(Format(IDS_PORT_MADE_BY, {port.manufacturer}));
    if (!port.serialNumber.empty())
        parts.push_back(Format(IDS_PORT_SERIAL, {port.serialNumber}));
    if (!port.vendorId.empty() && !port.productId.empty())
        parts.push_back(Format(port.kind == ESerialPortKind::Pci ? IDS_PORT_PCI_ID : IDS_PORT_USB_ID,
                               {port.vendorId, port.productId}));
    if (!port.stableName.empty())
        parts.push_back(Format(IDS_PORT_STABLE_NAME, {ShownPath(port.stableName)}));
    if (!port.driverDevice.empty())
        parts.push_back(port.driverDevice);
    std::string details;
    for (const std::string& part : parts)
        details += (details.empty() ? "" : CStringTable::LoadString(IDS_PORT_DETAIL_SEPARATOR)) + part;
    return details;
}

std::string CPortItemText::Description(const SerialPortRecord& port)
{
    return port.displayName.empty() ? Name(port) : port.displayName;
}

std::string CPortItemText::Bare(const SerialPortRecord& port)
{
    if (port.displayName.empty())
        return Name(port);
    const std::string own = " (COM" + std::to_string(port.number) + ")";
    std::string name = port.displayName;
    if (name.size() >= own.size() && name.compare(name.size() - own.size(), own.size(), own) == 0)
        name.resize(name.size() - own.size());
    return name;
}

std::string CPortItemText::Name(const SerialPortRecord& port)
{
    if (!port.description.empty())
        return port.description;
    switch (port.kind) {
    case ESerialPortKind::BuiltIn: return CStringTable::LoadString(IDS_PORT_BUILT_IN);
    case ESerialPortKind::Pci: return CStringTable::LoadString(IDS_PORT_PCI);
    case ESerialPortKind::UsbSerial:
    case ESerialPortKind::UsbAcm:
        if (!port.vendorId.empty() && !port.productId.empty())
            return Format(IDS_PORT_USB_UNNAMED, {port.vendorId, port.productId});
        return CStringTable::LoadString(IDS_PORT_USB);
    default: return {};
    }
}

std::string CPortItemText::Device(const SerialPortRecord& port)
{
    if (!port.linkTarget.empty())
        return Format(IDS_PORT_LINK, {ShownPath(port.node), ShownPath(port.linkTarget)});
    return ShownPath(port.node);
}
