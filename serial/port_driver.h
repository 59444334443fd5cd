#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "serial/dcb.h"
#include "serial/manual_reset_event.h"
#include "serial/port_fault.h"

// Port handle as the engine stores it; INVALID_HANDLE_VALUE while closed.
using HANDLE = intptr_t;
inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;

// The one asynchronous-I/O record used by every read and write on the port.
// The driver signals hEvent when an operation that went pending completes.
struct OVERLAPPED {
    std::unique_ptr<CManualResetEvent> hEvent;
};

// How a read or a one-byte write started: done at once, under way, or failed.
enum class EIoStart { Done, Pending, Failed };
// How waiting for an operation under way ended.
enum class EIoWait { Done, Incomplete, Failed };

inline constexpr uint32_t EV_RXCHAR = 0x01;
inline constexpr uint32_t EV_CTS = 0x08;
inline constexpr uint32_t EV_DSR = 0x10;
inline constexpr uint32_t EV_RLSD = 0x20;
inline constexpr uint32_t PURGE_TXABORT = 1;
inline constexpr uint32_t PURGE_RXABORT = 2;
inline constexpr uint32_t PURGE_TXCLEAR = 4;
inline constexpr uint32_t PURGE_RXCLEAR = 8;
inline constexpr uint32_t MS_CTS_ON = 0x10;
inline constexpr uint32_t MS_DSR_ON = 0x20;
inline constexpr uint32_t MS_RING_ON = 0x40;
inline constexpr uint32_t MS_RLSD_ON = 0x80;
inline constexpr int WAIT_TIMEOUT = 258;

// Per-byte port time-outs, in milliseconds.
struct COMMTIMEOUTS {
    uint32_t ReadIntervalTimeout;
    uint32_t ReadTotalTimeoutMultiplier;
    uint32_t ReadTotalTimeoutConstant;
    uint32_t WriteTotalTimeoutMultiplier;
    uint32_t WriteTotalTimeoutConstant;
};

// The platform's serial operations, as the port engine uses them. The engine
// reaches the port only through this interface, so it runs unchanged over a
// real tty or over a simulated port. One driver serves one open port.
class IPortDriver {
public:
    virtual ~IPortDriver() = default;

    // Opens "COMn" for exclusive read and write with asynchronous I/O.
    virtual HANDLE CreateFile(const char* name) = 0;
    virtual void CloseHandle(HANDLE port) = 0;
    virtual bool SetCommTimeouts(HANDLE port, const COMMTIMEOUTS& timeouts) = 0;
    virtual bool SetCommMask(HANDLE port, uint32_t mask) = 0;
    virtual bool GetCommMask(HANDLE port, uint32_t& mask) = 0;
    virtual bool SetCommState(HANDLE port, const DCB& settings) = 0;
    virtual bool SetupComm(HANDLE port, int inQueue, int outQueue) = 0;
    virtual void PurgeComm(HANDLE port, uint32_t flags) = 0;
    virtual void SetDtr(HANDLE port) = 0;
    // Reads and clears the line's error state; returns the number of
    // received bytes waiting in the driver.
    virtual int ClearCommError(HANDLE port) = 0;
    virtual bool GetCommModemStatus(HANDLE port, uint32_t& status) = 0;
    // Reads up to count bytes at once, as many as the driver holds (at least
    // one); read is how many when it is done at once. One under way fills
    // the buffer when it completes and says how many in transferred.
    virtual EIoStart ReadFile(HANDLE port, unsigned char* buffer, uint32_t count, uint32_t& read,
                              OVERLAPPED& overlapped) = 0;
    virtual EIoStart WriteFile(HANDLE port, unsigned char byte, OVERLAPPED& overlapped) = 0;
    // Waits for the operation under way; transferred is the byte count moved.
    virtual EIoWait GetOverlappedResult(HANDLE port, OVERLAPPED& overlapped, uint32_t& transferred) = 0;
    // Waits up to ms for either event; returns the index of the lowest
    // signalled one, or WAIT_TIMEOUT. With portData the driver may end the
    // wait early, as a time-out, when received bytes wait at the port.
    virtual int WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms, bool portData) = 0;

    // True once the port has failed for good: the adapter was pulled out or
    // the device went away. Every later operation then fails at once, and
    // only closing and opening again can bring the port back. A line error
    // that clears, or a port without modem lines, never sets it.
    virtual bool IsGone() const { return false; }
    // The system's error of the last failed operation (errno, or
    // GetLastError on Windows), 0 when none failed: what names the cause
    // when Open fails or the port is gone.
    virtual int LastError() const { return 0; }
    // The far end itself holds what it is sent while CTS is off (a device
    // server doing hardware flow control): CTS then tells why the device
    // is silent, but sending need not wait for it.
    virtual bool HoldsWhileCtsOff() const { return false; }
    // Why the port could not be opened or was lost, where the system's error
    // alone does not say it (a network port: where to, and why).
    virtual PortFault Fault() const { return {}; }
};
