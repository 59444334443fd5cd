#include "bench/cts_switch_driver.h"

bool CCtsSwitchDriver::GetCommModemStatus(HANDLE port, uint32_t& status)
{
    const bool read = CPosixPortDriver::GetCommModemStatus(port, status);
    if (m_bCtsOff)
        status &= ~MS_CTS_ON;
    return read;
}
