#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class ICommApi;

// A strict model of Windows' serial driver behind one COM port, from
// Microsoft's documentation of the communications functions, for running
// the real driver in-process. Completion is signalled on the caller's real
// Win32 events. What it holds to:
// - SetCommState refuses (ERROR_INVALID_PARAMETER) XonChar == XoffChar,
//   ByteSize outside 5..8, Parity above 4, StopBits above 2, 5 bits with two
//   stop bits, 6 to 8 bits with 1.5, and a baud rate of 0. The port keeps
//   its record across opens.
// - COMMTIMEOUTS: {MAXDWORD, 0, 0} reads return at once with what is there;
//   {MAXDWORD, MAXDWORD, T} (0 < T < MAXDWORD) as soon as a byte is there,
//   or empty after T; {MAXDWORD, MAXDWORD, MAXDWORD} is refused; otherwise a
//   read waits for all its bytes up to the total time-out. Write time-outs
//   end a held write with what was sent.
// - WaitCommEvent (one at a time) reports EV_RXCHAR and EV_CTS that happen
//   after it was called; SetCommMask completes it with 0.
// - fNull drops received 0x00 bytes; fAbortOnError fails every read and
//   write with ERROR_OPERATION_ABORTED after a line error until
//   ClearCommError; fOutxCtsFlow holds writes while CTS is off.
// - PurgeComm's abort flags complete pending operations aborted; CancelIoEx
//   and CloseHandle do too.
// Switches a test may set: operations that finish without waiting complete
// later (asynchronously) instead; WaitCommEvent unsupported
// (ERROR_NOT_SUPPORTED, as Wine over a pty); no modem lines; surprise
// removal with a given error; one call failing with a given error.
class CWindowsSerialModel {
public:
    enum class ECall {
        CreateFileA, CloseHandle, GetCommState, SetCommState, SetCommTimeouts, SetCommMask, WaitCommEvent,
        ClearCommError, GetCommModemStatus, EscapeCommFunction, SetupComm, PurgeComm, ReadFile, WriteFile,
        GetOverlappedResult, CancelIoEx, Count
    };

    // Serves "COM<port>".
    explicit CWindowsSerialModel(int port);
    ~CWindowsSerialModel();
    CWindowsSerialModel(const CWindowsSerialModel&) = delete;
    CWindowsSerialModel& operator=(const CWindowsSerialModel&) = delete;

    ICommApi& Api();

    // The record the port keeps (a DCB, 28 bytes), as another program left it.
    void SetOwnRecord(const void* record, size_t size);
    // The last record SetCommState accepted; false when none was.
    bool AppliedRecord(void* record, size_t size) const;
    int RefusedStates() const;

    void CompleteLater(bool later);
    void SupportCommEvents(bool supported);
    void SetModemLines(bool present);
    // The line carries bytes, not bits, and refuses any parity (a pty behind
    // Wine, once parity has been set on it).
    void RefuseParity(bool refuse);
    void SetCts(bool on);
    // The next GetCommModemStatus answers the line as it is, then CTS
    // becomes on (a flapping line).
    void FlipCtsAfterNextStatus(bool on);
    void FailCall(ECall call, unsigned long error);
    // The adapter is pulled out: pending operations end with error, and so
    // does every later call on the handle.
    void Remove(unsigned long error);

    // Bytes received on the line; a framing error.
    void Arrive(const std::string& bytes);
    void LineError();
    // What went out on the line so far.
    std::string Sent() const;
    bool WriteHeld() const;
    bool IsOpen() const;

    unsigned long Calls() const;
    unsigned long Calls(ECall call) const;

private:
    struct SImpl;
    class CApi;
    std::unique_ptr<SImpl> m_impl;
    std::unique_ptr<CApi> m_api;
};
