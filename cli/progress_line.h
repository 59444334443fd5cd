#pragma once

#include <chrono>
#include <cstdio>
#include <string>

// A line on a terminal that says how far a listing has come and how long the
// rest takes at the line rate, redrawn in place a few times a second and
// wiped when done. Off a terminal it writes nothing.
class CProgressLine {
public:
    // 11 bits a byte at 115200 baud, 22 bytes a record.
    static constexpr double kSecondsPerRecord = 22 * 11 / 115200.0;
    static constexpr std::chrono::milliseconds kRedrawEvery{100};

    // stream is the terminal's (stderr); enabled says whether it is one.
    CProgressLine(std::FILE* stream, bool enabled);
    ~CProgressLine();

    void Update(int read, int count);
    void Finish();
    // The line as it reads for read of count records.
    static std::string Text(int read, int count);

private:
    std::FILE* m_pStream;
    bool m_bEnabled;
    bool m_bShown = false;
    std::chrono::steady_clock::time_point m_lastDrawn;
};
