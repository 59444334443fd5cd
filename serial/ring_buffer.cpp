#include "serial/ring_buffer.h"

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
