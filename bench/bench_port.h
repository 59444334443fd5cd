#pragma once

#include <chrono>

#include "serial/serial_port.h"

// The program's serial port with a stopwatch on it: when the current
// exchange was first written, when its last reply byte was taken, and the
// CPU time its worker thread has used. The engine itself runs unchanged.
class CBenchPort : public CSerialPort {
public:
    using Clock = std::chrono::steady_clock;

    // Forgets the times taken so far; the next write starts an exchange.
    void StartExchange();
    Clock::time_point FirstWrite() const { return m_firstWrite; }
    Clock::time_point LastByte() const { return m_lastByte; }
    // Reply bytes taken since StartExchange.
    long BytesRead() const { return m_nBytesRead; }

    // CPU time of the worker thread so far; zero while no worker runs.
    std::chrono::nanoseconds WorkerCpuTime();

    void Write(const void* pData, int nCount) override;
    char ReadByteTimeout(int ms) override;

private:
    Clock::time_point m_firstWrite{};
    Clock::time_point m_lastByte{};
    long m_nBytesRead = 0;
};
