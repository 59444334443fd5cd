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

void CArrivalSignal::BlockWhileGeneration(uint32_t generation, uint32_t ms)
{
    const timespec timeout{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    syscall(SYS_futex, FutexWord(m_nGeneration), FUTEX_WAIT_PRIVATE, generation, &timeout, nullptr, 0);
}

void CArrivalSignal::WakeBlocked()
{
    syscall(SYS_futex, FutexWord(m_nGeneration), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}
