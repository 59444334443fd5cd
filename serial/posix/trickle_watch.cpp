#include "serial/posix/trickle_watch.h"

void CTrickleWatch::BlockRead(size_t bytes, Clock::time_point at)
{
    // Measured from the block before, which left the tty empty: the time
    // these bytes took to come.
    m_bSlow = m_bBlockSinceWrite && at - m_lastBlock >= static_cast<long>(bytes) * kSlowByte;
    m_bBlockSinceWrite = true;
    m_lastBlock = at;
}

void CTrickleWatch::Wrote()
{
    m_bBlockSinceWrite = false;
    m_bSlow = false;
}

bool CTrickleWatch::Trickling(Clock::time_point now) const
{
    return m_bSlow && now - m_lastBlock < kPause;
}
