// Layout analysis and slant measurement through the library's entries.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "outside/include/plenmar.h"
#include "outside/plenmar/recogniser_layout.h"
#include "outside/tests/harness.h"
#include "outside/tests/loader.h"

using namespace testpages;

namespace {

struct Plenmar {
    Library lib{PLENMAR_DLL};
    PFN_PLENMAR_SEG seg = lib.get<PFN_PLENMAR_SEG>("seg");
    PFN_PLENMAR_SKEW skew = lib.get<PFN_PLENMAR_SKEW>("skew");
    PFN_PLENMAR_DELLINK del = lib.get<PFN_PLENMAR_DELLINK>("DelLink");
};

Plenmar& plenmarLibrary() {
    static Plenmar p;
    return p;
}

struct Area {
    RECT r;
    LONG kind;
};

std::vector<Area> analyse(Page& page, int type) {
    RECT all{0, 0, page.plane.width - 1, page.plane.height - 1};
    CArea* list = plenmarLibrary().seg(page.plane.bits.data(), static_cast<DWORD>(page.plane.width),
                                static_cast<DWORD>(page.plane.height), 300, type, all);
    std::vector<Area> out;
    for (CArea* a = list; a; a = a->next) out.push_back({{a->left, a->top, a->right, a->bottom}, a->kind});
    plenmarLibrary().del(list);
    return out;
}

bool covers(const RECT& a, const Rect& b, int slack = 12) {
    return a.left <= b.left + slack && a.top <= b.top + slack && a.right >= b.right - slack && a.bottom >= b.bottom - slack;
}

// The index of the area that holds the centre of b, or -1.
int areaAt(const std::vector<Area>& areas, const Rect& b) {
    int cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
    for (std::size_t i = 0; i < areas.size(); ++i)
        if (areas[i].r.left <= cx && cx <= areas[i].r.right && areas[i].r.top <= cy && cy <= areas[i].r.bottom)
            return static_cast<int>(i);
    return -1;
}

// The analysis here as one text area over box.
::plenmar::PageLayout ownText(const ::ocrkit::Box& box, int charSize) {
    ::plenmar::PageLayout own;
    own.charSize = charSize;
    own.areas = {{box, ::plenmar::AreaKind::Text}};
    return own;
}

// A block of the recogniser's with lines 40 high every 60 pixels.
::ocrkit::LayoutBlock textBlock(int left, int right, int top, int bottom) {
    ::ocrkit::LayoutBlock b{::ocrkit::Box{left, top, right, bottom}, ::ocrkit::BlockKind::Text, {}};
    for (int y = top; y + 40 <= bottom; y += 60) b.lines.push_back(::ocrkit::Box{left, y, right, y + 40});
    return b;
}

// Square marks of a side every pitch pixels over box of a plane w pixels
// wide held in bits: the dots of a halftone, or characters.
void markBox(std::vector<std::uint8_t>& bits, int w, const ::ocrkit::Box& box, int side, int pitch) {
    const int stride = w / 8;
    for (int y = box.top; y < box.bottom; y += pitch)
        for (int x = box.left; x < box.right; x += pitch)
            for (int dy = 0; dy < side; ++dy)
                for (int dx = 0; dx < side; ++dx) bits[(y + dy) * stride + (x + dx) / 8] |= static_cast<std::uint8_t>(0x80 >> ((x + dx) % 8));
}

// A white plane (held in bits) with the dots of a halftone, 3 pixels every
// 5, over box.
::ocrkit::PlaneView halftonePlane(int w, int h, const ::ocrkit::Box& box, std::vector<std::uint8_t>& bits) {
    bits.assign(static_cast<std::size_t>(w / 8) * h, 0);
    markBox(bits, w, box, 3, 5);
    return ::ocrkit::PlaneView(bits.data(), w, h);
}

}  // namespace

TEST(Plenmar, ParagraphsComeInReadingOrder) {
    for (double noise : {0.0, 0.002}) {
        Page page = textPage(simplifiedText(21, 3), 2480, 1500, Style{50, 0, noise, 5});
        auto areas = analyse(page, PLENMAR_PAGE_AUTO);
        // Each paragraph in an area of its own or with those of its column,
        // in their order.
        ASSERT_FALSE(areas.empty()) << "noise " << noise;
        for (const Area& a : areas) {
            EXPECT_NE(a.kind, PLENMAR_AREA_VERTICAL);
            EXPECT_NE(a.kind, PLENMAR_AREA_PICTURE);
        }
        int last = -1;
        for (const TextBlock& b : page.blocks) {
            const Rect start{b.rect.left, b.rect.top, b.rect.left + 200, b.rect.bottom - 20};
            int in = -1;
            for (std::size_t i = 0; i < areas.size() && in < 0; ++i)
                if (covers(areas[i].r, start)) in = static_cast<int>(i);
            EXPECT_GE(in, last) << "noise " << noise;
            last = in;
        }
    }
}

