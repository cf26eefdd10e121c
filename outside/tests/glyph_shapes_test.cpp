// The shape matcher behind Tresk's candidates: characters cut from rendered
// lines, clean and as poor scans, are found among the nearest glyphs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "outside/ocrkit/bands.h"
#include "outside/ocrkit/codepage.h"
#include "outside/ocrkit/glyph_shapes.h"
#include "outside/ocrkit/glyph_table.h"
#include "outside/tests/harness.h"
#include "outside/tests/pages.h"

namespace {

using testpages::Style;

struct Cut {
    std::string truth;
    ocrkit::Box box;
};

// One line of the characters rendered in the style, each cut at the pitch
// the layout gave it (the boxes a recogniser reports), its height from the
// ink in that slice.
std::vector<Cut> cutLine(const std::vector<std::string>& chars, const Style& style, testpages::Plane& plane) {
    std::string text;
    for (const auto& c : chars) text += c;
    testpages::Page page = testpages::textPage({text}, 1800, 330, style);
    plane = page.plane;
    std::vector<Cut> cuts;
    if (page.blocks.empty()) return cuts;
    ocrkit::PlaneView view(plane.bits.data(), plane.width, plane.height);
    QFontMetrics fm(testpages::styleFont(style));
    const int advance = fm.horizontalAdvance(QString::fromUtf8(chars[0].c_str()));
    const int left = page.blocks[0].rect.left;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        ocrkit::Box slice{left + advance * static_cast<int>(i), 0, left + advance * static_cast<int>(i + 1) - 1,
                          plane.height - 1};
        auto rows = ocrkit::findBands(ocrkit::rowProfile(view, slice), 4);
        if (rows.empty()) continue;
        slice.top = rows.front().first;
        slice.bottom = rows.back().second;
        cuts.push_back({chars[i], slice});
    }
    return cuts;
}

const std::vector<std::string> kSample = {"挚", "瓷", "旧", "椅", "筝", "聊", "稻", "旁", "留", "悠",
                                          "座", "芽", "厂", "观", "参", "房", "许", "着", "春", "粮"};

Style scanned(const char* family, int size, bool degraded, unsigned seed) {
    Style st;
    st.families = {family};
    st.pixelSize = size;
    st.seed = seed;
    if (degraded) {
        st.skewDegrees = 1.0;
        st.blurRadius = 1;
        st.greyNoise = 16;
        st.threshold = 150;
        st.noise = 0.0004;
    }
    return st;
}

}  // namespace

TEST(GlyphShapes, FindsPrintedCharactersAmongTheNearestGlyphs) {
    testpages::ensureGui();
    const ocrkit::GlyphShapes* shapes = ocrkit::GlyphShapes::forCodePage(936);
    ASSERT_NE(shapes, nullptr);
    EXPECT_EQ(ocrkit::GlyphShapes::forCodePage(936), shapes);  // drawn once
    EXPECT_EQ(ocrkit::GlyphShapes::forCodePage(1252), nullptr);
    for (const char* family : {"WenQuanYi Micro Hei", "AR PL UMing CN", "AR PL UKai CN"})
        for (int size : {38, 48})
            for (bool degraded : {false, true}) {
                SCOPED_TRACE(std::string(family) + " " + std::to_string(size) + (degraded ? " degraded" : " clean"));
                testpages::Plane plane;
                auto cuts = cutLine(kSample, scanned(family, size, degraded, static_cast<unsigned>(size)), plane);
                ASSERT_EQ(cuts.size(), kSample.size());
                ocrkit::PlaneView view(plane.bits.data(), plane.width, plane.height);
                int first = 0, found = 0;
                std::string missed;
                for (const Cut& c : cuts) {
                    auto near = shapes->nearest(view, c.box, 10);
                    EXPECT_LE(near.size(), 10u);
                    if (!near.empty() && near[0] == c.truth) ++first;
                    if (std::find(near.begin(), near.end(), c.truth) != near.end())
                        ++found;
                    else
                        missed += c.truth;
                }
                EXPECT_GE(found, degraded ? 14 : 20) << missed;
                EXPECT_GE(first, degraded ? 12 : 19) << missed;
            }
}

TEST(GlyphShapes, BlankOrEmptyBoxesGiveNoCandidates) {
    const ocrkit::GlyphShapes* shapes = ocrkit::GlyphShapes::forCodePage(936);
    ASSERT_NE(shapes, nullptr);
    std::vector<std::uint8_t> bits(40 * 8, 0);
    ocrkit::PlaneView view(bits.data(), 64, 40);
    EXPECT_TRUE(shapes->nearest(view, ocrkit::Box{0, 0, 63, 39}, 10).empty());
    EXPECT_TRUE(shapes->nearest(view, ocrkit::Box{10, 10, 5, 5}, 10).empty());
    EXPECT_TRUE(shapes->nearest(view, ocrkit::Box{70, 50, 90, 60}, 10).empty());  // off the plane
    bits[5 * 8 + 2] = 0xFF;  // one stroke
    EXPECT_TRUE(shapes->nearest(view, ocrkit::Box{0, 0, 63, 39}, 0).empty());
    EXPECT_LE(shapes->nearest(view, ocrkit::Box{0, 0, 63, 39}, 3).size(), 3u);
}

