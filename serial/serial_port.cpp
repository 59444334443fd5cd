#include "serial/serial_port.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "serial/platform_port_driver.h"
#include "serial/port_list.h"
#include "serial/reply_readers.h"
#include "serial/reply_wait_hook.h"
#include "serial/tick_count.h"

CSerialPort::CSerialPort() : CSerialPort(nullptr) {}

CSerialPort::CSerialPort(std::unique_ptr<IPortDriver> driver)
    : m_hPort(INVALID_HANDLE_VALUE), m_waitHandles{nullptr, nullptr}, m_pDriver(std::move(driver)),
      m_bDriverByName(!m_pDriver)
{
    if (!m_pDriver)
        m_pDriver = MakePortDriverFor({});
}

CSerialPort::~CSerialPort()
{
    // Owners close first; one that did not must not leave a worker running
    // on a freed object.
    CSerialPort::Close();
}

void CSerialPort::ResetOrCreate(std::unique_ptr<CManualResetEvent>& event)
{
    if (event)
        event->Reset();
    else
        event = std::make_unique<CManualResetEvent>();
}

bool CSerialPort::Open(int nPort, const DCB* pSettings)
{
    char name[16];
    std::snprintf(name, sizeof name, "COM%d", nPort);
    // A network port listed under the number is reached at its address;
    // messages still name it by its number.
    const std::string address = m_bDriverByName ? CPortList::NetworkAddressOf(nPort) : std::string();
    if (address.empty())
        return OpenNamed(name, pSettings);
    const bool opened = OpenNamed(address, pSettings);
    m_strOpened = name;
    return opened;
}

bool CSerialPort::OpenNamed(const std::string& portName, const DCB* pSettings)
{
    // A running worker waits on the events: resetting them under it could
    // swallow a pending transmit request. Refuse before touching anything.
    if (m_hThread.joinable())
        return FailOpen(EOpenFailure::NoStorage, 0);
    m_eOpenFailure = EOpenFailure::None;
    m_nOpenError = 0;
    m_bGone = false;
    m_bCtsSeenOn = false;
    m_bCtsSeenOff = false;
    ResetOrCreate(m_overlapped.hEvent);
    ResetOrCreate(m_hTransmitEvent);
    ResetOrCreate(m_hStopEvent);
    m_waitHandles[0] = m_hStopEvent.get();
    m_waitHandles[1] = m_hTransmitEvent.get();

    // A ring that already holds storage refuses: a second Open fails here and
    // leaves the running port alone.
    if (!m_transmitRing.Allocate(kRingCapacity) || !m_receiveRing.Allocate(kRingCapacity))
        return FailOpen(EOpenFailure::NoStorage, 0);

    if (m_hPort != INVALID_HANDLE_VALUE)
        m_pDriver->CloseHandle(m_hPort);
    m_hPort = INVALID_HANDLE_VALUE;
    if (m_bDriverByName)
        m_pDriver = MakePortDriverFor(portName);
    m_strOpened = portName;
    m_hPort = m_pDriver->CreateFile(portName.c_str());
    if (m_hPort == INVALID_HANDLE_VALUE)
        return FailOpen(EOpenFailure::CannotOpen, m_pDriver->LastError());

    const COMMTIMEOUTS timeouts{kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs};
    if (m_pDriver->SetCommTimeouts(m_hPort, timeouts) && m_pDriver->SetCommMask(m_hPort, kEventMask)) {
        // A port left at other settings would garble every byte, and the
        // device would seem not to answer: better said as it is.
        if (!m_pDriver->SetCommState(m_hPort, *pSettings)) {
            const int error = m_pDriver->LastError();
            m_pDriver->CloseHandle(m_hPort);
            m_hPort = INVALID_HANDLE_VALUE;
            return FailOpen(EOpenFailure::SettingsRefused, error);
        }
        m_pDriver->SetupComm(m_hPort, kDriverQueueSize, kDriverQueueSize);
    }
    m_pDriver->PurgeComm(m_hPort, kPurgeAll);

    try {
        m_hThread = std::thread(WorkerThread, this);
    } catch (const std::system_error& error) {
        return FailOpen(EOpenFailure::NoWorker, error.code().value());
    }
    m_pDriver->SetDtr(m_hPort);
    return true;
}

