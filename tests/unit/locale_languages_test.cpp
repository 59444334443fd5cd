// The languages the environment asks for, as gettext programs read them.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "frontend/posix/locale_languages.h"

namespace {

TEST(LocaleLanguages, FollowTheEnvironmentAsGettextDoes)
{
    using Environment = std::map<std::string, std::string>;
    struct Case {
        Environment environment;
        std::vector<std::string> languages;
    };
    const Case cases[] = {
        {{}, {}},
        {{{"LANG", "de_AT.UTF-8"}}, {"de_AT", "de"}},
        {{{"LANG", "zh_CN.UTF-8"}}, {"zh_CN", "zh"}},
        {{{"LANG", "sr_RS@latin"}}, {"sr_RS", "sr"}},
        {{{"LANG", "fr"}}, {"fr"}},
        // The first set of LC_ALL, LC_MESSAGES, LANG; an empty one is unset.
        {{{"LC_ALL", "ja_JP.UTF-8"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "de_DE"}}, {"ja_JP", "ja"}},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "de_DE"}}, {"fr_FR", "fr"}},
        // LANGUAGE comes first, but only with a locale other than C itself.
        {{{"LANGUAGE", "pt_BR:es"}, {"LANG", "de_DE.UTF-8"}}, {"pt_BR", "pt", "es"}},
        {{{"LANGUAGE", "es:es_MX::fr"}, {"LANG", "de_DE"}}, {"es", "es_MX", "fr"}},
        {{{"LANGUAGE", "es"}, {"LANG", "C"}}, {}},
        {{{"LANGUAGE", "es"}, {"LC_ALL", "POSIX"}, {"LANG", "de_DE"}}, {}},
        {{{"LANGUAGE", "es"}, {"LANG", "C.UTF-8"}}, {"es"}},
        {{{"LANG", "C.UTF-8"}}, {}},
        {{{"LANGUAGE", "es"}}, {}},
        {{{"LANGUAGE", ""}, {"LANG", "de_DE"}}, {"de_DE", "de"}},
    };
    for (const Case& c : cases) {
        const auto getenv = [&](const char* name) -> const char* {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        };
        std::string shown;
        for (const auto& [name, value] : c.environment)
            shown += name + "=" + value + " ";
        EXPECT_EQ(LocaleLanguages(getenv), c.languages) << shown;
    }
}

}  // namespace
#endif
