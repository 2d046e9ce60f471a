// The shipped language modules against the plug-in's own tables: every string
// of Norvane.dll has a translation, with the same placeholders in the same
// order, and string 1 names the language for the installer's list. A string
// added to the plug-in without its German text fails here.
#include "SetupTestSupport.h"
#include "StringLookup.h"
#include "Win32Handles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace norvane::setup {
namespace {

using test::BuildPath;

// Texts that are the same in the translation: names, not words.
const std::set<UINT> kSameInEveryLanguage = {125, 50000};

std::vector<UINT> StringIds(HMODULE module) {
    std::vector<UINT> blocks;
    EnumResourceNamesW(
        module, RT_STRING,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
            if (IS_INTRESOURCE(name)) {
                reinterpret_cast<std::vector<UINT>*>(param)->push_back(
                    static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
            }
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&blocks));
    std::vector<UINT> ids;
    for (UINT block : blocks) {
        for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
            std::wstring text;
            if (LoadModuleString(module, id, text)) {
                ids.push_back(id);
            }
        }
    }
    return ids;
}

// The printf placeholders of a text in order ("%d", "%s", "%%" ...).
std::vector<std::wstring> Placeholders(const std::wstring& text) {
    std::vector<std::wstring> found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'%') {
            continue;
        }
        size_t end = i + 1;
        while (end < text.size() && wcschr(L"-+ #0123456789.lh", text[end])) {
            ++end;
        }
        if (end < text.size()) {
            found.push_back(text.substr(i, end - i + 1));
        }
        i = end;
    }
    return found;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out += c < 128 ? static_cast<char>(c) : '?';
    }
    return out;
}

TEST(LanguageModules, GermanHasEveryStringOfThePlugin) {
    UniqueModule plugin(
        LoadLibraryExW(BuildPath(L"Norvane/Norvane.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    UniqueModule german(
        LoadLibraryExW(BuildPath(L"Languages/German.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(plugin && german);
    std::wstring name;
    ASSERT_TRUE(LoadModuleString(german.Get(), 1, name));
    EXPECT_EQ(name, L"Deutsch");

    const std::vector<UINT> ids = StringIds(plugin.Get());
    ASSERT_GT(ids.size(), 40u) << "the plug-in's tables were read";
    for (UINT id : ids) {
        std::wstring english, translated;
        LoadModuleString(plugin.Get(), id, english);
        EXPECT_TRUE(LoadModuleString(german.Get(), id, translated))
            << "string " << id << " (\"" << Narrow(english)
            << "\") has no German text in Languages/German.rc";
        if (translated.empty()) {
            continue;
        }
        EXPECT_EQ(Placeholders(translated), Placeholders(english))
            << "string " << id << ": the German text needs the same placeholders in the same order";
        if (!kSameInEveryLanguage.count(id)) {
            EXPECT_NE(translated, english) << "string " << id << " (\"" << Narrow(english)
                                           << "\") is still English in Languages/German.rc";
        }
    }
    // Nothing is there that neither the plug-in nor the options program knows (a
    // leftover of a removed string).
    UniqueModule options(LoadLibraryExW(BuildPath(L"NorvaneOptions/NorvaneOptions.exe").c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE));
    for (UINT id : StringIds(german.Get())) {
        std::wstring english;
        EXPECT_TRUE(id == 1 || LoadModuleString(plugin.Get(), id, english) ||
                    LoadModuleString(options.Get(), id, english))
            << "string " << id << " of German.dll is not one of the plug-in's or the options program's";
    }
}

TEST(LanguageModules, PlaceholderComparison) {
    EXPECT_EQ(Placeholders(L"Quick Launch %d, %s and 100%% of %5.2lf"),
              (std::vector<std::wstring>{L"%d", L"%s", L"%%", L"%5.2lf"}));
    EXPECT_TRUE(Placeholders(L"none").empty());
    EXPECT_TRUE(Placeholders(L"trailing %").empty());
}

} // namespace
} // namespace norvane::setup
