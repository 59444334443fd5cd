#include "cli/progress_line.h"

#include <cmath>

#include "cli/apctl_string_ids.h"
#include "cli/apctl_text.h"

CProgressLine::CProgressLine(std::FILE* stream, bool enabled) : m_pStream(stream), m_bEnabled(enabled) {}

CProgressLine::~CProgressLine()
{
    Finish();
}

std::string CProgressLine::Text(int read, int count)
{
    const int seconds = static_cast<int>(std::ceil((count - read) * kSecondsPerRecord));
    char left[16];
    std::snprintf(left, sizeof left, "%d:%02d", seconds / 60, seconds % 60);
    return CApctlText::Get(IDS_APCTL_PROGRESS, {std::to_string(read), std::to_string(count), left});
}

void CProgressLine::Update(int read, int count)
{
    if (!m_bEnabled)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (m_bShown && read != count && now - m_lastDrawn < kRedrawEvery)
        return;
    m_lastDrawn = now;
    // Carriage return and erase to the end of the line: drawn over in place.
    std::fprintf(m_pStream, "\r%s\033[K", Text(read, count).c_str());
    std::fflush(m_pStream);
    m_bShown = true;
}

void CProgressLine::Finish()
{
    if (!m_bShown)
        return;
    std::fputs("\r\033[K", m_pStream);
    std::fflush(m_pStream);
    m_bShown = false;
}