TEST(Plenmar, ColumnsLeftToRightAndVerticalTextRightToLeft) {
    Page two = textPage(englishText(22, 6), 2480, 1400, Style{40}, 2);
    auto areas = analyse(two, PLENMAR_PAGE_COLUMNS);
    int lastIndex = -1;
    for (const TextBlock& b : two.blocks) {
        int i = areaAt(areas, b.rect);
        ASSERT_GE(i, 0);
        EXPECT_GE(i, lastIndex);
        lastIndex = i;
    }
    // Two columns of vertical text side by side, far apart: the right one first.
    Page right = verticalPage(simplifiedText(23, 1), 700, 1400, Style{});
    Page left = verticalPage(simplifiedText(24, 1), 700, 1400, Style{});
    Page both;
    both.plane.width = 1600;
    both.plane.height = 1400;
    both.plane.bits.assign(static_cast<std::size_t>(both.plane.stride()) * 1400, 0);
    for (int y = 0; y < 1400; ++y)
        for (int x = 0; x < 700; ++x) {
            auto put = [&](int bx, const Plane& src) {
                if (src.black(x, y)) both.plane.bits[y * both.plane.stride() + (bx + x) / 8] |= 0x80 >> ((bx + x) % 8);
            };
            put(0, left.plane);
            put(900, right.plane);
        }
    auto v = analyse(both, PLENMAR_PAGE_AUTO);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].kind, PLENMAR_AREA_VERTICAL);
    EXPECT_EQ(v[1].kind, PLENMAR_AREA_VERTICAL);
    EXPECT_GT(v[0].r.left, v[1].r.right);
}

TEST(Plenmar, LinesBesideAColumnOfVerticalTextInTheRecognisersBlockAreKept) {
    // The recogniser's block takes in a column of vertical text found here
    // and horizontal lines beside it, some running into the column.
    std::vector<std::uint8_t> white(1200 / 8 * 1000, 0);
    const ocrkit::PlaneView plane(white.data(), 1200, 1000);
    ::plenmar::PageLayout own;
    own.charSize = 40;
    own.areas = {{ocrkit::Box{100, 100, 300, 900}, ::plenmar::AreaKind::Vertical}};
    ocrkit::LayoutBlock block{ocrkit::Box{100, 100, 1100, 900}, ocrkit::BlockKind::Text, {}};
    for (int y = 100; y < 880; y += 60) block.lines.push_back(ocrkit::Box{y < 400 ? 200 : 400, y, 1100, y + 40});
    const auto areas = ::plenmar::joinRecogniserLayout({block}, own, plane);
    auto textAt = [&](int x, int y) {
        return std::any_of(areas.begin(), areas.end(), [&](const ::plenmar::Area& a) {
            return a.kind == ::plenmar::AreaKind::Text && a.box.left <= x && x <= a.box.right && a.box.top <= y && y <= a.box.bottom;
        });
    };
    ASSERT_FALSE(areas.empty());
    EXPECT_EQ(areas[0].kind, ::plenmar::AreaKind::Vertical);
    for (const ocrkit::Box& l : block.lines) {
        EXPECT_TRUE(textAt(750, l.top + 20)) << "line at " << l.top << " is lost";
        // What lies in the column is read with it, not again as a line.
        EXPECT_FALSE(textAt(250, l.top + 20)) << "line at " << l.top << " is read twice";
    }
}

