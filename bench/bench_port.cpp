#include "bench/bench_port.h"

#include <pthread.h>
#include <time.h>

void CBenchPort::StartExchange()
{
    m_firstWrite = {};
    m_lastByte = {};
    m_nBytesRead = 0;
}

std::chrono::nanoseconds CBenchPort::WorkerCpuTime()
{
    clockid_t clock;
    timespec used{};
    if (!m_hThread.joinable() || pthread_getcpuclockid(m_hThread.native_handle(), &clock) != 0 ||
        clock_gettime(clock, &used) != 0)
        return std::chrono::nanoseconds(0);
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

void CBenchPort::Write(const void* pData, int nCount)
{
    if (m_firstWrite == Clock::time_point{})
        m_firstWrite = Clock::now();
    CSerialPort::Write(pData, nCount);
}

char CBenchPort::ReadByteTimeout(int ms)
{
    const char byte = CSerialPort::ReadByteTimeout(ms);
    if (m_bStampBytes)
        m_lastByte = Clock::now();
    ++m_nBytesRead;
    return byte;
}


void CBenchPort::ReadBytesTimeout(char* buffer, int n, int ms)
{
    // Bytes the batch waited for are counted by ReadByteTimeout as they come;
    // once it is whole, it counts as n.
    const long before = m_nBytesRead;
    CSerialPort::ReadBytesTimeout(buffer, n, ms);
    if (m_bStampBytes && n > 0)
        m_lastByte = Clock::now();
    m_nBytesRead = before + (n > 0 ? n : 0);
}
