#include "serial/win32/comm_device.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <string>

#include "serial/win32/comm_api.h"
#include "serial/manual_reset_event.h"

static_assert(sizeof(DCB) == 28, "the engine's record keeps this layout");

namespace {
using Clock = std::chrono::steady_clock;

// Answers that mean the device is no longer there (the adapter was pulled
// out): only closing and opening again can bring it back.
bool IsRemoval(DWORD error)
{
    switch (error) {
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE: return true;
    default: return false;
    }
}

} // namespace

// One overlapped operation with its own event; cancelled says an abort is
// our own doing (CancelIoEx, a purge), not the device's.
struct CCommDevice::SOperation {
    OVERLAPPED overlapped{};
    bool pending = false;
    bool cancelled = false;

    SOperation() { overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~SOperation() { ::CloseHandle(overlapped.hEvent); }
    SOperation(const SOperation&) = delete;
    SOperation& operator=(const SOperation&) = delete;
    LPOVERLAPPED Begin()
    {
        ResetEvent(overlapped.hEvent);
        overlapped.Offset = overlapped.OffsetHigh = 0;
        cancelled = false;
        return &overlapped;
    }
    bool Signalled() const { return WaitForSingleObject(overlapped.hEvent, 0) == WAIT_OBJECT_0; }
};

struct CCommDevice::SState {
    HANDLE port = INVALID_HANDLE_VALUE;
    bool modemLines = true;
    // The system announces received bytes (WaitCommEvent, cbInQue).
    bool commEvents = false;
    // Reads wait for their first byte (a system whose empty reads return at
    // once, without WaitCommEvent).
    bool firstByteTimeouts = false;
    Clock::time_point restUntil{};
    SOperation read, write, event;
    DWORD eventMask = 0;
    // The read's target; taken from while no read is under way.
    std::array<unsigned char, kBlockSize> input{};
    size_t inputNext = 0;
    size_t inputEnd = 0;
    std::array<unsigned char, kBlockSize> output{};
    size_t outputCount = 0;
    // What the pending write sends; the system reads it until it completes.
    std::array<unsigned char, kBlockSize> inFlight{};
};

CCommDevice::CCommDevice() : CCommDevice(CommApi()) {}

CCommDevice::CCommDevice(ICommApi& api) : m_api(api) {}

CCommDevice::~CCommDevice()
{
    Close();
}

bool CCommDevice::Open(const char* name)
{
    Close();
    m_nLastError = 0;
    m_bGone = false;
    auto* s = new SState;
    // The device namespace reaches COM10 and above too.
    const std::string path = std::string("\\\\.\\") + name;
    s->port = m_api.CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (s->port == INVALID_HANDLE_VALUE) {
        m_nLastError = static_cast<int>(GetLastError());
        delete s;
        return false;
    }
    m_state = s;
    SetReadTimeouts(false);
    // A port answers once whether it has modem lines at all (a pty behind
    // Wine has none: a three-wire line with CTS looped back). A later
    // failure is a fault of the port, not "CTS on".
    DWORD lines = 0;
    if (!m_bGone && !m_api.GetCommModemStatus(s->port, &lines)) {
        const DWORD error = GetLastError();
        if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION)
            s->modemLines = false;
        else
            Failed(error);
    }
    // Received bytes are announced where the system can: a pending
    // WaitCommEvent says whether it can.
    if (!m_bGone) {
        if (m_api.SetCommMask(s->port, EV_RXCHAR | EV_CTS)) {
            s->commEvents = true;
            ArmEventWait();
        } else if (const DWORD error = GetLastError(); error != ERROR_NOT_SUPPORTED) {
            Failed(error);
        }
    }
    return true;
}

