// The Chinese engine's records of a recognised block, from lines as the
// recogniser reports them: distances within their range, characters the code
// page lacks marked, ASCII punctuation among ideographs widened, and
// characters without boxes (columns of vertical text) given their share of
// the line in reading order.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "outside/ocrkit/codepage.h"
#include "outside/tresk/block_result.h"

namespace {

ocrkit::Symbol symbol(const std::string& utf8, float confidence, ocrkit::Box box = {}) {
    return ocrkit::Symbol{utf8, box, confidence, {{utf8, confidence}}};
}

std::vector<_charinfo*> charsOf(const _regioninfo& r) {
    std::vector<_charinfo*> out;
    for (_lineinfo* l = r.pLines; l; l = l->next)
        for (_charinfo* c = l->pChars; c; c = c->next) out.push_back(c);
    return out;
}

}  // namespace

TEST(BlockResult, DistancesStayInRangeAndWhatTheCodePageLacksIsMarked) {
    std::vector<ocrkit::Line> lines(1);
    lines[0].box = ocrkit::Box{0, 0, 99, 19};
    // Not even sure of itself, a character of neither code page, an ideograph
    // next to an ASCII comma.
    lines[0].words.push_back({0, {symbol("\xE4\xB8\xAD", 0.0f, {0, 0, 19, 19}), symbol("\xF0\xA0\x80\x80", 40.0f, {20, 0, 39, 19}),
                                  symbol(",", 90.0f, {40, 10, 45, 19}), symbol("\xE6\x96\x87", 100.0f, {50, 0, 69, 19})}});
    _regioninfo* region = new _regioninfo{};
    ASSERT_TRUE(tresk::buildBlock(lines, false, tresk::Output{936, nullptr, nullptr, nullptr}, region));
    std::vector<_charinfo*> chars = charsOf(*region);
    ASSERT_EQ(chars.size(), 4u);
    for (_charinfo* c : chars) {
        EXPECT_GE(c->nCands, 1);
        EXPECT_GE(c->nDist, 0);
        EXPECT_LE(c->nDist, 255);
    }
    // The unsure character is very doubtful but still read, not unknown.
    EXPECT_GT(chars[0]->nDist, 150);
    EXPECT_LT(chars[0]->nDist, 255);
    EXPECT_EQ(ocrkit::toUtf8(ocrkit::unpackCode(chars[0]->wCand[0]), 936), "\xE4\xB8\xAD");
    EXPECT_EQ(chars[1]->wCand[0], ocrkit::unknownCode(936));
    EXPECT_EQ(chars[1]->nDist, 255);
    EXPECT_EQ(ocrkit::toUtf8(ocrkit::unpackCode(chars[2]->wCand[0]), 936), "\xEF\xBC\x8C");  // the full-width comma
    EXPECT_EQ(chars[3]->nDist, 0);
    tresk::freeResult(region);
}

TEST(BlockResult, CharactersWithoutBoxesShareTheirColumnInOrder) {
    std::vector<ocrkit::Line> lines(1);
    lines[0].box = ocrkit::Box{100, 10, 139, 129};
    lines[0].words.push_back({0, {symbol("\xE4\xB8\x80", 90.0f), symbol("\xE4\xBA\x8C", 90.0f), symbol("\xE4\xB8\x89", 90.0f)}});
    _regioninfo* region = new _regioninfo{};
    ASSERT_TRUE(tresk::buildBlock(lines, true, tresk::Output{936, nullptr, nullptr, nullptr}, region));
    std::vector<_charinfo*> chars = charsOf(*region);
    ASSERT_EQ(chars.size(), 3u);
    int top = 10;
    for (_charinfo* c : chars) {
        EXPECT_EQ(c->left, 100);
        EXPECT_EQ(c->right, 139);
        EXPECT_EQ(c->top, top);
        EXPECT_EQ(c->bottom, top + 39);
        top += 40;
    }
    tresk::freeResult(region);
}

TEST(BlockResult, MarksAPoorScanConfusesAreEachOthersCandidates) {
    std::vector<ocrkit::Line> lines(1);
    lines[0].box = ocrkit::Box{0, 0, 99, 19};
    // A comma read as a dot, the ideograph one read as a tilde, a Latin
    // letter with an alternative of the recogniser's own.
    ocrkit::Symbol ell = symbol("l", 70.0f, {82, 0, 84, 19});
    ell.choices.push_back({"t", 20.0f});
    lines[0].words.push_back({0, {symbol("\xE4\xB8\xAD", 95.0f, {0, 0, 19, 19}), symbol(".", 60.0f, {22, 15, 25, 19}),
                                  symbol("~", 50.0f, {40, 8, 59, 11}), symbol("\xE6\x96\x87", 95.0f, {60, 0, 79, 19})}});
    lines[0].words.push_back({1, {ell}});
    _regioninfo* region = new _regioninfo{};
    ASSERT_TRUE(tresk::buildBlock(lines, false, tresk::Output{950, nullptr, nullptr, nullptr}, region));
    std::vector<_charinfo*> chars = charsOf(*region);
    ASSERT_EQ(chars.size(), 5u);
    auto candidates = [](const _charinfo* c) {
        std::vector<std::string> out;
        for (int k = 0; k < c->nCands; ++k) out.push_back(ocrkit::toUtf8(ocrkit::unpackCode(c->wCand[k]), 950));
        return out;
    };
    // The reading stays first.
    EXPECT_EQ(candidates(chars[1]), (std::vector<std::string>{".", "\xE3\x80\x82", "\xEF\xBC\x8C", "\xE3\x80\x81"}));
    std::vector<std::string> stroke = candidates(chars[2]);
    ASSERT_GE(stroke.size(), 2u);
    EXPECT_EQ(stroke[0], "~");
    EXPECT_EQ(stroke[1], "\xE4\xB8\x80");
    // Characters are not given marks.
    EXPECT_EQ(candidates(chars[0]).size(), 1u);
    // The letter: the recogniser's alternative, then the letters a poor scan
    // makes of it.
    std::vector<std::string> letter = candidates(chars[4]);
    ASSERT_GE(letter.size(), 5u);
    EXPECT_EQ(letter[0], "l");
    EXPECT_EQ(letter[1], "t");
    for (const char* like : {"L", "1", "I"}) EXPECT_NE(std::find(letter.begin(), letter.end(), like), letter.end()) << like;
    tresk::freeResult(region);
}
