// The English engine driven through its entries only, on rendered pages.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include <string>
#include <vector>

#include "outside/include/pendril20.h"
#include "outside/ocrkit/codepage.h"
#include "outside/tests/harness.h"
#include "outside/tests/loader.h"

using namespace testpages;

namespace {

struct Pendril {
    Library lib{PENDRIL20_DLL};
    PFN_OR_PENDRIL20_RECOGIMG_ENGSTR recog = lib.get<PFN_OR_PENDRIL20_RECOGIMG_ENGSTR>("OR_PENDRIL20_RECOGIMG_ENGSTR");
    PFN_OR_PENDRIL20_FREERGNINFO_ENGSTR freeResult =
        lib.get<PFN_OR_PENDRIL20_FREERGNINFO_ENGSTR>("OR_PENDRIL20_FREERGNINFO_ENGSTR");
};

Pendril& pendril() {
    static Pendril p;
    return p;
}

std::vector<unsigned> g_progress;
int g_pumps = 0;
int g_cancelAfter = -1;
int onProgress(unsigned percent) {
    g_progress.push_back(percent);
    return 1;
}
int onPump() {
    ++g_pumps;
    return g_cancelAfter >= 0 && g_pumps > g_cancelAfter;
}

struct Outcome {
    bool ok = false;
    std::string text;
    int entries = 0;
    int lines = 0;
    int chars = 0;
    bool boxesInside = true;
    bool firstWordHasNoBlanks = true;
    bool otherCaseOffered = true;  // each letter with room left among its candidates offers its other case
};

std::vector<_recblockeng> blocksOf(const Page& page) {
    std::vector<_recblockeng> v;
    for (const TextBlock& b : page.blocks)
        v.push_back({static_cast<short>(b.rect.top - 10), static_cast<short>(b.rect.bottom + 10),
                     static_cast<short>(b.rect.left - 10), static_cast<short>(b.rect.right + 10), nullptr});
    for (std::size_t i = 0; i + 1 < v.size(); ++i) v[i].next = &v[i + 1];
    return v;
}

Outcome recognise(const Page& page, std::vector<_recblockeng> blocks, bool callbacks = true) {
    Outcome o;
    g_progress.clear();
    g_pumps = 0;
    std::vector<std::uint8_t> bits = page.plane.bits;
    _regioninfoeng* r = pendril().recog(bits.data(), static_cast<short>(page.plane.width),
                                        static_cast<short>(page.plane.height), blocks.empty() ? nullptr : blocks.data(),
                                        callbacks ? &onProgress : nullptr, callbacks ? &onPump : nullptr);
    o.ok = r != nullptr;
    std::size_t bi = 0;
    for (_regioninfoeng* e = r; e; e = e->next, ++bi) {
        ++o.entries;
        int n = 0;
        for (_lineinfoeng* l = e->pLines; l; l = l->next, ++n) {
            ++o.lines;
            bool first = true;
            for (_wordinfoeng* w = l->pWords; w; w = w->next) {
                if (first && w->nBlanks != 0) o.firstWordHasNoBlanks = false;
                if (!first) o.text.append(std::max<int>(w->nBlanks, 0), ' ');
                first = false;
                int count = 0;
                for (_charinfoeng* c = w->pChars; c; c = c->next, ++count) {
                    ++o.chars;
                    o.text += ocrkit::toUtf8(ocrkit::unpackCode(c->wCand[0]), ocrkit::ansiCodePage());
                    const _recblockeng& b = blocks[bi];
                    if (c->left < b.left - 5 || c->right > b.right + 5 || c->top < b.top - 5 || c->bottom > b.bottom + 5)
                        o.boxesInside = false;
                    // ASCII, or a double-byte code of the code page; never a lone high byte.
                    for (int k = 0; k < c->nCands; ++k) EXPECT_TRUE(c->wCand[k] < 0x80 || c->wCand[k] > 0xFF);
                    const WORD first = c->wCand[0];
                    if (first < 0x80 && std::isalpha(first) && c->nCands < PENDRIL20_MAX_CANDIDATES) {
                        const WORD other = static_cast<WORD>(std::isupper(first) ? std::tolower(first) : std::toupper(first));
                        if (std::find(c->wCand + 1, c->wCand + c->nCands, other) == c->wCand + c->nCands)
                            o.otherCaseOffered = false;
                    }
                }
                EXPECT_EQ(count, w->nChars);
            }
            o.text += '\n';
        }
        EXPECT_EQ(n, e->nLines);
    }
    pendril().freeResult(r);
    return o;
}

}  // namespace