TEST(Plenmar, ALineRunningIntoTheNextColumnLeavesTheColumnsApart) {
    // Two columns; the recogniser's analysis cut one line of the left
    // column where it runs on into the right one. The analysis here saw one
    // block across both columns.
    std::vector<std::uint8_t> white(2000 / 8 * 1000, 0);
    const ::ocrkit::PlaneView plane(white.data(), 2000, 1000);
    const ::plenmar::PageLayout own = ownText(::ocrkit::Box{100, 100, 1800, 900}, 40);
    ::ocrkit::LayoutBlock left{::ocrkit::Box{100, 100, 900, 880}, ::ocrkit::BlockKind::Text, {}};
    ::ocrkit::LayoutBlock right{::ocrkit::Box{1000, 100, 1800, 880}, ::ocrkit::BlockKind::Text, {}};
    for (int y = 100; y < 880; y += 60) {
        left.lines.push_back(::ocrkit::Box{100, y, y == 400 ? 990 : 900, y + 40});
        right.lines.push_back(::ocrkit::Box{1000, y, 1800, y + 40});
    }
    auto expectColumnsApart = [](const std::vector<::plenmar::Area>& areas, int leftEdge) {
        for (const ::plenmar::Area& a : areas)
            EXPECT_FALSE(a.box.left <= 500 && a.box.right >= 1400 && a.box.bottom - a.box.top > 100)
                << "an area across both columns: " << a.box.left << "," << a.box.top << " " << a.box.right << "," << a.box.bottom;
        ASSERT_FALSE(areas.empty());
        EXPECT_LT(areas.front().box.right, leftEdge);
    };
    expectColumnsApart(::plenmar::joinRecogniserLayout({left, right}, own, plane), 1000);
    // Lines that run over the rule between the columns up to the lines of
    // the next column (a long address that does not break) are no pieces
    // of those lines, however many there are.
    for (int y : {160, 280, 520, 700}) left.lines[static_cast<std::size_t>((y - 100) / 60)].right = 1010;
    const ::ocrkit::LayoutBlock rule{::ocrkit::Box{950, 100, 951, 880}, ::ocrkit::BlockKind::Rule, {}};
    expectColumnsApart(::plenmar::joinRecogniserLayout({left, rule, right}, own, plane), 1011);
    // A narrow gutter on a tilted page: the right column's lines stand half
    // a line lower, and a line of the left one reaches up to them. Joined,
    // it would run into the next line there; the columns stay as found.
    for (::ocrkit::Box& l : right.lines) {
        l.top += 20;
        l.bottom += 20;
    }
    right.box.bottom += 20;
    left.lines[5].right = 1000;
    expectColumnsApart(::plenmar::joinRecogniserLayout({left, right}, own, plane), 1011);
}

TEST(Plenmar, LinesRunAcrossTheColumnsAreCutAndThePictureBesideThemKept) {
    // The recogniser's analysis ran some lines of the left column on into the
    // right one; the analysis here found both columns, and took the
    // recogniser's picture at the top of the right column in with its text.
    std::vector<std::uint8_t> white(2000 / 8 * 1400, 0);
    const ::ocrkit::PlaneView plane(white.data(), 2000, 1400);
    ::plenmar::PageLayout own = ownText(::ocrkit::Box{100, 100, 900, 1300}, 40);
    own.areas.push_back({::ocrkit::Box{1000, 100, 1900, 1300}, ::plenmar::AreaKind::Text});
    const ::ocrkit::LayoutBlock picture{::ocrkit::Box{1000, 100, 1900, 640}, ::ocrkit::BlockKind::Picture, {}};
    const auto areas = ::plenmar::joinRecogniserLayout(
        {textBlock(100, 900, 100, 640), picture, textBlock(100, 1900, 700, 1000), textBlock(1000, 1900, 1060, 1300)}, own, plane);
    auto indexOf = [&](int x, int y) {
        for (std::size_t i = 0; i < areas.size(); ++i)
            if (areas[i].box.left <= x && x <= areas[i].box.right && areas[i].box.top <= y && y <= areas[i].box.bottom)
                return areas[i].kind == ::plenmar::AreaKind::Text ? static_cast<int>(i) : -2;
        return -1;
    };
    EXPECT_EQ(indexOf(1400, 370), -2) << "the picture is read as text";
    // The left column to its foot, then the right one from its top.
    int last = -1;
    for (auto [x, y] : {std::pair{500, 120}, {500, 720}, {500, 960}, {1400, 720}, {1400, 960}, {1400, 1080}}) {
        const int at = indexOf(x, y);
        EXPECT_GE(at, last) << "the line at " << x << "," << y << " is out of order";
        EXPECT_GE(at, 0) << "the line at " << x << "," << y << " is in no area";
        last = std::max(last, at);
    }
    for (const ::plenmar::Area& a : areas) EXPECT_FALSE(a.box.left < 900 && a.box.right > 1000) << "an area across both columns";
}

