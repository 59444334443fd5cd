#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "serial/dcb.h"
#include "serial/port_driver.h"
#include "serial/arrival_signal.h"
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
    // How often the worker looks at CTS while bytes wait for it to come on.
    static constexpr uint32_t kCtsLookMs = 4;
    // Passes a timed read spins before it sleeps, so that a burst the worker
    // is still moving is taken at full speed (about 5 us).
    static constexpr int kReadSpinPasses = 100;
    // While replies come quickly, a read spins longer (about 200 us) before
    // it sleeps: waking a sleeping reader costs more than that spin saves.
    static constexpr int kReadLongSpinPasses = 4000;
    static constexpr std::chrono::microseconds kQuickReply{200};
    // The longest sleep of a timed read between two looks at the clock, so
    // that any tick source, also one faster than real time, is followed.
    static constexpr uint32_t kReadSliceMs = 5;
    static constexpr int kReadTimeoutCode = 666;

    // Why the last Open failed.
    enum class EOpenFailure {
        None,
        NoStorage,        // the rings could not be had (or the port is open)
        CannotOpen,       // absent, in use, not permitted: OpenError says
        SettingsRefused,  // the port refused the line settings; closed again
        NoWorker,         // the worker could not be started
    };

    // Uses the driver for the name opened: the platform's tty driver, or
    // the network port's.
    CSerialPort();
    // Null driver: as the default one.
    explicit CSerialPort(std::unique_ptr<IPortDriver> driver);
    // Closes what the owner left open.
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens "COM<nPort>" with the given line settings and starts the worker.
    virtual bool Open(int nPort, const DCB* pSettings);
    // The same for a port known by name only, such as a network port
    // ("rfc2217://host:port"); the driver is picked for that name unless
    // one was given.
    virtual bool OpenNamed(const std::string& name, const DCB* pSettings);
    // Stops the worker and closes the port; queued bytes are not sent.
    virtual void Close();
    // Queues bytes for sending. While the transmit ring is full it sleeps
    // until the worker makes room, each byte for at most the reply time-out;
    // then throws kReadTimeoutCode, the bytes queued so far left in the ring.
    virtual void Write(const void* pData, int nCount);
    virtual void WriteString(const char* pszText);
    virtual void WriteByte(char byte);
    // Waits until a byte is received; throws kReadTimeoutCode when more than
    // ms milliseconds pass first.
    virtual char ReadByteTimeout(int ms);
    // n bytes into buffer, each granted ms as ReadByteTimeout grants it.
    // Bytes already received are taken at once, without a look at the clock.
    virtual void ReadBytesTimeout(char* buffer, int n, int ms);
    // Oldest received byte, or 0 when none is waiting. Bytes a full ring left
    // in the driver count as received: when the reader has emptied the ring
    // ahead of the worker, it waits (one worker period at most) for them.
    virtual char ReadByte();
    // Nothing received is waiting: bytes a full ring left in the driver count
    // as received, so emptying the port reaches them too. Held back first:
    // bytes the worker moves on are in the ring before it says none are left.
    // Drops what waits to be sent, in the transmit ring and in the driver:
    // nothing of it goes out after this returns. The worker purges the
    // driver; this waits a worker period at most for that, and the worker
    // purges before it sends anything else should it come later.
    void PurgeTransmit();
    bool IsReceiveEmpty() const { return m_nReceiveHeldBack.load() == 0 && m_receiveRing.GetCount() == 0; }
    EOpenFailure OpenFailure() const { return m_eOpenFailure; }
    // The system's error behind the last failed Open (errno, or GetLastError
    // on Windows); 0 when none is known.
    int OpenError() const { return m_nOpenError; }
    // The port failed for good since Open (the adapter was pulled out, the
    // device went away): every wait on it has ended with kReadTimeoutCode
    // and nothing more can be exchanged until it is opened again.
    bool IsGone() const { return m_bGone.load(); }
    // Bytes waited to be sent since Open and CTS was seen off every time the
    // line was looked at for them: the device never said it was ready. A
    // port without modem lines counts as CTS on.
    bool CtsNeverOn() const { return m_bCtsSeenOff.load() && !m_bCtsSeenOn.load(); }
    // The port as the user knows it, for messages: what SetName gave, else
    // the name of the last Open ("COM<n>").
    std::string Name() const;
    void SetName(std::string name) { m_strName = std::move(name); }
    // Why the port could not be opened or was lost, where the system's
    // error alone does not say it.
    PortFault Fault() const { return m_pDriver->Fault(); }
    // The most received bytes that can wait at once: the ring's and the
    // driver queue's worth.
    int ReceiveCapacity() const { return m_receiveRing.GetCapacity() + kDriverQueueSize; }

