#pragma once

#include <filesystem>
#include <string>
#include <vector>


// The string table of the resource-only library, which both front ends load:
// every text is asked for by number. Loading the library registers its bundle
// (templates and icon too); it is never unloaded.
class CStringTable {
public:
    // The resource library: a resource-only DLL on Windows, a bundle in a
    // shared object on Linux.
#ifdef _WIN32
    static constexpr const char* kFileName = "lidany.dll";
#else
    static constexpr const char* kFileName = "liblidany.so";
#endif
    // Where Load looks for the library, in turn: beside the executable (the
    // build tree, and the only place on Windows), then in the private folder
    // it is installed in on Linux, found from the installed executable's
    // folder. No other path is searched.
    static std::vector<std::filesystem::path> SearchPath(const std::filesystem::path& executable);
    static bool Load();
    // Tests point the loader at another file name (a missing one, say).
    static void SetFileName(std::string fileName);

    // An empty text when the number is missing.
    static std::string LoadString(int id);

    // The language the texts are in, as the library names it ("de",
    // "zh_CN"); "" for English. On Linux the user's environment chooses it
    // (see LocaleLanguages); Windows chooses by itself, and this is "".
    static std::string Language();
    // Tests choose the language: "" follows the environment again; a
    // language the library does not hold means English.
    static void SelectLanguage(std::string language);
    // While one lives, LoadString on this thread gives the English texts:
    // what machines read (apctl's JSON) never follows the language.
    class EnglishScope {
    public:
        EnglishScope();
        ~EnglishScope();
        EnglishScope(const EnglishScope&) = delete;
        EnglishScope& operator=(const EnglishScope&) = delete;

    private:
        bool m_outer;
    };
    static bool EnglishOnly();

#ifndef _WIN32
    // The bundle's path of a resource ("dialog/110.ui") in the language in
    // use: /lidany/<language>/<relative> where the bundle holds it, else the
    // English /lidany/<relative>.
    static std::string ResourcePath(const std::string& relative);
#endif
};