void CCommDevice::Close()
{
    SState* s = m_state;
    if (!s)
        return;
    m_state = nullptr;
    // What the engine handed over goes out, unless the line holds it.
    if (!m_bGone) {
        m_state = s;
        Flush();
        if (s->write.pending)
            WaitForSingleObject(s->write.overlapped.hEvent, kSettleMs);
        m_state = nullptr;
    }
    SOperation* operations[] = {&s->read, &s->write, &s->event};
    for (SOperation* operation : operations) {
        if (operation->pending && !operation->Signalled()) {
            operation->cancelled = true;
            m_api.CancelIoEx(s->port, &operation->overlapped);
        }
    }
    m_api.CloseHandle(s->port);
    // A device that is gone is not waited for. Should it still own one of
    // the records or buffers, they are left to it rather than freed under it.
    bool abandoned = false;
    for (SOperation* operation : operations) {
        if (operation->pending &&
            WaitForSingleObject(operation->overlapped.hEvent, m_bGone ? 0 : kSettleMs) != WAIT_OBJECT_0)
            abandoned = true;
    }
    if (!abandoned)
        delete s;
}

bool CCommDevice::IsOpen() const
{
    return m_state != nullptr;
}

intptr_t CCommDevice::Id() const
{
    return m_state ? reinterpret_cast<intptr_t>(m_state->port) : -1;
}

bool CCommDevice::HasModemLines() const
{
    return m_state && m_state->modemLines;
}

bool CCommDevice::IsGone() const
{
    return m_bGone.load();
}

void CCommDevice::Failed(unsigned long error, bool ownCancel)
{
    SState& s = *m_state;
    if (error == ERROR_OPERATION_ABORTED) {
        if (ownCancel)
            return;
        // Not our own: a line error while fAbortOnError is on (reading the
        // error state clears it), or the device went away.
        m_nLastError = static_cast<int>(error);
        DWORD errors = 0;
        COMSTAT status{};
        if (!m_api.ClearCommError(s.port, &errors, &status) || errors == 0)
            m_bGone = true;
        return;
    }
    m_nLastError = static_cast<int>(error);
    if (IsRemoval(error))
        m_bGone = true;
}

void CCommDevice::SetReadTimeouts(bool firstByte)
{
    // {MAXDWORD, 0, 0}: a read returns at once with what is there.
    // {MAXDWORD, MAXDWORD, T}: as soon as one byte is there, or after T.
    // Writes have no time-out: one held by CTS stays pending until sent or
    // purged.
    COMMTIMEOUTS timeouts{MAXDWORD, firstByte ? MAXDWORD : 0, firstByte ? kFirstByteWaitMs : 0, 0, 0};
    m_state->firstByteTimeouts = firstByte;
    if (!m_api.SetCommTimeouts(m_state->port, &timeouts))
        Failed(GetLastError());
}

bool CCommDevice::GetState(void* record, size_t size)
{
    DCB state{};
    state.DCBlength = sizeof state;
    if (!m_state || m_bGone || size != sizeof state)
        return false;
    if (!m_api.GetCommState(m_state->port, &state)) {
        Failed(GetLastError());
        return false;
    }
    std::memcpy(record, &state, sizeof state);
    return true;
}

bool CCommDevice::SetState(const void* record, size_t size)
{
    DCB state{};
    if (!m_state || m_bGone || size != sizeof state)
        return false;
    std::memcpy(&state, record, sizeof state);
    state.DCBlength = sizeof state;
    if (!m_api.SetCommState(m_state->port, &state)) {
        Failed(GetLastError());
        return false;
    }
    return true;
}

bool CCommDevice::SetQueues(int inQueue, int outQueue)
{
    if (!m_state || m_bGone)
        return false;
    if (m_api.SetupComm(m_state->port, static_cast<DWORD>(inQueue), static_cast<DWORD>(outQueue)))
        return true;
    Failed(GetLastError());
    return false;
}

bool CCommDevice::SetDtr()
{
    if (!m_state || m_bGone)
        return false;
    if (m_api.EscapeCommFunction(m_state->port, SETDTR))
        return true;
    // A line without modem lines has no DTR to raise.
    if (m_state->modemLines)
        Failed(GetLastError());
    return false;
}

bool CCommDevice::ModemStatus(uint32_t& status)
{
    if (!m_state || m_bGone)
        return false;
    Flush();
    if (!m_state->modemLines) {
        status = MS_CTS_ON;
        return true;
    }
    DWORD lines = 0;
    if (!m_api.GetCommModemStatus(m_state->port, &lines)) {
        Failed(GetLastError());
        return false;
    }
    status = lines;
    return true;
}

