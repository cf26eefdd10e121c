// The resource compiler against the scripts it is given, and the loader
// against what the compiler stores.
#include <gtest/gtest.h>

#include <QImage>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/afx/core/dib_qt.h"
#include "platform/afx/core/rc/rc_compiler.h"
#include "platform/afx/core/resource.h"
#include "platform/afx/core/tests/resource_ids.h"
#include "platform/win/files.h"
#include "platform/win/tests/temporary_folder.h"

namespace {

suite::rc::Result Compile(const std::string& script, const std::string& path = "t.rc") {
    return suite::rc::CompileText(script, path, {});
}

// The id of the single string a script of one STRINGTABLE entry makes.
long StringId(const std::string& idExpression) {
    suite::rc::Result r = Compile("STRINGTABLE\nBEGIN\n  " + idExpression + ", \"x\"\nEND\n");
    if (!r.error.empty() || r.resources.size() != 1) return -1;
    return static_cast<long>(r.resources[0].id);
}

std::string ErrorOf(const std::string& script, const std::string& path = "t.rc") {
    suite::rc::Result r = Compile(script, path);
    EXPECT_TRUE(r.resources.empty()) << "resources are dropped on failure: " << script;
    return r.error;
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

CMenuTemplate ParseMenu(const suite::rc::Resource& r) {
    CMenuTemplate menu;
    EXPECT_TRUE(AfxParseMenuTemplate(r.data.data(), static_cast<DWORD>(r.data.size()), menu));
    return menu;
}

CDialogTemplate ParseDialog(const suite::rc::Resource& r) {
    CDialogTemplate dialog;
    EXPECT_TRUE(AfxParseDialogTemplate(r.data.data(), static_cast<DWORD>(r.data.size()), dialog));
    return dialog;
}

}  // namespace

TEST(ResourceCompilerExpressions, FollowCPrecedenceAndRefuseWhatCannotBeComputed) {
    EXPECT_EQ(StringId("1 | 2 & 0"), 1) << "& binds tighter than |";
    EXPECT_EQ(StringId("6 & 3 | 8"), 10);
    EXPECT_EQ(StringId("(1 << 4) + 2 * 3"), 22);
    EXPECT_EQ(StringId("0x100 >> 4 | 1"), 17);
    EXPECT_EQ(StringId("17 / 5 + 17 % 5"), 5);
    EXPECT_EQ(StringId("2 + 3 * 4 - 1"), 13);
    EXPECT_EQ(StringId("-1"), 0xFFFF) << "negative ids are 16-bit";
    EXPECT_EQ(StringId("~0 & 0xFF"), 0xFF);
    EXPECT_EQ(StringId("0xF0 | NOT 0x30"), 0xC0) << "| NOT clears bits";
    EXPECT_EQ(StringId("0xFFFFFFFF * 0xFFFFFFFF & 0xFF"), 1) << "wraps instead of overflowing";

    // Defines from a header are evaluated with the same rules.
    suite_test::TemporaryFolder temp("afx-rc");
    const std::string dir = temp.path();
    ASSERT_TRUE(suite::WriteNativeFileAtomic(dir + "/afx_rc_flags.h",
                                             "#pragma once\n#define FLAG_A (1 << 2)\n#define FLAG_B (FLAG_A * 4)\n"
                                             "#define BOTH (FLAG_A | FLAG_B)\n"));
    suite::rc::Result r = Compile("#include \"afx_rc_flags.h\"\nSTRINGTABLE\nBEGIN\n  BOTH, \"x\"\nEND\n", dir + "/t.rc");
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.resources[0].id, 20u);

    EXPECT_EQ(StringId("10 / 0"), -1);
    EXPECT_EQ(StringId("10 % 0"), -1);
    EXPECT_EQ(StringId("1 << 64"), -1);
    EXPECT_EQ(StringId("(1"), -1);
    EXPECT_EQ(StringId("1 +"), -1);
    EXPECT_EQ(StringId("0x10000"), -1) << "out of the 16-bit range";
    // Hostile nesting fails cleanly instead of exhausting the stack.
    EXPECT_EQ(StringId(std::string(100000, '(') + "1" + std::string(100000, ')')), -1);
    EXPECT_EQ(StringId(std::string(100000, '-') + "1"), -1);
    EXPECT_TRUE(StartsWith(ErrorOf("STRINGTABLE\nBEGIN\n  4 / (2 - 2), \"x\"\nEND\n"), "t.rc:3: bad string id"));
}

