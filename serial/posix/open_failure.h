#pragma once

#include <string>

#include "serial/port_access.h"

// Why the port at path could not be opened or set up, from the error the
// attempt gave: gone, in use, permission (with the node's owner and group)
// or another error. An error of 0 (the cause was not kept) is learnt by
// trying the port once more.
PortAccess DescribeOpenFailure(const std::string& path, int error);