bool CSerialPort::FailOpen(EOpenFailure failure, int error)
{
    m_eOpenFailure = failure;
    m_nOpenError = error;
    return false;
}

std::string CSerialPort::Name() const
{
    return m_strName.empty() ? m_strOpened : m_strName;
}

void CSerialPort::EndGone(CSerialPort* pThis)
{
    // Bytes the driver took from the line before it went are still part of
    // a reply; what does not fit is lost with the port: nobody waits for it.
    if (ReceiveRingHasRoom(pThis))
        MoveReceivedToRing(pThis);
    pThis->m_nReceiveHeldBack = 0;
    pThis->m_bGone = true;
    pThis->m_receiveSignal.Signal();
    pThis->m_transmitRoom.Signal();
    pThis->m_purgeDone.Signal();
}

void CSerialPort::Close()
{
    // A worker that found the port gone has ended already: the join below
    // does not wait.
    if (m_hPort != INVALID_HANDLE_VALUE) {
        m_hStopEvent->Set();
        if (m_hThread.joinable())
            m_hThread.join();
        m_pDriver->CloseHandle(m_hPort);
        m_hPort = INVALID_HANDLE_VALUE;
    }
    m_overlapped.hEvent.reset();
    m_hTransmitEvent.reset();
    m_hStopEvent.reset();
    m_waitHandles[0] = m_waitHandles[1] = nullptr;
    m_transmitRing.Free();
    m_receiveRing.Free();
    m_nReceiveHeldBack = 0;
    m_nStalledAtLook.reset();
}

void CSerialPort::Write(const void* pData, int nCount)
{
    const auto* bytes = static_cast<const unsigned char*>(pData);
    for (int done = 0;;) {
        {
            std::lock_guard lock(m_csTransmit);
            done += m_transmitRing.PushMany(bytes + done, nCount - done);
        }
        if (done >= nCount)
            break;
        // Nobody frees space without a running worker: drop the rest rather
        // than wait (an Open that failed).
        if (!m_hThread.joinable())
            return;
        // Wake the worker so a write longer than the free space drains.
        m_hTransmitEvent->Set();
        AwaitTransmitRoom(ReplyTimeout());
    }
    if (m_hTransmitEvent)
        m_hTransmitEvent->Set();
}

void CSerialPort::AwaitTransmitRoom(int ms)
{
    const uint32_t start = CTickCount::Now();
    const uint32_t limit = static_cast<uint32_t>(ms);
    const auto room = [this] { return m_transmitRing.GetCount() < m_transmitRing.GetCapacity(); };
    // As a timed read: the time test first, then sleep in slices. A port
    // that is gone frees no room: nothing to wait for.
    for (;;) {
        const uint32_t passed = CTickCount::Now() - start;
        if (passed > limit)
            throw kReadTimeoutCode;
        const bool gone = m_bGone.load();
        if (room())
            return;
        if (gone)
            throw kReadTimeoutCode;
        RunReplyWaitHook();
        const uint64_t left = uint64_t{limit} - passed + 1;
        m_transmitRoom.SleepUnless([this, &room] { return room() || m_bGone.load(); },
                                   static_cast<uint32_t>(std::min<uint64_t>(left, m_nReadSliceMs)));
    }
}

void CSerialPort::PurgeTransmit()
{
    {
        std::lock_guard lock(m_csTransmit);
        unsigned char sink[256];
        while (m_transmitRing.PopMany(sink, sizeof sink) != 0) {
        }
    }
    // A worker that found the port gone serves no purge: nothing goes out.
    if (!m_hThread.joinable() || m_bGone.load())
        return;
    const unsigned asked = ++m_nPurgesAsked;
    m_hTransmitEvent->Set();
    const auto purged = [this, asked] {
        return static_cast<int>(m_nPurgesDone.load() - asked) >= 0 || m_bGone.load();
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWorkerWaitMs);
    while (!purged() && std::chrono::steady_clock::now() < deadline)
        m_purgeDone.SleepUnless(purged, kReadSliceMs);
}

