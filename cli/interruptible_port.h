#pragma once

#include <cstdint>
#include <functional>

#include "serial/serial_port.h"

// The port engine with a way out: once interrupted() says so, the next byte
// read or written fails at once (as a late one does) instead of waiting out
// the reply time-out, so that the exchange stops and drops what it still had
// to send. Waits are cut into slices for the flag to be looked at between.
class CInterruptiblePort : public CSerialPort {
public:
    static constexpr int kSliceMs = 50;

    explicit CInterruptiblePort(std::function<bool()> interrupted,
                                std::unique_ptr<IPortDriver> driver = nullptr);

    // From here on the flag is no longer heeded, and every wait ends by
    // budgetMs from now: the conversation is being closed after all.
    void Closing(int budgetMs);

    void Write(const void* pData, int nCount) override;
    char ReadByteTimeout(int ms) override;
    // Byte by byte, each with its own slices.
    void ReadBytesTimeout(char* buffer, int n, int ms) override;

private:
    bool Stopped() const;

    std::function<bool()> m_interrupted;
    bool m_bClosing = false;
    uint32_t m_closingEnd = 0;
};
