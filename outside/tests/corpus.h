// A corpus of rendered A4 pages in the layouts real documents have: one to
// three columns, paragraph gaps that line up across columns, columns with a
// thin rule in a narrow gutter, headings over
// several columns, vertical text, ruled tables and Chinese with English
// words; every page clean or as a poor scan (tilted, blurred, noisy, cut at
// an uneven threshold). A seed picks the fonts, sizes, gutters and text, so
// the same seed gives the same page.
#pragma once

#include <string>
#include <vector>

#include "outside/tests/pages.h"

namespace testpages {

enum class Script { Simplified, Traditional, English, Mixed };

enum class Layout { OneColumn, TwoColumns, ThreeColumns, AlignedGaps, SpanningHeading, Vertical, RuledTable, RuledColumns };

struct CorpusClass {
    std::string name;
    Layout layout;
    std::vector<Script> scripts;  // the page's script is scripts[seed % size]
};

// The classes the benchmark scores, in the order it prints them.
const std::vector<CorpusClass>& corpusClasses();
// The class of that name (std::out_of_range when there is none).
const CorpusClass& corpusClass(const std::string& name);

// The corpus's text: n paragraphs of a script (mixed: Chinese prose with
// English words), its headings and the words of its table cells.
std::vector<std::string> corpusParagraphs(Script script, unsigned seed, int n);
const std::vector<std::string>& corpusHeadings(Script script);
const std::vector<std::string>& corpusCells(Script script);

struct CorpusPage {
    Page page;
    Script script = Script::Simplified;
    bool vertical = false;
    double skewDegrees = 0;
    // The page's text in reading order (table cells row by row), lines
    // joined by '\n'.
    std::string truth;
    // The box of each line of truth as painted before the page was turned
    // (vertical text: each column), and where its centre lies on the page.
    std::vector<Rect> lines;
    std::vector<std::pair<int, int>> lineCentres;
    // The table's box before turning (pages with a table).
    std::vector<Rect> tables;
};

// Page seed of a class, clean or degraded; height may be cut short of A4
// (the text then fills less).
CorpusPage corpusPage(const CorpusClass& cls, unsigned seed, bool degraded, int width = 2480, int height = 3508);

// The tesseract language list that reads a page of this script.
std::string cliLanguages(Script script, bool vertical);

}  // namespace testpages
