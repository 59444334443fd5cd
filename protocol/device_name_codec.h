#pragma once

#include <string>

// The device name travels as UTF-8 and is shown in the user's ANSI code page;
// these convert between the two through UTF-16. The UTF-8 side works on
// 16-bit units only: each unit is one sequence of 1 to 3 bytes, surrogates
// are not paired and 4-byte sequences are not understood. Counts are ints; a
// whole-text result of 0 always means failure, an empty text included.

// Encodes one unit into out: returns its 1 to 3 bytes and writes a NUL after
// them.
int EncodeUtf8Unit(char16_t unit, char out[4]);
// UTF-8 bytes of count units (no NUL). dst == nullptr only counts; otherwise
// 0 once the bytes would pass capacity (what fitted stays in dst).
int Utf16ToUtf8(const char16_t* src, int count, char* dst, int capacity);
// Decodes the sequence at p, with left bytes in the text from p: returns the
// bytes it takes, 1 to 3, or 0 when p cannot begin a sequence or the text
// ends inside it (unit then unset). Continuation bytes are not checked: only
// their low six bits count.
int DecodeUtf8Sequence(const char* p, int left, char16_t& unit);
// Units of len UTF-8 bytes. dst == nullptr only counts; otherwise 0 once the
// units would pass capacity. 0 for any invalid sequence.
int Utf8ToUtf16(const char* src, int len, char16_t* dst, int capacity);

// A name typed in the ANSI code page (up to its first NUL) as UTF-8. Fails,
// leaving utf8 alone, for an empty name, a name with any double-byte
// character (a lone lead byte at the end included) or bytes invalid in the
// code page.
bool AnsiToUtf8Name(const std::string& ansiName, std::string& utf8);
// Replaces the NUL-terminated UTF-8 text in buffer with its ANSI form and a
// NUL. Fails, leaving the buffer unchanged, for an empty or invalid text and
// when the ANSI form would not fit in the source's own bytes.
bool Utf8ToAnsiInPlace(char* buffer);
