#include "serial/serial_port.h"

#include <cstdio>
#include <cstring>
#include <system_error>

#include "serial/posix/posix_port_driver.h"
#include "serial/posix/tick_count.h"

CSerialPort::CSerialPort() : CSerialPort(std::make_unique<CPosixPortDriver>()) {}

CSerialPort::CSerialPort(std::unique_ptr<IPortDriver> driver)
    : m_hPort(INVALID_HANDLE_VALUE), m_waitHandles{nullptr, nullptr}, m_pDriver(std::move(driver))
{
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
    // A running worker waits on the events: resetting them under it could
    // swallow a pending transmit request. Refuse before touching anything.
    if (m_hThread.joinable())
        return false;
    ResetOrCreate(m_overlapped.hEvent);
    ResetOrCreate(m_hTransmitEvent);
    ResetOrCreate(m_hStopEvent);
    m_waitHandles[0] = m_hStopEvent.get();
    m_waitHandles[1] = m_hTransmitEvent.get();

    // A ring that already holds storage refuses: a second Open fails here and
    // leaves the running port alone.
    if (!m_transmitRing.Allocate(kRingCapacity) || !m_receiveRing.Allocate(kRingCapacity))
        return false;

    if (m_hPort != INVALID_HANDLE_VALUE)
        m_pDriver->CloseHandle(m_hPort);
    char name[16];
    std::snprintf(name, sizeof name, "COM%d", nPort);
    m_hPort = m_pDriver->CreateFile(name);
    if (m_hPort == INVALID_HANDLE_VALUE)
        return false;

    const COMMTIMEOUTS timeouts{kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs, kPortTimeoutMs};
    if (m_pDriver->SetCommTimeouts(m_hPort, timeouts) && m_pDriver->SetCommMask(m_hPort, kEventMask)) {
        m_pDriver->SetCommState(m_hPort, *pSettings);
        m_pDriver->SetupComm(m_hPort, kDriverQueueSize, kDriverQueueSize);
    }
    m_pDriver->PurgeComm(m_hPort, kPurgeAll);

    try {
        m_hThread = std::thread(WorkerThread, this);
    } catch (const std::system_error&) {
        return false;
    }
    m_pDriver->SetDtr(m_hPort);
    return true;
}

void CSerialPort::Close()
{
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
    m_bReceiveHeldBack = false;
}

void CSerialPort::Write(const void* pData, int nCount)
{
    const auto* bytes = static_cast<const unsigned char*>(pData);
    {
        std::unique_lock lock(m_csTransmit);
        for (int i = 0; i < nCount; ++i) {
            while (!m_transmitRing.Push(bytes[i])) {
                // Nobody frees space without a running worker: drop the rest
                // rather than wait for ever (an Open that failed).
                if (!m_hThread.joinable())
                    return;
                lock.unlock();
                // Wake the worker so a write longer than the free space drains.
                m_hTransmitEvent->Set();
                lock.lock();
            }
        }
    }
    if (m_hTransmitEvent)
        m_hTransmitEvent->Set();
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
        // The time test comes first: a byte arriving in the pass in which the
        // time runs out does not prevent the throw.
        for (;;) {
            if (CTickCount::Now() - start > static_cast<uint32_t>(ms))
                throw kReadTimeoutCode;
            if (m_receiveRing.GetCount() != 0)
                break;
        }
    }
    return ReadByte();
}

char CSerialPort::ReadByte()
{
    bool madeRoom;
    unsigned char byte;
    {
        std::lock_guard lock(m_csReceive);
        madeRoom = m_receiveRing.GetCount() != 0 && ReceiveRingFull(this);
        byte = m_receiveRing.Pop();
    }
    // A worker held back by the full ring goes on at once; waking it as for
    // a write is harmless when nothing is queued.
    if (madeRoom && m_hTransmitEvent)
        m_hTransmitEvent->Set();
    return static_cast<char>(byte);
}

unsigned CSerialPort::WorkerThread(CSerialPort* pThis)
{
    IPortDriver& driver = *pThis->m_pDriver;
    const HANDLE port = pThis->m_hPort;
    driver.PurgeComm(port, kPurgeAll);
    for (;;) {
        // Only the worker fills the ring, so room seen here stays.
        const bool room = !ReceiveRingFull(pThis);
        uint32_t mask = 0;
        if (room && driver.GetCommMask(port, mask) && (mask & EV_RXCHAR) && driver.ClearCommError(port) != 0) {
            // Received bytes come first; look again before waiting.
            FillReceive(pThis);
            continue;
        }
        // With the ring full, bytes wait in the driver until the reader makes
        // room: waking for them would only spin, so the worker looks again
        // after a short while instead.
        int signalled =
            driver.WaitForMultipleObjects(pThis->m_waitHandles, room ? kWorkerWaitMs : kFullRingWaitMs, room);
        if (signalled == 0)
            break;
        if (signalled == 1) {
            uint32_t status = 0;
            if (driver.GetCommModemStatus(port, status) && (status & MS_CTS_ON))
                DrainTransmit(pThis);
            // Bytes left over (CTS off, or a failed write) keep the worker going.
            if (pThis->m_transmitRing.GetCount() != 0)
                pThis->m_hTransmitEvent->Set();
        }
    }
    return 0;
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
        if (waited == EIoWait::Failed)
            driver.ClearCommError(port);
    }
}

bool CSerialPort::ReceiveRingFull(const CSerialPort* pThis)
{
    return pThis->m_receiveRing.GetCount() >= pThis->m_receiveRing.GetCapacity();
}

void CSerialPort::FillReceive(CSerialPort* pThis)
{
    // Set only once the bytes are in the ring: a reader emptying the port
    // always sees the one or the other.
    pThis->m_bReceiveHeldBack = MoveReceivedToRing(pThis);
}

bool CSerialPort::MoveReceivedToRing(CSerialPort* pThis)
{
    IPortDriver& driver = *pThis->m_pDriver;
    const HANDLE port = pThis->m_hPort;
    if (driver.ClearCommError(port) == 0)
        return false;
    do {
        // A full ring leaves the rest in the driver rather than lose it.
        if (ReceiveRingFull(pThis))
            return true;
        unsigned char byte = 0;
        uint32_t received = 1;
        EIoStart started = driver.ReadFile(port, byte, pThis->m_overlapped);
        if (started == EIoStart::Failed) {
            driver.ClearCommError(port);
            return false;
        }
        if (started == EIoStart::Pending) {
            EIoWait waited;
            while ((waited = driver.GetOverlappedResult(port, pThis->m_overlapped, received)) == EIoWait::Incomplete) {
            }
            if (waited == EIoWait::Failed) {
                driver.ClearCommError(port);
                return false;
            }
        }
        if (received == 1) {
            std::lock_guard lock(pThis->m_csReceive);
            pThis->m_receiveRing.Push(byte);
        }
    } while (driver.ClearCommError(port) != 0);
    return false;
}
