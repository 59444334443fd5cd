#pragma once

#include <string>

// A key of the current user's that ListComPorts reads in place of
// SERIALCOMM for as long as the object lives (the system's cannot be written
// without privileges). Kept apart from windows.h, whose DCB the port
// engine's headers define for themselves.
class CTestSerialCommKey {
public:
    CTestSerialCommKey();
    ~CTestSerialCommKey();
    CTestSerialCommKey(const CTestSerialCommKey&) = delete;
    CTestSerialCommKey& operator=(const CTestSerialCommKey&) = delete;

    bool IsOpen() const { return m_key != nullptr; }
    // A value as a serial driver writes it: its device, "COM<number>".
    bool AddPort(int number);

private:
    void* m_key = nullptr;
};
