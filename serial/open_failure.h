#pragma once

#include <string>

#include "serial/port_access.h"

// Why the port at path (a device node; "COM5" or "\\.\COM5" on Windows)
// could not be opened or set up, from the error the attempt gave (errno;
// GetLastError on Windows): gone, in use, or another error. Only a device
// node tells permission apart, with the node's owner and group: Windows
// refuses a port another program holds as access denied, so there that is
// in use. An error of 0 (the cause was not kept) is learnt by trying the port
// once more.
PortAccess DescribeOpenFailure(const std::string& path, int error);
