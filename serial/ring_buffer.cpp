#include "serial/ring_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

CRingBuffer::CRingBuffer() : m_nCount(0), m_nCapacity(0), m_nRead(0), m_nWrite(0) {}

CRingBuffer::~CRingBuffer() = default;

bool CRingBuffer::Allocate(int nCapacity)
{
    if (m_pData || nCapacity <= 0)
        return false;
    m_pData.reset(new (std::nothrow) unsigned char[nCapacity]);
    if (!m_pData)
        return false;
    m_nCapacity = nCapacity;
    m_nCount = 0;
    m_nWrite = 0;
    m_nRead = 0;
    return true;
}

void CRingBuffer::Free()
{
    m_pData.reset();
    m_nCount = 0;
    m_nCapacity = 0;
    m_nRead = 0;
    m_nWrite = 0;
}

bool CRingBuffer::Push(unsigned char byte)
{
    if (m_nCount.load() == m_nCapacity)
        return false;
    m_pData[m_nWrite] = byte;
    m_nWrite = m_nWrite == m_nCapacity - 1 ? 0 : m_nWrite + 1;
    ++m_nCount;
    return true;
}

unsigned char CRingBuffer::Pop()
{
    if (m_nCount.load() == 0)
        return 0;
    unsigned char byte = m_pData[m_nRead];
    m_nRead = m_nRead == m_nCapacity - 1 ? 0 : m_nRead + 1;
    --m_nCount;
    return byte;
}

int CRingBuffer::PushMany(const unsigned char* bytes, int n)
{
    n = std::min(n, m_nCapacity - m_nCount.load());
    if (n <= 0)
        return 0;
    // The free slots run to the end of the storage, then on from its start.
    const int first = std::min(n, m_nCapacity - m_nWrite);
    std::memcpy(&m_pData[m_nWrite], bytes, static_cast<size_t>(first));
    std::memcpy(&m_pData[0], bytes + first, static_cast<size_t>(n - first));
    m_nWrite = (m_nWrite + n) % m_nCapacity;
    m_nCount += n;
    return n;
}

int CRingBuffer::PopMany(unsigned char* bytes, int n)
{
    n = std::min(n, m_nCount.load());
    if (n <= 0)
        return 0;
    const int first = std::min(n, m_nCapacity - m_nRead);
    std::memcpy(bytes, &m_pData[m_nRead], static_cast<size_t>(first));
    std::memcpy(bytes + first, &m_pData[0], static_cast<size_t>(n - first));
    m_nRead = (m_nRead + n) % m_nCapacity;
    m_nCount -= n;
    return n;
}