TEST(ResourceCompilerFiles, OnlyRegularFilesAreRead) {
    suite_test::TemporaryFolder temp("afx-rc");
    const std::string dir = temp.path();
    std::filesystem::create_directories(dir + "/afx_rc_folder");
    // A folder or a device used to read as an empty file and compile.
    EXPECT_TRUE(StartsWith(ErrorOf("1 RCDATA \"afx_rc_folder\"\n", dir + "/t.rc"), dir + "/t.rc:1: cannot read"));
    EXPECT_TRUE(StartsWith(ErrorOf("1 RCDATA \"/dev/null\"\n", dir + "/t.rc"), dir + "/t.rc:1: cannot read"));
    EXPECT_TRUE(StartsWith(ErrorOf("#include \"afx_rc_folder\"\n", dir + "/t.rc"),
                           dir + "/t.rc:1: cannot find include file"));
    EXPECT_EQ(suite::rc::CompileFile(dir + "/afx_rc_folder", {}).error, dir + "/afx_rc_folder: cannot read the file");

    // A data file beside the script, else in an include folder.
    std::filesystem::create_directories(dir + "/afx_rc_inc");
    ASSERT_TRUE(suite::WriteNativeFileAtomic(dir + "/afx_rc_inc/afx_rc_data.bin", std::string("a\0b", 3)));
    suite::rc::Result r = suite::rc::CompileText("IDR_DATA RCDATA PRELOAD DISCARDABLE \"afx_rc_data.bin\"\n",
                                                 dir + "/t.rc", {dir + "/afx_rc_inc"});
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.resources.size(), 1u);
    EXPECT_EQ(r.resources[0].name, "IDR_DATA");
    EXPECT_EQ(r.resources[0].data.size(), 3u) << "stored as is, NUL included";
}

TEST(ResourceCompilerScripts, HeadersOptionsAndByteOrderMarks) {
    // A script saved with a byte-order mark, and memory options anywhere they may appear.
    suite::rc::Result r = Compile(
        "\xEF\xBB\xBF// saved with a mark\n"
        "STRINGTABLE DISCARDABLE\nBEGIN\n  1, \"one\"\nEND\n"
        "2 MENU PRELOAD DISCARDABLE\nBEGIN\n  MENUITEM \"x\", 5\nEND\n"
        "3 ACCELERATORS MOVEABLE PURE\nBEGIN\n  \"A\", 5, VIRTKEY\nEND\n"
        "4 DIALOG DISCARDABLE 1, 2, 30, 40\nFONT 9, \"SimSun\"\nSTYLE 0x80000000\nBEGIN\nEND\n");
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.resources.size(), 4u);
    CDialogTemplate dialog = ParseDialog(r.resources[3]);
    EXPECT_EQ(dialog.x, 1);
    EXPECT_EQ(dialog.cy, 40);
    EXPECT_EQ(dialog.style, 0x80000040u) << "a FONT before STYLE still marks the font";
    EXPECT_STREQ(dialog.fontName, "SimSun");

    // Words after a header that are not options are an error, not ignored.
    EXPECT_TRUE(StartsWith(ErrorOf("2 MENU JUNK\nBEGIN\n  MENUITEM \"x\", 5\nEND\n"), "t.rc:1: unexpected JUNK after MENU"));
    EXPECT_TRUE(StartsWith(ErrorOf("STRINGTABLE 7\nBEGIN\n  1, \"one\"\nEND\n"), "t.rc:1: unexpected"));

    // Quoted names: a control character is refused, others survive as written (upper case).
    EXPECT_TRUE(StartsWith(ErrorOf("\"a\\nb\" RCDATA \"x\"\n"), "t.rc:1: control character in a resource name"));
    std::string source = suite::rc::EmitLibrarySource(Compile("\"q\\\"uo?\\\\te\" MENU\nBEGIN\n MENUITEM \"x\", 1\nEND\n").resources);
    EXPECT_NE(source.find("\"Q\\042UO\\077\\134TE\""), std::string::npos) << "escaped in the generated source";
}

