// Words of a page (poppler's text boxes, in reading order) gathered into
// lines and the lines into paragraphs, with the font runs RTF needs.
#pragma once

#include <string>
#include <vector>

namespace rtfconv {

struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;  // points, y down
};

struct Word {
    std::u16string text;
    Box box;
    int font = 0;        // index into the document's font table
    double size = 0;     // points
    bool spaceAfter = false;
};

// A stretch of text in one font and size.
struct Run {
    std::u16string text;
    int font = 0;
    int halfPoints = 24;
};

struct Paragraph {
    std::vector<Run> runs;
    double left = 0;  // points from the page's left edge
};

struct PageText {
    std::vector<Paragraph> paragraphs;
    double width = 612, height = 792;  // points
    bool unconvertible = false;
};

// Lines: a word starts a new line when its middle lies outside the current
// line's height or it starts left of the previous word. Paragraphs: a line
// joins the one above when the gap between them is under 0.7 of a line's
// height, their sizes agree within a point and their left edges within two
// line heights. Joined lines are parted by a space unless both sides are
// CJK characters.
std::vector<Paragraph> LayoutWords(const std::vector<Word>& words);

}  // namespace rtfconv
