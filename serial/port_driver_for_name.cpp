#include "serial/platform_port_driver.h"
#include "serial/rfc2217/network_port_address.h"
#include "serial/rfc2217/rfc2217_port_driver.h"

std::unique_ptr<IPortDriver> MakePortDriverFor(const std::string& name)
{
    if (NetworkPortAddress::IsNetworkName(name))
        return std::make_unique<CRfc2217PortDriver>();
    return MakePlatformPortDriver();
}