TEST(ResourceCompilerMenus, NestedPopupsEndEachLevel) {
    suite::rc::Result r = Compile(R"(1 MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "&Open", 10
        POPUP "Recent", GRAYED
        BEGIN
            MENUITEM "None", 11, GRAYED, CHECKED
            POPUP "Deeper"
            BEGIN
                MENUITEM "Deepest", 12, MENUBREAK
            END
        END
    END
    POPUP "&Help", HELP
    BEGIN
        MENUITEM "About", 13, MENUBARBREAK, INACTIVE
        MENUITEM SEPARATOR
        MENUITEM "", 14
    END
END
)");
    ASSERT_TRUE(r.error.empty()) << r.error;
    CMenuTemplate menu = ParseMenu(r.resources[0]);
    ASSERT_EQ(menu.items.size(), 2u) << "the last popup of a level ends it, its items follow";
    const CMenuTemplateItem& file = menu.items[0];
    ASSERT_EQ(file.children.size(), 2u);
    const CMenuTemplateItem& recent = file.children[1];
    EXPECT_EQ(recent.flags, MF_POPUP | MF_GRAYED);
    ASSERT_EQ(recent.children.size(), 2u);
    EXPECT_EQ(recent.children[0].flags, MF_GRAYED | MF_CHECKED);
    ASSERT_EQ(recent.children[1].children.size(), 1u);
    EXPECT_EQ(recent.children[1].children[0].id, 12u);
    EXPECT_EQ(recent.children[1].children[0].flags, MF_MENUBREAK);
    const CMenuTemplateItem& help = menu.items[1];
    EXPECT_EQ(help.flags, MF_POPUP | MF_HELP);
    ASSERT_EQ(help.children.size(), 3u);
    EXPECT_EQ(help.children[0].flags, MF_MENUBARBREAK | MF_DISABLED);
    EXPECT_TRUE(help.children[1].IsSeparator());
    EXPECT_FALSE(help.children[2].IsSeparator()) << "an empty text with an id is an item";

    EXPECT_TRUE(StartsWith(ErrorOf("1 MENU\nBEGIN\n  MENUITEM \"x\", 1, BOLD\nEND\n"), "t.rc:3: unknown menu item option BOLD"));
    EXPECT_TRUE(StartsWith(ErrorOf("1 MENU\nBEGIN\n  MENUITEM \"x\"\nEND\n"), "t.rc:3: expected MENUITEM"));
    std::string deep = "1 MENU\nBEGIN\n";
    for (int i = 0; i < 12; ++i) deep += "POPUP \"p\"\nBEGIN\n";
    EXPECT_NE(ErrorOf(deep).find("menu nested too deeply"), std::string::npos);
}

