#pragma once

#include "serial/port_list.h"

// The port a list holds under number; null when none.
inline const SerialPortRecord* ListedUnder(const SerialPortList& list, int number)
{
    for (const SerialPortRecord& port : list.ports)
        if (port.number == number)
            return &port;
    return nullptr;
}
