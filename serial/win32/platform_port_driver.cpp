#include "serial/platform_port_driver.h"

#include "serial/win32/win32_port_driver.h"

std::unique_ptr<IPortDriver> MakePlatformPortDriver()
{
    return std::make_unique<CWin32PortDriver>();
}