TEST(ResourceCompilerAccelerators, KeysAndOptions) {
    suite::rc::Result r = Compile(R"(1 ACCELERATORS
BEGIN
    "a", 1
    "a", 2, VIRTKEY
    "^c", 3
    0x70, 4, VIRTKEY, ALT, SHIFT, CONTROL
    "1", 5, ASCII, ALT
    "x", 6, NOINVERT
END
)");
    ASSERT_TRUE(r.error.empty()) << r.error;
    const auto& d = r.resources[0].data;
    ASSERT_EQ(d.size(), 6u * 8u);
    auto word = [&](size_t entry, size_t k) { return d[entry * 8 + k * 2] | (d[entry * 8 + k * 2 + 1] << 8); };
    EXPECT_EQ(word(0, 1), 'a') << "an ASCII key keeps its case";
    EXPECT_EQ(word(1, 1), 'A') << "a virtual key is the upper-case letter";
    EXPECT_EQ(word(2, 1), 3) << "^c is Ctrl+C as a character";
    EXPECT_EQ(word(3, 0), FVIRTKEY | FALT | FSHIFT | FCONTROL);
    EXPECT_EQ(word(4, 0), FALT);
    EXPECT_EQ(word(5, 0), FNOINVERT | 0x80) << "only the last entry carries the end flag";
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(word(i, 0) & 0x80, 0) << i;
    EXPECT_EQ(word(5, 2), 6);

    EXPECT_TRUE(StartsWith(ErrorOf("1 ACCELERATORS\nBEGIN\n  \"ab\", 1\nEND\n"), "t.rc:3: an accelerator key is one"));
    EXPECT_TRUE(StartsWith(ErrorOf("1 ACCELERATORS\nBEGIN\n  \"a\", 1, CTRL\nEND\n"), "t.rc:3: unknown accelerator option"));
    EXPECT_TRUE(StartsWith(ErrorOf("1 ACCELERATORS\nBEGIN\nEND\n"), "t.rc:1: empty accelerator table"));
}

TEST(ResourceCompilerDialogs, ControlStylesAndCoordinates) {
    suite::rc::Result r = Compile(R"(#define WS_TABSTOP 0x00010000
#define WS_BORDER 0x00800000
#define ES_AUTOHSCROLL 0x80
1 DIALOG -5, 0, 100, 50
CAPTION "中文"
BEGIN
    EDITTEXT 10, 1, 2, 3, 4, ES_AUTOHSCROLL | NOT WS_BORDER
    PUSHBUTTON "Go", 11, -2, -3, 20, 10, NOT WS_TABSTOP
    RADIOBUTTON "R", 12, 0, 0, 5, 5, WS_TABSTOP, 0x4
    ICON 7, 13, 8, 9
    CONTROL "c", 14, "msctls_progress32", 0x1, 0, 0, 10, 10
END
)");
    ASSERT_TRUE(r.error.empty()) << r.error;
    CDialogTemplate d = ParseDialog(r.resources[0]);
    EXPECT_EQ(d.x, -5);
    EXPECT_STREQ(d.caption, "\xD6\xD0\xCE\xC4");
    ASSERT_EQ(d.items.size(), 5u);
    EXPECT_EQ(d.items[0].style, 0x50010080u) << "default border cleared, auto scroll added";
    EXPECT_EQ(d.items[1].style, 0x50000000u);
    EXPECT_EQ(d.items[1].x, -2);
    EXPECT_EQ(d.items[1].y, -3);
    EXPECT_EQ(d.items[2].style, 0x50010004u);
    EXPECT_EQ(d.items[2].exStyle, 0x4u);
    EXPECT_STREQ(d.items[3].text, "#7");
    EXPECT_EQ(d.items[3].style, 0x50000003u);
    EXPECT_STREQ(d.items[4].className, "msctls_progress32");
    EXPECT_EQ(d.items[4].style, 0x50000001u);

    EXPECT_TRUE(StartsWith(ErrorOf("1 DIALOG 0, 0, 40000, 1\nBEGIN\nEND\n"), "t.rc:1: coordinate out of range"));
    EXPECT_TRUE(StartsWith(ErrorOf("1 DIALOG 0, 0, 1, 1\nBEGIN\n  LTEXT \"x\", 1, 0, 0, 1\nEND\n"), "t.rc:3: expected x, y"));
    EXPECT_TRUE(StartsWith(ErrorOf("1 DIALOG 0, 0, 1, 1\nBEGIN\n  SLIDER 1, 0, 0, 1, 1\nEND\n"),
                           "t.rc:3: unknown dialog statement SLIDER"));
    EXPECT_TRUE(StartsWith(ErrorOf("1 DIALOG 0, 0, 1, 1\nBEGIN\n  LTEXT \"x\", 1, 0, 0, 1, 1, 0, 0, 0\nEND\n"),
                           "t.rc:3: too many arguments"));
}