TEST(Plenmar, ColumnsTheAnalysisHereMissedAreNotReadAcross) {
    // Three columns the analysis here saw as one block; a footnote under
    // them that the recogniser cut in two, its pieces a little apart in
    // height, so that joined they graze the footnote above.
    std::vector<std::uint8_t> white(2000 / 8 * 1300, 0);
    const ::ocrkit::PlaneView plane(white.data(), 2000, 1300);
    const ::plenmar::PageLayout own = ownText(::ocrkit::Box{100, 100, 1800, 1200}, 40);
    ::ocrkit::LayoutBlock above{::ocrkit::Box{100, 1060, 1000, 1100}, ::ocrkit::BlockKind::Text, {::ocrkit::Box{100, 1060, 1000, 1100}}};
    ::ocrkit::LayoutBlock cutLeft{::ocrkit::Box{100, 1100, 900, 1140}, ::ocrkit::BlockKind::Text, {::ocrkit::Box{100, 1100, 900, 1140}}};
    ::ocrkit::LayoutBlock cutRight{::ocrkit::Box{905, 1085, 1300, 1125}, ::ocrkit::BlockKind::Text, {::ocrkit::Box{905, 1085, 1300, 1125}}};
    const auto areas = ::plenmar::joinRecogniserLayout(
        {textBlock(100, 600, 100, 1000), textBlock(700, 1200, 100, 1000), textBlock(1300, 1800, 100, 1000), above, cutLeft, cutRight},
        own, plane);
    for (const ::plenmar::Area& a : areas)
        EXPECT_FALSE(a.box.left < 600 && a.box.right > 700 && a.box.height() > 200)
            << "an area across the columns: " << a.box.left << "," << a.box.top << " " << a.box.right << "," << a.box.bottom;
}

TEST(Plenmar, ARuleTiltedBetweenTheColumnsLeavesThemWhole) {
    // The recogniser calls the rule between two columns of a tilted page a
    // picture; its box reaches into the starts of the right column's lines.
    const int w = 2000, h = 1400, stride = w / 8;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * h, 0);
    for (int y = 100; y <= 1300; ++y)
        for (int x = 950 + (y - 100) / 12; x < 953 + (y - 100) / 12; ++x) bits[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    const ::ocrkit::PlaneView plane(bits.data(), w, h);
    const ::plenmar::PageLayout own = ownText(::ocrkit::Box{100, 100, 1900, 1300}, 40);
    const ::ocrkit::LayoutBlock rule{::ocrkit::Box{950, 100, 1053, 1300}, ::ocrkit::BlockKind::Picture, {}};
    const auto areas = ::plenmar::joinRecogniserLayout({textBlock(100, 930, 100, 1300), rule, textBlock(1000, 1900, 100, 1300)}, own, plane);
    EXPECT_EQ(std::count_if(areas.begin(), areas.end(), [](const ::plenmar::Area& a) { return a.kind == ::plenmar::AreaKind::Text; }), 2)
        << "a column is cut into lines";
}

TEST(Plenmar, AHalftonePictureAmongTextIsNotReadAsText) {
    // Dots of a halftone, which the analysis here took into the text around
    // it; the recogniser's analysis calls it a picture.
    std::vector<std::uint8_t> bits;
    const ::ocrkit::PlaneView plane = halftonePlane(1200, 1000, ::ocrkit::Box{200, 200, 700, 600}, bits);
    const ::plenmar::PageLayout own = ownText(::ocrkit::Box{100, 100, 1100, 900}, 40);
    const ::ocrkit::LayoutBlock picture{::ocrkit::Box{200, 200, 702, 602}, ::ocrkit::BlockKind::Picture, {}};
    const auto areas = ::plenmar::joinRecogniserLayout({picture}, own, plane);
    bool pictured = false;
    for (const ::plenmar::Area& a : areas) {
        const bool inside = a.box.left <= 450 && 450 <= a.box.right && a.box.top <= 400 && 400 <= a.box.bottom;
        EXPECT_FALSE(inside && a.kind != ::plenmar::AreaKind::Picture) << "the halftone is read as text";
        pictured = pictured || (inside && a.kind == ::plenmar::AreaKind::Picture);
    }
    EXPECT_TRUE(pictured);
    // The recogniser took the upper rows of the halftone for lines of text
    // above its picture; a line of text under it is read.
    const ::ocrkit::LayoutBlock lower{::ocrkit::Box{200, 400, 702, 602}, ::ocrkit::BlockKind::Picture, {}};
    const auto read = ::plenmar::joinRecogniserLayout({textBlock(200, 700, 200, 400), lower, textBlock(100, 1100, 700, 760)}, own, plane);
    auto textAt = [&](int x, int y) {
        return std::any_of(read.begin(), read.end(), [&](const ::plenmar::Area& a) {
            return a.kind == ::plenmar::AreaKind::Text && a.box.left <= x && x <= a.box.right && a.box.top <= y && y <= a.box.bottom;
        });
    };
    EXPECT_FALSE(textAt(450, 300)) << "rows of the halftone are read as text";
    EXPECT_TRUE(textAt(600, 720)) << "the line under the picture is lost";
    // The analysis here took the halftone in its frame for a ruled table.
    ::plenmar::PageLayout framed = own;
    framed.areas.push_back({::ocrkit::Box{198, 198, 704, 604}, ::plenmar::AreaKind::Table});
    for (const ::plenmar::Area& a : ::plenmar::joinRecogniserLayout({picture}, framed, plane))
        EXPECT_NE(a.kind, ::plenmar::AreaKind::Table) << "the halftone is read as a table";
}

