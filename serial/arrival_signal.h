#pragma once

#include <atomic>
#include <cstdint>

// Lets one thread sleep until another has something for it, or until a
// time-out. The signalling side pays a single atomic load while nobody
// sleeps, so it can signal after every byte it hands over. Over the
// system's wait on an address (a futex; WaitOnAddress).
class CArrivalSignal {
public:
    // Sleeps up to ms unless ready() holds once the sleeper has announced
    // itself: a Signal() from then on ends the sleep at once, so a signal
    // between the test and the sleep is never missed. True when it did not
    // sleep out its whole time (ready held, or it was signalled).
    template <class Ready>
    bool SleepUnless(Ready ready, uint32_t ms)
    {
        const uint32_t generation = Announce();
        if (ready()) {
            m_bSleeping.store(false);
            return true;
        }
        return Sleep(generation, ms);
    }

    // Wakes the sleeper, if there is one; call it after making ready() true.
    void Signal()
    {
        if (m_bSleeping.load() && m_bSleeping.exchange(false))
            Wake();
    }

    // Sleeps begun, and signals that had a sleeper to wake.
    unsigned long Sleeps() const { return m_nSleeps; }
    unsigned long Wakes() const { return m_nWakes; }

private:
    uint32_t Announce();
    bool Sleep(uint32_t generation, uint32_t ms);
    void Wake();
    // The system's side, per platform: block while the generation still
    // holds `generation`, for up to ms (it may return early), and wake the
    // one blocked.
    void BlockWhileGeneration(uint32_t generation, uint32_t ms);
    void WakeBlocked();

    std::atomic<bool> m_bSleeping{false};
    // The word slept on: moves on at every wake, so a sleep that starts after
    // a wake meant for it returns at once.
    std::atomic<uint32_t> m_nGeneration{0};
    std::atomic<unsigned long> m_nSleeps{0};
    std::atomic<unsigned long> m_nWakes{0};
};
