#pragma once

#include <windows.h>

#include <string>

// The string table of one language block of a resource library, read as
// it is stored: LoadStringW answers only for the block Windows chooses, a
// test that measures every language needs each block's own texts.
class CLanguageBlockStrings {
public:
    CLanguageBlockStrings(HMODULE module, LANGID language) : m_module(module), m_language(language) {}

    // UTF-8; empty when the block lacks the number.
    std::string Text(int id) const;

private:
    HMODULE m_module;
    LANGID m_language;
};
