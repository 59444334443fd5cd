#pragma once

#include <cstddef>
#include <string_view>

// Characters a terminal or a viewer acts on instead of showing: the C1
// controls (U+0080 to U+009F; U+009B starts an escape sequence on many
// terminals as ESC [ does) and the bidirectional controls that reorder the
// text around them (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to
// U+2069). Both JSON and the text output show them as escapes.
class CHiddenControl {
public:
    static bool Is(char32_t codePoint);
    // The length in bytes of such a character in UTF-8 at text[at], with
    // *codePoint set; 0 when there is none.
    static size_t InUtf8(std::string_view text, size_t at, char32_t* codePoint);
};
