#pragma once

#include <string>
#include <string_view>
#include <vector>

// Records of comma-separated values as RFC 4180 has them: a field in quotes
// may hold commas, line breaks and quotes doubled; records end with CRLF or
// LF (a CR is never part of an unquoted field). What the RFC does not allow
// is read as it stands: a quote inside an unquoted field, or one inside a
// quoted field that is not followed by a comma or a line end, is kept; a
// quote never closed makes its record one empty field, and reading goes on
// at the line after the one it opened on.
class CCsvReader {
public:
    explicit CCsvReader(std::string_view text) : m_text(text) {}

    // The next record's fields; false once the text is used up.
    bool Next(std::vector<std::string>& fields);

private:
    bool AtFieldEnd() const;
    void SkipLineEnd();

    std::string_view m_text;
    size_t m_pos = 0;
};
