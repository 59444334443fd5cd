#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class ICommApi;
class CManualResetEvent;

// One open Win32 communications device, in the engine's own types, so the
// driver above it never sees <windows.h> (whose names the engine's interface
// shares). It reaches the system only through an ICommApi.
//
// Receiving: where the system announces received bytes (WaitCommEvent,
// ClearCommError's cbInQue) the device reads exactly what is there when the
// engine looks, with time-outs that return at once; where WaitCommEvent is
// not supported (Wine over a pty) it keeps one block read pending, which
// completes when the first bytes arrive. Sending: bytes gather and go out in
// one overlapped write that is left pending, so a write held by CTS never
// blocks the caller; a purge cancels it. Every wait is on an event, or is
// bounded by the caller's period, so an idle port costs nothing however the
// system completes an empty read.
//
// A port whose adapter was pulled out is gone: each later call fails at
// once, and closing cancels what is pending without waiting on the device.
class CCommDevice {
public:
    static constexpr size_t kBlockSize = 4096;
    // How long a read of bytes the system holds, a purge's cancellation, or
    // the last write before a close may take to finish.
    static constexpr uint32_t kSettleMs = 1000;
    // After an empty or failed read, the next is not started for this long
    // (the engine's worker period): no read loop can spin.
    static constexpr uint32_t kRestMs = 100;
    // The "first byte or this" read of a system that returns empty reads at
    // once.
    static constexpr uint32_t kFirstByteWaitMs = 10000;
    // The longest a queued byte waits for room while a write is held.
    static constexpr uint32_t kOutputRoomWaitMs = 10000;

    // Over the system's own calls.
    CCommDevice();
    explicit CCommDevice(ICommApi& api);
    ~CCommDevice();
    CCommDevice(const CCommDevice&) = delete;
    CCommDevice& operator=(const CCommDevice&) = delete;

    // Opens "COMn" for exclusive overlapped I/O; false when it cannot be had
    // (LastError says why). Decides here, once, whether the port has modem
    // lines and whether the system announces received bytes.
    bool Open(const char* name);
    void Close();
    bool IsOpen() const;
    intptr_t Id() const;
    bool IsGone() const;
    // False for a port that answered at open that it has no modem lines.
    bool HasModemLines() const;
    // The system's error of the last failed call, 0 when none failed.
    int LastError() const { return m_nLastError.load(); }

    // record: the engine's DCB (28 bytes, the system's layout).
    bool GetState(void* record, size_t size);
    // False, LastError set, when the port refuses the record.
    bool SetState(const void* record, size_t size);
    bool SetQueues(int inQueue, int outQueue);
    bool SetDtr();
    // CTS on for a port without modem lines; false when the port failed.
    bool ModemStatus(uint32_t& status);
    // PURGE_* flags; a pending write is cancelled and what waits to be sent
    // is dropped. The device's own pending read is left alone.
    void Purge(uint32_t flags);

    // Received bytes waiting: those taken from the system already, else
    // those it holds.
    size_t Waiting();
    // Takes up to count received bytes, without waiting for more.
    size_t Receive(unsigned char* buffer, size_t count);
    // Queues one byte to send; false when the port failed or no room came.
    bool Queue(unsigned char byte);
    // Starts writing what is queued unless a write is under way.
    void Flush();
    // Waits up to ms for one of the two events (the index of the lowest
    // signalled), and with portData also for received bytes or port activity
    // (then -1, as on time-out).
    int Wait(CManualResetEvent* const events[2], uint32_t ms, bool portData);

private:
    struct SState;
    struct SOperation;
    // Where a pending operation stands once looked at; a failure is recorded.
    enum class ECollected { UnderWay, Done, Failed };

    void Failed(unsigned long error, bool ownCancel = false);
    size_t Queued() const;
    void SetReadTimeouts(bool firstByte);
    void StartRead();
    void PollRead();
    void ReadArrived(unsigned long count);
    void Rest();
    bool Resting() const;
    void FetchHeld();
    ECollected Collect(SOperation& operation, unsigned long& count);
    bool CollectWrite();
    void ArmEventWait();
    void CollectEventWait();

    ICommApi& m_api;
    // One per open, so that I/O a gone device never finishes can be left
    // with it (see Close).
    SState* m_state = nullptr;
    // Read by the user-interface thread while the worker drives the port.
    std::atomic<bool> m_bGone{false};
    std::atomic<int> m_nLastError{0};
};
