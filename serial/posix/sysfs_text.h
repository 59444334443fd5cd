#pragma once

#include <filesystem>
#include <string>

// One attribute of a sysfs tree as text fit to show: valid UTF-8 without
// control or format characters, trimmed, and cut at a character boundary after
// kMaxChars characters. Missing, unreadable, empty or non-UTF-8 attributes
// read as empty, so the caller falls back to what it knows otherwise.
class CSysfsText {
public:
    // A USB string descriptor holds at most this many characters.
    static constexpr size_t kMaxChars = 126;
    // The kernel hands out an attribute in one page.
    static constexpr size_t kMaxBytes = 4096;

    static std::string Read(const std::filesystem::path& file);
    // The same rules over text already read; cutShort says that the text
    // stopped at kMaxBytes, perhaps inside a character.
    static std::string Clean(std::string text, bool cutShort = false);
};
