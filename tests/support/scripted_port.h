#pragma once

#include <string>
#include <vector>

#include "serial/serial_port.h"

// A port with no worker and no device: the bytes the "device" has sent wait
// in the receive ring from the start, writes are recorded, and a read past
// the end (or at a chosen read) times out with the port's own code.
class CScriptedPort : public CSerialPort {
public:
    explicit CScriptedPort(const std::string& received = {}, int capacity = 1 << 20);

    // Bytes that arrive later, behind those already received.
    void Receive(const std::string& bytes);
    // The read with this index (0-based, counting every ReadByteTimeout) times
    // out even if bytes are waiting; -1: none.
    void TimeOutAtRead(int index) { m_nTimeoutAt = index; }

    void Write(const void* pData, int nCount) override;
    char ReadByteTimeout(int ms) override;
    // Byte by byte, so that every byte of a batch is counted and scripted.
    void ReadBytesTimeout(char* buffer, int n, int ms) override;

    const std::string& Written() const { return m_written; }
    int Reads() const { return m_nReads; }
    const std::vector<int>& TimeoutsGranted() const { return m_timeouts; }
    int Unread() const { return m_receiveRing.GetCount(); }

private:
    std::string m_written;
    int m_nReads = 0;
    int m_nTimeoutAt = -1;
    std::vector<int> m_timeouts;
};