void CCommDevice::Purge(uint32_t flags)
{
    if (!m_state || m_bGone)
        return;
    SState& s = *m_state;
    const bool transmit = flags & (PURGE_TXABORT | PURGE_TXCLEAR);
    if (transmit) {
        s.outputCount = 0;
        s.write.cancelled = s.write.pending;
    }
    // The pending read is the device's own, not an operation of the caller's.
    if (!m_api.PurgeComm(s.port, flags & ~static_cast<DWORD>(PURGE_RXABORT)))
        Failed(GetLastError());
    if (transmit && s.write.pending && !m_bGone) {
        // The purge completes the write (aborted); a driver that does not
        // is asked once more, and the write is collected later.
        if (WaitForSingleObject(s.write.overlapped.hEvent, kSettleMs) != WAIT_OBJECT_0)
            m_api.CancelIoEx(s.port, &s.write.overlapped);
        CollectWrite();
    }
    if ((flags & PURGE_RXCLEAR) && !m_bGone) {
        // What the read brought before the purge goes too.
        if (s.read.pending && s.read.Signalled())
            PollRead();
        s.inputNext = s.inputEnd = 0;
    }
}

size_t CCommDevice::Queued() const
{
    return m_state->inputEnd - m_state->inputNext;
}

void CCommDevice::Rest()
{
    m_state->restUntil = Clock::now() + std::chrono::milliseconds(kRestMs);
}

bool CCommDevice::Resting() const
{
    return Clock::now() < m_state->restUntil;
}

void CCommDevice::StartRead()
{
    SState& s = *m_state;
    DWORD count = 0;
    s.inputNext = s.inputEnd = 0;
    if (m_api.ReadFile(s.port, s.input.data(), static_cast<DWORD>(s.input.size()), &count, s.read.Begin())) {
        ReadArrived(count);
        return;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        s.read.pending = true;
        return;
    }
    Failed(error);
    Rest();
}

void CCommDevice::PollRead()
{
    SState& s = *m_state;
    if (!s.read.pending) {
        // The block still holds bytes: no read may start over them.
        if (Queued() == 0 && !Resting() && !m_bGone)
            StartRead();
        return;
    }
    unsigned long count = 0;
    switch (Collect(s.read, count)) {
    case ECollected::Done: ReadArrived(count); break;
    case ECollected::Failed: Rest(); break;
    case ECollected::UnderWay: break;
    }
}

void CCommDevice::ReadArrived(unsigned long count)
{
    SState& s = *m_state;
    if (count != 0) {
        s.inputNext = 0;
        s.inputEnd = count;
        return;
    }
    // An empty read that did not wait for a first byte, done at once or
    // later: without announcements, reads must wait for it. Any other empty
    // read rests the port for a period.
    if (!s.commEvents && !s.firstByteTimeouts)
        SetReadTimeouts(true);
    else
        Rest();
}

void CCommDevice::FetchHeld()
{
    // Reads exactly what the system holds, which returns at once; a system
    // that completes it later is given a moment.
    SState& s = *m_state;
    PollRead();
    if (s.read.pending && WaitForSingleObject(s.read.overlapped.hEvent, kSettleMs) == WAIT_OBJECT_0)
        PollRead();
}

size_t CCommDevice::Waiting()
{
    if (!m_state || m_bGone)
        return 0;
    SState& s = *m_state;
    if (Queued() != 0)
        return Queued();
    if (!s.commEvents) {
        PollRead();
        return Queued();
    }
    if (s.read.pending)
        PollRead();
    if (Queued() != 0)
        return Queued();
    DWORD errors = 0;
    COMSTAT status{};
    if (!m_api.ClearCommError(s.port, &errors, &status)) {
        Failed(GetLastError());
        return 0;
    }
    return status.cbInQue;
}

size_t CCommDevice::Receive(unsigned char* buffer, size_t count)
{
    if (!m_state || m_bGone)
        return 0;
    SState& s = *m_state;
    if (Queued() == 0) {
        if (s.commEvents)
            FetchHeld();
        else
            PollRead();
    }
    const size_t n = std::min(count, Queued());
    std::memcpy(buffer, s.input.data() + s.inputNext, n);
    s.inputNext += n;
    return n;
}

