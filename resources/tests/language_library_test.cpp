#include <gtest/gtest.h>

#include <string>

#include "platform/afx/core/resource.h"
#include "platform/win/codepage.h"

namespace {

// Every string of a language library converts exactly to its code page.
void ExpectAllStringsIn(HMODULE module, UINT codePage, int expectedCount) {
    int count = 0;
    for (UINT id = 1; id <= 0xFFFF; ++id) {
        HRSRC found = FindResourceA(module, MAKEINTRESOURCE(id), RT_STRING);
        if (!found) continue;
        ++count;
        const char* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
        bool ok = false;
        suite::Utf8ToAnsi(std::string(text, SizeofResource(module, found)), codePage, &ok);
        EXPECT_TRUE(ok) << "string " << id << " is not all in code page " << codePage;
    }
    EXPECT_EQ(count, expectedCount);
}

}  // namespace

TEST(LanguageLibraries, LoadByTheirProgramNamesWithTheSameStrings) {
    HMODULE simplified = LoadLibraryA("\\Ruvuradavad.DLL");
    HMODULE traditional = LoadLibraryA("\\Ruvozidever.DLL");
    ASSERT_NE(simplified, nullptr);
    ASSERT_NE(traditional, nullptr);

    int count = 0;
    for (UINT id = 1; id <= 0xFFFF; ++id) {
        bool inSimplified = FindResourceA(simplified, MAKEINTRESOURCE(id), RT_STRING) != nullptr;
        bool inTraditional = FindResourceA(traditional, MAKEINTRESOURCE(id), RT_STRING) != nullptr;
        EXPECT_EQ(inSimplified, inTraditional) << "string " << id << " is in one library only";
        count += inSimplified;
    }
    EXPECT_GT(count, 50);
    ExpectAllStringsIn(simplified, 936, count);
    ExpectAllStringsIn(traditional, 950, count);

    AfxSetResourceHandle(simplified);
    CString title;
    ASSERT_TRUE(title.LoadString(57344));
    EXPECT_STREQ(title, "Scribant");
    CString types;
    ASSERT_TRUE(types.LoadString(61214));
    EXPECT_STREQ(types, "\xD7\xD4\xB6\xAF") << "GBK bytes of the first page type";
    CString format;
    ASSERT_TRUE(format.LoadString(61468));
    CString shown;
    shown.Format(format, 12, 3);
    EXPECT_NE(shown.Find("12"), -1);
    AfxSetResourceHandle(nullptr);

    FreeLibrary(simplified);
    FreeLibrary(traditional);
}

// Both libraries carry the same pictures, menus, windows, tool bars and key
// tables, so a program switched to the other language finds each of them.
TEST(LanguageLibraries, CarryTheSameResourcesOfEveryKind) {
    HMODULE simplified = LoadLibraryA("\\Ruvuradavad.DLL");
    HMODULE traditional = LoadLibraryA("\\Ruvozidever.DLL");
    ASSERT_NE(simplified, nullptr);
    ASSERT_NE(traditional, nullptr);
    const struct {
        LPCSTR type;
        const char* name;
    } kinds[] = {{RT_BITMAP, "bitmap"}, {RT_MENU, "menu"}, {RT_DIALOG, "dialog"}, {RT_TOOLBAR, "tool bar"},
                 {RT_ACCELERATOR, "key table"}};
    for (const auto& kind : kinds) {
        int count = 0;
        for (UINT id = 1; id <= 0xFFFF; ++id) {
            const bool inSimplified = FindResourceA(simplified, MAKEINTRESOURCE(id), kind.type) != nullptr;
            const bool inTraditional = FindResourceA(traditional, MAKEINTRESOURCE(id), kind.type) != nullptr;
            EXPECT_EQ(inSimplified, inTraditional) << kind.name << " " << id << " is in one library only";
            count += inSimplified;
        }
        EXPECT_GT(count, 0) << kind.name;
    }
    // The search engines' menu and the file bar's folder pictures of each script.
    for (HMODULE library : {simplified, traditional}) {
        EXPECT_NE(FindResourceA(library, MAKEINTRESOURCE(283), RT_MENU), nullptr);
        EXPECT_NE(FindResourceA(library, MAKEINTRESOURCE(209), RT_BITMAP), nullptr);
        EXPECT_NE(FindResourceA(library, MAKEINTRESOURCE(272), RT_BITMAP), nullptr);
    }
    FreeLibrary(simplified);
    FreeLibrary(traditional);
}
