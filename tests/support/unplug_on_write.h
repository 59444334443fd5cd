#pragma once

#include "tests/support/simulated_port_driver.h"

// Pulls the adapter out as the first byte of the question goes.
class CUnplugOnWrite : public CSimulatedPortDriver {
public:
    EIoStart WriteFile(HANDLE port, unsigned char byte, OVERLAPPED& overlapped) override
    {
        Unplug(1167);
        return CSimulatedPortDriver::WriteFile(port, byte, overlapped);
    }
};
