#include "ocrdoc/helpers/result_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ocrdoc/tests/fake_document_host.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A recognised character: 0x80, code bytes, record index, 0x80.
std::string Unit(BYTE b1, BYTE b2, unsigned index) {
    std::string u;
    u += '\x80';
    u += static_cast<char>(b1);
    u += static_cast<char>(b2);
    u += static_cast<char>(index & 0xFF);
    u += static_cast<char>(index >> 8);
    u += '\x80';
    return u;
}

UINT Len(const Bytes& b) { return static_cast<UINT>(b.size()); }

TEST(ResultTextChecks, WellFormedTextIsValid) {
    Bytes t = B("a" + Unit(0, 'b', 0) + "\xB1\xED" + Unit(0xB1, 0xED, 1) + "\r\n" + Unit(0x80, 0x80, 2) + "\r\n");
    UINT count = 0;
    EXPECT_TRUE(IsValidResultText(t.data(), Len(t), &count));
    EXPECT_EQ(count, 9u);  // a, unit, pair, unit, CR, LF, unit, CR, LF
    EXPECT_TRUE(CountResultChars(t.data(), Len(t), &count));
    EXPECT_EQ(count, 9u);
}

TEST(ResultTextChecks, LineEndsMustBePairs) {
    Bytes loneCr = B("ab\rc\r\n");
    Bytes loneLf = B("ab\nc\r\n");
    EXPECT_FALSE(IsValidResultText(loneCr.data(), Len(loneCr), nullptr));
    EXPECT_FALSE(IsValidResultText(loneLf.data(), Len(loneLf), nullptr));
}

TEST(ResultTextChecks, MalformedUnits) {
    Bytes badEnd = B(Unit(0, 'a', 0));
    badEnd[5] = 'x';
    EXPECT_FALSE(IsValidResultText(badEnd.data(), Len(badEnd), nullptr));
    // 0x00 must be followed by a single byte, a lead by a real trail byte.
    Bytes badSingle = B(Unit(0, 0xB1, 0));
    Bytes badTrail = B(Unit(0xB1, 0x7F, 0));
    Bytes ffLead = B(Unit(0xFF, 0xA1, 0));
    EXPECT_FALSE(IsValidResultText(badSingle.data(), Len(badSingle), nullptr));
    EXPECT_FALSE(IsValidResultText(badTrail.data(), Len(badTrail), nullptr));
    EXPECT_FALSE(IsValidResultText(ffLead.data(), Len(ffLead), nullptr));
    // A unit cut by the end of the text.
    Bytes cut = B(Unit(0, 'a', 0).substr(0, 4));
    EXPECT_FALSE(IsValidResultText(cut.data(), Len(cut), nullptr));
    UINT count = 0;
    EXPECT_FALSE(CountResultChars(cut.data(), Len(cut), &count));
}

TEST(ResultTextChecks, TypedHighBytesAreNeverTakenForLeadsOrMarkers) {
    // 0xFF and a lead byte before CR are single-byte characters; the pair
    // after them still counts as one character.
    Bytes t = B("\xFF\xB1\r\n\xB1\xED\r\n");
    UINT count = 0;
    EXPECT_TRUE(IsValidResultText(t.data(), Len(t), &count));
    EXPECT_EQ(count, 7u);
    // A typed 0x80 (no whole unit behind it) is malformed: the form reserves it.
    Bytes typed80 = B("a\x80" "b\r\n");
    EXPECT_FALSE(IsValidResultText(typed80.data(), Len(typed80), nullptr));
    // A lead byte in the last position.
    Bytes lastLead = B("ab\xB1");
    EXPECT_FALSE(IsValidResultText(lastLead.data(), Len(lastLead), nullptr));
}

TEST(ResultTextChecks, ZeroByteEndsTheText) {
    Bytes t = B(std::string("ab\0cd", 5));
    UINT count = 0;
    EXPECT_FALSE(IsValidResultText(t.data(), Len(t), &count));
    EXPECT_EQ(count, 2u);
    EXPECT_FALSE(CountResultChars(t.data(), Len(t), &count));
}

