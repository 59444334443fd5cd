#pragma once

#include <memory>
#include <string>

#include "serial/port_driver.h"

// The driver for the platform's own serial ports.
std::unique_ptr<IPortDriver> MakePlatformPortDriver();
// The driver for a port name: a network port's for "rfc2217://host:port",
// else the platform's own.
std::unique_ptr<IPortDriver> MakePortDriverFor(const std::string& name);
