#include "serial/port_list.h"

namespace {
// Set by tests only, before any list is read.
std::function<SerialPortList()> g_lister;
}  // namespace

SerialPortList CPortList::List()
{
    return g_lister ? g_lister() : ListSystemPorts();
}

void CPortList::SetLister(std::function<SerialPortList()> lister)
{
    g_lister = std::move(lister);
}
