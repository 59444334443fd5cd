#include <algorithm>

#include "cli/port_listing.h"
#include "frontend/port_hints.h"
#include "frontend/posix/port_item_text.h"
#include "serial/posix/com_port_resolver.h"

namespace {
std::string Source(const SerialPortInfo& port)
{
    if (port.linkNumber != 0)
        return "link " + port.devicePath;
    if (port.uartIndex >= 0 && port.uartIndex + 1 >= CComPortNumbers::kFirst &&
        port.uartIndex + 1 <= CComPortNumbers::kLast)
        return "UART " + port.kernelName;
    return CComPortNumbers::Key(port);
}
}  // namespace

std::vector<CPortListing::Row> CPortListing::Rows()
{
    std::vector<Row> rows;
    const NumberedPorts found = CComPortResolver::ListPorts();
    for (const NumberedPort& port : found.ports)
        rows.push_back({port.number, port.info.devicePath, CPortItemText::Description(port.info), Source(port.info),
                        true, {}});
    // A link outside 4 to 20: apctl reaches it, the dialog does not offer it.
    for (const NumberedPort& port : found.outOfRange)
        rows.push_back({port.number, port.info.devicePath, CPortItemText::Description(port.info), Source(port.info),
                        true, CPortHints::OutOfRangeLine(port)});
    for (const ComNumberEntry& kept : CComPortResolver::KeptNumbers())
        if (std::none_of(rows.begin(), rows.end(), [&](const Row& row) { return row.number == kept.number; }))
            rows.push_back({kept.number, kept.device, kept.description, kept.key, false, {}});
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.number < b.number; });
    return rows;
}
