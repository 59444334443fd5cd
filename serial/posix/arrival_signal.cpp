#include "serial/arrival_signal.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) && std::atomic<uint32_t>::is_always_lock_free,
              "the futex word is the atomic's own storage");

namespace {
uint32_t* FutexWord(std::atomic<uint32_t>& word)
{
    return reinterpret_cast<uint32_t*>(&word);
}
}  // namespace

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
    const timespec timeout{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    // Returns at once when a wake has already moved the word on; an
    // interruption or a spurious return only ends this slice early.
    syscall(SYS_futex, FutexWord(m_nGeneration), FUTEX_WAIT_PRIVATE, generation, &timeout, nullptr, 0);
    m_bSleeping.store(false);
    return m_nGeneration.load() != generation;
}

void CArrivalSignal::Wake()
{
    ++m_nWakes;
    m_nGeneration.fetch_add(1);
    syscall(SYS_futex, FutexWord(m_nGeneration), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}
