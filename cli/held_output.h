#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// apctl's answer on standard output, held until the conversation has ended:
// a reader that is slow, gone or full can then never keep the access point
// from hearing the closing command. Delivery checks every write and the
// final flush.
class CHeldOutput {
public:
    // closed: the stream's descriptor was not open when the program started
    // (something else stands in for it so no file takes its number).
    CHeldOutput(std::FILE* stream, bool closed);

    void Add(std::string_view text);
    // Writes what was added; false when any of it may not have gone out,
    // Error() then says why.
    bool Deliver();
    const std::string& Error() const { return m_error; }

private:
    std::FILE* m_pStream;
    bool m_bClosed;
    std::string m_held;
    std::string m_error;
};