TEST(ResourceCompilerProgram, FailsWithoutWritingItsOutput) {
    suite_test::TemporaryFolder temp("afx-rc");
    const std::string dir = temp.path();
    ASSERT_TRUE(suite::WriteNativeFileAtomic(dir + "/bad.rc", "STRINGTABLE\nBEGIN\n  1, \"a\"\n  1, \"b\"\nEND\n"));
    ASSERT_TRUE(suite::WriteNativeFileAtomic(dir + "/good.rc", "STRINGTABLE\nBEGIN\n  1, \"a\"\nEND\n"));
    std::string tool = suite::ProgramFolder() + "/suite_rc";
    auto run = [&](const std::string& args) {
        int status = std::system((tool + " " + args + " 2>" + dir + "/err.txt").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("-o " + dir + "/bad.cpp --depfile " + dir + "/bad.d " + dir + "/bad.rc"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir + "/bad.cpp")) << "no output for a failed script";
    EXPECT_FALSE(std::filesystem::exists(dir + "/bad.d"));
    std::string err;
    ASSERT_TRUE(suite::ReadNativeFile(dir + "/err.txt", err));
    EXPECT_EQ(err, dir + "/bad.rc:4: duplicate resource 1\n");

    EXPECT_EQ(run("-o " + dir + "/good.cpp --depfile " + dir + "/good.d " + dir + "/good.rc"), 0);
    std::string deps;
    ASSERT_TRUE(suite::ReadNativeFile(dir + "/good.d", deps));
    EXPECT_EQ(deps, dir + "/good.cpp: " + dir + "/good.rc\n");
    EXPECT_TRUE(std::filesystem::exists(dir + "/good.cpp"));
    EXPECT_EQ(run(dir + "/good.rc"), 2) << "no output named";
    EXPECT_EQ(run("-o " + dir + "/x.cpp " + dir + "/missing.rc"), 1);
}

// Strings stored one by one: ids at the edges of the 16-string blocks of the
// classic layout, id 0, and ids beyond 16 bits.
TEST(ResourceStrings, EveryIdIsReachableAndBuffersAreCutBetweenCharacters) {
    HMODULE module = LoadLibraryA("\\afx_test_resources.DLL");
    ASSERT_NE(module, nullptr);
    char buf[64];
    EXPECT_EQ(LoadStringA(module, 0, buf, sizeof buf), 11);
    EXPECT_STREQ(buf, "string zero");
    EXPECT_GT(LoadStringA(module, 15, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "last of the first block");
    EXPECT_GT(LoadStringA(module, 16, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "first of the second block");
    EXPECT_GT(LoadStringA(module, 0xFFFF, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "highest id");
    EXPECT_EQ(LoadStringA(module, 17, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "") << "terminated even when missing";
    EXPECT_EQ(LoadStringA(module, 0x10000, buf, sizeof buf), 0) << "beyond 16 bits: missing, not a crash";
    EXPECT_EQ(LoadStringA(module, 0x1000F, buf, sizeof buf), 0) << "the high bits do not alias id 15";

    // "中文 text" is D6 D0 CE C4 20 ... in the ANSI code page.
    EXPECT_EQ(LoadStringA(module, IDS_CHINESE, buf, 3), 2);
    EXPECT_STREQ(buf, "\xD6\xD0");
    buf[0] = 'x';
    EXPECT_EQ(LoadStringA(module, IDS_CHINESE, buf, 2), 0) << "half a character is not copied";
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(LoadStringA(module, IDS_CHINESE, buf, 6), 5);
    EXPECT_STREQ(buf, "\xD6\xD0\xCE\xC4 ");
    EXPECT_EQ(LoadStringA(module, IDS_HELLO, buf, 6), 5) << "an exact fit";
    EXPECT_STREQ(buf, "Hello");
    EXPECT_EQ(LoadStringA(module, IDS_HELLO, buf, 0), 0);
    EXPECT_EQ(LoadStringA(module, IDS_HELLO, nullptr, 10), 0);

    AfxSetResourceHandle(module);
    CString s;
    EXPECT_TRUE(AfxLoadString(0, s));
    EXPECT_STREQ(s, "string zero");
    EXPECT_FALSE(AfxLoadString(0x10010, s));
    EXPECT_STREQ(AfxLoadString(IDS_CHINESE).Left(4), "\xD6\xD0\xCE\xC4") << "whole, in the ANSI code page";
    EXPECT_TRUE(AfxLoadString(0x10010).IsEmpty()) << "a missing string is empty";
    EXPECT_EQ(LoadStringA(nullptr, 16, buf, sizeof buf), 25) << "no module: the current resource module";
    AfxSetResourceHandle(nullptr);
    EXPECT_EQ(LoadStringA(nullptr, 16, buf, sizeof buf), 0) << "switched back to the program, which has none";
    FreeLibrary(module);
}

TEST(ResourceCompilerScripts, ConditionalsCompileOneBranch) {
    suite::rc::Result r = Compile(R"(#define LEVEL 2
#define FLAG
#if LEVEL > 1 && defined(FLAG)
STRINGTABLE
BEGIN
    1, "taken"
#ifdef NOPE
    2, "not taken"
#else
    3 "else, without a comma"
#endif
END
#elif 1
this line would not compile
#else
neither would this
#endif
#ifndef FLAG
#include "missing.h"
#endif
#if 0
#error not reached
#endif
#undef LEVEL
#if LEVEL
4 RCDATA "nope"
#endif
5 MENU
BEGIN
#if !defined(FLAG) || LEVEL
    MENUITEM "no", 1
#elif LEVEL == 0 && (1 << 3) >= 8
    MENUITEM "yes", 2
#else
    MENUITEM "no either", 3
#endif
END
)");
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.resources.size(), 3u);
    EXPECT_EQ(r.resources[0].id, 1u);
    EXPECT_EQ(r.resources[1].id, 3u);
    EXPECT_EQ(std::string(r.resources[1].data.begin(), r.resources[1].data.end()), "else, without a comma");
    CMenuTemplate menu = ParseMenu(r.resources[2]);
    ASSERT_EQ(menu.items.size(), 1u);
    EXPECT_EQ(menu.items[0].id, 2u);

    EXPECT_TRUE(StartsWith(ErrorOf("#else\n"), "t.rc:1: #else without #if"));
    EXPECT_TRUE(StartsWith(ErrorOf("\n#if 1\n"), "t.rc:2: #if without #endif"));
    EXPECT_TRUE(StartsWith(ErrorOf("#if 1\n#else\n#elif 1\n#endif\n"), "t.rc:3: #elif after #else"));
    EXPECT_TRUE(StartsWith(ErrorOf("#if 1\n#error stop here\n#endif\n"), "t.rc:2: #error"));
    EXPECT_TRUE(StartsWith(ErrorOf("#if 1 +\n#endif\n"), "t.rc:1: bad #if expression"));
    EXPECT_TRUE(StartsWith(ErrorOf("#if defined(\n#endif\n"), "t.rc:1: expected defined(NAME)"));
    EXPECT_TRUE(StartsWith(ErrorOf("#frob 1\n"), "t.rc:1: unknown directive #frob"));
    EXPECT_TRUE(Compile("#if 0\n#if (\n#endif\n#endif\n").error.empty()) << "a branch not taken is not evaluated";
}

TEST(ResourceCompilerFiles, HeadersIncludedByHeadersAreRead) {
    suite_test::TemporaryFolder temp("afx-rc");
    const std::string dir = temp.path();
    std::filesystem::create_directories(dir + "/sub");
    ASSERT_TRUE(suite::WriteNativeFileAtomic(dir + "/a.h", "#pragma once\n#define A_VALUE 5\n#include \"sub/b.h\"\n"
                                                           "struct NotForTheCompiler { char c = '\"'; };\n"));
    ASSERT_TRUE(suite::WriteNativeFileAtomic(dir + "/sub/b.h",
                                             "#include \"../a.h\"\n#include \"absent.h\"\n#define B_VALUE (A_VALUE + 1)\n"));
    suite::rc::Result r =
        Compile("#include \"a.h\"\n#include \"sub/b.h\"\nSTRINGTABLE\nBEGIN\n  B_VALUE, \"b\"\nEND\n", dir + "/t.rc");
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.resources[0].id, 6u);
    EXPECT_EQ(r.inputs.size(), 2u) << "each header once, the cycle broken";
}

TEST(ResourceCompilerStrings, EscapesAsInC) {
    auto text = [](const std::string& literal) {
        suite::rc::Result r = Compile("STRINGTABLE\nBEGIN\n  1, " + literal + "\nEND\n");
        return r.error.empty() ? std::string(r.resources[0].data.begin(), r.resources[0].data.end()) : "error: " + r.error;
    };
    EXPECT_EQ(text(R"("a\012b")"), "a\nb") << "octal escapes take up to three digits";
    EXPECT_EQ(text(R"("\101\x42\103")"), "ABC");
    EXPECT_EQ(text(R"("\08")"), std::string("\0" "8", 2));
    EXPECT_EQ(text(R"("x\0")"), std::string("x\0", 2)) << "a NUL is kept";
    EXPECT_EQ(text(R"("say ""hi"" \"now\"")"), "say \"hi\" \"now\"");
    EXPECT_EQ(text("\"中文\\t繁體\""), "中文\t繁體") << "stored as UTF-8";
    EXPECT_TRUE(StartsWith(text(R"("\777")"), "error: t.rc:3: bad octal escape"));
    EXPECT_TRUE(StartsWith(text(R"("\q")"), "error: t.rc:3: unknown escape \\q"));
    EXPECT_TRUE(StartsWith(text(R"("\x")"), "error: t.rc:3: bad \\x escape"));
    EXPECT_TRUE(StartsWith(text("\"\xD6\xD0\""), "error: t.rc:3: string is not valid UTF-8")) << "a script in GBK";
}

// Menu and dialog templates hold texts the loader reads into NUL-terminated
// strings: what cannot come back as written is refused with its line, and
// what compiles reads back unchanged.
TEST(ResourceCompilerTemplates, TextsTheLoaderCannotReadBackAreRefusedWithTheirLine) {
    const std::string menu = "1 MENU\nBEGIN\n";
    const std::string popup = menu + "  POPUP \"&File\"\n  BEGIN\n";
    EXPECT_TRUE(StartsWith(ErrorOf(menu + "  POPUP \"a\\0b\"\n  BEGIN\n    MENUITEM \"x\", 1\n  END\nEND\n"),
                           "t.rc:3: NUL character in the popup text"));
    EXPECT_TRUE(StartsWith(ErrorOf(popup + "    MENUITEM \"ok\", 1\n    MENUITEM \"Open\\0\", 2\n  END\nEND\n"),
                           "t.rc:6: NUL character in the item text"));
    EXPECT_TRUE(StartsWith(ErrorOf(popup + "    MENUITEM \"\\x00\", 2\n  END\nEND\n"), "t.rc:5: NUL character"))
        << "a hexadecimal escape of NUL";
    EXPECT_TRUE(StartsWith(ErrorOf(popup + "    MENUITEM \"a\\000\", 2\n  END\nEND\n"), "t.rc:5: NUL character"));

    const std::string dialog = "1 DIALOG 0, 0, 80, 40\n";
    const std::string body = "BEGIN\n  LTEXT \"ok\", 1, 0, 0, 10, 10\n";
    EXPECT_TRUE(StartsWith(ErrorOf(dialog + "CAPTION \"Ab\\0out\"\n" + body + "END\n"),
                           "t.rc:2: NUL character in the caption"));
    EXPECT_TRUE(StartsWith(ErrorOf(dialog + "FONT 9, \"Sim\\0Sun\"\n" + body + "END\n"),
                           "t.rc:2: NUL character in the font name"));
    EXPECT_TRUE(StartsWith(ErrorOf(dialog + "CLASS \"My\\0Class\"\n" + body + "END\n"),
                           "t.rc:2: NUL character in the class name"));
    EXPECT_TRUE(StartsWith(ErrorOf(dialog + body + "  PUSHBUTTON \"O\\0K\", 2, 0, 0, 10, 10\nEND\n"),
                           "t.rc:4: NUL character in the control text"));
    EXPECT_TRUE(StartsWith(ErrorOf(dialog + body + "  CONTROL \"t\", 2, \"Bu\\0tton\", 0, 0, 0, 10, 10\nEND\n"),
                           "t.rc:4: NUL character in the class name"));
    EXPECT_TRUE(StartsWith(ErrorOf(dialog + body + "  ICON \"lo\\0go\", 2, 0, 0\nEND\n"),
                           "t.rc:4: NUL character in the icon name"));
    // Dialog texts carry a 16-bit length.
    std::string huge(70000, 'x');
    EXPECT_TRUE(StartsWith(ErrorOf(dialog + body + "  LTEXT \"" + huge + "\", 2, 0, 0, 10, 10\nEND\n"),
                           "t.rc:4: control text too long"));
    EXPECT_TRUE(StartsWith(ErrorOf(dialog + "MENU " + huge + "\n" + body + "END\n"), "t.rc:2: menu name too long"));

    // String tables are stored with their length: a NUL stays.
    suite::rc::Result strings = Compile("STRINGTABLE\nBEGIN\n  1, \"a\\0b\"\nEND\n");
    ASSERT_TRUE(strings.error.empty()) << strings.error;
    EXPECT_EQ(strings.resources[0].data.size(), 3u);

    // Everything else reads back as written, escapes and other scripts included.
    suite::rc::Result r = Compile(popup + "    MENUITEM \"\\x01\\t中\\\"q\\\"\", 2\n  END\nEND\n" + "2 DIALOG 0, 0, 80, 40\n" +
                                  "CAPTION \"中\\001\"\nFONT 9, \"Sim Sun\"\n" + body + "END\n");
    ASSERT_TRUE(r.error.empty()) << r.error;
    CMenuTemplate m = ParseMenu(r.resources[0]);
    ASSERT_EQ(m.items.size(), 1u);
    ASSERT_EQ(m.items[0].children.size(), 1u);
    EXPECT_EQ(std::string(m.items[0].children[0].text), "\x01\t\xD6\xD0\"q\"");
    CDialogTemplate d = ParseDialog(r.resources[1]);
    EXPECT_EQ(std::string(d.caption), "\xD6\xD0\x01");
    EXPECT_EQ(std::string(d.fontName), "Sim Sun");
}

TEST(ResourceCompilerFiles, BitmapRowsAreFoundWhereTheFileSaysTheyAre) {
    // A 2 x 2 24-bit BMP whose rows start 16 bytes after its header.
    std::string bmp = "BM";
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp += static_cast<char>(v >> (8 * i));
    };
    auto put16 = [&](std::uint16_t v) {
        bmp += static_cast<char>(v);
        bmp += static_cast<char>(v >> 8);
    };
    put32(14 + 40 + 16 + 16);
    put32(0);
    put32(14 + 40 + 16);
    put32(40);
    put32(2);
    put32(2);
    put16(1);
    put16(24);
    for (int i = 0; i < 6; ++i) put32(0);
    bmp += std::string(16, '\xAA');
    // Bottom row first: blue, green; then red, white. Pixels are B, G, R.
    bmp += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00", 8);
    bmp += std::string("\x00\x00\xFF\xFF\xFF\xFF\x00\x00", 8);
    suite_test::TemporaryFolder temp("afx-rc");
    const std::string dir = temp.path();
    ASSERT_TRUE(suite::WriteNativeFileAtomic(dir + "/afx_rc_gap.bmp", bmp));
    suite::rc::Result r = Compile("1 BITMAP \"afx_rc_gap.bmp\"\n", dir + "/t.rc");
    ASSERT_TRUE(r.error.empty()) << r.error;
    const auto& dib = r.resources[0].data;
    EXPECT_EQ(dib.size(), 40u + 16u) << "the gap is not stored";
    QImage image = AfxDibToImage(dib.data(), dib.size());
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(1, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(0, 1) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, 0x00FF00u);
}
