#pragma once

#include <atomic>
#include <memory>

// Fixed-capacity FIFO of bytes. Every slot is usable: the count, not a spare
// slot, tells a full ring from an empty one. The ring takes no lock. One
// thread may Push while another Pops: the producer alone moves the write
// slot, the consumer alone the read slot, and a byte is stored before the
// count admits it and taken before the count gives its slot back. More
// producers or consumers than one each need their owner's lock; GetCount may
// be read from any thread.
class CRingBuffer {
public:
    CRingBuffer();
    virtual ~CRingBuffer();
    CRingBuffer(const CRingBuffer&) = delete;
    CRingBuffer& operator=(const CRingBuffer&) = delete;

    // Obtains storage and empties the ring; false if storage exists already
    // (the bytes held are kept) or cannot be obtained.
    bool Allocate(int nCapacity);
    void Free();
    bool Push(unsigned char byte);
    // Oldest byte, or 0 with nothing changed when the ring is empty.
    unsigned char Pop();
    // Up to n bytes at once, in order; the number stored (taken). The count
    // changes once for all of them.
    int PushMany(const unsigned char* bytes, int n);
    int PopMany(unsigned char* bytes, int n);
    int GetCount() const { return m_nCount.load(); }
    // Set only while no other thread uses the ring (Allocate, Free).
    int GetCapacity() const { return m_nCapacity; }

private:
    std::atomic<int> m_nCount;
    int m_nCapacity;
    std::unique_ptr<unsigned char[]> m_pData;
    int m_nRead;
    int m_nWrite;
};
