#include "frontend/port_hints.h"

#include "frontend/compose.h"
#include "frontend/port_string_ids.h"
#include "frontend/string_table.h"

// Windows gives each port its number and Device Manager changes it. The
// port is named as the dialog would name it: "COM3 (USB Serial Port)", the
// friendly name without the "(COM3)" it ends with.
std::string CPortHints::OutOfRangeLine(const NumberedPort& port)
{
    const std::string own = " (" + CPortItemText::ShortName(port) + ")";
    std::string description = port.friendlyName;
    if (description.size() >= own.size() && description.compare(description.size() - own.size(), own.size(), own) == 0)
        description.resize(description.size() - own.size());
    const std::string name = description.empty() ? CPortItemText::ShortName(port)
                                                 : Compose(CStringTable::LoadString(IDS_PORT_SHORT),
                                                           {std::to_string(port.number), description});
    return Compose(CStringTable::LoadString(IDS_HINT_OUT_OF_RANGE_WINDOWS), {name});
}
