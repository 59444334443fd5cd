#include "serial/win32/win32_port_driver.h"

#include <algorithm>
#include <cstring>
#include <utility>

HANDLE CWin32PortDriver::CreateFile(const char* name)
{
    m_bHungUp = m_bNoModemLines = false;
    m_pPendingRead = nullptr;
    m_nOutput = m_inputNext = m_inputEnd = 0;
    return m_device.Open(name) ? m_device.Id() : INVALID_HANDLE_VALUE;
}

void CWin32PortDriver::CloseHandle(HANDLE)
{
    FlushOutput();
    m_device.Close();
    m_inputNext = m_inputEnd = 0;
}

bool CWin32PortDriver::SetCommTimeouts(HANDLE, const COMMTIMEOUTS& timeouts)
{
    // The device keeps time-outs of its own for the block read; these time
    // the engine's one-byte operations.
    m_timeouts = timeouts;
    return true;
}

bool CWin32PortDriver::SetCommMask(HANDLE, uint32_t mask)
{
    m_eventMask = mask;
    m_device.SetMask(mask);
    return true;
}

bool CWin32PortDriver::GetCommMask(HANDLE, uint32_t& mask)
{
    mask = m_eventMask;
    return true;
}

bool CWin32PortDriver::SetCommState(HANDLE, const DCB& settings)
{
    return m_device.SetState(&settings, sizeof settings);
}

bool CWin32PortDriver::SetupComm(HANDLE, int inQueue, int outQueue)
{
    // A port that cannot size its queues keeps the ones it has.
    m_device.SetQueues(inQueue, outQueue);
    return true;
}

void CWin32PortDriver::PurgeComm(HANDLE, uint32_t flags)
{
    if (flags & PURGE_RXABORT)
        m_pPendingRead = nullptr;
    if (flags & (PURGE_TXABORT | PURGE_TXCLEAR))
        m_nOutput = 0;
    m_device.Purge(flags);
    if (flags & PURGE_RXCLEAR) {
        // What the block read brought before the purge goes too.
        if (m_device.FinishRead(0) > 0)
            m_device.StartRead();
        m_inputNext = m_inputEnd = 0;
    }
}

void CWin32PortDriver::SetDtr(HANDLE)
{
    // A line without DTR simply has none to raise.
    m_device.SetDtr();
}

int CWin32PortDriver::ClearCommError(HANDLE)
{
    m_device.ClearErrors();
    if (Queued() == 0 && !m_bHungUp)
        TakeBlock(0);
    // Counted before the request goes out, its reply cannot slip in ahead of
    // the wait that follows: the wait sees it arrive.
    const int waiting = static_cast<int>(Queued());
    FlushOutput();
    return waiting;
}

bool CWin32PortDriver::GetCommModemStatus(HANDLE, uint32_t& status)
{
    FlushOutput();
    if (!m_bNoModemLines && !m_bHungUp && m_device.ModemStatus(status))
        return true;
    // No modem lines (or none any more): a three-wire line with CTS looped
    // back, so the transmit queue empties instead of waiting for ever.
    m_bNoModemLines = true;
    status = MS_CTS_ON;
    return true;
}

bool CWin32PortDriver::TakeBlock(uint32_t ms)
{
    if (!m_device.StartRead()) {
        m_bHungUp = true;
        return false;
    }
    const int n = m_device.FinishRead(ms);
    if (n < 0) {
        m_bHungUp = true;
        return false;
    }
    if (n > 0) {
        std::memcpy(m_input.data(), m_device.Block(), static_cast<size_t>(n));
        m_inputNext = 0;
        m_inputEnd = static_cast<size_t>(n);
    }
    // Keep a read pending, so the next bytes end the worker's wait.
    if (!m_device.StartRead())
        m_bHungUp = true;
    return true;
}

uint32_t CWin32PortDriver::TakeQueued(unsigned char* buffer, uint32_t count)
{
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(count, Queued()));
    std::memcpy(buffer, m_input.data() + m_inputNext, n);
    m_inputNext += n;
    return n;
}

EIoStart CWin32PortDriver::ReadFile(HANDLE, unsigned char* buffer, uint32_t count, uint32_t& read, OVERLAPPED&)
{
    FlushOutput();
    read = 0;
    if (Queued() == 0 && (m_bHungUp || !TakeBlock(0)))
        return EIoStart::Failed;
    if (Queued() != 0) {
        read = TakeQueued(buffer, count);
        return EIoStart::Done;
    }
    m_pPendingRead = buffer;
    m_nPendingCount = count;
    return EIoStart::Pending;
}

EIoStart CWin32PortDriver::WriteFile(HANDLE, unsigned char byte, OVERLAPPED&)
{
    if (m_bHungUp || !m_device.IsOpen())
        return EIoStart::Failed;
    if (m_nOutput == m_output.size())
        FlushOutput();
    if (m_bHungUp)
        return EIoStart::Failed;
    m_output[m_nOutput++] = byte;
    return EIoStart::Done;
}

void CWin32PortDriver::FlushOutput()
{
    if (m_nOutput == 0 || !m_device.IsOpen())
        return;
    const uint32_t timeout = m_timeouts.WriteTotalTimeoutMultiplier * static_cast<uint32_t>(m_nOutput) +
                             m_timeouts.WriteTotalTimeoutConstant;
    // What is not taken within the time-out is lost, as a timed-out write
    // loses its byte.
    if (m_device.Write(m_output.data(), m_nOutput, timeout) < 0)
        m_bHungUp = true;
    m_nOutput = 0;
}

EIoWait CWin32PortDriver::GetOverlappedResult(HANDLE, OVERLAPPED& overlapped, uint32_t& transferred)
{
    transferred = 0;
    // Only a read goes pending: writes wait in the output queue. It gets the
    // multiplier once (for its first byte) plus the constant.
    unsigned char* target = std::exchange(m_pPendingRead, nullptr);
    if (!target)
        return EIoWait::Failed;
    const uint32_t timeout = m_timeouts.ReadTotalTimeoutMultiplier + m_timeouts.ReadTotalTimeoutConstant;
    if (Queued() == 0 && !TakeBlock(timeout))
        return EIoWait::Failed;
    transferred = TakeQueued(target, m_nPendingCount);
    // Timed out or done: the operation has ended either way.
    if (overlapped.hEvent)
        overlapped.hEvent->Set();
    return EIoWait::Done;
}

int CWin32PortDriver::WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms, bool portData)
{
    FlushOutput();
    const bool watchPort = portData && !m_bHungUp;
    if (watchPort && Queued() == 0)
        TakeBlock(0);
    if (watchPort && Queued() != 0)
        ms = 0;
    const int result = CManualResetEvent::WaitAnyOrHandle(events, watchPort ? m_device.ReadEvent() : nullptr, ms);
    // Bytes at the port end the wait as a time-out; they are taken next.
    return result == 2 ? WAIT_TIMEOUT : result;
}
