#include "serial/platform_port_driver.h"

#include "serial/posix/posix_port_driver.h"

std::unique_ptr<IPortDriver> MakePlatformPortDriver()
{
    return std::make_unique<CPosixPortDriver>();
}
