#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/afx/core/datetime.h"
#include "platform/afx/core/geometry.h"

TEST(Rectangles, IntersectUnionSubtractFollowTheExclusiveEdges) {
    CRect a(0, 0, 10, 10), b(10, 0, 20, 10);
    CRect r;
    EXPECT_FALSE(r.IntersectRect(a, b)) << "touching edges do not overlap";
    EXPECT_TRUE(r.IsRectNull());
    EXPECT_TRUE(r.IntersectRect(a, CRect(5, 5, 15, 15)));
    EXPECT_EQ(r, CRect(5, 5, 10, 10));
    EXPECT_TRUE(r.UnionRect(a, CRect(0, 0, 0, 0)));
    EXPECT_EQ(r, a) << "an empty rectangle adds nothing";
    EXPECT_TRUE(r.UnionRect(a, b));
    EXPECT_EQ(r, CRect(0, 0, 20, 10));

    EXPECT_TRUE(r.SubtractRect(a, CRect(0, 0, 10, 4)));
    EXPECT_EQ(r, CRect(0, 4, 10, 10)) << "a whole top band cut off";
    EXPECT_TRUE(r.SubtractRect(a, CRect(3, 3, 6, 6)));
    EXPECT_EQ(r, a) << "a hole leaves the rectangle";
    EXPECT_FALSE(r.SubtractRect(a, CRect(-1, -1, 11, 11)));

    EXPECT_TRUE(a.PtInRect(CPoint(9, 9)));
    EXPECT_FALSE(a.PtInRect(CPoint(10, 9)));
    CRect n(10, 10, 0, 0);
    EXPECT_TRUE(n.IsRectEmpty());
    n.NormalizeRect();
    EXPECT_EQ(n, a);
    n.DeflateRect(1, 2);
    EXPECT_EQ(n, CRect(1, 2, 9, 8));
    n.OffsetRect(CPoint(1, 1));
    EXPECT_EQ(n.TopLeft(), CPoint(2, 3));
    EXPECT_EQ(n.Size(), CSize(8, 6));
    EXPECT_EQ(CPoint(5, 5) - CPoint(2, 1), CSize(3, 4));
    EXPECT_EQ(CPoint(MAKELONG(static_cast<WORD>(-3), 7)), CPoint(-3, 7)) << "packed coordinates are signed";
}

TEST(Time, FormatsSpansAndLocalFields) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    CTime t(2024, 2, 29, 13, 5, 9);
    EXPECT_EQ(t.GetYear(), 2024);
    EXPECT_EQ(t.GetMonth(), 2);
    EXPECT_EQ(t.GetDay(), 29);
    EXPECT_EQ(t.GetDayOfWeek(), 5) << "a Thursday: Sunday is 1";
    EXPECT_STREQ(t.Format("%Y-%m-%d %H:%M:%S"), "2024-02-29 13:05:09");
    EXPECT_STREQ(t.Format(""), "");

    CTime later = t + CTimeSpan(1, 11, 0, 0);
    EXPECT_STREQ(later.Format("%Y%m%d%H"), "2024030200");
    CTimeSpan span = later - t;
    EXPECT_EQ(span.GetDays(), 1);
    EXPECT_EQ(span.GetHours(), 11);
    EXPECT_EQ(span.GetTotalHours(), 35);
    EXPECT_STREQ(span.Format("%D days %H:%M:%S %%"), "1 days 11:00:00 %");
    EXPECT_LT(t, later);

    SYSTEMTIME st{};
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(st.wHour, 13);
    EXPECT_EQ(CTime(st), t);
    // 1601-based file times: 2024-02-29 13:05:09 UTC.
    ULONGLONG ft = (static_cast<ULONGLONG>(t.GetTime()) + 11644473600ull) * 10000000ull;
    FILETIME f{static_cast<DWORD>(ft), static_cast<DWORD>(ft >> 32)};
    EXPECT_EQ(CTime(f), t);
}
