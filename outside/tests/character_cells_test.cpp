// Cells of the characters of a line, from the ink and the recogniser's
// boxes: boxes that drift along the line, cover part of a character or
// several characters still give each character its own cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "outside/tresk/character_cells.h"

namespace {

constexpr int kPitch = 44, kSize = 40, kTop = 20, kLeft = 30;

struct Line {
    int width = 0, height = 0;
    std::vector<std::uint8_t> bits;
    void fill(int l, int t, int r, int b) {
        for (int y = t; y <= b; ++y)
            for (int x = l; x <= r; ++x) bits[y * ((width + 7) / 8) + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    ocrkit::PlaneView view() const { return ocrkit::PlaneView(bits.data(), width, height); }
};

// n characters at the pitch: square outlines, the third one in two parts
// (a bar, a gap, a box) like a character built from two.
Line drawLine(int n, bool vertical) {
    Line line;
    int along = kLeft * 2 + n * kPitch, across = kTop * 2 + kSize;
    line.width = vertical ? across : along;
    line.height = vertical ? along : across;
    line.bits.assign(static_cast<std::size_t>((line.width + 7) / 8) * line.height, 0);
    for (int i = 0; i < n; ++i) {
        int a0 = kLeft + i * kPitch, a1 = a0 + kSize - 1;
        auto rect = [&](int lowAlong, int highAlong, int lowAcross, int highAcross) {
            if (vertical)
                line.fill(lowAcross, lowAlong, highAcross, highAlong);
            else
                line.fill(lowAlong, lowAcross, highAlong, highAcross);
        };
        if (i == 2) {
            rect(a0, a0 + 5, kTop, kTop + kSize - 1);       // the bar
            rect(a0 + 14, a1, kTop, kTop + 3);              // the box
            rect(a0 + 14, a1, kTop + kSize - 4, kTop + kSize - 1);
            rect(a0 + 14, a0 + 17, kTop, kTop + kSize - 1);
            rect(a1 - 3, a1, kTop, kTop + kSize - 1);
        } else {
            rect(a0, a1, kTop, kTop + 3);
            rect(a0, a1, kTop + kSize - 4, kTop + kSize - 1);
            rect(a0, a0 + 3, kTop, kTop + kSize - 1);
            rect(a1 - 3, a1, kTop, kTop + kSize - 1);
        }
    }
    return line;
}

ocrkit::Box boxAlong(int low, int high, bool vertical) {
    return vertical ? ocrkit::Box{kTop, low, kTop + kSize - 1, high} : ocrkit::Box{low, kTop, high, kTop + kSize - 1};
}

// Character i of n drawn by drawLine has a cell holding the whole character
// and none of its neighbours.
void expectOwnCell(const ocrkit::Box& c, int i, int n, bool vertical) {
    SCOPED_TRACE(i);
    const int a0 = kLeft + i * kPitch, a1 = a0 + kSize - 1;
    const int low = vertical ? c.top : c.left, high = vertical ? c.bottom : c.right;
    EXPECT_LE(low, a0);
    EXPECT_GE(high, a1);
    if (i > 0) {
        EXPECT_GT(low, a0 - (kPitch - kSize) - 1);
    }
    if (i + 1 < n) {
        EXPECT_LT(high, a1 + (kPitch - kSize) + 1);
    }
}

}  // namespace

TEST(CharacterCells, EachCharacterGetsItsOwnCellWhateverItsBox) {
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        const int n = 12;
        Line line = drawLine(n, vertical);
        std::vector<tresk::CellInput> chars;
        for (int i = 0; i < n; ++i) {
            int a0 = kLeft + i * kPitch, a1 = a0 + kSize - 1;
            // The boxes drift by a pixel per character along the line...
            int drift = i;
            ocrkit::Box b = boxAlong(a0 + drift, a1 + drift, vertical);
            // ...the split character's box holds only its right part, and
            // one box near the end reaches over three characters.
            if (i == 2) b = boxAlong(a0 + 14, a1 + 2, vertical);
            if (i == 9) b = boxAlong(a0 - kPitch + 10, a1 + kPitch + 10, vertical);
            chars.push_back({b, true});
        }
        auto cells = tresk::characterCells(line.view(), chars, vertical);
        ASSERT_EQ(cells.size(), chars.size());
        for (int i = 0; i < n; ++i) expectOwnCell(cells[i], i, n, vertical);
    }
}

TEST(CharacterCells, LettersAndEmptyInputKeepTheirBoxes) {
    Line line = drawLine(3, false);
    EXPECT_TRUE(tresk::characterCells(line.view(), {}, false).empty());
    std::vector<tresk::CellInput> letters{{boxAlong(kLeft, kLeft + 10, false), false},
                                          {boxAlong(kLeft + 12, kLeft + 20, false), false}};
    auto cells = tresk::characterCells(line.view(), letters, false);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].left, kLeft);
    EXPECT_EQ(cells[1].right, kLeft + 20);
    // A box off the plane stays as it was and nothing is read outside.
    std::vector<tresk::CellInput> off{{ocrkit::Box{5000, 5000, 5040, 5040}, true}};
    cells = tresk::characterCells(line.view(), off, false);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].left, 5000);
}

TEST(CharacterCells, BoxesLaggingBehindTheInkStillFindTheirOwnCells) {
    // The recogniser's boxes of a Chinese line (in pitches from the ink's
    // ends, as measured on a printed page) start a third to half a pitch
    // into their characters, some end in the next one, and runs of boxes
    // lie wholly in the next character.
    const double lowLag[] = {0.1, 1.0, 1.0, 1.0, 0.5, 0.3, 0.4, 1.0, 1.0, 1.2, 1.0, 1.0, 0.5, 0.4, 0.0, 0.5, 0.3, 0.4, 0.4, 1.1};
    const double highLag[] = {0.6, 0.6, 1.0, 0.6, 0.4, 0.0, 0.6, 0.5, 1.0, 0.3, 0.5, 0.6, 0.5, 0.0, 0.6, 0.4, 0.0, -0.1, 0.5, 0.3};
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        const int n = 20;
        Line line = drawLine(n, vertical);
        std::vector<tresk::CellInput> chars;
        for (int i = 0; i < n; ++i) {
            const int a0 = kLeft + i * kPitch, a1 = a0 + kSize - 1;
            const int low = a0 + static_cast<int>(lowLag[i] * kPitch), high = a1 + static_cast<int>(highLag[i] * kPitch);
            chars.push_back({boxAlong(low, std::max(low, high), vertical), true});
        }
        auto cells = tresk::characterCells(line.view(), chars, vertical);
        ASSERT_EQ(cells.size(), chars.size());
        for (int i = 0; i < n; ++i) expectOwnCell(cells[i], i, n, vertical);
    }
}
