#include "tests/win32/windows_serial_model.h"

#include "serial/win32/comm_api.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr ULONG_PTR kPending = 0x103; // STATUS_PENDING in OVERLAPPED::Internal
constexpr auto kLater = std::chrono::milliseconds(2);

enum class EKind { Read, Write, Event };

struct SOperation {
    SOperation(EKind k, LPOVERLAPPED o, unsigned char* t = nullptr, DWORD n = 0)
        : kind(k), overlapped(o), target(t), count(n)
    {
    }
    EKind kind;
    LPOVERLAPPED overlapped;
    unsigned char* target; // read
    DWORD count;           // read: wanted; write: size
    std::string data;                // write
    LPDWORD mask = nullptr;          // event
    bool firstByte = false;          // read returns with its first bytes
    std::optional<Clock::time_point> deadline;
    // Finished already, reported later: the result to report.
    bool decided = false;
    DWORD error = 0;
    DWORD transferred = 0;
};

void Complete(LPOVERLAPPED overlapped, DWORD error, DWORD transferred)
{
    overlapped->Internal = error;
    overlapped->InternalHigh = transferred;
    SetEvent(overlapped->hEvent);
}
} // namespace

struct CWindowsSerialModel::SImpl {
    mutable std::mutex lock;
    std::condition_variable timerWake;
    bool stopping = false;
    std::thread timer;

    int port = 0;
    bool open = false;
    HANDLE handle = reinterpret_cast<HANDLE>(0x5150);
    DCB state{};
    std::optional<DCB> applied;
    int refused = 0;
    COMMTIMEOUTS timeouts{};
    DWORD mask = 0;
    std::deque<unsigned char> input;
    std::string sent;
    DWORD lineErrors = 0;
    bool later = false;
    bool commEvents = true;
    bool modemLines = true;
    bool refuseParity = false;
    bool cts = true;
    std::optional<bool> ctsAfterStatus;
    std::map<ECall, DWORD> failures;
    DWORD removed = 0;
    std::vector<SOperation> pending;
    std::array<std::atomic<unsigned long>, static_cast<size_t>(ECall::Count)> calls{};

    bool Holds() const { return modemLines && !cts && (state.fOutxCtsFlow != 0); }
    bool Aborting() const { return state.fAbortOnError && lineErrors != 0; }

    // The call's common checks; false (with the error set) when it fails.
    bool Admit(ECall call, HANDLE h)
    {
        ++calls[static_cast<size_t>(call)];
        DWORD error = 0;
        if (!open || h != handle)
            error = ERROR_INVALID_HANDLE;
        else if (removed)
            error = removed;
        else if (auto it = failures.find(call); it != failures.end())
            error = it->second;
        if (error)
            SetLastError(error);
        return error == 0;
    }
    BOOL Fail(DWORD error)
    {
        SetLastError(error);
        return FALSE;
    }

    // A read's or write's common checks: an overlapped call, and no line
    // error stopping the port.
    bool AdmitTransfer(ECall call, HANDLE h, LPOVERLAPPED overlapped)
    {
        if (!Admit(call, h))
            return false;
        if (!overlapped)
            return Fail(ERROR_INVALID_PARAMETER);
        if (Aborting())
            return Fail(ERROR_OPERATION_ABORTED);
        return true;
    }

    // Ends pending operations that match, with error.
    template <class Match>
    int EndPending(Match match, DWORD error)
    {
        int ended = 0;
        for (auto it = pending.begin(); it != pending.end();) {
            if (match(*it)) {
                Complete(it->overlapped, error, it->decided ? it->transferred : 0);
                it = pending.erase(it);
                ++ended;
            } else {
                ++it;
            }
        }
        return ended;
    }

    DWORD Take(unsigned char* target, DWORD count)
    {
        const DWORD n = std::min<DWORD>(count, static_cast<DWORD>(input.size()));
        std::copy_n(input.begin(), n, target);
        input.erase(input.begin(), input.begin() + n);
        return n;
    }

    // An operation that finished without waiting: done at once, or (the
    // switch) reported as pending and completed a moment later.
    BOOL Finished(LPOVERLAPPED overlapped, LPDWORD count, DWORD transferred, EKind kind)
    {
        if (!later) {
            if (count)
                *count = transferred;
            Complete(overlapped, 0, transferred);
            return TRUE;
        }
        SOperation op{kind, overlapped};
        op.decided = true;
        op.transferred = transferred;
        op.deadline = Clock::now() + kLater;
        return Pend(op);
    }

