#include "tests/support/scripted_port.h"

CScriptedPort::CScriptedPort(const std::string& received, int capacity)
{
    m_receiveRing.Allocate(capacity);
    Receive(received);
}

void CScriptedPort::Receive(const std::string& bytes)
{
    for (char c : bytes)
        m_receiveRing.Push(static_cast<unsigned char>(c));
}

void CScriptedPort::Write(const void* pData, int nCount)
{
    if (nCount > 0)
        m_written.append(static_cast<const char*>(pData), static_cast<size_t>(nCount));
}

char CScriptedPort::ReadByteTimeout(int ms)
{
    m_timeouts.push_back(ms);
    if (m_nReads++ == m_nTimeoutAt || IsReceiveEmpty())
        throw kReadTimeoutCode;
    return ReadByte();
}

void CScriptedPort::ReadBytesTimeout(char* buffer, int n, int ms)
{
    for (int i = 0; i < n; ++i)
        buffer[i] = ReadByteTimeout(ms);
}
