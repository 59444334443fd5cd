#include "protocol/csv_reader.h"

bool CCsvReader::AtFieldEnd() const
{
    return m_pos >= m_text.size() || m_text[m_pos] == ',' || m_text[m_pos] == '\n' || m_text[m_pos] == '\r';
}

void CCsvReader::SkipLineEnd()
{
    if (m_pos < m_text.size() && m_text[m_pos] == '\r')
        ++m_pos;
    if (m_pos < m_text.size() && m_text[m_pos] == '\n')
        ++m_pos;
}

void CCsvReader::SkipLine()
{
    while (m_pos < m_text.size() && m_text[m_pos] != '\n' && m_text[m_pos] != '\r')
        ++m_pos;
    SkipLineEnd();
}

bool CCsvReader::Next(std::vector<std::string>& fields)
{
    fields.clear();
    if (m_pos >= m_text.size())
        return false;
    std::string field;
    bool quoted = false;
    bool fieldStart = true;
    // Where the first line break inside quotes was, to go on from should
    // the closing quote never come.
    size_t firstBreak = std::string_view::npos;
    size_t quoteStart = 0;
    while (m_pos < m_text.size()) {
        const char c = m_text[m_pos++];
        if (quoted && m_pos - quoteStart > kMaxQuotedBytes) {
            // Far too long for any text this program reads: the record is
            // bad, and what follows is read from the next line on, never
            // again from inside this field.
            --m_pos;
            SkipLine();
            fields.assign(1, std::string());
            return true;
        }
        if (quoted) {
            if ((c == '\n' || c == '\r') && firstBreak == std::string_view::npos)
                firstBreak = m_pos - 1;
            if (c != '"') {
                field += c;
            } else if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                field += '"';
                ++m_pos;
            } else if (AtFieldEnd()) {
                quoted = false;
            } else {
                field += '"';
            }
            continue;
        }
        if (c == '"' && fieldStart) {
            quoted = true;
            quoteStart = m_pos;
            fieldStart = false;
            continue;
        }
        fieldStart = false;
        if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
            fieldStart = true;
        } else if (c == '\n') {
            break;
        } else if (c == '\r') {
            --m_pos;
            SkipLineEnd();
            break;
        } else {
            field += c;
        }
    }
    if (quoted) {
        // Never closed: the record is broken, the lines after it are not.
        if (firstBreak != std::string_view::npos) {
            m_pos = firstBreak;
            SkipLineEnd();
        }
        fields.assign(1, std::string());
        return true;
    }
    fields.push_back(std::move(field));
    return true;
}
