#include "frontend/posix/locale_languages.h"

#include <algorithm>
#include <ranges>

namespace {

std::string Variable(const std::function<const char*(const char*)>& getenv, const char* name)
{
    const char* value = getenv(name);
    return value ? value : "";
}

// "ll_CC.codeset@modifier" without its codeset and modifier.
std::string WithoutCodeset(const std::string& locale)
{
    return locale.substr(0, locale.find_first_of(".@"));
}

void AddEntry(std::vector<std::string>& languages, const std::string& entry)
{
    const std::string name = WithoutCodeset(entry);
    for (const std::string& candidate : {name, name.substr(0, name.find('_'))})
        if (!candidate.empty() && std::ranges::find(languages, candidate) == languages.end())
            languages.push_back(candidate);
}

}  // namespace

std::vector<std::string> LocaleLanguages(const std::function<const char*(const char*)>& getenv)
{
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (locale = Variable(getenv, name); !locale.empty())
            break;
    // The C library's rule: LANGUAGE is ignored in the C locale itself, whose
    // output POSIX fixes; C.UTF-8 is a locale of its own and honours it.
    if (locale.empty() || locale == "C" || locale == "POSIX")
        return {};
    std::vector<std::string> languages;
    const std::string list = Variable(getenv, "LANGUAGE");
    for (const auto entry : std::views::split(list, ':'))
        AddEntry(languages, std::string(entry.begin(), entry.end()));
    if (languages.empty() && WithoutCodeset(locale) != "C")
        AddEntry(languages, locale);
    return languages;
}