TEST(Plenmar, PicturesOfTwoColumnsThatTouchLeaveTheTextBesideThemWhole) {
    // Each column holds a picture and a column of text; the analysis here
    // took the two pictures, a gutter apart, for one blob over both columns.
    std::vector<std::uint8_t> white(2000 / 8 * 1400, 0);
    const ::ocrkit::PlaneView plane(white.data(), 2000, 1400);
    ::plenmar::PageLayout own;
    own.charSize = 60;
    own.areas = {{::ocrkit::Box{100, 100, 1900, 1200}, ::plenmar::AreaKind::Text},
                 {::ocrkit::Box{100, 100, 1900, 1200}, ::plenmar::AreaKind::Picture}};
    const ::ocrkit::LayoutBlock left = textBlock(100, 900, 100, 640), right = textBlock(1000, 1900, 660, 1200);
    const ::ocrkit::LayoutBlock leftPicture{::ocrkit::Box{100, 700, 900, 1200}, ::ocrkit::BlockKind::Picture, {}};
    const ::ocrkit::LayoutBlock rightPicture{::ocrkit::Box{1000, 100, 1900, 600}, ::ocrkit::BlockKind::Picture, {}};
    const auto areas = ::plenmar::joinRecogniserLayout({left, leftPicture, rightPicture, right}, own, plane);
    int text = 0, pictures = 0;
    for (const ::plenmar::Area& a : areas) {
        (a.kind == ::plenmar::AreaKind::Picture ? pictures : text) += 1;
        if (a.kind != ::plenmar::AreaKind::Picture) continue;
        for (const auto* block : {&left, &right})
            for (const ::ocrkit::Box& l : block->lines) {
                const int cx = (l.left + l.right) / 2, cy = (l.top + l.bottom) / 2;
                EXPECT_FALSE(a.box.left <= cx && cx <= a.box.right && a.box.top <= cy && cy <= a.box.bottom)
                    << "the line at " << l.left << "," << l.top << " lies in a picture";
            }
    }
    // Each column of text is read in one piece, each picture given once.
    EXPECT_EQ(text, 2);
    EXPECT_EQ(pictures, 2);
}

TEST(Plenmar, FootnotesUnderTheColumnsComeAfterThem) {
    // The recogniser's order reads the footnotes under the left column
    // before the right column. A last paragraph of the left column that
    // starts below the right column's end stays where it is.
    std::vector<std::uint8_t> white(2000 / 8 * 1400, 0);
    const ::ocrkit::PlaneView plane(white.data(), 2000, 1400);
    const ::plenmar::PageLayout own = ownText(::ocrkit::Box{100, 100, 1900, 1300}, 40);
    const auto left = textBlock(100, 900, 100, 380), left2 = textBlock(100, 900, 440, 680), last = textBlock(100, 900, 740, 840);
    const auto footnotes = textBlock(100, 1100, 1000, 1100);
    const auto right = textBlock(1000, 1900, 100, 380), right2 = textBlock(1000, 1900, 440, 680);
    const auto areas = ::plenmar::joinRecogniserLayout({left, left2, last, footnotes, right, right2}, own, plane);
    auto indexOf = [&](int x, int y) {
        for (std::size_t i = 0; i < areas.size(); ++i)
            if (areas[i].box.left <= x && x <= areas[i].box.right && areas[i].box.top <= y && y <= areas[i].box.bottom)
                return static_cast<int>(i);
        return -1;
    };
    ASSERT_GE(indexOf(500, 780), 0);
    ASSERT_GE(indexOf(1400, 600), 0);
    EXPECT_LT(indexOf(500, 780), indexOf(1400, 600)) << "the left column's last paragraph is read after the right column";
    EXPECT_GT(indexOf(500, 1020), indexOf(1400, 600)) << "the footnotes are read before the right column";
}

