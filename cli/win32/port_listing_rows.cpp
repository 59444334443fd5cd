#include "cli/port_listing.h"
#include "frontend/port_hints.h"
#include "serial/win32/com_port_list.h"

// Windows keeps the numbers itself: every row is a port there now, named by
// the path that opens it and keyed by the driver's device; a number the
// port dialog does not offer carries how to change it in Device Manager.
std::vector<CPortListing::Row> CPortListing::Rows()
{
    std::vector<Row> rows;
    for (const ComPortEntry& port : ListComPorts())
        rows.push_back({port.number, "\\\\.\\" + port.name, port.friendlyName, port.device, true,
                        CPortHints::Offered(port.number) ? std::string() : CPortHints::OutOfRangeLine(port)});
    return rows;
}
