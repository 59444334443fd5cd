#pragma once

#include <atomic>
#include <cstddef>

#include "serial/posix/posix_port_driver.h"

// The tty driver, counting every byte it hands the engine: a test can tell
// when a reply has wholly reached the host, whether the receive ring kept the
// byte or had to drop it.
class CCountingPortDriver : public CPosixPortDriver {
public:
    EIoStart ReadFile(HANDLE port, unsigned char* buffer, uint32_t count, uint32_t& read,
                      OVERLAPPED& overlapped) override;
    EIoStart WriteFile(HANDLE port, unsigned char byte, OVERLAPPED& overlapped) override;
    EIoWait GetOverlappedResult(HANDLE port, OVERLAPPED& overlapped, uint32_t& transferred) override;
    int ClearCommError(HANDLE port) override;

    // Bytes delivered since the port was opened; safe from any thread.
    size_t Delivered() const { return m_nDelivered; }
    // The adapter is pulled out: the bytes its driver held are lost, and
    // every read and write fails from now on. Safe from any thread.
    void Unplug() { m_bUnplugged = true; }

private:
    std::atomic<size_t> m_nDelivered{0};
    std::atomic<bool> m_bUnplugged{false};
    // The operation under way is a read (only the worker touches this).
    bool m_bReadPending = false;
};
