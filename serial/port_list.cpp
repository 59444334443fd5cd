#include "serial/port_list.h"

namespace {
std::function<SerialPortList()>& Lister()
{
    static std::function<SerialPortList()> lister;
    return lister;
}
}  // namespace

SerialPortList CPortList::List()
{
    return Lister() ? Lister()() : ListSystemPorts();
}

void CPortList::SetLister(std::function<SerialPortList()> lister)
{
    Lister() = std::move(lister);
}
