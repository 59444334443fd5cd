#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "serial/port_driver.h"

// An in-memory port for deterministic engine tests: the test plays the device
// (bytes arriving, CTS) and scripts failures and operations under way; the
// driver records what the engine did. Safe to drive from the test thread
// while the engine's worker uses it.
class CSimulatedPortDriver : public IPortDriver {
public:
    CSimulatedPortDriver();

    // --- the device side, for the test ---
    void Arrive(const std::string& bytes);
    void SetCts(bool on) { m_bCts = on; }
    std::string Written() const;
    int WriteCalls() const;
    int ReadCalls() const { return m_nReadCalls; }
    size_t InputWaiting() const;
    std::vector<std::string> Calls() const;
    int ModemStatusReads() const { return m_nModemStatusReads; }
    int WorkerWaits() const { return m_nWaits; }
    // Waits that ran out their time rather than end for an event or data.
    int TimedOutWaits() const { return m_nTimedOutWaits; }
    // The longest wait the worker asked for since the last reset.
    uint32_t LongestWaitMs() const { return m_nLongestWaitMs; }
    void ResetLongestWait() { m_nLongestWaitMs = 0; }
    // The driver loses the bytes it holds, as an adapter that is pulled out.
    void LoseInput();

    // --- scripted outcomes ---
    // CreateFile fails with error as the system's error.
    void FailCreateFile(int error = 2)
    {
        m_nCreateError = error;
        m_bFailCreate = true;
    }
    // SetCommState refuses the record with error.
    void RefuseSettings(int error) { m_nSettingsError = error; }
    // The adapter is pulled out: from now on every operation fails at once
    // with error, IsGone says so, and the bytes the driver held are lost.
    // A wait that watches the port ends, as a removal ends the system's.
    // The next CreateFile finds it plugged in again.
    void Unplug(int error);
    // Opens asked for, whatever came of them.
    int CreateFileCalls() const;
    void FailTimeouts() { m_bFailTimeouts = true; }
    void FailGetCommMask() { m_bFailGetMask = true; }
    // The next n writes (reads) fail at once; a failed read loses its byte.
    void FailNextWrites(int n);
    void FailNextReads(int n);
    // The next n writes (reads) go pending, report incomplete `incomplete`
    // times, then complete (or fail when failAtEnd).
    void PendNextWrites(int n, int incomplete, bool failAtEnd = false);
    void PendNextReads(int n, int incomplete, bool failAtEnd = false);

    HANDLE CreateFile(const char* name) override;
    void CloseHandle(HANDLE port) override;
    bool SetCommTimeouts(HANDLE port, const COMMTIMEOUTS& timeouts) override;
    bool SetCommMask(HANDLE port, uint32_t mask) override;
    bool GetCommMask(HANDLE port, uint32_t& mask) override;
    bool SetCommState(HANDLE port, const DCB& settings) override;
    bool SetupComm(HANDLE port, int inQueue, int outQueue) override;
    void PurgeComm(HANDLE port, uint32_t flags) override;
    void SetDtr(HANDLE port) override;
    int ClearCommError(HANDLE port) override;
    bool GetCommModemStatus(HANDLE port, uint32_t& status) override;
    EIoStart ReadFile(HANDLE port, unsigned char* buffer, uint32_t count, uint32_t& read,
                      OVERLAPPED& overlapped) override;
    EIoStart WriteFile(HANDLE port, unsigned char byte, OVERLAPPED& overlapped) override;
    EIoWait GetOverlappedResult(HANDLE port, OVERLAPPED& overlapped, uint32_t& transferred) override;
    int WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms, bool portData) override;
    bool IsGone() const override { return m_bGone; }
    int LastError() const override { return m_nLastError; }

    static constexpr HANDLE kHandle = 7;

private:
    struct Script {
        int failures = 0;
        int pending = 0;
        int incomplete = 0;
        bool failAtEnd = false;
    };
    enum class EOp { None, Read, Write };

    void Log(std::string call);
    // A failed read takes its byte off the line with it.
    void LoseInputByte();
    // Moves up to count waiting bytes into buffer; how many.
    uint32_t TakeInput(unsigned char* buffer, uint32_t count);
    EIoStart Start(Script& script, EOp op);

    mutable std::mutex m_lock;
    std::deque<unsigned char> m_input;
    CManualResetEvent m_inputWaiting;
    std::string m_written;
    int m_nWriteCalls = 0;
    std::vector<std::string> m_calls;
    uint32_t m_mask = 0;
    Script m_readScript, m_writeScript;
    EOp m_pendingOp = EOp::None;
    unsigned char* m_pPendingRead = nullptr;
    uint32_t m_nPendingCount = 0;
    unsigned char m_pendingWrite = 0;
    int m_nIncompleteLeft = 0;
    bool m_bPendingFails = false;
    std::atomic<bool> m_bCts{true};
    std::atomic<int> m_nModemStatusReads{0};
    std::atomic<int> m_nReadCalls{0};
    std::atomic<int> m_nWaits{0};
    std::atomic<uint32_t> m_nLongestWaitMs{0};
    std::atomic<int> m_nTimedOutWaits{0};
    std::atomic<bool> m_bFailCreate{false}, m_bFailTimeouts{false}, m_bFailGetMask{false};
    std::atomic<bool> m_bGone{false};
    std::atomic<int> m_nLastError{0};
    std::atomic<int> m_nCreateError{0};
    std::atomic<int> m_nSettingsError{0};
    // Fails the call when the port is gone, keeping the error.
    bool Gone();
};