    BOOL Pend(SOperation op)
    {
        op.overlapped->Internal = kPending;
        ResetEvent(op.overlapped->hEvent);
        pending.push_back(std::move(op));
        timerWake.notify_all();
        return Fail(ERROR_IO_PENDING);
    }

    void Signal(DWORD events)
    {
        if (!(mask & events))
            return;
        EndPending(
            [&](SOperation& op) {
                if (op.kind != EKind::Event || op.decided)
                    return false;
                *op.mask = mask & events;
                return true;
            },
            0);
    }

    void ServeReads()
    {
        for (auto it = pending.begin(); it != pending.end() && !input.empty();) {
            const bool ready = it->kind == EKind::Read && !it->decided && (it->firstByte || input.size() >= it->count);
            if (!ready) {
                ++it;
                continue;
            }
            const DWORD n = Take(it->target, it->count);
            Complete(it->overlapped, 0, n);
            it = pending.erase(it);
        }
    }

    void ServeWrites()
    {
        // Writes go out in order; the first held one holds the rest.
        for (auto it = pending.begin(); it != pending.end() && !Holds();) {
            if (it->kind != EKind::Write || it->decided) {
                ++it;
                continue;
            }
            sent += it->data;
            Complete(it->overlapped, 0, it->count);
            it = pending.erase(it);
        }
    }

    void SetCtsLocked(bool on)
    {
        if (cts == on)
            return;
        cts = on;
        Signal(EV_CTS);
        ServeWrites();
    }

    void RunTimer()
    {
        std::unique_lock guard(lock);
        while (!stopping) {
            std::optional<Clock::time_point> next;
            const auto now = Clock::now();
            for (auto it = pending.begin(); it != pending.end();) {
                if (!it->deadline || *it->deadline > now) {
                    if (it->deadline && (!next || *it->deadline < *next))
                        next = it->deadline;
                    ++it;
                    continue;
                }
                DWORD n = it->transferred;
                // A read's time-out returns what came; a write's, what went.
                if (!it->decided && it->kind == EKind::Read)
                    n = Take(it->target, it->count);
                Complete(it->overlapped, it->decided ? it->error : 0, n);
                it = pending.erase(it);
            }
            if (next)
                timerWake.wait_until(guard, *next);
            else
                timerWake.wait(guard);
        }
    }
};

class CWindowsSerialModel::CApi final : public ICommApi {
public:
    explicit CApi(SImpl& model) : m(model) {}

    HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                       DWORD flags, HANDLE) override
    {
        std::lock_guard guard(m.lock);
        ++m.calls[static_cast<size_t>(ECall::CreateFileA)];
        const std::string own = "COM" + std::to_string(m.port);
        if (name != own && name != "\\\\.\\" + own) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        if (m.removed) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        // A communications device is opened exclusively, for overlapped I/O
        // (the only kind this model serves).
        if (m.open) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if (share != 0 || disposition != OPEN_EXISTING || !(flags & FILE_FLAG_OVERLAPPED) ||
            access != (GENERIC_READ | GENERIC_WRITE)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        m.open = true;
        m.input.clear();
        m.lineErrors = 0;
        m.mask = 0;
        m.timeouts = {};
        return m.handle;
    }

    BOOL CloseHandle(HANDLE h) override
    {
        std::lock_guard guard(m.lock);
        ++m.calls[static_cast<size_t>(ECall::CloseHandle)];
        if (!m.open || h != m.handle)
            return m.Fail(ERROR_INVALID_HANDLE);
        m.EndPending([](SOperation&) { return true; }, ERROR_OPERATION_ABORTED);
        m.open = false;
        return TRUE;
    }

    BOOL GetCommState(HANDLE h, LPDCB state) override
    {
        std::lock_guard guard(m.lock);
        if (!m.Admit(ECall::GetCommState, h))
            return FALSE;
        *state = m.state;
        state->DCBlength = sizeof(DCB);
        return TRUE;
    }

    BOOL SetCommState(HANDLE h, LPDCB state) override
    {
        std::lock_guard guard(m.lock);
        if (!m.Admit(ECall::SetCommState, h))
            return FALSE;
        const DCB& d = *state;
        const bool valid = d.XonChar != d.XoffChar && d.ByteSize >= 5 && d.ByteSize <= 8 && d.Parity <= SPACEPARITY &&
                           d.StopBits <= TWOSTOPBITS && d.BaudRate != 0 &&
                           !(d.ByteSize == 5 && d.StopBits == TWOSTOPBITS) &&
                           !(d.ByteSize > 5 && d.StopBits == ONE5STOPBITS) &&
                           !(m.refuseParity && d.Parity != NOPARITY);
        if (!valid) {
            ++m.refused;
            return m.Fail(ERROR_INVALID_PARAMETER);
        }
        m.state = d;
        m.applied = d;
        m.ServeWrites();
        return TRUE;
    }

    BOOL SetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS t) override
    {
        std::lock_guard guard(m.lock);
        if (!m.Admit(ECall::SetCommTimeouts, h))
            return FALSE;
        if (t->ReadIntervalTimeout == MAXDWORD && t->ReadTotalTimeoutMultiplier == MAXDWORD &&
            t->ReadTotalTimeoutConstant == MAXDWORD)
            return m.Fail(ERROR_INVALID_PARAMETER);
        m.timeouts = *t;
        return TRUE;
    }

    BOOL SetCommMask(HANDLE h, DWORD mask) override
    {
        std::lock_guard guard(m.lock);
        if (!m.Admit(ECall::SetCommMask, h))
            return FALSE;
        m.mask = mask;
        m.EndPending(
            [](SOperation& op) {
                if (op.kind != EKind::Event)
                    return false;
                *op.mask = 0;
                return true;
            },
            0);
        return TRUE;
    }

    BOOL WaitCommEvent(HANDLE h, LPDWORD mask, LPOVERLAPPED overlapped) override
    {
        std::lock_guard guard(m.lock);
        if (!m.Admit(ECall::WaitCommEvent, h))
            return FALSE;
        if (!m.commEvents)
            return m.Fail(ERROR_NOT_SUPPORTED);
        const bool busy = std::any_of(m.pending.begin(), m.pending.end(),
                                      [](const SOperation& op) { return op.kind == EKind::Event; });
        if (!overlapped || !mask || busy)
            return m.Fail(ERROR_INVALID_PARAMETER);
        SOperation op{EKind::Event, overlapped};
        op.mask = mask;
        return m.Pend(op);
    }

    BOOL ClearCommError(HANDLE h, LPDWORD errors, LPCOMSTAT status) override
    {
        std::lock_guard guard(m.lock);
        if (!m.Admit(ECall::ClearCommError, h))
            return FALSE;
        if (errors)
            *errors = m.lineErrors;
        m.lineErrors = 0;
        if (status) {
            *status = COMSTAT{};
            status->cbInQue = static_cast<DWORD>(m.input.size());
            for (const SOperation& op : m.pending)
                if (op.kind == EKind::Write && !op.decided)
                    status->cbOutQue += op.count;
            status->fCtsHold = m.Holds();
        }
        return TRUE;
    }

    BOOL GetCommModemStatus(HANDLE h, LPDWORD status) override
    {
        std::lock_guard guard(m.lock);
        if (!m.Admit(ECall::GetCommModemStatus, h))
            return FALSE;
        if (!m.modemLines)
            return m.Fail(ERROR_NOT_SUPPORTED);
        *status = (m.cts ? MS_CTS_ON : 0) | MS_DSR_ON;
        if (auto next = std::exchange(m.ctsAfterStatus, std::nullopt))
            m.SetCtsLocked(*next);
        return TRUE;
    }

    BOOL EscapeCommFunction(HANDLE h, DWORD function) override
    {
        std::lock_guard guard(m.lock);
        if (!m.Admit(ECall::EscapeCommFunction, h))
            return FALSE;
        if (!m.modemLines && function != SETBREAK && function != CLRBREAK)
            return m.Fail(ERROR_NOT_SUPPORTED);
        return TRUE;
    }

    BOOL SetupComm(HANDLE h, DWORD inQueue, DWORD outQueue) override
    {
        std::lock_guard guard(m.lock);
        if (!m.Admit(ECall::SetupComm, h))
            return FALSE;
        return inQueue && outQueue ? TRUE : m.Fail(ERROR_INVALID_PARAMETER);
    }

    BOOL PurgeComm(HANDLE h, DWORD flags) override
    {
        std::lock_guard guard(m.lock);
        if (!m.Admit(ECall::PurgeComm, h))
            return FALSE;
        if (flags & ~DWORD{PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR})
            return m.Fail(ERROR_INVALID_PARAMETER);
        const auto kindIs = [](EKind kind) { return [kind](SOperation& op) { return op.kind == kind; }; };
        if (flags & PURGE_TXABORT)
            m.EndPending(kindIs(EKind::Write), ERROR_OPERATION_ABORTED);
        if (flags & PURGE_RXABORT)
            m.EndPending(kindIs(EKind::Read), ERROR_OPERATION_ABORTED);
        if (flags & PURGE_RXCLEAR)
            m.input.clear();
        return TRUE;
    }

    BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) override
    {
        std::lock_guard guard(m.lock);
        if (!m.AdmitTransfer(ECall::ReadFile, h, overlapped))
            return FALSE;
        const COMMTIMEOUTS& t = m.timeouts;
        auto* target = static_cast<unsigned char*>(buffer);
        const bool atOnce = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
                            t.ReadTotalTimeoutConstant == 0;
        const bool firstByte = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD;
        if (count == 0 || atOnce || (firstByte && !m.input.empty()) || m.input.size() >= count)
            return m.Finished(overlapped, read, m.Take(target, count), EKind::Read);
        SOperation op{EKind::Read, overlapped, target, count};
        op.firstByte = firstByte;
        const uint64_t total =
            firstByte ? t.ReadTotalTimeoutConstant : uint64_t{t.ReadTotalTimeoutMultiplier} * count + t.ReadTotalTimeoutConstant;
        if (total != 0)
            op.deadline = Clock::now() + std::chrono::milliseconds(total);
        return m.Pend(op);
    }

    BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) override
    {
        std::lock_guard guard(m.lock);
        if (!m.AdmitTransfer(ECall::WriteFile, h, overlapped))
            return FALSE;
        const std::string data(static_cast<const char*>(buffer), count);
        const bool queued = std::any_of(m.pending.begin(), m.pending.end(),
                                        [](const SOperation& op) { return op.kind == EKind::Write && !op.decided; });
        if (!m.Holds() && !queued) {
            m.sent += data;
            return m.Finished(overlapped, written, count, EKind::Write);
        }
        SOperation op{EKind::Write, overlapped};
        op.count = count;
        op.data = data;
        const uint64_t total =
            uint64_t{m.timeouts.WriteTotalTimeoutMultiplier} * count + m.timeouts.WriteTotalTimeoutConstant;
        if (total != 0)
            op.deadline = Clock::now() + std::chrono::milliseconds(total);
        return m.Pend(op);
    }

    BOOL GetOverlappedResult(HANDLE h, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) override
    {
        std::unique_lock guard(m.lock);
        ++m.calls[static_cast<size_t>(ECall::GetOverlappedResult)];
        if (h != m.handle)
            return m.Fail(ERROR_INVALID_HANDLE);
        if (overlapped->Internal == kPending ||
            std::any_of(m.pending.begin(), m.pending.end(),
                        [&](const SOperation& op) { return op.overlapped == overlapped; })) {
            if (!wait)
                return m.Fail(ERROR_IO_INCOMPLETE);
            guard.unlock();
            WaitForSingleObject(overlapped->hEvent, INFINITE);
            guard.lock();
        }
        *transferred = static_cast<DWORD>(overlapped->InternalHigh);
        if (overlapped->Internal != 0)
            return m.Fail(static_cast<DWORD>(overlapped->Internal));
        return TRUE;
    }

    BOOL CancelIoEx(HANDLE h, LPOVERLAPPED overlapped) override
    {
        std::lock_guard guard(m.lock);
        ++m.calls[static_cast<size_t>(ECall::CancelIoEx)];
        if (!m.open || h != m.handle)
            return m.Fail(ERROR_INVALID_HANDLE);
        const int ended = m.EndPending(
            [&](SOperation& op) { return !overlapped || op.overlapped == overlapped; }, ERROR_OPERATION_ABORTED);
        return ended ? TRUE : m.Fail(ERROR_NOT_FOUND);
    }

