#include "serial/posix/serial_port_info.h"

std::string SerialPortInfo::DisplayName() const
{
    // Discovery asks the database only when the product says too little.
    if (!databaseModel.empty())
        return databaseVendor.empty() ? databaseModel : databaseVendor + " " + databaseModel;
    if (product.empty())
        return manufacturer;
    if (productIsGeneric && !manufacturer.empty() && product.find(manufacturer) == std::string::npos)
        return manufacturer + " " + product;
    return product;
}

std::string SerialPortInfo::OpenPath() const
{
    if (linkNumber != 0)
        return devicePath;
    return byIdPath.empty() ? devicePath : byIdPath;
}
