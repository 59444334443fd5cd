#pragma once

#include <memory>
#include <string>
#include <vector>

#include "serial/port_driver.h"
#include "serial/rfc2217/network_port_address.h"

class CTelnetLink;

// The port operations over a serial device server's port, "rfc2217://host:port":
// Telnet with the COM-PORT-OPTION carries the line settings, the modem lines
// and purges. Like the Win32 driver, the engine's reads and writes are done
// at once against queues of its own and only the worker's wait waits; the
// link's reader thread fills the input queue. Servers differ: one that does
// not answer a setting within kAnswerMs has no such line, and the modem
// state is taken only as the server reports it.
class CRfc2217PortDriver : public IPortDriver {
public:
    static constexpr uint32_t kConnectMs = 5000;
    static constexpr uint32_t kAnswerMs = 500;

    CRfc2217PortDriver();
    ~CRfc2217PortDriver() override;

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
    bool IsGone() const override;
    int LastError() const override;
    bool HoldsWhileCtsOff() const override { return m_bHardwareFlow; }
    PortFault Fault() const override;

private:
    static constexpr size_t kOutputQueueSize = 4096;

    void Flush();
    // Sends a setting and says whether the server took it as asked.
    bool Agreed(uint8_t code, std::vector<uint8_t> command, const std::vector<uint8_t>& value);

    std::unique_ptr<CTelnetLink> m_link;
    NetworkPortAddress m_address;
    std::vector<uint8_t> m_output;
    uint32_t m_eventMask = 0;
    COMMTIMEOUTS m_timeouts{};
    // The server acknowledged hardware flow control: it holds what it gets
    // while CTS is off.
    bool m_bHardwareFlow = false;
    int m_nOpenError = 0;
    // Why the last open failed, or the connection lost when it was closed.
    PortFault m_fault;
};
