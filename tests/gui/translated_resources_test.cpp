// The bundle in every language of po/: the environment or a test chooses
// one, and texts and dialog templates then come in it.
#include <gtest/gtest.h>
#include <gtkmm.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/framework/gtk/resource_templates.h"
#include "app/framework/resource_library.h"

namespace {

const int kTemplates[] = {110, 120, 121, 122, 123, 125, 126, 127};
const char* const kVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

class TranslatedResourcesTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CResourceLibrary::Load());
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
    }

    void TearDown() override
    {
        for (const auto& [name, value] : m_saved)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        CStringTable::SelectLanguage("");
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST_F(TranslatedResourcesTest, BundleHoldsEveryLanguageWithEveryTemplate)
{
    int languages = 0;
    for (const auto& po : std::filesystem::directory_iterator(APCONFIG_PO_DIR)) {
        if (po.path().extension() != ".po")
            continue;
        const std::string language = po.path().stem().string();
        SCOPED_TRACE(language);
        ++languages;
        CStringTable::SelectLanguage(language);
        EXPECT_EQ(CStringTable::Language(), language);
        for (int number : kTemplates) {
            const std::string ui = "dialog/" + std::to_string(number) + ".ui";
            EXPECT_EQ(CStringTable::ResourcePath(ui), "/lidany/" + language + "/" + ui);
            EXPECT_TRUE(LoadDialogTemplate(number)) << ui;
        }
        const std::string tab = CResourceLibrary::LoadString(57362);
        EXPECT_FALSE(tab.empty());
        EXPECT_NE(tab, "Paired Devices");
    }
    EXPECT_GE(languages, 5);
}

TEST_F(TranslatedResourcesTest, GermanTemplateCarriesGermanTexts)
{
    CStringTable::SelectLanguage("de");
    const auto builder = LoadDialogTemplate(110);
    ASSERT_TRUE(builder);
    Gtk::Dialog* dialog = nullptr;
    Gtk::Button* cancel = nullptr;
    builder->get_widget("dialog", dialog);
    builder->get_widget("2", cancel);
    ASSERT_TRUE(dialog && cancel);
    EXPECT_EQ(dialog->get_title(), "Anschluss auswählen");
    EXPECT_EQ(cancel->get_label(), "_Abbrechen");
    EXPECT_EQ(CResourceLibrary::LoadString(57362), "Gekoppelte Geräte");
    delete dialog;
}

TEST_F(TranslatedResourcesTest, EnvironmentChoosesTheFirstLanguageTheBundleHolds)
{
    struct Case {
        const char* language;
        const char* lang;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, "de_AT.UTF-8", "de"},        // a locale the machine need not have
        {nullptr, "zh_CN.UTF-8", "zh_CN"},
        {nullptr, "zh_TW.UTF-8", ""},
        {"pt_BR:ja", "de_DE.UTF-8", "ja"},
        {"fr", "C", ""},
        {nullptr, "en_GB.UTF-8", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.language ? c.language : "-") + " " + c.lang);
        c.language ? setenv("LANGUAGE", c.language, 1) : unsetenv("LANGUAGE");
        setenv("LANG", c.lang, 1);
        CStringTable::SelectLanguage("");
        EXPECT_EQ(CStringTable::Language(), c.expected);
    }
}

TEST_F(TranslatedResourcesTest, LanguageTheBundleLacksIsEnglish)
{
    setenv("LANG", "de_DE.UTF-8", 1);
    CStringTable::SelectLanguage("pt");
    EXPECT_EQ(CStringTable::Language(), "");
    EXPECT_EQ(CStringTable::ResourcePath("dialog/110.ui"), "/lidany/dialog/110.ui");
    EXPECT_EQ(CResourceLibrary::LoadString(57362), "Paired Devices");
}

}  // namespace
