#pragma once

#include <functional>
#include <string>
#include <vector>

// The languages the user's environment asks for, best first, read as gettext
// reads them: the colon list of LANGUAGE, unless the locale (the first set of
// LC_ALL, LC_MESSAGES, LANG) is unset, C or POSIX; else the locale itself.
// Each entry gives its ll_CC, then its ll ("de_AT.UTF-8" gives "de_AT", "de").
// The environment, not setlocale's result: a locale the machine has not
// generated still names its language.
std::vector<std::string> LocaleLanguages(const std::function<const char*(const char*)>& getenv);
