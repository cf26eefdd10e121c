// Pages drawn at random for the recognition benchmark: one to four columns
// with gutters of one to four character widths (with or without thin rules
// between them), headings over some or all columns, pictures with captions,
// pull-quotes, lists, footnotes and page numbers; ruled, partly ruled and
// unruled tables; magazine-like grey scans. Text in Chinese (simplified or
// traditional), English or both, 8 to 16 pt at 200 or 300 dpi in one of
// several faces, then tilted, blurred, given noise, uneven light, coloured
// paper and halftone pictures, and written as a grey, colour or 1-bit page,
// JPEG (quality 30 to 80) or lossless. The run's seed and the page's index
// decide everything: the same pair gives the same page.
#pragma once

#include <QImage>
#include <string>

#include "outside/tests/corpus.h"

namespace bench {

struct RandomPage {
    std::string className;  // layout and script, such as "2col-chi" or "table-partly-eng"
    testpages::Script script = testpages::Script::Simplified;
    int dpi = 300;
    QImage image;            // as the file holds it: Grayscale8, RGB32 or Mono
    int jpegQuality = 0;     // 0: written lossless (BMP)
    std::string truth;       // the text in reading order (table rows one a line)
    std::string description; // what was drawn, for the pages kept
};

// The layouts a page is drawn in; `Drawn` leaves the choice to the dice.
enum class PageLayout { Drawn, OneColumn, TwoColumns, ThreeColumns, FourColumns, RuledTable, PartlyRuledTable, UnruledTable, Magazine };

// Page `index` of the run with `seed`, in the layout given or drawn.
RandomPage drawRandomPage(unsigned seed, int index, PageLayout layout = PageLayout::Drawn);

// The file name extension the page is written with ("jpg" or "bmp").
std::string pageExtension(const RandomPage& page);
// Writes the page as its extension says; false on failure.
bool writePage(const RandomPage& page, const std::string& path);

}  // namespace bench