private:
    SImpl& m;
};

CWindowsSerialModel::CWindowsSerialModel(int port) : m_impl(std::make_unique<SImpl>())
{
    m_impl->port = port;
    // A port as the system first sets it up: 9600 8N1, binary.
    DCB& d = m_impl->state;
    d.DCBlength = sizeof d;
    d.BaudRate = CBR_9600;
    d.fBinary = 1;
    d.ByteSize = 8;
    d.XonChar = 0x11;
    d.XoffChar = 0x13;
    m_api = std::make_unique<CApi>(*m_impl);
    m_impl->timer = std::thread([impl = m_impl.get()] { impl->RunTimer(); });
}

CWindowsSerialModel::~CWindowsSerialModel()
{
    {
        std::lock_guard guard(m_impl->lock);
        m_impl->stopping = true;
    }
    m_impl->timerWake.notify_all();
    m_impl->timer.join();
}

ICommApi& CWindowsSerialModel::Api()
{
    return *m_api;
}

void CWindowsSerialModel::SetOwnRecord(const void* record, size_t size)
{
    std::lock_guard guard(m_impl->lock);
    std::memcpy(&m_impl->state, record, std::min(size, sizeof(DCB)));
}

bool CWindowsSerialModel::AppliedRecord(void* record, size_t size) const
{
    std::lock_guard guard(m_impl->lock);
    if (!m_impl->applied || size != sizeof(DCB))
        return false;
    std::memcpy(record, &*m_impl->applied, size);
    return true;
}

