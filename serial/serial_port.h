#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "serial/dcb.h"
#include "serial/port_driver.h"
#include "serial/ring_buffer.h"

// The one serial port the program talks through. A worker thread moves bytes
// between the port and two rings; the user-interface thread only queues bytes
// to send and takes bytes received, and never calls on the port itself.
class CSerialPort {
public:
    static constexpr int kRingCapacity = 4096;
    static constexpr int kDriverQueueSize = 4096;
    static constexpr uint32_t kPortTimeoutMs = 10000;
    static constexpr uint32_t kEventMask = EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD;
    static constexpr uint32_t kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
    static constexpr uint32_t kWorkerWaitMs = 100;
    // How soon a worker held back by a full receive ring looks for room:
    // 4096 bytes per 10 ms outpaces any serial line.
    static constexpr uint32_t kFullRingWaitMs = 10;
    static constexpr int kReadTimeoutCode = 666;

    // Uses the platform's tty driver.
    CSerialPort();
    explicit CSerialPort(std::unique_ptr<IPortDriver> driver);
    // Closes what the owner left open.
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens "COM<nPort>" with the given line settings and starts the worker.
    virtual bool Open(int nPort, const DCB* pSettings);
    // Stops the worker and closes the port; queued bytes are not sent.
    virtual void Close();
    // Queues bytes for sending, waiting while the transmit ring is full.
    virtual void Write(const void* pData, int nCount);
    virtual void WriteString(const char* pszText);
    virtual void WriteByte(char byte);
    // Busy-waits until a byte is received; throws kReadTimeoutCode when more
    // than ms milliseconds pass first.
    virtual char ReadByteTimeout(int ms);
    // Oldest received byte, or 0 when none is waiting.
    virtual char ReadByte();
    // Nothing received is waiting: bytes a full ring left in the driver count
    // as received, so emptying the port reaches them too.
    bool IsReceiveEmpty() const { return m_receiveRing.GetCount() == 0 && !m_bReceiveHeldBack; }

protected:
    static unsigned WorkerThread(CSerialPort* pThis);
    static void DrainTransmit(CSerialPort* pThis);
    static void FillReceive(CSerialPort* pThis);
    // Moves received bytes into the ring until the driver has none or the
    // ring is full; true when a full ring left bytes in the driver.
    static bool MoveReceivedToRing(CSerialPort* pThis);
    static bool ReceiveRingFull(const CSerialPort* pThis);
    static void ResetOrCreate(std::unique_ptr<CManualResetEvent>& event);

    std::mutex m_csTransmit;
    std::mutex m_csReceive;
    std::unique_ptr<CManualResetEvent> m_hStopEvent;
    HANDLE m_hPort;
    std::unique_ptr<CManualResetEvent> m_hTransmitEvent;
    CManualResetEvent* m_waitHandles[2];
    OVERLAPPED m_overlapped;
    CRingBuffer m_transmitRing;
    CRingBuffer m_receiveRing;
    // The worker left received bytes in the driver for want of ring room.
    std::atomic<bool> m_bReceiveHeldBack{false};
    std::thread m_hThread;
    std::unique_ptr<IPortDriver> m_pDriver;
};