TEST(ResultTextFilter, DropsLoneLineFeed) {
    CFakeDocumentHost shell;
    Bytes t = B("ab\nc");
    UINT len = Len(t);
    EXPECT_TRUE(FilterResultText(t.data(), &len));
    EXPECT_EQ(len, 3u);
    EXPECT_EQ(std::string(t.begin(), t.begin() + 4), std::string("abc\0", 4));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], "Filter wrong char");
}

TEST(ResultTextFilter, DropsEveryKindOfMalformedPiece) {
    CFakeDocumentHost shell;
    Bytes bad = B(Unit(0xB1, 0x20, 0));  // trail byte out of range
    std::string text = "x\ry" + std::string(bad.begin(), bad.end()) + Unit(0, 'k', 3) + "\r\n\x80z\xB1";
    Bytes t = B(text);
    UINT len = Len(t);
    EXPECT_TRUE(FilterResultText(t.data(), &len));
    std::string clean(t.begin(), t.begin() + len);
    EXPECT_EQ(clean, "xy" + Unit(0, 'k', 3) + "\r\nz");
    for (UINT i = len; i < t.size(); ++i) EXPECT_EQ(t[i], 0) << i;
    UINT count = 0;
    EXPECT_TRUE(IsValidResultText(t.data(), len, &count));
}

TEST(ResultTextFilter, CleanTextAndLimits) {
    CFakeDocumentHost shell;
    Bytes t = B("ab" + Unit(0, 'c', 0) + "\r\n");
    UINT len = Len(t);
    EXPECT_FALSE(FilterResultText(t.data(), &len));
    EXPECT_EQ(len, Len(t));
    UINT zero = 0;
    EXPECT_TRUE(FilterResultText(t.data(), &zero));
    UINT some = 4;
    EXPECT_TRUE(FilterResultText(nullptr, &some));
    Bytes big(kMaxResultTextBytes + 1, 'a');
    UINT bigLen = Len(big);
    EXPECT_FALSE(FilterResultText(big.data(), &bigLen));
    EXPECT_TRUE(shell.messages.empty());
}

TEST(ResultTextCheck, RecordIndexesMustBeBelowTheCount) {
    CFakeDocumentHost shell;
    Bytes t = B(Unit(0, 'a', 0) + Unit(0xB1, 0xED, 4) + "\r\n");
    EXPECT_TRUE(CheckResultText(t.data(), Len(t), 1, 5));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_FALSE(CheckResultText(t.data(), Len(t), 1, 4));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], "There are wrong char");
    // Record indexes are 16-bit: 65535 is the largest.
    Bytes high = B(Unit(0, 'a', 0xFFFF) + "\r\n");
    EXPECT_TRUE(CheckResultText(high.data(), Len(high), 1, 65536));
    EXPECT_FALSE(CheckResultText(high.data(), Len(high), 1, 65535));
}

TEST(ResultTextCheck, SkipsAndRefusals) {
    CFakeDocumentHost shell;
    Bytes t = B("a\rb");
    EXPECT_TRUE(CheckResultText(nullptr, 3, 1, 1));
    EXPECT_TRUE(CheckResultText(t.data(), 0, 1, 1));
    EXPECT_TRUE(CheckResultText(t.data(), Len(t), 0, 1));
    EXPECT_FALSE(CheckResultText(t.data(), Len(t), 1, 1));
    // Without records every unit is malformed.
    Bytes unit = B(Unit(0, 'a', 0) + "\r\n");
    EXPECT_FALSE(CheckResultText(unit.data(), Len(unit), 1, 0));
    Bytes big(kMaxResultTextBytes + 1, 'a');
    EXPECT_FALSE(CheckResultText(big.data(), Len(big), 1, 1));
}

}  // namespace
