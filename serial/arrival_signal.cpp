#include "serial/arrival_signal.h"

uint32_t CArrivalSignal::Announce()
{
    // The generation first: a wake that follows the announcement moves it
    // past the value the sleep compares with.
    const uint32_t generation = m_nGeneration.load();
    m_bSleeping.store(true);
    return generation;
}

bool CArrivalSignal::Sleep(uint32_t generation, uint32_t ms)
{
    ++m_nSleeps;
    // Returns at once when a wake has already moved the word on; an
    // interruption or a spurious return only ends this slice early.
    BlockWhileGeneration(generation, ms);
    m_bSleeping.store(false);
    return m_nGeneration.load() != generation;
}

void CArrivalSignal::Wake()
{
    ++m_nWakes;
    m_nGeneration.fetch_add(1);
    WakeBlocked();
}
