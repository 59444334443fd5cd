#include "serial/win32/comm_device.h"

#include <windows.h>

#include <cstring>
#include <string>

struct CCommDevice::SState {
    HANDLE port = INVALID_HANDLE_VALUE;
    OVERLAPPED read{};
    OVERLAPPED write{};
    bool reading = false;
    // A read that completed at once or was found done, bytes not yet taken.
    bool readDone = false;
    DWORD readCount = 0;
    // The read time-outs are Windows' wait for the first byte.
    bool waitsForFirstByte = false;
};

namespace {
void SetReadTimeoutsOf(HANDLE port, bool windowsWay)
{
    COMMTIMEOUTS timeouts{MAXDWORD, windowsWay ? MAXDWORD : 0, windowsWay ? MAXDWORD - 1 : 0, 0, 0};
    SetCommTimeouts(port, &timeouts);
}
} // namespace

static_assert(sizeof(DCB) == 28 && sizeof(COMMTIMEOUTS) == 20, "the engine's records keep these layouts");

CCommDevice::CCommDevice() : m_state(new SState)
{
    m_state->read.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_state->write.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

CCommDevice::~CCommDevice()
{
    Close();
    CloseHandle(m_state->read.hEvent);
    CloseHandle(m_state->write.hEvent);
    delete m_state;
}

bool CCommDevice::Open(const char* name)
{
    Close();
    // The device namespace reaches COM10 and above too.
    const std::string path = std::string("\\\\.\\") + name;
    m_state->port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (m_state->port == INVALID_HANDLE_VALUE)
        return false;
    // The block read should wait for its first byte and return with what has
    // come by then; the engine times its replies itself. Wine does that for
    // {MAXDWORD, 0, 0} but not for Windows' own way of asking for it (it then
    // waits for a full block); Windows returns at once for {MAXDWORD, 0, 0},
    // so an empty completion switches to its way. Writes have no system
    // time-out: Write waits for its own.
    m_state->waitsForFirstByte = false;
    SetReadTimeoutsOf(m_state->port, false);
    return true;
}

void CCommDevice::Close()
{
    if (m_state->port == INVALID_HANDLE_VALUE)
        return;
    if (m_state->reading) {
        DWORD n = 0;
        CancelIoEx(m_state->port, &m_state->read);
        GetOverlappedResult(m_state->port, &m_state->read, &n, TRUE);
    }
    m_state->reading = m_state->readDone = false;
    CloseHandle(m_state->port);
    m_state->port = INVALID_HANDLE_VALUE;
}

bool CCommDevice::IsOpen() const
{
    return m_state->port != INVALID_HANDLE_VALUE;
}

intptr_t CCommDevice::Id() const
{
    return reinterpret_cast<intptr_t>(m_state->port);
}

bool CCommDevice::SetState(const void* record, size_t size)
{
    DCB dcb{};
    if (size != sizeof dcb || !GetCommState(m_state->port, &dcb))
        return false;
    std::memcpy(&dcb, record, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    return SetCommState(m_state->port, &dcb);
}

bool CCommDevice::SetQueues(int inQueue, int outQueue)
{
    return SetupComm(m_state->port, static_cast<DWORD>(inQueue), static_cast<DWORD>(outQueue));
}

bool CCommDevice::SetMask(uint32_t mask)
{
    return SetCommMask(m_state->port, mask);
}

bool CCommDevice::SetDtr()
{
    return EscapeCommFunction(m_state->port, SETDTR);
}

bool CCommDevice::ModemStatus(uint32_t& status)
{
    DWORD lines = 0;
    if (!GetCommModemStatus(m_state->port, &lines))
        return false;
    status = lines;
    return true;
}

void CCommDevice::ClearErrors()
{
    DWORD errors = 0;
    ClearCommError(m_state->port, &errors, nullptr);
}

void CCommDevice::Purge(uint32_t flags)
{
    // The block read is this class's own, not an operation of the caller's.
    PurgeComm(m_state->port, flags & ~static_cast<uint32_t>(PURGE_RXABORT));
}

bool CCommDevice::StartRead()
{
    SState& s = *m_state;
    if (s.reading || s.readDone)
        return true;
    ResetEvent(s.read.hEvent);
    s.read.Offset = s.read.OffsetHigh = 0;
    DWORD n = 0;
    if (ReadFile(s.port, m_block.data(), static_cast<DWORD>(m_block.size()), &n, &s.read)) {
        if (n == 0 && !s.waitsForFirstByte) {
            // An empty read that did not wait: this system needs the other
            // time-outs to wait for the first byte.
            s.waitsForFirstByte = true;
            SetReadTimeoutsOf(s.port, true);
            return StartRead();
        }
        s.readDone = true;
        s.readCount = n;
        return true;
    }
    if (GetLastError() == ERROR_IO_PENDING) {
        s.reading = true;
        return true;
    }
    return false;
}

int CCommDevice::FinishRead(uint32_t ms)
{
    SState& s = *m_state;
    if (s.reading) {
        if (WaitForSingleObject(s.read.hEvent, ms) != WAIT_OBJECT_0)
            return 0;
        DWORD n = 0;
        if (!GetOverlappedResult(s.port, &s.read, &n, FALSE)) {
            const DWORD error = GetLastError();
            if (error == ERROR_IO_INCOMPLETE)
                return 0;
            s.reading = false;
            return error == ERROR_OPERATION_ABORTED ? 0 : -1;
        }
        s.reading = false;
        s.readDone = true;
        s.readCount = n;
    }
    if (!s.readDone)
        return 0;
    s.readDone = false;
    return static_cast<int>(s.readCount);
}

void* CCommDevice::ReadEvent() const
{
    return m_state->read.hEvent;
}

int CCommDevice::Write(const unsigned char* data, size_t count, uint32_t ms)
{
    SState& s = *m_state;
    if (count == 0)
        return 0;
    ResetEvent(s.write.hEvent);
    s.write.Offset = s.write.OffsetHigh = 0;
    DWORD n = 0;
    if (WriteFile(s.port, data, static_cast<DWORD>(count), &n, &s.write))
        return static_cast<int>(n);
    if (GetLastError() != ERROR_IO_PENDING)
        return -1;
    if (WaitForSingleObject(s.write.hEvent, ms) != WAIT_OBJECT_0)
        CancelIoEx(s.port, &s.write);
    if (GetOverlappedResult(s.port, &s.write, &n, TRUE))
        return static_cast<int>(n);
    return GetLastError() == ERROR_OPERATION_ABORTED ? static_cast<int>(n) : -1;
}
