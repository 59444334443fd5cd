#include "tests/support/simulated_port_driver.h"

#include <cstdio>

CSimulatedPortDriver::CSimulatedPortDriver() = default;

void CSimulatedPortDriver::Arrive(const std::string& bytes)
{
    std::lock_guard lock(m_lock);
    m_input.insert(m_input.end(), bytes.begin(), bytes.end());
    if (!m_input.empty())
        m_inputWaiting.Set();
}

void CSimulatedPortDriver::Unplug(int error)
{
    std::lock_guard lock(m_lock);
    m_input.clear();
    m_nLastError = error;
    m_bGone = true;
    m_inputWaiting.Set();
}

bool CSimulatedPortDriver::Gone()
{
    return m_bGone.load();
}

int CSimulatedPortDriver::CreateFileCalls() const
{
    std::lock_guard lock(m_lock);
    int calls = 0;
    for (const std::string& call : m_calls)
        calls += call.rfind("CreateFile ", 0) == 0;
    return calls;
}

void CSimulatedPortDriver::LoseInput()
{
    std::lock_guard lock(m_lock);
    m_input.clear();
    m_inputWaiting.Reset();
}

std::string CSimulatedPortDriver::Written() const
{
    std::lock_guard lock(m_lock);
    return m_written;
}

int CSimulatedPortDriver::WriteCalls() const
{
    std::lock_guard lock(m_lock);
    return m_nWriteCalls;
}

size_t CSimulatedPortDriver::InputWaiting() const
{
    std::lock_guard lock(m_lock);
    return m_input.size();
}

std::vector<std::string> CSimulatedPortDriver::Calls() const
{
    std::lock_guard lock(m_lock);
    return m_calls;
}

void CSimulatedPortDriver::FailNextWrites(int n)
{
    std::lock_guard lock(m_lock);
    m_writeScript.failures = n;
}

void CSimulatedPortDriver::FailNextReads(int n)
{
    std::lock_guard lock(m_lock);
    m_readScript.failures = n;
}

void CSimulatedPortDriver::PendNextWrites(int n, int incomplete, bool failAtEnd)
{
    std::lock_guard lock(m_lock);
    m_writeScript.pending = n;
    m_writeScript.incomplete = incomplete;
    m_writeScript.failAtEnd = failAtEnd;
}

void CSimulatedPortDriver::PendNextReads(int n, int incomplete, bool failAtEnd)
{
    std::lock_guard lock(m_lock);
    m_readScript.pending = n;
    m_readScript.incomplete = incomplete;
    m_readScript.failAtEnd = failAtEnd;
}

void CSimulatedPortDriver::Log(std::string call)
{
    std::lock_guard lock(m_lock);
    m_calls.push_back(std::move(call));
}

HANDLE CSimulatedPortDriver::CreateFile(const char* name)
{
    Log(std::string("CreateFile ") + name);
    if (m_bFailCreate) {
        m_nLastError = m_nCreateError.load();
        return INVALID_HANDLE_VALUE;
    }
    // Plugged in again: a new open is the way back.
    if (m_bGone.exchange(false)) {
        std::lock_guard lock(m_lock);
        m_inputWaiting.Reset();
    }
    m_nLastError = 0;
    return kHandle;
}

void CSimulatedPortDriver::CloseHandle(HANDLE)
{
    Log("CloseHandle");
}

bool CSimulatedPortDriver::SetCommTimeouts(HANDLE, const COMMTIMEOUTS& t)
{
    char text[96];
    std::snprintf(text, sizeof text, "SetCommTimeouts %u %u %u %u %u", t.ReadIntervalTimeout,
                  t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                  t.WriteTotalTimeoutConstant);
    Log(text);
    return !m_bFailTimeouts;
}

bool CSimulatedPortDriver::SetCommMask(HANDLE, uint32_t mask)
{
    Log("SetCommMask " + std::to_string(mask));
    std::lock_guard lock(m_lock);
    m_mask = mask;
    return true;
}

bool CSimulatedPortDriver::GetCommMask(HANDLE, uint32_t& mask)
{
    std::lock_guard lock(m_lock);
    mask = m_mask;
    return !m_bFailGetMask && !Gone();
}

bool CSimulatedPortDriver::SetCommState(HANDLE, const DCB& settings)
{
    Log("SetCommState " + std::to_string(settings.BaudRate));
    if (const int error = m_nSettingsError.load()) {
        m_nLastError = error;
        return false;
    }
    return !Gone();
}

bool CSimulatedPortDriver::SetupComm(HANDLE, int in, int out)
{
    Log("SetupComm " + std::to_string(in) + " " + std::to_string(out));
    return true;
}