TEST(Plenmar, AHalftonePictureIsCutOutOfTheOwnAreasWhereTheRecognisersCutsAreGivenUp) {
    // The recogniser's line runs across both columns the analysis here
    // found, so its areas stand; their left column took the dots of a
    // halftone for text, which the recogniser found to be a picture.
    std::vector<std::uint8_t> bits;
    const ::ocrkit::PlaneView plane = halftonePlane(2000, 1500, ::ocrkit::Box{150, 600, 850, 1000}, bits);
    ::plenmar::PageLayout own;
    own.charSize = 40;
    own.areas = {{::ocrkit::Box{100, 100, 900, 1400}, ::plenmar::AreaKind::Text}, {::ocrkit::Box{1000, 100, 1800, 1400}, ::plenmar::AreaKind::Text}};
    const ::ocrkit::LayoutBlock across{::ocrkit::Box{100, 200, 1800, 240}, ::ocrkit::BlockKind::Text, {::ocrkit::Box{100, 200, 1800, 240}}};
    const ::ocrkit::LayoutBlock picture{::ocrkit::Box{150, 600, 852, 1002}, ::ocrkit::BlockKind::Picture, {}};
    const auto areas = ::plenmar::joinRecogniserLayout({across, picture}, own, plane);
    auto kindAt = [&](int x, int y) {
        std::vector<::plenmar::AreaKind> kinds;
        for (const ::plenmar::Area& a : areas)
            if (a.box.left <= x && x <= a.box.right && a.box.top <= y && y <= a.box.bottom) kinds.push_back(a.kind);
        return kinds;
    };
    EXPECT_EQ(kindAt(500, 800), std::vector<::plenmar::AreaKind>{::plenmar::AreaKind::Picture});
    for (int y : {300, 1200}) EXPECT_EQ(kindAt(500, y), std::vector<::plenmar::AreaKind>{::plenmar::AreaKind::Text});
    EXPECT_EQ(kindAt(1400, 800), std::vector<::plenmar::AreaKind>{::plenmar::AreaKind::Text});
}

TEST(Plenmar, ColumnsOfWordsWhoseLettersRunTogetherAreColumns) {
    // A blurred scan of small print: each word one mark about three times
    // as wide as its line is high, four columns parted by gutters of four
    // letters. The words' size is no measure of the characters; the pitch
    // of their lines is.
    const int w = 1600, h = 1200, stride = w / 8;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride) * h, 0);
    for (int col = 0; col < 4; ++col)
        for (int y = 100; y + 22 < 1100; y += 46)
            for (int x = 100 + col * 370; x + 90 <= 100 + col * 370 + 246; x += 120 - (y / 46) % 3 * 8)
                for (int dy = 0; dy < 22; ++dy)
                    for (int dx = 0; dx < 90; ++dx) bits[(y + dy) * stride + (x + dx) / 8] |= static_cast<std::uint8_t>(0x80 >> ((x + dx) % 8));
    const ::ocrkit::PlaneView plane(bits.data(), w, h);
    const ::plenmar::PageLayout own = ::plenmar::analysePage(plane, ::ocrkit::Box{0, 0, w - 1, h - 1}, ::plenmar::LayoutOptions{});
    EXPECT_LT(own.charSize, 40);
    ASSERT_EQ(own.areas.size(), 4u);
    for (std::size_t col = 0; col < 4; ++col) {
        EXPECT_EQ(own.areas[col].kind, ::plenmar::AreaKind::Text);
        EXPECT_NEAR(own.areas[col].box.left, 100 + static_cast<int>(col) * 370, 30);
        EXPECT_LT(own.areas[col].box.width(), 300);
    }
    // Where the recogniser's analysis finds nothing at all, these areas
    // are read.
    EXPECT_EQ(::plenmar::joinRecogniserLayout({}, own, plane).size(), 4u);
}

