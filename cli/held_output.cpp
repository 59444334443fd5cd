#include "cli/held_output.h"

#include <cerrno>
#include <cstring>

#include "cli/console_text_writer.h"

CHeldOutput::CHeldOutput(std::FILE* stream, bool closed) : m_pStream(stream), m_bClosed(closed) {}

void CHeldOutput::Add(std::string_view text)
{
    m_held += text;
}

bool CHeldOutput::Deliver()
{
    // Nothing to say is not an error, even with nowhere to say it.
    if (m_held.empty())
        return true;
    errno = 0;
    const bool flushed = !m_bClosed && CConsoleTextWriter::Write(m_pStream, m_held);
    m_held.clear();
    if (flushed)
        return true;
    m_error = std::strerror(m_bClosed ? EBADF : (errno != 0 ? errno : EIO));
    return false;
}
