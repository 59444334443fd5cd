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
// at the line after the one it opened on. A quoted field longer than
// kMaxQuotedBytes makes its record one empty field too, and reading goes on
// at the line after the one where it passed that length; so no byte is read
// more than kMaxQuotedBytes times over and reading stays linear.
class CCsvReader {
public:
    static constexpr size_t kMaxQuotedBytes = 4096;

    explicit CCsvReader(std::string_view text) : m_text(text) {}

    // The next record's fields; false once the text is used up.
    bool Next(std::vector<std::string>& fields);

private:
    bool AtFieldEnd() const;
    void SkipLineEnd();
    void SkipLine();

    std::string_view m_text;
    size_t m_pos = 0;
};