TEST(Plenmar, TablesAndPicturesAreTheirOwnAreas) {
    std::vector<std::vector<std::string>> cells = {{"名称", "数量", "价格"}, {"苹果", "12", "35.00"}, {"香蕉", "8", "16.50"}};
    Page page = tablePage("二〇二四年水果销售表", cells, true, Style{});
    auto areas = analyse(page, PLENMAR_PAGE_AUTO);
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[0].kind, PLENMAR_AREA_TEXT);
    EXPECT_TRUE(covers(areas[0].r, page.blocks[0].rect));
    EXPECT_EQ(areas[1].kind, PLENMAR_AREA_TABLE);
    EXPECT_TRUE(covers(areas[1].r, page.tables[0], 4));
    EXPECT_EQ(areas[2].kind, PLENMAR_AREA_PICTURE);
    EXPECT_TRUE(covers(areas[2].r, page.pictures[0], 4));

    Page pic = picturePage(englishText(25, 2), Style{});
    auto pa = analyse(pic, PLENMAR_PAGE_AUTO);
    // The text (in one area or in its paragraphs), then the picture (its
    // two shapes in one area or each in its own).
    ASSERT_GE(pa.size(), 2u);
    EXPECT_EQ(pa[0].kind, PLENMAR_AREA_TEXT);
    RECT drawn{};
    bool first = true;
    for (std::size_t i = 1; i < pa.size(); ++i) {
        if (pa[i].kind != PLENMAR_AREA_PICTURE) {
            EXPECT_EQ(pa[i].kind, PLENMAR_AREA_TEXT);
            EXPECT_TRUE(first) << "text after the picture";
            continue;
        }
        drawn = first ? pa[i].r : RECT{std::min(drawn.left, pa[i].r.left), std::min(drawn.top, pa[i].r.top),
                                       std::max(drawn.right, pa[i].r.right), std::max(drawn.bottom, pa[i].r.bottom)};
        first = false;
    }
    EXPECT_TRUE(covers(drawn, pic.pictures[0], 4)) << drawn.left << "," << drawn.top << " " << drawn.right << "," << drawn.bottom;

    // A frame of rules one pixel thin, a little off the slant of the text
    // above it (a tenth of a degree: each rule falls by three pixels across
    // the table), is a table, not a picture.
    Page thin = textPage(simplifiedText(27, 2), 2480, 1900, Style{});
    const int top = thin.blocks.back().rect.bottom + 100, left = 200, right = 1800;
    auto ink = [&](int x, int y) { thin.plane.bits[static_cast<std::size_t>(y) * thin.plane.stride() + x / 8] |= 0x80 >> (x % 8); };
    const double fall = 0.002;
    for (int row = 0; row <= 4; ++row)
        for (int x = left; x <= right; ++x) ink(x, top + row * 90 + static_cast<int>(std::lround((x - left) * fall)));
    for (int x : {left, 600, 1000, 1400, right})
        for (int y = 0; y <= 360; ++y) ink(x - static_cast<int>(std::lround(y * fall)), top + y + static_cast<int>(std::lround((x - left) * fall)));
    auto ta = analyse(thin, PLENMAR_PAGE_AUTO);
    const Rect frame{left, top, right, top + 363};
    const int k = areaAt(ta, frame);
    ASSERT_GE(k, 0);
    EXPECT_EQ(ta[static_cast<std::size_t>(k)].kind, PLENMAR_AREA_TABLE);
    EXPECT_TRUE(covers(ta[static_cast<std::size_t>(k)].r, frame, 4));

    // A frame a poor scan broke into dashes is no one piece of ink; the
    // recogniser's analysis still finds its rules and its table: one table
    // area, frame and all (its grid is looked for, and its rules taken out
    // where none is found), not text read with the dashes in it.
    std::vector<std::vector<std::string>> figures = {{"名称", "数量", "价格"}, {"苹果", "12", "35.00"},
                                                     {"香蕉", "8", "16.50"}, {"大米", "40", "7.25"}};
    Page dashed = tablePage("二〇二四年水果销售表", figures, false, Style{});
    const Rect& t = dashed.tables[0];
    for (int y = t.top; y <= t.bottom; ++y)
        for (int x = t.left; x <= t.right; ++x)
            if ((x - t.left) % 16 >= 12 || (y - t.top) % 16 >= 12)
                for (int line : dashed.tableRowLines)
                    if (y >= line && y < line + 3) dashed.plane.bits[static_cast<std::size_t>(y) * dashed.plane.stride() + x / 8] &= static_cast<std::uint8_t>(~(0x80 >> (x % 8)));
    for (int y = t.top; y <= t.bottom; ++y)
        for (int line : dashed.tableColLines)
            for (int x = line; x < line + 3; ++x)
                if ((y - t.top) % 16 >= 12) dashed.plane.bits[static_cast<std::size_t>(y) * dashed.plane.stride() + x / 8] &= static_cast<std::uint8_t>(~(0x80 >> (x % 8)));
    auto da = analyse(dashed, PLENMAR_PAGE_AUTO);
    int tables = 0;
    for (const Area& a : da) {
        if (a.kind != PLENMAR_AREA_TABLE) continue;
        ++tables;
        EXPECT_TRUE(covers(a.r, t, 6)) << a.r.left << "," << a.r.top << " " << a.r.right << "," << a.r.bottom;
    }
    EXPECT_EQ(tables, 1);
}

