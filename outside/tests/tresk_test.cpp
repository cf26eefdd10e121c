// The Chinese engine driven through its entries only, on rendered pages.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "outside/include/tresk.h"
#include "outside/ocrkit/codepage.h"
#include "outside/tests/loader.h"
#include "outside/tests/pages.h"
#include "platform/win/memory.h"

using namespace testpages;

namespace {

struct Tresk {
    Library lib{TRESK_DLL};
    PFN_OR_CHN40_INIT init = lib.get<PFN_OR_CHN40_INIT>("OR_CHN40_Init");
    PFN_OR_CHN40_TERM term = lib.get<PFN_OR_CHN40_TERM>("OR_CHN40_Term");
    PFN_OR_CHN40_SEGIMG segImg = lib.get<PFN_OR_CHN40_SEGIMG>("OR_CHN40_SegImg");
    PFN_OR_CHN40_RECOG recog = lib.get<PFN_OR_CHN40_RECOG>("OR_CHN40_Recog");
    PFN_OR_CHN40_FREESEGINFO freeSeg = lib.get<PFN_OR_CHN40_FREESEGINFO>("OR_CHN40_FreeSegInfo");
    PFN_TRESK_FREERESULT freeResult = lib.ordinal<PFN_TRESK_FREERESULT>(TRESK_ORDINAL_FREERESULT);
};

Tresk& tresk() {
    static Tresk t;
    return t;
}

HGLOBAL planeBlock(const Plane& p) {
    HGLOBAL h = GlobalAlloc(GHND, p.bits.size());
    std::memcpy(GlobalLock(h), p.bits.data(), p.bits.size());
    GlobalUnlock(h);
    return h;
}

struct Blocks {
    std::vector<_recblock> records;
    explicit Blocks(const Page& page) {
        for (const TextBlock& b : page.blocks)
            records.push_back({b.vertical ? 1 : 0, b.rect.left - 10, b.rect.top - 10, b.rect.right + 10, b.rect.bottom + 10, nullptr});
        for (std::size_t i = 0; i + 1 < records.size(); ++i) records[i].next = &records[i + 1];
    }
    _recblock* head() { return records.empty() ? nullptr : records.data(); }
};

std::vector<std::string> g_pieces;
int g_pumps = 0;
int g_cancelAfter = -1;
void onText(const char* piece) { g_pieces.push_back(piece); }
int onPump() {
    ++g_pumps;
    return g_cancelAfter >= 0 && g_pumps > g_cancelAfter ? 1 : 0;
}

struct Outcome {
    std::vector<std::string> blockText;  // UTF-8, lines joined by '\n'
    std::string callbackText;            // UTF-8 from the text callback
    int chars = 0;
    int lines = 0;
    int segLines = 0;
    bool ok = false;
    std::vector<_charinfo> firstChars;
};

Outcome recognise(const Page& page, int code, int traditional) {
    Outcome run;
    int cp = code == 'B' ? 950 : 936;
    HGLOBAL plane = planeBlock(page.plane);
    Blocks blocks(page);
    char folder[] = "";
    _seg_regioninfo* seg = tresk().segImg(plane, static_cast<short>(page.plane.width),
                                          static_cast<short>(page.plane.height), blocks.head(), folder);
    for (_seg_regioninfo* s = seg; s; s = s->next) run.segLines += s->nLines;
    g_pieces.clear();
    g_pumps = 0;
    _regioninfo* result = tresk().recog(seg, plane, static_cast<short>(page.plane.width),
                                        static_cast<short>(page.plane.height), folder, code, traditional, 0,
                                        &onText, &onPump);
    tresk().freeSeg(seg);
    run.ok = result != nullptr;
    for (_regioninfo* r = result; r; r = r->next) {
        std::string text;
        int n = 0;
        for (_lineinfo* l = r->pLines; l; l = l->next, ++n) {
            ++run.lines;
            std::string bytes;
            for (_charinfo* c = l->pChars; c; c = c->next) {
                ++run.chars;
                if (run.firstChars.size() < 400) run.firstChars.push_back(*c);
                bytes.append(c->nSpaces, ' ');
                bytes += ocrkit::unpackCode(c->wCand[0]);
            }
            text += ocrkit::toUtf8(bytes, cp) + "\n";
        }
        EXPECT_EQ(n, r->nLines);
        run.blockText.push_back(text);
    }
    tresk().freeResult(result);
    for (const std::string& p : g_pieces) run.callbackText += ocrkit::toUtf8(p, cp);
    GlobalFree(plane);
    return run;
}

std::string expected(const Page& page) {
    std::string s;
    for (const TextBlock& b : page.blocks)
        for (const std::string& l : b.lines) s += l + "\n";
    return s;
}

std::string joined(const Outcome& r) {
    std::string s;
    for (const std::string& b : r.blockText) s += b;
    return s;
}

}  // namespace

TEST(Tresk, ReadsSimplifiedCleanAndNoisyPages) {
    Page clean = textPage(simplifiedText(3, 2), 2480, 900, Style{});
    Outcome r = recognise(clean, 'G', 0);
    ASSERT_TRUE(r.ok);
    double acc = charAccuracy(expected(clean), joined(r), false);
    EXPECT_GE(acc, 0.97) << joined(r);
    // Line cutting found the lines that recognition then reports.
    int wantLines = 0;
    for (auto& b : clean.blocks) wantLines += static_cast<int>(b.lines.size());
    EXPECT_EQ(r.segLines, wantLines);
    EXPECT_EQ(r.lines, wantLines);
    // No typed spaces between Chinese characters, in the result or the pieces.
    EXPECT_EQ(joined(r).find(' '), std::string::npos);
    EXPECT_EQ(normalise(r.callbackText, false), normalise(joined(r), false));
    EXPECT_GT(g_pumps, r.lines);

    Page noisy = textPage(simplifiedText(3, 2), 2480, 900, Style{50, 0.6, 0.002, 7});
    Outcome n = recognise(noisy, 'G', 0);
    ASSERT_TRUE(n.ok);
    EXPECT_GE(charAccuracy(expected(noisy), joined(n), false), 0.93) << joined(n);
}
