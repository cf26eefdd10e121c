// Layout of words into paragraphs and the RTF text encoding, without PDF files.
#include "outside/calvet/page_layout.h"
#include "outside/calvet/rtf_writer.h"
#include "outside/calvet/tests/rtf_reader.h"

#include <gtest/gtest.h>

namespace {

rtfconv::Word word(const char16_t* text, double left, double top, double size = 12, bool space = true, int font = 0) {
    rtfconv::Word w;
    w.text = text;
    w.box = rtfconv::Box{left, top, left + 10.0 * w.text.size(), top + size};
    w.size = size;
    w.spaceAfter = space;
    w.font = font;
    return w;
}

std::u16string textOf(const rtfconv::Paragraph& p) {
    std::u16string all;
    for (const rtfconv::Run& r : p.runs) all += r.text;
    return all;
}

TEST(RtfLayout, LinesJoinIntoParagraphsUntilAGapOrSizeChange) {
    const std::vector<rtfconv::Word> words = {
        word(u"one", 72, 100), word(u"two", 110, 100, 12, false),  // line 1
        word(u"three", 72, 115),                                   // close below: same paragraph
        word(u"four", 72, 160),                                    // a gap: new paragraph
        word(u"Big", 72, 176, 24),                                 // another size: new paragraph
    };
    const auto paragraphs = rtfconv::LayoutWords(words);
    ASSERT_EQ(paragraphs.size(), 3u);
    EXPECT_EQ(textOf(paragraphs[0]), u"one two three");
    EXPECT_EQ(textOf(paragraphs[1]), u"four");
    ASSERT_EQ(paragraphs[2].runs.size(), 1u);
    EXPECT_EQ(paragraphs[2].runs[0].halfPoints, 48);
}

TEST(RtfLayout, ChineseLinesJoinWithoutSpaceAndFontsMakeRuns) {
    const std::vector<rtfconv::Word> words = {
        word(u"中文", 72, 100, 12, false, 0),
        word(u"文本", 72, 114, 12, false, 0),
        word(u"Latin", 72, 128, 12, true, 1),
    };
    const auto paragraphs = rtfconv::LayoutWords(words);
    ASSERT_EQ(paragraphs.size(), 1u);
    ASSERT_EQ(paragraphs[0].runs.size(), 2u);
    EXPECT_EQ(paragraphs[0].runs[0].text, u"中文文本 ");
    EXPECT_EQ(paragraphs[0].runs[1].font, 1);
    EXPECT_TRUE(rtfconv::LayoutWords({}).empty());
}

TEST(RtfLayout, WordStartingLeftOfThePreviousStartsAParagraph) {
    // Text read back to the left at the same height (a second column, or
    // overprinted text) is not run on into the line before.
    const std::vector<rtfconv::Word> words = {word(u"left", 72, 100), word(u"right", 300, 100),
                                              word(u"again", 72, 100)};
    const auto paragraphs = rtfconv::LayoutWords(words);
    ASSERT_EQ(paragraphs.size(), 2u);
    EXPECT_EQ(textOf(paragraphs[0]), u"left right");
    EXPECT_EQ(textOf(paragraphs[1]), u"again");
}

TEST(RtfWriterText, CodePageBytesEscapesAndUnicodeBeyond) {
    const rtfconv::RtfWriter gbk(936, {"ABCDEF+Some{Font}"});
    std::string out;
    gbk.appendText(out, u"a\\{}中\x0915\U0001D11E\t\x01");
    EXPECT_EQ(out, "a\\\\\\{\\}\\'d6\\'d0\\u2325?\\u-10188?\\u-8930?\\tab ");
    const rtfconv::RtfWriter big5(950, {});
    out.clear();
    big5.appendText(out, u"中體");
    EXPECT_EQ(out, "\\'a4\\'a4\\'c5\\'e9");
    // 这 (simplified) has no Big5 form.
    out.clear();
    big5.appendText(out, u"这");
    EXPECT_EQ(out, "\\u-28711?");
    const std::string head = gbk.begin(595, 842);
    EXPECT_NE(head.find("\\ansicpg936"), std::string::npos);
    EXPECT_NE(head.find("\\fcharset134 SomeFont;"), std::string::npos);
    EXPECT_NE(big5.begin(595, 842).find("\\ansicpg950"), std::string::npos);
}

TEST(RtfWriterText, PagesReadBackThroughTheReader) {
    for (unsigned cp : {936u, 950u}) {
        const rtfconv::RtfWriter writer(cp, {"F0", "F1"});
        rtfconv::PageText one, two;
        one.paragraphs = {rtfconv::Paragraph{{{u"中文 and {braces}", 0, 24}, {u" \\ more", 1, 36}}, 72}};
        two.paragraphs = {rtfconv::Paragraph{{{u"second 𝄞 ह", 1, 20}}, 72},
                          rtfconv::Paragraph{{{u"third", 7, 20}}, 72}};
        std::string rtf = writer.begin(one.width, one.height);
        writer.appendPage(rtf, one, true);
        writer.appendPage(rtf, two, false);
        rtf += rtfconv::RtfWriter::end();
        const rtftest::Document doc = rtftest::Read(rtf);
        EXPECT_TRUE(doc.wellFormed);
        EXPECT_EQ(doc.codePage, cp);
        ASSERT_EQ(doc.pages.size(), 2u);
        EXPECT_EQ(doc.pages[0], "中文 and {braces} \\ more\n");
        EXPECT_EQ(doc.pages[1], "second 𝄞 ह\nthird\n");
    }
}

}  // namespace
