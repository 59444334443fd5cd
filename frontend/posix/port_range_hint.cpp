#include "frontend/port_hints.h"

#include "frontend/compose.h"
#include "frontend/port_string_ids.h"
#include "frontend/string_table.h"

// Here only a /dev/comN link gives a number outside 4 to 20 (every other
// port is numbered from 4 to 20): the fix is the link's name.
std::string CPortHints::OutOfRangeLine(const NumberedPort& port)
{
    const std::string description = CPortItemText::Description(port.info);
    const std::string name = description.empty() ? CPortItemText::ShortName(port)
                                                 : Compose(CStringTable::LoadString(IDS_PORT_SHORT),
                                                           {std::to_string(port.number), description});
    return Compose(CStringTable::LoadString(IDS_HINT_OUT_OF_RANGE_LINK), {name, port.info.devicePath});
}
