#include "serial/posix/sysfs_text.h"

#include <glib.h>

#include <algorithm>
#include <optional>

#include "serial/posix/small_file.h"

std::string CSysfsText::Read(const std::filesystem::path& file)
{
    // An attribute is a regular file of at most a page; anything else in
    // its place (a FIFO in a tree a test or a stranger laid out) reads as
    // missing rather than blocking.
    std::optional<std::string> text = CSmallFile::Read(file.string(), kMaxBytes);
    if (!text)
        return {};
    const bool cutShort = text->size() >= kMaxBytes;
    text->resize(std::min(text->size(), kMaxBytes));
    return Clean(std::move(*text), cutShort);
}

std::string CSysfsText::Clean(std::string text, bool cutShort)
{
    const char* valid = nullptr;
    if (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), &valid)) {
        // A page-long attribute may end inside a character: drop that part.
        const size_t validBytes = static_cast<size_t>(valid - text.data());
        if (!cutShort || text.size() - validBytes >= 4)
            return {};
        text.resize(validBytes);
    }
    std::string clean;
    size_t chars = 0;
    for (const char* p = text.data(); p < text.data() + text.size() && chars < kMaxChars;
         p = g_utf8_next_char(p)) {
        const gunichar c = g_utf8_get_char(p);
        // Line ends, tabs and other controls would break the one-line item.
        // Bidirectional overrides, zero-width and other format characters
        // would reorder or hide what is shown around them.
        if (g_unichar_type(c) == G_UNICODE_FORMAT) {
            ++chars;
            continue;
        }
        if (g_unichar_iscntrl(c)) {
            if (!clean.empty() && clean.back() != ' ')
                clean += ' ';
        } else {
            clean.append(p, static_cast<const char*>(g_utf8_next_char(p)));
        }
        ++chars;
    }
    const size_t first = clean.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return clean.substr(first, clean.find_last_not_of(' ') - first + 1);
}
