#include "frontend/win32/port_item_text.h"

std::vector<std::string> CPortItemText::Items(const std::vector<NumberedPort>& ports)
{
    std::vector<std::string> items;
    for (const NumberedPort& port : ports)
        items.push_back(Item(port));
    return items;
}

std::string CPortItemText::Item(const NumberedPort& port, bool)
{
    return port.friendlyName.empty() ? ShortName(port) : port.friendlyName;
}

std::string CPortItemText::ShortName(const NumberedPort& port)
{
    return "COM" + std::to_string(port.number);
}