void CSerialPort::ServePurge(CSerialPort* pThis)
{
    const unsigned asked = pThis->m_nPurgesAsked.load();
    if (asked == pThis->m_nPurgesDone.load())
        return;
    pThis->m_pDriver->PurgeComm(pThis->m_hPort, PURGE_TXABORT | PURGE_TXCLEAR);
    pThis->m_nPurgesDone = asked;
    pThis->m_purgeDone.Signal();
}

void CSerialPort::WriteString(const char* pszText)
{
    Write(pszText, static_cast<int>(std::strlen(pszText)));
}

void CSerialPort::WriteByte(char byte)
{
    Write(&byte, 1);
}

char CSerialPort::ReadByteTimeout(int ms)
{
    const uint32_t start = CTickCount::Now();
    if (m_receiveRing.GetCount() == 0) {
        const uint32_t limit = static_cast<uint32_t>(ms);
        const int spin = m_bQuickReplies ? kReadLongSpinPasses : kReadSpinPasses;
        const auto waitStart = std::chrono::steady_clock::now();
        // The time test comes first: a byte arriving in the pass in which the
        // time runs out does not prevent the throw.
        for (int pass = 0;; ++pass) {
            const uint32_t passed = CTickCount::Now() - start;
            if (passed > limit)
                throw kReadTimeoutCode;
            // Read before the ring: the worker pushes what it received
            // before it says the port is gone, so those bytes are still read.
            const bool gone = m_bGone.load();
            if (m_receiveRing.GetCount() != 0)
                break;
            if (gone)
                throw kReadTimeoutCode;
            // Past the spin, sleep until the worker pushes a byte or the time
            // may have run out (its first late millisecond), in slices, and
            // test the time again.
            if (pass >= spin) {
                RunReplyWaitHook();
                AwaitReceived(static_cast<uint32_t>(std::min<uint64_t>(uint64_t{limit} - passed + 1, m_nReadSliceMs)));
            }
        }
        // A read that throws leaves the spin as it was: it cannot tell.
        m_bQuickReplies = std::chrono::steady_clock::now() - waitStart < kQuickReply;
    }
    return ReadByte();
}

void CSerialPort::ReadBytesTimeout(char* buffer, int n, int ms)
{
    for (int i = 0; i < n;) {
        const int before = m_receiveRing.GetCount();
        if (before == 0) {
            buffer[i++] = ReadByteTimeout(ms);
            continue;
        }
        // What is there already meets its time-out at once.
        i += m_receiveRing.PopMany(reinterpret_cast<unsigned char*>(buffer + i), n - i);
        AfterTaking(before, m_receiveRing.GetCount());
    }
}

void CSerialPort::AfterTaking(int before, int left)
{
    // Also when the worker waits without watching the port (the ring was
    // full with nothing left in the driver): bytes may have come since.
    // Waking it as for a write is harmless when nothing is queued.
    if (before > RefillLevel() && left <= RefillLevel() && (m_nReceiveHeldBack.load() != 0 || m_bPortUnwatched.load()) &&
        m_hTransmitEvent)
        m_hTransmitEvent->Set();
}

void CSerialPort::AwaitReceived(uint32_t ms)
{
    m_receiveSignal.SleepUnless([this] { return m_receiveRing.GetCount() != 0 || m_bGone.load(); }, ms);
}

char CSerialPort::ReadByte()
{
    if (m_receiveRing.GetCount() == 0 && m_nReceiveHeldBack.load() != 0)
        AwaitHeldBack();
    // No lock: the reader is the ring's only consumer and the worker its
    // only producer, which the ring allows to run at the same time.
    const int before = m_receiveRing.GetCount();
    const unsigned char byte = m_receiveRing.Pop();
    // A worker holding bytes back waits until the ring is down to the refill
    // level.
    AfterTaking(before, m_receiveRing.GetCount());
    return static_cast<char>(byte);
}

void CSerialPort::AwaitHeldBack()
{
    if (m_nStalledAtLook == m_nWorkerLooks.load() || m_bGone.load())
        return;
    if (m_hTransmitEvent)
        m_hTransmitEvent->Set();
    // One worker period: by then it has looked at the driver again, unless
    // it is stuck (in a write that the line does not take).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWorkerWaitMs);
    const auto arrived = [this] {
        return m_receiveRing.GetCount() != 0 || m_nReceiveHeldBack.load() == 0 || m_bGone.load();
    };
    while (!arrived() && std::chrono::steady_clock::now() < deadline)
        m_receiveSignal.SleepUnless(arrived, kReadSliceMs);
    if (!arrived())
        m_nStalledAtLook = m_nWorkerLooks.load();
}