CCommDevice::ECollected CCommDevice::Collect(SOperation& operation, unsigned long& count)
{
    DWORD n = 0;
    if (m_api.GetOverlappedResult(m_state->port, &operation.overlapped, &n, FALSE)) {
        operation.pending = false;
        count = n;
        return ECollected::Done;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_IO_INCOMPLETE)
        return ECollected::UnderWay;
    operation.pending = false;
    Failed(error, operation.cancelled);
    return ECollected::Failed;
}

bool CCommDevice::CollectWrite()
{
    SState& s = *m_state;
    if (!s.write.pending)
        return true;
    // A failed write's bytes are lost, as a failed write loses them.
    unsigned long written = 0;
    return Collect(s.write, written) != ECollected::UnderWay;
}

void CCommDevice::Flush()
{
    if (!m_state || m_bGone)
        return;
    SState& s = *m_state;
    if (!CollectWrite() || s.outputCount == 0 || m_bGone)
        return;
    std::memcpy(s.inFlight.data(), s.output.data(), s.outputCount);
    const DWORD count = static_cast<DWORD>(s.outputCount);
    s.outputCount = 0;
    DWORD written = 0;
    if (m_api.WriteFile(s.port, s.inFlight.data(), count, &written, s.write.Begin()))
        return;
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING)
        s.write.pending = true;
    else
        Failed(error);
}

bool CCommDevice::Queue(unsigned char byte)
{
    if (!m_state || m_bGone)
        return false;
    SState& s = *m_state;
    if (s.outputCount == s.output.size()) {
        // Both buffers full: the line holds the write. Wait for it, boundedly.
        Flush();
        if (s.outputCount == s.output.size() && s.write.pending) {
            WaitForSingleObject(s.write.overlapped.hEvent, kOutputRoomWaitMs);
            Flush();
        }
        if (s.outputCount == s.output.size() || m_bGone)
            return false;
    }
    s.output[s.outputCount++] = byte;
    return true;
}

void CCommDevice::ArmEventWait()
{
    SState& s = *m_state;
    if (s.event.pending || m_bGone)
        return;
    s.eventMask = 0;
    if (m_api.WaitCommEvent(s.port, &s.eventMask, s.event.Begin())) {
        // Something happened already; it is looked at before any wait.
        return;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        s.event.pending = true;
    } else if (error == ERROR_NOT_SUPPORTED) {
        // This port cannot announce: keep a block read pending instead.
        s.commEvents = false;
    } else {
        Failed(error);
        Rest();
    }
}

void CCommDevice::CollectEventWait()
{
    unsigned long unused = 0;
    if (Collect(m_state->event, unused) == ECollected::Failed)
        Rest();
}

int CCommDevice::Wait(CManualResetEvent* const events[2], uint32_t ms, bool portData)
{
    HANDLE handles[5] = {events[0]->Handle(), events[1]->Handle()};
    DWORD count = 2;
    SOperation* watched[3] = {};
    SState* s = m_state && !m_bGone ? m_state : nullptr;
    if (s) {
        Flush();
        if (portData && s->commEvents && !Resting()) {
            ArmEventWait();
            // Bytes that came before the wait was armed are not announced.
            if (Waiting() != 0)
                ms = 0;
        } else if (portData && !s->commEvents) {
            PollRead();
            if (Queued() != 0)
                ms = 0;
        }
        const auto watch = [&](SOperation& operation) {
            watched[count - 2] = &operation;
            handles[count++] = operation.overlapped.hEvent;
        };
        if (portData && s->event.pending)
            watch(s->event);
        if (portData && s->read.pending)
            watch(s->read);
        // When it finishes, what has gathered meanwhile goes out.
        if (s->write.pending && s->outputCount != 0)
            watch(s->write);
    }
    const DWORD result = WaitForMultipleObjects(count, handles, FALSE, ms);
    if (result == WAIT_OBJECT_0 || result == WAIT_OBJECT_0 + 1)
        return static_cast<int>(result - WAIT_OBJECT_0);
    if (s && result >= WAIT_OBJECT_0 + 2 && result < WAIT_OBJECT_0 + count && !m_bGone) {
        SOperation* operation = watched[result - WAIT_OBJECT_0 - 2];
        if (operation == &s->event)
            CollectEventWait();
        else if (operation == &s->read)
            PollRead();
        else
            Flush();
    }
    return -1;
}
