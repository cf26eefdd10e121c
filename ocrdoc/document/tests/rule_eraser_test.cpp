// Rules of a table without a grid are erased before its text is read: long
// thin ink goes, characters stay, nothing outside the area is touched.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ocrdoc/document/rule_eraser.h"

namespace {

struct TestPlane {
    int width, height, stride;
    std::vector<BYTE> bits;
    TestPlane(int w, int h) : width(w), height(h), stride((w + 7) / 8), bits(static_cast<std::size_t>(stride) * h, 0) {}
    void Set(int x, int y) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            bits[static_cast<std::size_t>(y) * stride + (x >> 3)] |= static_cast<BYTE>(0x80u >> (x & 7));
    }
    bool At(int x, int y) const { return (bits[static_cast<std::size_t>(y) * stride + (x >> 3)] >> (7 - (x & 7))) & 1; }
    void Fill(int l, int t, int r, int b) {
        for (int y = t; y <= b; ++y)
            for (int x = l; x <= r; ++x) Set(x, y);
    }
    // A line `thick` pixels across from (x0, y0) to (x1, y1).
    void Line(double x0, double y0, double x1, double y1, int thick) {
        const int steps = static_cast<int>(std::hypot(x1 - x0, y1 - y0)) + 1;
        for (int i = 0; i <= steps; ++i) {
            const double x = x0 + (x1 - x0) * i / steps, y = y0 + (y1 - y0) * i / steps;
            Fill(static_cast<int>(x), static_cast<int>(y), static_cast<int>(x) + thick - 1, static_cast<int>(y) + thick - 1);
        }
    }
    int Ink(int l, int t, int r, int b) const {
        int n = 0;
        for (int y = t; y <= b; ++y)
            for (int x = l; x <= r; ++x) n += At(x, y);
        return n;
    }
};

}  // namespace

TEST(RuleEraser, ATiltedGridGoesAndTheCellsCharactersStay) {
    TestPlane p(1203, 700);
    // A 3 x 4 grid turned by 2 degrees about its corner, rules 3 pixels thick.
    const double turn = 2.0 * 3.14159265358979 / 180.0, cs = std::cos(turn), sn = std::sin(turn);
    const int left = 100, top = 100, cellW = 250, cellH = 120, cols = 4, rows = 3;
    auto x = [&](double dx, double dy) { return left + dx * cs - dy * sn; };
    auto y = [&](double dx, double dy) { return top + dx * sn + dy * cs; };
    for (int r = 0; r <= rows; ++r)
        p.Line(x(0, r * cellH), y(0, r * cellH), x(cols * cellW, r * cellH), y(cols * cellW, r * cellH), 3);
    for (int c = 0; c <= cols; ++c)
        p.Line(x(c * cellW, 0), y(c * cellW, 0), x(c * cellW, rows * cellH), y(c * cellW, rows * cellH), 3);
    // Characters in every cell: a block letter, a thin stroke, a dash.
    std::vector<RECT> letters;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const int cx = static_cast<int>(x(c * cellW + 40, r * cellH + 40));
            const int cy = static_cast<int>(y(c * cellW + 40, r * cellH + 40));
            letters.push_back(RECT{cx, cy, cx + 24, cy + 34});
            letters.push_back(RECT{cx + 40, cy, cx + 42, cy + 44});
            letters.push_back(RECT{cx + 60, cy + 20, cx + 120, cy + 22});
        }
    for (const RECT& l : letters) p.Fill(l.left, l.top, l.right, l.bottom);
    // A long rule outside the area, beside it.
    p.Fill(1150, 50, 1152, 650);

    EXPECT_GE(EraseRulesIn(p.bits.data(), p.width, p.height, RECT{60, 60, 1140, 640}), 1);
    int ink = 0;
    for (const RECT& l : letters) {
        const int want = (l.right - l.left + 1) * (l.bottom - l.top + 1);
        EXPECT_EQ(p.Ink(l.left, l.top, l.right, l.bottom), want) << l.left << "," << l.top;
        ink += want;
    }
    EXPECT_EQ(p.Ink(60, 60, 1140, 640), ink) << "only the characters are left";
    EXPECT_EQ(p.Ink(1150, 50, 1152, 650), 3 * 601) << "outside the area";
}

TEST(RuleEraser, OnlyLongThinInkCountsAsARule) {
    TestPlane p(800, 400);
    p.Fill(10, 10, 10 + kMinRuleLength - 2, 12);        // thin but short: a long dash
    p.Fill(10, 50, 10 + kMinRuleLength - 1, 52);        // thin and long enough: a rule
    p.Fill(10, 100, 260, 180);                           // long but solid: a bar or a picture
    p.Line(300, 200, 300 + kMinRuleLength, 260, 2);      // a slanting thin line
    p.Line(300, 300, 700, 302, 3);                       // a rule tilted a little
    // Characters run together into one long piece: 30 high, every third column inked.
    for (int x = 300; x < 300 + 2 * kMinRuleLength; x += 3) p.Fill(x, 340, x, 369);
    p.Fill(300, 340, 300 + 2 * kMinRuleLength, 341);
    EXPECT_EQ(EraseRulesIn(p.bits.data(), p.width, p.height, RECT{0, 0, 799, 399}), 3);
    EXPECT_GT(p.Ink(300, 340, 300 + 2 * kMinRuleLength, 369), 0);
    EXPECT_EQ(p.Ink(290, 290, 799, 310), 0);
    EXPECT_EQ(p.Ink(10, 10, 10 + kMinRuleLength, 12), 3 * (kMinRuleLength - 1));
    EXPECT_EQ(p.Ink(0, 50, 799, 52), 0);
    EXPECT_EQ(p.Ink(10, 100, 260, 180), 251 * 81);
    EXPECT_EQ(p.Ink(290, 190, 799, 270), 0);
}

TEST(RuleEraser, AreasOutsideOrAcrossThePlaneEdgeAreSafe) {
    TestPlane p(203, 97);  // rows end inside a byte
    p.Fill(0, 40, 202, 41);
    EXPECT_EQ(EraseRulesIn(p.bits.data(), p.width, p.height, RECT{-50, -50, 500, 500}), 1);
    EXPECT_EQ(p.Ink(0, 0, 202, 96), 0);
    p.Fill(0, 40, 202, 41);
    EXPECT_EQ(EraseRulesIn(p.bits.data(), p.width, p.height, RECT{300, 10, 400, 20}), 0);
    EXPECT_EQ(EraseRulesIn(p.bits.data(), p.width, p.height, RECT{50, 50, 40, 60}), 0);
    EXPECT_EQ(EraseRulesIn(nullptr, p.width, p.height, RECT{0, 0, 10, 10}), 0);
    EXPECT_EQ(p.Ink(0, 0, 202, 96), 2 * 203);
}
