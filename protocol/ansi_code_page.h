#pragma once

#include <array>
#include <string>

// The code page the user's non-Unicode text is held in, with its conversions
// to and from UTF-16 and its lead-byte table. On Windows it is the system's
// ANSI code page (GetACP), converted by MultiByteToWideChar and
// WideCharToMultiByte; the wide form is the system's own UTF-16. Elsewhere it
// is the locale's codeset, converted through iconv; the wide form is UTF-16
// with host char16_t units (the bytes iconv exchanges are UTF-16LE, assembled
// and split explicitly, so host byte order never matters).
//
// Objects are made once per code page and live until the process ends, so a
// reference from Current() stays valid after Select() or a locale change.
// Every member is const (under iconv each call opens its own descriptors):
// safe to use from any thread.
class CAnsiCodePage {
public:
    // The code page in force, read afresh on each call, unless Select() chose
    // another: the system's on Windows ("CP1252", "CP932", "UTF-8" for
    // 65001), else the locale's codeset (nl_langinfo(CODESET)).
    static CAnsiCodePage& Current();
    // Tests (and nothing else) choose a code page by name: "UTF-8", "CP1252",
    // "CP932", "GB18030"...; an empty name returns to the system's or the
    // locale's. Throws std::invalid_argument for a code page the system (or
    // iconv) does not know.
    static void Select(const std::string& codeset);

    CAnsiCodePage(const CAnsiCodePage&) = delete;
    CAnsiCodePage& operator=(const CAnsiCodePage&) = delete;

    const std::string& Name() const { return m_name; }

    // Code page bytes to UTF-16. failOnInvalid: an invalid or cut-short
    // sequence fails the call; otherwise each invalid byte becomes U+FFFD.
    // dst == nullptr: size query, capacity ignored. Returns the unit count;
    // 0 for an empty text, a failure or too small a dst (dst then untouched).
    int MultiByteToWideChar(const char* src, int len, bool failOnInvalid, char16_t* dst, int capacity) const;
    // UTF-16 to code page bytes. Units the code page lacks, and unpaired
    // surrogates, become the default character "?" (one per character).
    // dst == nullptr: size query. Returns the byte count (no NUL is written);
    // 0 for an empty text, a failure or too small a dst (dst then untouched).
    int WideCharToMultiByte(const char16_t* src, int count, char* dst, int capacity) const;
    // Whether byte begins a double-byte character. Never in a single-byte
    // code page, and never in UTF-8, whose multi-byte characters are not
    // double-byte characters in this sense.
    bool IsLeadByte(unsigned char byte) const { return m_leadBytes[byte]; }

    // For the GUI layer, whose toolkit holds text in UTF-8.
    // Unmappable characters become "?"; invalid UTF-8 bytes are taken as U+FFFD.
    std::string FromUtf8(const std::string& utf8) const;
    // Invalid bytes become U+FFFD.
    std::string ToUtf8(const std::string& ansi) const;
    // How many bytes of this code page `utf8` takes (byte limits of edits).
    int ByteLength(const std::string& utf8) const;

private:
    // Windows converts by the code page's number; iconv by its name alone.
#ifdef _WIN32
    CAnsiCodePage(std::string name, unsigned codePage);
#else
    explicit CAnsiCodePage(std::string name);
#endif

    std::string m_name;
#ifdef _WIN32
    unsigned m_codePage;
#endif
    std::array<bool, 256> m_leadBytes{};
};
