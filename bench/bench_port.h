#pragma once

#include <chrono>

#include "serial/serial_port.h"

// The program's serial port with a stopwatch on it: when the current
// exchange was first written, when its last reply byte was taken, and the
// CPU time its worker thread has used. The engine itself runs unchanged.
class CBenchPort : public CSerialPort {
public:
    using Clock = std::chrono::steady_clock;

    // Over the platform's tty driver, or over the one given.
    CBenchPort() = default;
    explicit CBenchPort(std::unique_ptr<IPortDriver> driver) : CSerialPort(std::move(driver)) {}

    // Forgets the times taken so far; the next write starts an exchange.
    void StartExchange();
    Clock::time_point FirstWrite() const { return m_firstWrite; }
    Clock::time_point LastByte() const { return m_lastByte; }
    // Reply bytes taken since StartExchange.
    long BytesRead() const { return m_nBytesRead; }
    // Whether every byte taken is timed for LastByte (on at first). A clock
    // reading costs about as much as the engine's own work on a byte, so
    // figures that time the exchange from outside leave it off.
    void StampBytes(bool on) { m_bStampBytes = on; }

    // CPU time of the worker thread so far; zero while no worker runs.
    std::chrono::nanoseconds WorkerCpuTime();

    void Write(const void* pData, int nCount) override;
    char ReadByteTimeout(int ms) override;
    void ReadBytesTimeout(char* buffer, int n, int ms) override;

private:
    Clock::time_point m_firstWrite{};
    Clock::time_point m_lastByte{};
    long m_nBytesRead = 0;
    bool m_bStampBytes = true;
};
