#pragma once

#include <string>

#include "serial/port_access.h"

// Why the port at path ("COM5", or "\\.\COM5") could not be opened or set
// up, from the error the attempt gave (GetLastError): in use when another
// program holds it, gone when it is no longer there, else the system's
// error. An error of 0 (the cause was not kept) is learnt by trying the port
// once more.
PortAccess DescribeOpenFailure(const std::string& path, int error);