unsigned CSerialPort::WorkerThread(CSerialPort* pThis)
{
    IPortDriver& driver = *pThis->m_pDriver;
    const HANDLE port = pThis->m_hPort;
    driver.PurgeComm(port, kPurgeAll);
    bool awaitingCts = false;
    for (;;) {
        ServePurge(pThis);
        // A port that is gone fails every call at once: looking at it again
        // would only spin. Whatever failed in the last cycle says so here.
        if (driver.IsGone()) {
            EndGone(pThis);
            break;
        }
        uint32_t mask = 0;
        const bool receiving = driver.GetCommMask(port, mask) && (mask & EV_RXCHAR);
        // Received bytes come first; look again before waiting.
        if (receiving && TakeReceived(pThis))
            continue;
        // With no room the bytes wait in the driver until the reader makes
        // some and wakes the worker: waking for them would only spin. While
        // bytes wait for CTS, the line is looked at every few milliseconds.
        // Said before the ring is looked at, so that a reader making room
        // from now on sees it and wakes the worker.
        pThis->m_bPortUnwatched = receiving;
        const bool watchPort = receiving && ReceiveRingHasRoom(pThis);
        if (watchPort)
            pThis->m_bPortUnwatched = false;
        const int signalled =
            driver.WaitForMultipleObjects(pThis->m_waitHandles, awaitingCts ? kCtsLookMs : kWorkerWaitMs, watchPort);
        pThis->m_bPortUnwatched = false;
        if (signalled == 0)
            break;
        ServePurge(pThis);
        if (signalled == 1 || awaitingCts)
            awaitingCts = !SendQueued(pThis, signalled == 1);
    }
    return 0;
}

bool CSerialPort::TakeReceived(CSerialPort* pThis)
{
    ++pThis->m_nWorkerLooks;
    const int waiting = pThis->m_pDriver->ClearCommError(pThis->m_hPort);
    if (waiting != 0 && ReceiveRingHasRoom(pThis)) {
        FillReceive(pThis);
        return true;
    }
    // What waits for room is counted as the driver reports it now, so bytes
    // it has lost since (an unplugged adapter) are never waited for.
    SetHeldBack(pThis, waiting);
    return waiting != 0 && ReceiveRingHasRoom(pThis);
}

bool CSerialPort::SendQueued(CSerialPort* pThis, bool woken)
{
    // Reset before the ring is looked at: a write from now on sets it again.
    // Left set with nothing to send (a refill's wake-up, CTS off), it would
    // end every wait at once.
    if (woken)
        pThis->m_hTransmitEvent->Reset();
    const bool queued = pThis->m_transmitRing.GetCount() != 0;
    uint32_t status = 0;
    const bool read = pThis->m_pDriver->GetCommModemStatus(pThis->m_hPort, status);
    const bool ctsOn = read && (status & MS_CTS_ON);
    // Where the far end holds the bytes itself, CTS is only looked at.
    const bool mayDrain = ctsOn || (read && pThis->m_pDriver->HoldsWhileCtsOff());
    // What the line said while bytes waited for it; a status that could not
    // be read says nothing either way.
    if (queued && ctsOn)
        pThis->m_bCtsSeenOn = true;
    else if (queued && read)
        pThis->m_bCtsSeenOff = true;
    if (mayDrain)
        DrainTransmit(pThis);
    if (pThis->m_transmitRing.GetCount() == 0)
        return true;
    if (mayDrain) {
        // A failed write: the next cycle goes on with the rest at once.
        pThis->m_hTransmitEvent->Set();
        return true;
    }
    // CTS is off: the worker looks again after a short wait instead of
    // spinning on the event. A write that comes meanwhile sets it again.
    return false;
}