protected:
    static unsigned WorkerThread(CSerialPort* pThis);
    static void DrainTransmit(CSerialPort* pThis);
    static void FillReceive(CSerialPort* pThis);
    // Moves received bytes into the ring until the driver has none or the
    // ring is full; the bytes a full ring left in the driver.
    static int MoveReceivedToRing(CSerialPort* pThis);
    // Runs FillReceive when bytes wait and the ring has room; true when it
    // did, or when the reader made room meanwhile.
    static bool TakeReceived(CSerialPort* pThis);
    // Sends the queued bytes while CTS is on; false when they wait for it.
    static bool SendQueued(CSerialPort* pThis, bool woken);
    // Purges the driver's output when PurgeTransmit asked for it.
    static void ServePurge(CSerialPort* pThis);
    static bool PurgePending(const CSerialPort* pThis)
    {
        return pThis->m_nPurgesAsked.load() != pThis->m_nPurgesDone.load();
    }
    static bool ReceiveRingFull(const CSerialPort* pThis);
    // Room to take bytes: any, or once bytes were held back, down to the
    // refill level, so that each hand-over moves half a ring at least.
    static bool ReceiveRingHasRoom(const CSerialPort* pThis);
    int RefillLevel() const { return m_receiveRing.GetCapacity() / 2; }
    static void SetHeldBack(CSerialPort* pThis, int bytes);
    // Waits (boundedly) until the worker has moved held-back bytes into the
    // ring or found that the driver no longer has them.
    void AwaitHeldBack();
    // Sleeps until the worker pushes a byte or ms pass.
    void AwaitReceived(uint32_t ms);
    // Sleeps until the transmit ring has room; throws kReadTimeoutCode when
    // more than ms pass first.
    void AwaitTransmitRoom(int ms);
    // The reader took bytes, leaving `left`: a worker that waits for room is
    // woken once the ring has come down to the refill level.
    void AfterTaking(int before, int left);
    static void ResetOrCreate(std::unique_ptr<CManualResetEvent>& event);
    bool FailOpen(EOpenFailure failure, int error);
    // Takes what the driver still holds from before the port went, then
    // records that it is gone and wakes every waiting thread.
    static void EndGone(CSerialPort* pThis);

    std::mutex m_csTransmit;
    // The worker and the reader need no lock on the receive ring: one
    // producer and one consumer. Anything else that pushes takes this one.
    std::mutex m_csReceive;
    std::unique_ptr<CManualResetEvent> m_hStopEvent;
    HANDLE m_hPort;
    std::unique_ptr<CManualResetEvent> m_hTransmitEvent;
    CManualResetEvent* m_waitHandles[2];
    OVERLAPPED m_overlapped;
    CRingBuffer m_transmitRing;
    CRingBuffer m_receiveRing;
    // Received bytes the worker left in the driver for want of ring room, as
    // the driver reported them at the worker's last look.
    std::atomic<int> m_nReceiveHeldBack{0};
    // The worker waits without watching the port, for want of ring room.
    std::atomic<bool> m_bPortUnwatched{false};
    // Wakes a reader that sleeps on an empty ring.
    CArrivalSignal m_receiveSignal;
    // Wakes a writer that sleeps on a full transmit ring.
    CArrivalSignal m_transmitRoom;
    // Purges asked for by PurgeTransmit and done by the worker, and the
    // signal that wakes the one waiting for it.
    std::atomic<unsigned> m_nPurgesAsked{0};
    std::atomic<unsigned> m_nPurgesDone{0};
    CArrivalSignal m_purgeDone;
    // The worker's looks at the driver so far, and the count at which a
    // reader last waited in vain for held-back bytes: a stuck worker is not
    // waited for again until it looks once more.
    std::atomic<unsigned> m_nWorkerLooks{0};
    std::optional<unsigned> m_nStalledAtLook;
    // A timed read's longest sleep; tests may lengthen it to show that a
    // byte, not the end of a slice, woke the reader.
    uint32_t m_nReadSliceMs = kReadSliceMs;
    // The last wait for a byte ended within kQuickReply (reader thread only).
    bool m_bQuickReplies = false;
    std::thread m_hThread;
    std::unique_ptr<IPortDriver> m_pDriver;
    // No driver was given: each Open picks the one for the port's name.
    bool m_bDriverByName = false;
    EOpenFailure m_eOpenFailure = EOpenFailure::None;
    int m_nOpenError = 0;
    std::string m_strName;
    // The name the last Open gave the driver.
    std::string m_strOpened;
    // Set by the worker; read by the waiting thread and the front ends.
    std::atomic<bool> m_bGone{false};
    std::atomic<bool> m_bCtsSeenOn{false};
    std::atomic<bool> m_bCtsSeenOff{false};
};
