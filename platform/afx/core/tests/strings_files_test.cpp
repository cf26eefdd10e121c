// Double-byte safety of string pieces and character sets, collections that
// are changed while they are walked, and time texts.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "platform/afx/core/clipboard.h"
#include "platform/afx/core/collections.h"
#include "platform/afx/core/cstring.h"
#include "platform/afx/core/datetime.h"
#include "platform/afx/core/exception.h"
#include "platform/win/memory.h"

// 0xD6 0xD0 and 0xCE 0xC4 are two ordinary characters; 0x95 0x5C has a
// backslash as its trail byte; 0xA1 0xA1 is the full-width space.
#define ZHONG "\xD6\xD0"
#define WEN "\xCE\xC4"
#define DBCS_BACKSLASH "\x95\x5C"
#define WIDE_SPACE "\xA1\xA1"

TEST(CStringPieces, PositionsInsideACharacterMoveToItsStart) {
    const CString s("a" ZHONG "b" WEN);  // bytes: a D6 D0 b CE C4
    for (int k = 0; k <= s.GetLength(); ++k) {
        CString left = s.Left(k), rest = s.Mid(k), right = s.Right(s.GetLength() - k);
        EXPECT_EQ(left + rest, s) << "cut at " << k;
        EXPECT_EQ(left + right, s) << "cut at " << k;
        EXPECT_LE(left.GetLength(), k);
    }
    EXPECT_STREQ(s.Left(2), "a") << "half of the character is not taken";
    EXPECT_STREQ(s.Mid(2), ZHONG "b" WEN);
    EXPECT_STREQ(s.Mid(2, 3), ZHONG "b");
    EXPECT_STREQ(s.Mid(1, 2), ZHONG);
    EXPECT_STREQ(s.Right(1), WEN);

    // The trail byte of a path's last character is not a trailing backslash.
    CString dir("c:\\" DBCS_BACKSLASH);
    EXPECT_STRNE(dir.Right(1), "\\");
    EXPECT_EQ(dir.ReverseFind('\\'), 2);

    CString ins(ZHONG WEN);
    EXPECT_EQ(ins.Insert(1, "x"), 5);
    EXPECT_STREQ(ins, "x" ZHONG WEN);
    ins.Insert(4, '-');
    EXPECT_STREQ(ins, "x" ZHONG "-" WEN);

    CString del("a" ZHONG "b" WEN);
    EXPECT_EQ(del.Delete(1, 1), 4) << "the whole character goes";
    EXPECT_STREQ(del, "ab" WEN);
    EXPECT_EQ(del.Delete(1, 2), 1);
    EXPECT_STREQ(del, "a");

    // Indexes outside the string neither read nor write outside it.
    CString small("ab");
    EXPECT_EQ(small.GetAt(2), '\0');
    EXPECT_EQ(small[-1], '\0');
    small.SetAt(5, 'x');
    small.SetAt(-1, 'x');
    EXPECT_STREQ(small, "ab");
}

TEST(CStringPieces, LeadByteBeforeANonTrailByteStandsAlone) {
    // A lead byte cut from its partner (0x81 before CR, LF, a space or a digit)
    // is a bad character of its own, as the code-page conversions treat it:
    // the byte after it stays an ordinary character.
    CString line("ab\x81\r\n");
    EXPECT_EQ(line.Find('\r'), 3);
    EXPECT_EQ(line.Find("\r\n"), 3);
    EXPECT_EQ(line.Replace("\r\n", "\n"), 1);
    EXPECT_STREQ(line, "ab\x81\n");
    line.TrimRight();
    EXPECT_STREQ(line, "ab\x81");
    CString digits("\x81" "12");
    EXPECT_EQ(digits.FindOneOf("0123456789"), 1);
    EXPECT_STREQ(digits.Left(2), "\x81" "1");
    // A valid pair is still one character.
    EXPECT_EQ(CString("\x81\x41" "A").Find('A'), 2);
}

TEST(CStringPieces, CharacterSetsMatchWholeCharacters) {
    // A set holding a character with a backslash trail does not hold '\'.
    EXPECT_EQ(CString("a\\b").FindOneOf(DBCS_BACKSLASH), -1);
    EXPECT_EQ(CString("a" DBCS_BACKSLASH).FindOneOf(DBCS_BACKSLASH), 1);
    EXPECT_STREQ(CString("x\\y").SpanExcluding(DBCS_BACKSLASH), "x\\y");
    EXPECT_STREQ(CString("ab" ZHONG "c").SpanExcluding(ZHONG), "ab");
    EXPECT_STREQ(CString(ZHONG ZHONG WEN).SpanIncluding(ZHONG), ZHONG ZHONG);

    // Full-width spaces trim like any other target.
    CString t(WIDE_SPACE " " ZHONG WIDE_SPACE WIDE_SPACE " ");
    t.TrimRight(WIDE_SPACE " ");
    EXPECT_STREQ(t, WIDE_SPACE " " ZHONG);
    t.TrimLeft(WIDE_SPACE " ");
    EXPECT_STREQ(t, ZHONG);
    CString u("\\" DBCS_BACKSLASH);
    u.TrimRight('\\');
    EXPECT_STREQ(u, "\\" DBCS_BACKSLASH) << "the trail byte is not a backslash";
    u.TrimLeft("\\");
    EXPECT_STREQ(u, DBCS_BACKSLASH);
}

