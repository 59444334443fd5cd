#include "serial/arrival_signal.h"

#include <windows.h>

#include <synchapi.h>

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
    // Returns at once when a wake has already moved the word on; a spurious
    // return only ends this slice early.
    WaitOnAddress(&m_nGeneration, &generation, sizeof generation, ms);
    m_bSleeping.store(false);
    return m_nGeneration.load() != generation;
}

void CArrivalSignal::Wake()
{
    ++m_nWakes;
    m_nGeneration.fetch_add(1);
    WakeByAddressSingle(&m_nGeneration);
}