TEST(GlyphShapes, CodePagesOfferTheirOwnIdeographs) {
    auto gb = ocrkit::ideographsOf(936), big5 = ocrkit::ideographsOf(950);
    EXPECT_EQ(gb.size(), 6763u);  // GB2312's two levels
    EXPECT_GT(big5.size(), 13000u);
    auto has = [](const std::vector<std::string>& set, const char* c) { return std::binary_search(set.begin(), set.end(), std::string(c)); };
    EXPECT_TRUE(has(gb, "汉"));
    EXPECT_FALSE(has(gb, "漢"));
    EXPECT_TRUE(has(big5, "漢"));
    EXPECT_FALSE(has(big5, "汉"));
    EXPECT_TRUE(ocrkit::ideographsOf(1252).empty());
}

TEST(GlyphShapes, LookalikesAreOtherCharactersOfSimilarShape) {
    const ocrkit::GlyphShapes* shapes = ocrkit::GlyphShapes::forCodePage(936);
    ASSERT_NE(shapes, nullptr);
    auto sun = shapes->lookalikes("日", 9);
    ASSERT_EQ(sun.size(), 9u);
    EXPECT_EQ(std::count(sun.begin(), sun.end(), "日"), 0);
    EXPECT_TRUE(std::find(sun.begin(), sun.end(), "曰") != sun.end() || std::find(sun.begin(), sun.end(), "目") != sun.end());
    EXPECT_EQ(shapes->lookalikes("日", 3), std::vector<std::string>(sun.begin(), sun.begin() + 3));  // the same list, kept
    EXPECT_TRUE(shapes->lookalikes("A", 9).empty());
    EXPECT_TRUE(shapes->lookalikes("漢", 9).empty());  // not in GB2312
    EXPECT_TRUE(shapes->lookalikes("日", 0).empty());
}

TEST(GlyphShapes, TheTableMadeAtBuildTimeIsReadAndAnyDamageRefused) {
    // The build put the code pages' tables beside the libraries (and this
    // test): the sets come from them, whole.
    ASSERT_TRUE(ocrkit::loadGlyphTable(936).has_value());
    const ocrkit::GlyphShapes* gb = ocrkit::GlyphShapes::forCodePage(936);
    ASSERT_NE(gb, nullptr);
    EXPECT_EQ(gb->size(), ocrkit::ideographsOf(936).size());

    // A table of a few characters drawn here (rising, as a code page's set)
    // reads back as drawn and gives the same answers.
    const auto faces = ocrkit::chineseFaces(936);
    ASSERT_FALSE(faces.empty());
    std::vector<std::string> few = kSample;
    std::sort(few.begin(), few.end());
    const ocrkit::GlyphShapes drawn(few, faces);
    const std::vector<std::uint8_t> bytes = ocrkit::encodeGlyphTable(936, drawn.entries());
    std::string why;
    std::optional<ocrkit::GlyphEntries> back = ocrkit::decodeGlyphTable(bytes.data(), bytes.size(), 936, why);
    ASSERT_TRUE(back.has_value()) << why;
    EXPECT_EQ(back->characters, drawn.entries().characters);
    EXPECT_EQ(back->owner, drawn.entries().owner);
    EXPECT_EQ(back->fine, drawn.entries().fine);
    const ocrkit::GlyphShapes read(std::move(*back));
    EXPECT_EQ(read.lookalikes("稻", 5), drawn.lookalikes("稻", 5));

    // Cut short, a byte changed anywhere, another code page or nothing at all.
    EXPECT_FALSE(ocrkit::decodeGlyphTable(bytes.data(), bytes.size() - 1, 936, why));
    EXPECT_FALSE(ocrkit::decodeGlyphTable(bytes.data(), bytes.size(), 950, why));
    EXPECT_EQ(why, "another code page");
    EXPECT_FALSE(ocrkit::decodeGlyphTable(nullptr, 0, 936, why));
    for (std::size_t at : {std::size_t{0}, std::size_t{9}, std::size_t{40}, bytes.size() / 2, bytes.size() - 1}) {
        std::vector<std::uint8_t> damaged = bytes;
        damaged[at] ^= 0x10;
        EXPECT_FALSE(ocrkit::decodeGlyphTable(damaged.data(), damaged.size(), 936, why)) << "byte " << at;
    }
}
