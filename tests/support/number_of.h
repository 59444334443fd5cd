#pragma once

#include <string>

#include "serial/posix/com_port_numbers.h"

// The COM number given to the device at devicePath; 0 when none is.
inline int NumberOf(const NumberedPorts& numbered, const std::string& devicePath)
{
    for (const NumberedPort& port : numbered.ports)
        if (port.info.devicePath == devicePath)
            return port.number;
    return 0;
}
