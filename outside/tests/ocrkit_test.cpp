// The pieces the stand-in engines share: code-page conversions (the
// platform's, with U+FFFD for bytes that do not decode), result chains and
// cancellation through the host's pump.
#include <gtest/gtest.h>

#include <string>

#include "outside/ocrkit/chain.h"
#include "outside/ocrkit/codepage.h"
#include "outside/ocrkit/tess.h"

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(OcrkitCodePage, ChineseTextRoundTripsInBothCodePages) {
    const std::string simplified = "\xE6\xB1\x89\xE5\xAD\x97 OCR";       // 汉字 OCR
    const std::string traditional = "\xE6\xBC\xA2\xE5\xAD\x97 OCR";      // 漢字 OCR
    std::string gbk, big5;
    ASSERT_TRUE(ocrkit::fromUtf8(simplified, 936, gbk));
    EXPECT_EQ(gbk, "\xBA\xBA\xD7\xD6 OCR");
    ASSERT_TRUE(ocrkit::fromUtf8(traditional, 950, big5));
    EXPECT_EQ(big5, "\xBA\x7E\xA6\x72 OCR");
    EXPECT_EQ(ocrkit::toUtf8(gbk, 936), simplified);
    EXPECT_EQ(ocrkit::toUtf8(big5, 950), traditional);
    // A double-byte code travels through the engines' 16-bit form unchanged.
    EXPECT_EQ(ocrkit::unpackCode(ocrkit::packCode(gbk.substr(0, 2))), gbk.substr(0, 2));
    EXPECT_EQ(ocrkit::unpackCode(ocrkit::packCode("A")), "A");
}

TEST(OcrkitCodePage, WhatDoesNotConvertIsReportedOrMarked) {
    std::string out;
    EXPECT_FALSE(ocrkit::fromUtf8("\xE0\xB8\x81", 936, out));  // a Thai letter has no GBK code
    EXPECT_FALSE(ocrkit::fromUtf8("\xFF", 936, out));          // not UTF-8 at all
    // A lead byte before a byte that cannot follow it (a digit) is a bad
    // character of its own: the digit is kept. So is a lead byte at the end.
    EXPECT_EQ(ocrkit::toUtf8("\xBA" "1", 936), kReplacement + "1");
    EXPECT_EQ(ocrkit::toUtf8("ab\xBA", 936), "ab" + kReplacement);
    // A pair with no character in the code page is one replacement, and the
    // text after it still decodes.
    EXPECT_EQ(ocrkit::toUtf8("\xA2\xA0\xBA\xBA", 936), kReplacement + "\xE6\xB1\x89");
    EXPECT_EQ(ocrkit::toUtf8("", 950), "");
}

struct Item {
    int value = 0;
    Item* inner = nullptr;
    Item* next = nullptr;
    static inline int alive = 0;
    Item() { ++alive; }
    ~Item() { --alive; }
};

TEST(OcrkitChain, RecordsAreLinkedInOrderAndFreedWhole) {
    Item* head = nullptr;
    Item** tail = &head;
    for (int i = 1; i <= 3; ++i) {
        Item* item = ocrkit::appendNew(tail);
        ASSERT_NE(item, nullptr);
        item->value = i;
        Item** innerTail = &item->inner;
        for (int k = 0; k < i; ++k) ASSERT_NE(ocrkit::appendNew(innerTail), nullptr);
    }
    int expected = 1;
    for (Item* p = head; p; p = p->next) EXPECT_EQ(p->value, expected++);
    EXPECT_EQ(Item::alive, 3 + 1 + 2 + 3);
    ocrkit::freeChain(head, [](Item* item) { ocrkit::freeChain(item->inner); });
    EXPECT_EQ(Item::alive, 0);
    ocrkit::freeChain(static_cast<Item*>(nullptr));
    EXPECT_EQ(ocrkit::clampShort(40000), 32767);
    EXPECT_EQ(ocrkit::clampShort(-40000), -32768);
    EXPECT_EQ(ocrkit::clampShort(-5), -5);
}

struct ShortBox {
    short left, top, right, bottom;
};

TEST(OcrkitChain, BoxesGoIntoShortFieldsAndCharactersAreNeverEmpty) {
    ShortBox r{};
    ocrkit::setBox(r, ocrkit::Box{-40000, 5, 40000, 9});
    EXPECT_EQ(r.left, -32768);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.right, 32767);
    EXPECT_EQ(r.bottom, 9);
    ocrkit::setBox(r, ocrkit::Box{10, 20, 8, 19});  // lines keep what the engine said
    EXPECT_EQ(r.right, 8);
    EXPECT_EQ(r.bottom, 19);
    ocrkit::setCharBox(r, ocrkit::Box{10, 20, 8, 19});
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.right, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.bottom, 20);
}

int g_pumpCalls = 0;
int g_stopAt = 0;
int pump() { return ++g_pumpCalls >= g_stopAt ? 1 : 0; }

TEST(OcrkitCancel, OncePumpAsksToStopEveryCheckSaysSo) {
    bool cancelled = true;
    ocrkit::CancelCheck never = ocrkit::pumpCheck(nullptr, cancelled);
    EXPECT_FALSE(cancelled);
    EXPECT_FALSE(never());
    g_pumpCalls = 0;
    g_stopAt = 2;
    ocrkit::CancelCheck check = ocrkit::pumpCheck(pump, cancelled);
    EXPECT_FALSE(check());
    EXPECT_TRUE(check());
    g_stopAt = 100;  // the pump would carry on now, but the stop holds
    EXPECT_TRUE(check());
    EXPECT_TRUE(cancelled);
}

}  // namespace