TEST(CollectionsWhileChanging, GrowFromOwnElementAndRemoveDuringWalks) {
    CStringArray names;
    names.Add(CString(std::string(100, 'k').c_str()));
    names.SetAtGrow(1000, names[0]);  // the growth moves the element passed in
    ASSERT_EQ(names.GetSize(), 1001);
    EXPECT_EQ(names[1000].GetLength(), 100);
    EXPECT_TRUE(names[500].IsEmpty());
    try {
        names.RemoveAt(1, std::numeric_limits<INT_PTR>::max());  // a count that overflows the index sum
        ADD_FAILURE() << "a range past the end is refused";
    } catch (CNotSupportedException* e) {
        e->Delete();
    }
    EXPECT_EQ(names.GetSize(), 1001);

    // Removing the element just walked past, the usual way.
    CPtrList list;
    int values[6] = {0, 1, 2, 3, 4, 5};
    for (int& v : values) list.AddTail(&v);
    for (POSITION pos = list.GetHeadPosition(); pos;) {
        POSITION here = pos;
        int* v = static_cast<int*>(list.GetNext(pos));
        if (*v % 2 == 0) list.RemoveAt(here);
    }
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetHead(), &values[1]);
    EXPECT_EQ(list.GetTail(), &values[5]);
    EXPECT_EQ(list.FindIndex(1), list.Find(&values[3]));

    // Removing each key as the walk returns it; the map rehashes as it grows.
    CMapStringToString map;
    for (int i = 0; i < 200; ++i) map.SetAt(CString(std::to_string(i).c_str()), ZHONG);
    int seen = 0;
    for (POSITION pos = map.GetStartPosition(); pos; ++seen) {
        CString key, value;
        map.GetNextAssoc(pos, key, value);
        if (seen % 3 != 0) {
            EXPECT_TRUE(map.RemoveKey(key));
        }
    }
    EXPECT_EQ(seen, 200);
    EXPECT_EQ(map.GetCount(), 67);
    CString value;
    EXPECT_TRUE(map.Lookup("198", value));
    EXPECT_FALSE(map.Lookup("199", value));
    map.RemoveKey("0");
    map["0"] = WEN;  // added again: it now walks last
    POSITION pos = map.GetStartPosition();
    CString key;
    while (pos) map.GetNextAssoc(pos, key, value);
    EXPECT_STREQ(key, "0");
    EXPECT_STREQ(value, WEN);
}

TEST(TimeFormat, KeepsAnsiTextAndLongResults) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    CTime t(2024, 3, 1, 9, 4, 5);
    // Characters of the format pass unchanged; names are the C locale's.
    EXPECT_STREQ(t.Format("%Y\xC4\xEA%m\xD4\xC2%d\xC8\xD5 %a %b"), "2024\xC4\xEA" "03\xD4\xC2" "01\xC8\xD5 Fri Mar");

    // A result longer than the first few buffers is not cut to nothing.
    std::string many;
    for (int i = 0; i < 4000; ++i) many += "%Y-";
    EXPECT_EQ(t.Format(many.c_str()).GetLength(), 4000 * 5);
    EXPECT_STREQ(t.FormatGmt("%H:%M:%S"), "09:04:05");
    EXPECT_STREQ((t - CTime(2024, 2, 28, 9, 4, 5)).Format("%D %H"), "2 00") << "across a leap day";
}

TEST(ExceptionsOwnership, DeleteFreesOnlyWhatNewMade) {
    // A stack exception passed where a thrown one may go survives Delete.
    CFileException onStack(CFileException::diskFull, 112, "c:\\out.txt");
    CException* asBase = &onStack;
    asBase->Delete();
    EXPECT_EQ(onStack.m_cause, CFileException::diskFull);

    try {
        AfxThrowFileException(CFileException::accessDenied, 5, "c:\\in.txt");
    } catch (CFileException* e) {
        CFileException copy(*e);  // a stack copy of a heap exception
        copy.Delete();
        CFileException assigned;
        assigned = *e;
        assigned.Delete();
        EXPECT_STREQ(copy.m_strFileName, "c:\\in.txt");
        EXPECT_EQ(assigned.m_cause, CFileException::accessDenied);
        e->Delete();  // freed: the sanitizers' leak check holds this
    }
}

TEST(ClipboardKeeps, FormatsAddedWithoutEmptyingLeaveTheOthersUsable) {
    QImage picture(6, 3, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 30));
    QGuiApplication::clipboard()->setImage(picture);

    // Adding text without emptying keeps the bitmap that was there.
    const char text[] = "one\r\n" ZHONG;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    std::memcpy(GlobalLock(block), text, sizeof text);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_NE(SetClipboardData(CF_TEXT, block), nullptr);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    HANDLE dib = GetClipboardData(CF_DIB);
    ASSERT_NE(dib, nullptr) << "the bitmap is still readable while the clipboard is open";
    EXPECT_EQ(static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib))->biWidth, 6);
    GlobalUnlock(dib);
    ASSERT_TRUE(CloseClipboard());

    QImage after = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(after.isNull());
    EXPECT_EQ(after.size(), QSize(6, 3));
    EXPECT_EQ(after.pixel(5, 2) & 0xFFFFFF, qRgb(10, 200, 30) & 0xFFFFFF);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("one\n中"));
}
