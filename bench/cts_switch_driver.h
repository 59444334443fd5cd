#pragma once

#include <atomic>

#include "serial/posix/posix_port_driver.h"

// The tty driver with a switch on the CTS line it reports: a pty has no
// modem lines and always reads as CTS on, so a benchmark holds CTS off here.
class CCtsSwitchDriver : public CPosixPortDriver {
public:
    void HoldCtsOff(bool off) { m_bCtsOff = off; }

    bool GetCommModemStatus(HANDLE port, uint32_t& status) override;

private:
    std::atomic<bool> m_bCtsOff{false};
};