void CSimulatedPortDriver::PurgeComm(HANDLE, uint32_t flags)
{
    Log("PurgeComm " + std::to_string(flags));
}

void CSimulatedPortDriver::SetDtr(HANDLE)
{
    Log("SetDtr");
}

int CSimulatedPortDriver::ClearCommError(HANDLE)
{
    std::lock_guard lock(m_lock);
    return static_cast<int>(m_input.size());
}

bool CSimulatedPortDriver::GetCommModemStatus(HANDLE, uint32_t& status)
{
    status = m_bCts ? MS_CTS_ON : 0;
    ++m_nModemStatusReads;
    return !Gone();
}

EIoStart CSimulatedPortDriver::Start(Script& script, EOp op)
{
    if (script.failures > 0) {
        --script.failures;
        return EIoStart::Failed;
    }
    if (script.pending > 0) {
        --script.pending;
        m_pendingOp = op;
        m_nIncompleteLeft = script.incomplete;
        m_bPendingFails = script.failAtEnd;
        return EIoStart::Pending;
    }
    return EIoStart::Done;
}

void CSimulatedPortDriver::LoseInputByte()
{
    if (!m_input.empty())
        m_input.pop_front();
    if (m_input.empty())
        m_inputWaiting.Reset();
}

uint32_t CSimulatedPortDriver::TakeInput(unsigned char* buffer, uint32_t count)
{
    uint32_t n = 0;
    for (; n < count && !m_input.empty(); ++n) {
        buffer[n] = m_input.front();
        m_input.pop_front();
    }
    if (m_input.empty())
        m_inputWaiting.Reset();
    return n;
}

EIoStart CSimulatedPortDriver::ReadFile(HANDLE, unsigned char* buffer, uint32_t count, uint32_t& read, OVERLAPPED&)
{
    std::lock_guard lock(m_lock);
    ++m_nReadCalls;
    read = 0;
    if (Gone())
        return EIoStart::Failed;
    EIoStart started = Start(m_readScript, EOp::Read);
    if (started == EIoStart::Failed)
        LoseInputByte();
    if (started == EIoStart::Pending) {
        m_pPendingRead = buffer;
        m_nPendingCount = count;
    }
    if (started != EIoStart::Done)
        return started;
    if (m_input.empty()) {
        // Nothing queued: the read goes pending and times out empty.
        m_pendingOp = EOp::Read;
        m_pPendingRead = buffer;
        m_nPendingCount = count;
        m_nIncompleteLeft = 0;
        m_bPendingFails = false;
        return EIoStart::Pending;
    }
    read = TakeInput(buffer, count);
    return EIoStart::Done;
}

EIoStart CSimulatedPortDriver::WriteFile(HANDLE, unsigned char byte, OVERLAPPED&)
{
    std::lock_guard lock(m_lock);
    ++m_nWriteCalls;
    if (Gone())
        return EIoStart::Failed;
    EIoStart started = Start(m_writeScript, EOp::Write);
    if (started == EIoStart::Pending)
        m_pendingWrite = byte;
    if (started == EIoStart::Done)
        m_written.push_back(static_cast<char>(byte));
    return started;
}

EIoWait CSimulatedPortDriver::GetOverlappedResult(HANDLE, OVERLAPPED& overlapped, uint32_t& transferred)
{
    std::lock_guard lock(m_lock);
    transferred = 0;
    if (m_pendingOp == EOp::None || Gone()) {
        m_pendingOp = EOp::None;
        return EIoWait::Failed;
    }
    if (m_nIncompleteLeft > 0) {
        --m_nIncompleteLeft;
        return EIoWait::Incomplete;
    }
    const EOp op = m_pendingOp;
    m_pendingOp = EOp::None;
    if (m_bPendingFails) {
        if (op == EOp::Read)
            LoseInputByte();
        return EIoWait::Failed;
    }
    if (op == EOp::Write) {
        m_written.push_back(static_cast<char>(m_pendingWrite));
        transferred = 1;
    } else {
        transferred = TakeInput(m_pPendingRead, m_nPendingCount);
    }
    overlapped.hEvent->Set();
    return EIoWait::Done;
}

int CSimulatedPortDriver::WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms, bool portData)
{
    ++m_nWaits;
    uint32_t longest = m_nLongestWaitMs;
    while (ms > longest && !m_nLongestWaitMs.compare_exchange_weak(longest, ms)) {
    }
    const int result = CManualResetEvent::WaitAny(events, portData ? &m_inputWaiting : nullptr, ms);
    if (result == WAIT_TIMEOUT)
        ++m_nTimedOutWaits;
    // Waiting input ends the wait as a time-out.
    return result == 2 ? WAIT_TIMEOUT : result;
}
