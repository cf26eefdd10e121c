#include "platform/win/codepage.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/win/errors.h"
#include "platform/win/tests/scratch_folder.h"

namespace {

const char kGbkChineseTest[] = "\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4";  // 中文测试
const char16_t kChineseTest[] = u"\u4E2D\u6587\u6D4B\u8BD5";
const char kBig5ChineseTest[] = "\xA4\xA4\xA4\xE5\xB4\xFA\xB8\xD5";  // 中文測試
const char16_t kTraditionalTest[] = u"\u4E2D\u6587\u6E2C\u8A66";

std::u16string toWide(UINT cp, const std::string& bytes, DWORD flags = 0) {
    int n = MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string out(static_cast<size_t>(n), u'\0');
    if (n > 0) MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

}  // namespace

TEST(CodePages, GbkAndBig5RoundTrip) {
    EXPECT_EQ(toWide(936, kGbkChineseTest), kChineseTest);
    EXPECT_EQ(suite::Utf16ToAnsi(kChineseTest, 936), kGbkChineseTest);
    EXPECT_EQ(toWide(950, kBig5ChineseTest), kTraditionalTest);
    EXPECT_EQ(suite::Utf16ToAnsi(kTraditionalTest, 950), kBig5ChineseTest);
    // Mixed with ASCII, and through UTF-8.
    std::string mixed = std::string("OCR ") + kGbkChineseTest + " 1.0";
    std::string utf8 = suite::AnsiToUtf8(mixed, 936);
    EXPECT_EQ(utf8, "OCR \xE4\xB8\xAD\xE6\x96\x87\xE6\xB5\x8B\xE8\xAF\x95 1.0");
    EXPECT_EQ(suite::Utf8ToAnsi(utf8, 936), mixed);
    // A trail byte that is '\' or an ASCII letter stays part of its character.
    EXPECT_EQ(toWide(936, "\x81\x5C\x81\x41"), u"\u4E57\u4E04");
}

TEST(CodePages, BytesThatCannotBeConvertedBecomeQuestionMarksOrFail) {
    // A lone lead byte at the end, a lead byte before a space, and 0xFF.
    EXPECT_EQ(toWide(936, "a\x81"), u"a?");
    EXPECT_EQ(toWide(936, "\x81 b"), u"? b") << "the byte after a bad lead byte is kept";
    EXPECT_EQ(toWide(936, std::string("\x81\0", 2)), std::u16string(u"?\0", 2));
    EXPECT_EQ(toWide(936, "\xFF"), u"?");

    SetLastError(0);
    char16_t buf[8];
    EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "a\x81", 2, buf, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, kGbkChineseTest, -1, buf, 8), 5);

    // Invalid UTF-8: a stray continuation byte, an overlong form, a cut sequence.
    EXPECT_EQ(toWide(CP_UTF8, "a\x80z"), u"a\uFFFDz");
    EXPECT_EQ(toWide(CP_UTF8, "\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(toWide(CP_UTF8, "\xE4\xB8"), u"\uFFFD");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xE4\xB8", 2, buf, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(CodePages, CharactersMissingFromTheCodePageUseTheDefaultChar) {
    char out[16];
    BOOL used = FALSE;
    const char16_t thai[] = u"a\u0E01b";
    int n = WideCharToMultiByte(936, 0, thai, 3, out, sizeof out, nullptr, &used);
    EXPECT_EQ(std::string(out, static_cast<size_t>(n)), "a?b");
    EXPECT_TRUE(used);
    n = WideCharToMultiByte(936, 0, thai, 3, out, sizeof out, "*", &used);
    EXPECT_EQ(std::string(out, static_cast<size_t>(n)), "a*b");
    n = WideCharToMultiByte(936, 0, u"ab", 2, out, sizeof out, "*", &used);
    EXPECT_FALSE(used);
    // Simplified 测 is not in Big5; a character outside the basic plane is one default char.
    EXPECT_EQ(suite::Utf16ToAnsi(u"\u6D4B", 950), "?");
    EXPECT_EQ(suite::Utf16ToAnsi(u"x\U0001F600y", 936), "x?y");
    bool exact = true;
    suite::Utf16ToAnsi(u"\u6D4B", 950, &exact);
    EXPECT_FALSE(exact);

    // UTF-8 takes no default char; lone surrogates become U+FFFD or fail.
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, out, sizeof out, "?", nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const char16_t lone[] = {u'a', 0xD800, u'b'};
    n = WideCharToMultiByte(CP_UTF8, 0, lone, 3, out, sizeof out, nullptr, nullptr);
    EXPECT_EQ(std::string(out, static_cast<size_t>(n)), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 3, out, sizeof out, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(suite::Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(suite::Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(CodePages, BufferSizeRules) {
    // Size query, exact fit, one short, and a source with its terminating NUL.
    EXPECT_EQ(MultiByteToWideChar(936, 0, kGbkChineseTest, -1, nullptr, 0), 5);
    char16_t wide[5];
    std::memset(wide, 0xAB, sizeof wide);
    EXPECT_EQ(MultiByteToWideChar(936, 0, kGbkChineseTest, -1, wide, 5), 5);
    EXPECT_EQ(wide[4], u'\0');
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(936, 0, kGbkChineseTest, -1, wide, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    EXPECT_EQ(WideCharToMultiByte(936, 0, kChineseTest, -1, nullptr, 0, nullptr, nullptr), 9);
    char narrow[9];
    EXPECT_EQ(WideCharToMultiByte(936, 0, kChineseTest, -1, narrow, 9, nullptr, nullptr), 9);
    EXPECT_STREQ(narrow, kGbkChineseTest);
    // One byte short: the last double-byte character does not fit.
    EXPECT_EQ(WideCharToMultiByte(936, 0, kChineseTest, 4, narrow, 7, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    // Bad arguments.
    EXPECT_EQ(MultiByteToWideChar(936, 0, "a", 0, wide, 5), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MultiByteToWideChar(936, 0, nullptr, 1, wide, 5), 0);
    EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, wide, 5), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(MultiByteToWideChar(936, 0, "a", 1, nullptr, 5), 0);
}

TEST(CodePages, Windows1252AndTheAnsiCodePage) {
    EXPECT_EQ(toWide(1252, "\x80\xE9"), u"\u20AC\u00E9");
    EXPECT_EQ(suite::Utf16ToAnsi(u"\u20AC\u00E9", 1252), "\x80\xE9");
    EXPECT_EQ(GetACP(), 936u);  // forced by the test set-up
    EXPECT_EQ(suite::AnsiToUtf8(kGbkChineseTest), suite::AnsiToUtf8(kGbkChineseTest, 936));
}

TEST(CodePages, LeadBytes) {
    EXPECT_TRUE(IsDBCSLeadByteEx(936, 0x81));
    EXPECT_TRUE(IsDBCSLeadByteEx(936, 0xFE));
    EXPECT_FALSE(IsDBCSLeadByteEx(936, 0x80));
    EXPECT_FALSE(IsDBCSLeadByteEx(936, 0xFF));
    EXPECT_FALSE(IsDBCSLeadByteEx(936, 'A'));
    EXPECT_TRUE(IsDBCSLeadByteEx(950, 0xA4));
    EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0xA4));
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0xE4));
    EXPECT_TRUE(IsDBCSLeadByte(0xD6));
}

TEST(CodePages, LanguageFromLocale) {
    EXPECT_EQ(suite::LangIdFromLocale("zh_TW.UTF-8"), 1028);
    EXPECT_EQ(suite::LangIdFromLocale("zh_HK"), 3076);
    EXPECT_EQ(suite::LangIdFromLocale("zh_MO.UTF-8"), 5124);
    EXPECT_EQ(suite::LangIdFromLocale("zh_SG.GBK"), 4100);
    EXPECT_EQ(suite::LangIdFromLocale("zh_CN.UTF-8"), 2052);
    EXPECT_EQ(suite::LangIdFromLocale("en_US.UTF-8"), 1033);
    EXPECT_EQ(suite::LangIdFromLocale("C"), 1033);
    EXPECT_EQ(suite::LangIdFromLocale(nullptr), 1033);
    EXPECT_EQ(suite::AnsiCodePageForLangID(1028), 950u);
    EXPECT_EQ(suite::AnsiCodePageForLangID(3076), 950u);
    EXPECT_EQ(suite::AnsiCodePageForLangID(5124), 950u);
    EXPECT_EQ(suite::AnsiCodePageForLangID(4100), 936u);
    EXPECT_EQ(suite::AnsiCodePageForLangID(2052), 936u);
    EXPECT_EQ(suite::AnsiCodePageForLangID(1033), 936u);
    EXPECT_EQ(PRIMARYLANGID(2052), LANG_CHINESE);
    EXPECT_EQ(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), 1028);
}

TEST(CodePages, CaseChangesLeaveTrailBytesAlone) {
    // 0x81 0x61 and 0x81 0x41 are two different characters; folding the trail
    // byte would turn one into the other.
    char text[] = "\x81\x61" "abc\xD6\xD0z";
    CharUpperA(text);
    EXPECT_STREQ(text, "\x81\x61" "ABC\xD6\xD0Z");
    CharLowerA(text);
    EXPECT_STREQ(text, "\x81\x61" "abc\xD6\xD0z");
    EXPECT_NE(lstrcmpiA("\x81\x41", "\x81\x61"), 0);
    EXPECT_EQ(lstrcmpiA("Work\\Atemp", "WORK\\atemp"), 0);
    EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
    EXPECT_EQ(suite::AnsiToUpper("\x81\x61x", 936), "\x81\x61X");
    EXPECT_EQ(suite::AnsiToUpper("\x81\x61x", 1252), "\x81\x41X");

    const char* s = "a\xD6\xD0" "b";
    EXPECT_EQ(CharNextA(s + 1), s + 3);
    EXPECT_EQ(CharPrevA(s, s + 3), s + 1);
    EXPECT_EQ(CharPrevA(s, s + 1), s);
    const char* lone = "\x81";
    EXPECT_EQ(CharNextA(lone), lone + 1) << "a lone lead byte is one character";
}
