#include "protocol/manufacturer_registry.h"

std::string CManufacturerRegistry::DefaultFolder()
{
    return kDebianFolder;
}