int CWindowsSerialModel::RefusedStates() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->refused;
}

void CWindowsSerialModel::CompleteLater(bool later)
{
    std::lock_guard guard(m_impl->lock);
    m_impl->later = later;
}

void CWindowsSerialModel::SupportCommEvents(bool supported)
{
    std::lock_guard guard(m_impl->lock);
    m_impl->commEvents = supported;
}

void CWindowsSerialModel::SetModemLines(bool present)
{
    std::lock_guard guard(m_impl->lock);
    m_impl->modemLines = present;
    m_impl->ServeWrites();
}

void CWindowsSerialModel::RefuseParity(bool refuse)
{
    std::lock_guard guard(m_impl->lock);
    m_impl->refuseParity = refuse;
}

void CWindowsSerialModel::SetCts(bool on)
{
    std::lock_guard guard(m_impl->lock);
    m_impl->SetCtsLocked(on);
}

void CWindowsSerialModel::FlipCtsAfterNextStatus(bool on)
{
    std::lock_guard guard(m_impl->lock);
    m_impl->ctsAfterStatus = on;
}

void CWindowsSerialModel::FailCall(ECall call, unsigned long error)
{
    std::lock_guard guard(m_impl->lock);
    m_impl->failures[call] = error;
}

void CWindowsSerialModel::Remove(unsigned long error)
{
    std::lock_guard guard(m_impl->lock);
    m_impl->removed = error;
    m_impl->EndPending([](SOperation&) { return true; }, error);
}

void CWindowsSerialModel::Arrive(const std::string& bytes)
{
    std::lock_guard guard(m_impl->lock);
    SImpl& m = *m_impl;
    if (!m.open || m.removed)
        return;
    for (char c : bytes)
        if (c != 0 || !m.state.fNull)
            m.input.push_back(static_cast<unsigned char>(c));
    m.ServeReads();
    m.Signal(EV_RXCHAR);
}

void CWindowsSerialModel::LineError()
{
    std::lock_guard guard(m_impl->lock);
    SImpl& m = *m_impl;
    m.lineErrors |= CE_FRAME;
    if (m.state.fAbortOnError)
        m.EndPending([](SOperation& op) { return op.kind != EKind::Event; }, ERROR_OPERATION_ABORTED);
    m.Signal(EV_ERR);
}

std::string CWindowsSerialModel::Sent() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->sent;
}

bool CWindowsSerialModel::WriteHeld() const
{
    std::lock_guard guard(m_impl->lock);
    return std::any_of(m_impl->pending.begin(), m_impl->pending.end(),
                       [](const SOperation& op) { return op.kind == EKind::Write && !op.decided; });
}

bool CWindowsSerialModel::IsOpen() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->open;
}

unsigned long CWindowsSerialModel::Calls() const
{
    unsigned long total = 0;
    for (const auto& count : m_impl->calls)
        total += count.load();
    return total;
}

unsigned long CWindowsSerialModel::Calls(ECall call) const
{
    return m_impl->calls[static_cast<size_t>(call)].load();
}
