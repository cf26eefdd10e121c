#include "platform/afx/core/cstring.h"

#include <gtest/gtest.h>

#include <cstring>

// GBK characters whose trail byte looks like ASCII: 0x81 0x41 ("A" as trail),
// 0x81 0x61 ("a" as trail), 0x95 0x5C (backslash as trail). 0xD6 0xD0 and
// 0xCE 0xC4 are two ordinary Chinese characters.
#define DBCS_A "\x81\x41"
#define DBCS_a "\x81\x61"
#define DBCS_BACKSLASH "\x95\x5C"
#define ZHONG "\xD6\xD0"
#define WEN "\xCE\xC4"

TEST(CStringDbcs, FindNeverMatchesATrailByte) {
    CString s(DBCS_A "xA" DBCS_BACKSLASH "\\");
    EXPECT_EQ(s.Find('A'), 3) << "the trail byte at 1 is not an 'A'";
    EXPECT_EQ(s.Find('\\'), 6);
    EXPECT_EQ(s.ReverseFind('\\'), 6);
    EXPECT_EQ(s.Find("A"), 3);
    EXPECT_EQ(s.Find("A" DBCS_BACKSLASH), 3);
    EXPECT_EQ(s.Find('A', 4), -1);
    EXPECT_EQ(s.FindOneOf("\\A"), 3);
    EXPECT_EQ(CString(DBCS_BACKSLASH).ReverseFind('\\'), -1);
    // A sub-string that starts inside a double-byte character is not a match.
    EXPECT_EQ(CString(ZHONG WEN).Find("\xD0\xCE"), -1);
    EXPECT_EQ(CString(ZHONG WEN).Find(WEN), 2);
}

TEST(CStringDbcs, CaseChangesLeaveDoubleByteCharactersAlone) {
    CString s(DBCS_a "ab" DBCS_A "CD");
    s.MakeUpper();
    EXPECT_STREQ(s, DBCS_a "AB" DBCS_A "CD");
    s.MakeLower();
    EXPECT_STREQ(s, DBCS_a "ab" DBCS_A "cd");
    EXPECT_EQ(CString(DBCS_a "X").CompareNoCase(DBCS_a "x"), 0);
    EXPECT_NE(CString(DBCS_a).CompareNoCase(DBCS_A), 0) << "trail bytes are not folded";
}

TEST(CStringDbcs, EditsKeepCharactersWhole) {
    CString s(ZHONG "a" DBCS_a "a");
    EXPECT_EQ(s.Replace('a', 'b'), 2);
    EXPECT_STREQ(s, ZHONG "b" DBCS_a "b");
    EXPECT_EQ(s.Remove('b'), 2);
    EXPECT_STREQ(s, ZHONG DBCS_a);

    CString r(ZHONG "x" WEN);
    r.MakeReverse();
    EXPECT_STREQ(r, WEN "x" ZHONG);

    CString path("dir" DBCS_BACKSLASH "\\name");
    int cut = path.ReverseFind('\\');
    EXPECT_STREQ(path.Mid(cut + 1), "name");
    EXPECT_STREQ(path.Left(cut), "dir" DBCS_BACKSLASH);

    CString t("  " ZHONG " \t");
    t.TrimRight();
    t.TrimLeft();
    EXPECT_STREQ(t, ZHONG);
    CString u("x\x81 ");  // a space is no trail byte: the lead byte stands alone
    u.TrimRight();
    EXPECT_EQ(u.GetLength(), 2);
    CString v(DBCS_a "a");
    v.TrimRight('a');
    EXPECT_STREQ(v, DBCS_a);

    CString w(ZHONG "--" ZHONG);
    EXPECT_EQ(w.Replace("-", ZHONG), 2);
    EXPECT_STREQ(w, ZHONG ZHONG ZHONG ZHONG);
    EXPECT_EQ(CString("\xD6-" "-").Replace("-", "+"), 2) << "0x2D is no trail byte: 0xD6 stands alone";
}

TEST(CString, FormatFollowsPrintf) {
    CString s;
    s.Format("%d-%05.1f-%s-%c-%x-%%", -12, 3.14159, ZHONG, 'q', 255u);
    EXPECT_STREQ(s, "-12-003.1-" ZHONG "-q-ff-%");
    std::string big(2000, 'z');
    s.Format("[%s]", big.c_str());
    EXPECT_EQ(s.GetLength(), 2002);
    s.Format("%s", static_cast<LPCTSTR>(s));  // formatting a string from itself
    EXPECT_EQ(s.GetLength(), 2002);
}

TEST(CString, ExtractionClampsOutOfRangeArguments) {
    CString s("abcdef");
    EXPECT_STREQ(s.Mid(2, 2), "cd");
    EXPECT_STREQ(s.Mid(4, 100), "ef");
    EXPECT_STREQ(s.Mid(10), "");
    EXPECT_STREQ(s.Mid(-3, 2), "ab");
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(s.Right(10), "abcdef");
    EXPECT_STREQ(s.SpanIncluding("abc"), "abc");
    EXPECT_STREQ(s.SpanExcluding("dx"), "abc");
}

TEST(CString, InsertDeleteAndBuffers) {
    CString s("held");
    EXPECT_EQ(s.Insert(1, "ai"), 6);
    EXPECT_STREQ(s, "haield");
    EXPECT_EQ(s.Insert(100, '!'), 7);
    EXPECT_EQ(s.Delete(1, 2), 5);
    EXPECT_STREQ(s, "held!");
    EXPECT_EQ(s.Delete(3, 100), 3);
    EXPECT_EQ(s.Delete(-1), 3);

    char* p = s.GetBuffer(64);
    std::strcpy(p, "written");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 7);
    p = s.GetBuffer(10);
    s.ReleaseBuffer(3);
    EXPECT_STREQ(s, "wri");
    p = s.GetBufferSetLength(5);
    p[3] = 'x';
    p[4] = 'y';
    s.ReleaseBuffer();
    EXPECT_STREQ(s, "wrixy");
    s.GetBuffer(0);  // no growth: the text stays
    s.ReleaseBuffer();
    EXPECT_STREQ(s, "wrixy");
}

TEST(CString, ComparisonIsByUnsignedBytes) {
    EXPECT_LT(CString("a").Compare("b"), 0);
    EXPECT_GT(CString(ZHONG).Compare("z"), 0) << "bytes above 0x7F sort after ASCII";
    EXPECT_TRUE(CString("abc") == "abc");
    EXPECT_TRUE(CString("abc") != CString("abd"));
    EXPECT_TRUE(CString("ABC").CompareNoCase("abc") == 0);
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
    CString nul(static_cast<LPCSTR>(nullptr));
    EXPECT_TRUE(nul.IsEmpty());
    EXPECT_EQ(CString('x', 3), CString("xxx"));
    EXPECT_STREQ(CString("a") + "b" + 'c' + CString("d"), "abcd");
}

TEST(CString, FormatStringsReplacesPlaceholders) {
    CString out;
    LPCTSTR args[2] = {"one", ZHONG};
    AfxFormatStrings(out, "%2 and %1, %3%", args, 2);
    EXPECT_STREQ(out, ZHONG " and one, %");
    // A file name holding "%1" is shown as it is, and every mark of a message is filled.
    EXPECT_STREQ(AfxFormatText("%1 exists. Replace %1?", "C:\\a%1b.tif"),
                 "C:\\a%1b.tif exists. Replace C:\\a%1b.tif?");
    EXPECT_STREQ(AfxFormatText(ZHONG "%1", ""), ZHONG);
}