void CSerialPort::DrainTransmit(CSerialPort* pThis)
{
    IPortDriver& driver = *pThis->m_pDriver;
    const HANDLE port = pThis->m_hPort;
    pThis->m_hTransmitEvent->Reset();
    while (pThis->m_transmitRing.GetCount() != 0) {
        unsigned char byte;
        {
            std::lock_guard lock(pThis->m_csTransmit);
            byte = pThis->m_transmitRing.Pop();
        }
        pThis->m_transmitRoom.Signal();
        // The byte belongs to a request that has failed since it was queued.
        if (PurgePending(pThis))
            return;
        EIoStart started = driver.WriteFile(port, byte, pThis->m_overlapped);
        if (started == EIoStart::Done)
            continue;
        if (started == EIoStart::Failed) {
            driver.ClearCommError(port);
            return;
        }
        // Under way: the count written is not examined, so a byte the write
        // time-out cut off is lost.
        uint32_t written;
        EIoWait waited;
        while ((waited = driver.GetOverlappedResult(port, pThis->m_overlapped, written)) == EIoWait::Incomplete) {
        }
        if (waited == EIoWait::Failed) {
            driver.ClearCommError(port);
            // The rest would fail as well, each after its own wait.
            if (driver.IsGone())
                return;
        }
    }
}

bool CSerialPort::ReceiveRingFull(const CSerialPort* pThis)
{
    return pThis->m_receiveRing.GetCount() >= pThis->m_receiveRing.GetCapacity();
}

bool CSerialPort::ReceiveRingHasRoom(const CSerialPort* pThis)
{
    const int count = pThis->m_receiveRing.GetCount();
    return pThis->m_nReceiveHeldBack.load() == 0 ? count < pThis->m_receiveRing.GetCapacity()
                                                 : count <= pThis->RefillLevel();
}

void CSerialPort::SetHeldBack(CSerialPort* pThis, int bytes)
{
    // A reader waiting for held-back bytes that are gone goes on.
    if (pThis->m_nReceiveHeldBack.exchange(bytes) != 0 && bytes == 0)
        pThis->m_receiveSignal.Signal();
}

void CSerialPort::FillReceive(CSerialPort* pThis)
{
    // Set only once the bytes are in the ring: a reader emptying the port
    // always sees the one or the other.
    SetHeldBack(pThis, MoveReceivedToRing(pThis));
}

int CSerialPort::MoveReceivedToRing(CSerialPort* pThis)
{
    IPortDriver& driver = *pThis->m_pDriver;
    const HANDLE port = pThis->m_hPort;
    // A sleeping reader is woken by the first byte of a pass, and again at
    // its end should it have gone back to sleep: not once per byte.
    int pushed = 0;
    const auto done = [pThis, &pushed](int left) {
        if (pushed != 0)
            pThis->m_receiveSignal.Signal();
        return left;
    };
    // The driver hands over what it holds in one read, as much as fits.
    unsigned char batch[kDriverQueueSize];
    for (int waiting = driver.ClearCommError(port); waiting != 0; waiting = driver.ClearCommError(port)) {
        // A full ring leaves the rest in the driver rather than lose it.
        if (ReceiveRingFull(pThis))
            return done(waiting);
        const uint32_t room = static_cast<uint32_t>(
            std::min<int>(pThis->m_receiveRing.GetCapacity() - pThis->m_receiveRing.GetCount(), kDriverQueueSize));
        uint32_t received = 0;
        EIoStart started = driver.ReadFile(port, batch, room, received, pThis->m_overlapped);
        if (started == EIoStart::Failed) {
            driver.ClearCommError(port);
            return done(0);
        }
        if (started == EIoStart::Pending) {
            EIoWait waited;
            while ((waited = driver.GetOverlappedResult(port, pThis->m_overlapped, received)) == EIoWait::Incomplete) {
            }
            if (waited == EIoWait::Failed) {
                driver.ClearCommError(port);
                return done(0);
            }
        }
        received = std::min(received, room);
        if (received != 0) {
            // Where the far end holds the bytes itself, the CTS it reports
            // may be a line it cannot see (a pty behind a device server): a
            // device that answers has shown itself ready. Said before the
            // bytes can be read.
            if (pushed == 0 && driver.HoldsWhileCtsOff())
                pThis->m_bCtsSeenOn = true;
            pThis->m_receiveRing.PushMany(batch, static_cast<int>(received));
            if (pushed == 0)
                pThis->m_receiveSignal.Signal();
            pushed += static_cast<int>(received);
        }
    }
    return done(0);
}