TEST(Plenmar, AreaArgumentLimitsTheAnalysisAndBadInputGivesNothing) {
    Page page = textPage(simplifiedText(26, 3), 2480, 1500, Style{});
    RECT firstOnly{0, 0, 2479, page.blocks[0].rect.bottom + 20};
    CArea* list = plenmarLibrary().seg(page.plane.bits.data(), 2480, 1500, 300, 0, firstOnly);
    int n = 0;
    for (CArea* a = list; a; a = a->next, ++n) EXPECT_LE(a->bottom, firstOnly.bottom);
    EXPECT_EQ(n, 1);
    plenmarLibrary().del(list);
    EXPECT_EQ(plenmarLibrary().seg(nullptr, 2480, 1500, 300, 0, firstOnly), nullptr);
    EXPECT_EQ(plenmarLibrary().seg(page.plane.bits.data(), 2480, 1500, 300, 0, RECT{3000, 3000, 4000, 4000}), nullptr);
    std::vector<std::uint8_t> white(2480 / 8 * 100, 0);
    EXPECT_EQ(plenmarLibrary().seg(white.data(), 2480, 100, 300, 0, RECT{0, 0, 2479, 99}), nullptr);
    plenmarLibrary().del(nullptr);
}

TEST(Plenmar, SkewGivesTheSlopeOfTheLines) {
    for (double degrees : {0.0, 1.5, -2.0}) {
        Page page = textPage(englishText(27, 3), 2480, 1500, Style{50, degrees, 0.001, 9});
        HGLOBAL h = planeBlock(page.plane);
        int dx = 0, dy = 0;
        int rc = plenmarLibrary().skew(static_cast<unsigned char*>(GlobalLock(h)), h, 2480, 1500, 300, dx, dy);
        GlobalUnlock(h);
        GlobalFree(h);
        ASSERT_EQ(rc, 0) << degrees;
        ASSERT_GT(dx, 0);
        // The painter turns clockwise: lines then fall to the right (dy > 0).
        double measured = std::atan2(dy, dx) * 180 / M_PI;
        EXPECT_NEAR(measured, degrees, 0.2) << dx << " " << dy;
    }
    std::vector<std::uint8_t> white(2480 / 8 * 100, 0);
    int dx = 7, dy = 7;
    EXPECT_NE(plenmarLibrary().skew(white.data(), nullptr, 2480, 100, 300, dx, dy), 0);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
    EXPECT_NE(plenmarLibrary().skew(nullptr, nullptr, 2480, 100, 300, dx, dy), 0);
}

TEST(Plenmar, APictureBlockReachingOverColumnsLeavesTheirTextWhole) {
    // The recogniser's analysis took two pictures and the columns between
    // them for one picture block; its text blocks hold the columns.
    std::vector<std::uint8_t> bits(2000 / 8 * 2000, 0);
    const ::ocrkit::PlaneView plane(bits.data(), 2000, 2000);
    ::plenmar::PageLayout own;
    own.charSize = 40;
    own.areas = {{::ocrkit::Box{100, 100, 1900, 1900}, ::plenmar::AreaKind::Text},
                 {::ocrkit::Box{1000, 100, 1900, 600}, ::plenmar::AreaKind::Picture},
                 {::ocrkit::Box{100, 1000, 900, 1300}, ::plenmar::AreaKind::Picture}};
    ::ocrkit::LayoutBlock left{::ocrkit::Box{100, 100, 900, 940}, ::ocrkit::BlockKind::Text, {}};
    ::ocrkit::LayoutBlock right{::ocrkit::Box{1000, 700, 1900, 1900}, ::ocrkit::BlockKind::Text, {}};
    for (int y = 100; y < 940; y += 60) left.lines.push_back(::ocrkit::Box{100, y, 900, y + 40});
    for (int y = 700; y < 1900; y += 60) right.lines.push_back(::ocrkit::Box{1000, y, 1900, y + 40});
    for (const ::ocrkit::LayoutBlock* b : {&left, &right})
        for (const ::ocrkit::Box& l : b->lines) markBox(bits, 2000, ::ocrkit::Box{l.left, l.top + 5, l.right - 30, l.bottom - 30}, 30, 40);
    const ::ocrkit::LayoutBlock pictures{::ocrkit::Box{100, 100, 1900, 1850}, ::ocrkit::BlockKind::Picture, {::ocrkit::Box{100, 100, 1900, 1850}}};
    const auto areas = ::plenmar::joinRecogniserLayout({left, pictures, right}, own, plane);
    // Each column one area of text, and the two pictures as they are.
    std::vector<::ocrkit::Box> text, drawn;
    for (const ::plenmar::Area& a : areas) (a.kind == ::plenmar::AreaKind::Picture ? drawn : text).push_back(a.box);
    ASSERT_EQ(text.size(), 2u);
    EXPECT_EQ(text[0].left, 100);
    EXPECT_EQ(text[0].bottom, 920);
    EXPECT_EQ(text[1].left, 1000);
    EXPECT_EQ(text[1].top, 700);
    ASSERT_EQ(drawn.size(), 2u);
    for (const ::ocrkit::Box& d : drawn) EXPECT_LT(d.width(), 1000);
}
