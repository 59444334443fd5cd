#include "serial/network_ports.h"

std::string CNetworkPorts::AddressOf(int number)
{
    for (const NetworkPortEntry& port : List())
        if (port.number == number)
            return port.address;
    return {};
}
