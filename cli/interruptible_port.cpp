#include "cli/interruptible_port.h"

#include <algorithm>

#include "serial/tick_count.h"

CInterruptiblePort::CInterruptiblePort(std::function<bool()> interrupted, std::unique_ptr<IPortDriver> driver)
    : CSerialPort(std::move(driver)), m_interrupted(std::move(interrupted))
{
}

void CInterruptiblePort::Closing(int budgetMs)
{
    m_bClosing = true;
    m_closingEnd = CTickCount::Now() + static_cast<uint32_t>(budgetMs);
}

bool CInterruptiblePort::Stopped() const
{
    // Signed distance: the tick counter wraps.
    return m_bClosing ? static_cast<int32_t>(m_closingEnd - CTickCount::Now()) <= 0 : m_interrupted();
}

void CInterruptiblePort::Write(const void* pData, int nCount)
{
    if (Stopped())
        throw kReadTimeoutCode;
    CSerialPort::Write(pData, nCount);
}

char CInterruptiblePort::ReadByteTimeout(int ms)
{
    const uint32_t start = CTickCount::Now();
    for (;;) {
        if (Stopped())
            throw kReadTimeoutCode;
        const int left = ms - static_cast<int>(CTickCount::Now() - start);
        const int slice = std::clamp(left, 0, kSliceMs);
        try {
            return CSerialPort::ReadByteTimeout(slice);
        } catch (int) {
            // The whole time-out has passed, or the port is gone for good.
            if (left <= kSliceMs || IsGone())
                throw;
        }
    }
}

void CInterruptiblePort::ReadBytesTimeout(char* buffer, int n, int ms)
{
    for (int i = 0; i < n; ++i)
        buffer[i] = ReadByteTimeout(ms);
}
