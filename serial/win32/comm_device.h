#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// One open Win32 communications device, in the engine's own types, so the
// driver above it never sees <windows.h> (whose names the engine's interface
// shares). The line settings and time-outs are passed as the engine's
// records, which keep the system's layouts. Reads are whole blocks: one
// overlapped read is kept pending and completes when the first bytes arrive.
class CCommDevice {
public:
    static constexpr size_t kBlockSize = 4096;

    CCommDevice();
    ~CCommDevice();
    CCommDevice(const CCommDevice&) = delete;
    CCommDevice& operator=(const CCommDevice&) = delete;

    // Opens "COMn" for exclusive overlapped I/O; false when it cannot be had.
    bool Open(const char* name);
    void Close();
    bool IsOpen() const;
    intptr_t Id() const;

    // record: the engine's DCB (28 bytes); false when the port refuses it.
    bool SetState(const void* record, size_t size);
    // False where the system has no such call for this port; callers go on.
    bool SetQueues(int inQueue, int outQueue);
    bool SetMask(uint32_t mask);
    bool SetDtr();
    bool ModemStatus(uint32_t& status);
    // Clears the line's error state.
    void ClearErrors();
    // Purges the system's queues; a pending block read stays pending.
    void Purge(uint32_t flags);

    // Starts the block read unless one is under way or done but not taken.
    // False when the port has failed (hung up).
    bool StartRead();
    // Waits up to ms for the block read; the bytes it brought (then in
    // Block()), 0 while it is still under way or none is, -1 on failure.
    int FinishRead(uint32_t ms);
    const unsigned char* Block() const { return m_block.data(); }
    // The block read's completion event, to wait on beside others; valid
    // while a read is under way.
    void* ReadEvent() const;

    // Writes bytes, waiting at most ms before cancelling what is left (as
    // the POSIX driver, unlike the system, 0 means no wait). The count
    // written, or -1 when the port has failed.
    int Write(const unsigned char* data, size_t count, uint32_t ms);

private:
    struct SState;
    SState* m_state;
    std::array<unsigned char, kBlockSize> m_block{};
};
