#pragma once

#include <memory>

#include "serial/port_driver.h"

// The driver for the platform's own serial ports.
std::unique_ptr<IPortDriver> MakePlatformPortDriver();