TEST(Pendril20, ReadsEnglishCleanAndNoisy) {
    Page clean = textPage(englishText(11, 2), 2480, 900, Style{});
    Outcome c = recognise(clean, blocksOf(clean));
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.entries, static_cast<int>(clean.blocks.size()));
    EXPECT_EQ(c.lines, expectedLines(clean));
    EXPECT_GE(charAccuracy(expectedText(clean), c.text, true), 0.98) << c.text;
    EXPECT_TRUE(c.boxesInside);
    EXPECT_TRUE(c.firstWordHasNoBlanks);
    // Progress rises to 100; the pump runs throughout.
    ASSERT_FALSE(g_progress.empty());
    EXPECT_TRUE(std::is_sorted(g_progress.begin(), g_progress.end()));
    EXPECT_EQ(g_progress.back(), 100u);
    EXPECT_GT(g_pumps, c.lines);

    Page noisy = textPage(englishText(11, 2), 2480, 900, Style{50, -0.5, 0.002, 3});
    Outcome n = recognise(noisy, blocksOf(noisy));
    ASSERT_TRUE(n.ok);
    EXPECT_GE(charAccuracy(expectedText(noisy), n.text, true), 0.95) << n.text;
    EXPECT_TRUE(c.otherCaseOffered);
    EXPECT_TRUE(n.otherCaseOffered);
}

TEST(Pendril20, CallbacksAreOptionalAndCancelStops) {
    Page page = textPage(englishText(12, 1), 2480, 600, Style{});
    Outcome quiet = recognise(page, blocksOf(page), false);
    EXPECT_TRUE(quiet.ok);
    EXPECT_TRUE(g_progress.empty());
    g_cancelAfter = 1;
    Outcome stopped = recognise(page, blocksOf(page));
    g_cancelAfter = -1;
    EXPECT_FALSE(stopped.ok);
}

TEST(Pendril20, EmptyBlocksAndBadInput) {
    Page page = textPage(englishText(13, 1), 2480, 600, Style{});
    // A white block gives an entry without lines; the list keeps its order.
    std::vector<_recblockeng> blocks = blocksOf(page);
    blocks.insert(blocks.begin(), _recblockeng{500, 590, 10, 100, nullptr});
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) blocks[i].next = &blocks[i + 1];
    Outcome o = recognise(page, blocks);
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.entries, 2);
    EXPECT_EQ(o.lines, expectedLines(page));
    EXPECT_FALSE(recognise(page, {}).ok);
    EXPECT_EQ(pendril().recog(nullptr, 100, 100, blocks.data(), nullptr, nullptr), nullptr);
    std::vector<std::uint8_t> bits(10);
    EXPECT_EQ(pendril().recog(bits.data(), 0, 100, blocks.data(), nullptr, nullptr), nullptr);
    pendril().freeResult(nullptr);
}

TEST(Pendril20, LettersOutsideAsciiComeInTheCodePage) {
    // The code page (GBK) holds e acute; the engine gives it as its
    // double-byte code, not as a placeholder.
    Style st;
    st.families = {"DejaVu Serif"};
    Page page = textPage({"The caf\u00e9 in Z\u00fcrich serves a na\u00efve r\u00e9sum\u00e9 of caf\u00e9 recipes."}, 2480, 400, st);
    Outcome o = recognise(page, blocksOf(page), false);
    ASSERT_TRUE(o.ok);
    EXPECT_NE(o.text.find("caf\u00e9"), std::string::npos) << o.text;
    EXPECT_NE(o.text.find("r\u00e9sum\u00e9"), std::string::npos) << o.text;
    EXPECT_EQ(o.text.find('~'), std::string::npos) << o.text;
}
