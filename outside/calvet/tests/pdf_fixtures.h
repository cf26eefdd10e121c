// Test PDF files: pages of known text drawn by Qt's PDF writer in several
// fonts and sizes, optionally with a rule drawn beside the text.
#pragma once

#include <string>
#include <vector>

namespace pdffixtures {

struct TextPage {
    std::vector<std::string> lines;  // UTF-8; an empty line parts paragraphs
    std::string family = "DejaVu Sans";
    double pointSize = 12;
    bool rule = false;  // a thick line under the text: ink outside the text
    int ruleGrey = 0;   // its grey, 0 black to 255 white
    int ruleAlpha = 255;  // how much it covers, 0 to 255
    std::vector<std::string> rightColumn;  // UTF-8 lines set beside `lines`, from the page's middle
};

// Writes the pages as an A4 PDF at `path` (native). False when it cannot.
bool WriteTextPdf(const std::string& path, const std::vector<TextPage>& pages);

// The text of `lines` with all white space removed, for comparisons that
// ignore how a converter spaces and breaks lines; ligatures are spelt out.
std::string WithoutSpaces(const std::string& utf8);
std::string WithoutSpaces(const std::vector<std::string>& lines);

// A sample page of `seed`'s choice: a heading and paragraphs of Latin and
// Chinese text in a font and size that vary with the seed.
TextPage SamplePage(int seed);
// A page of two columns of short lines.
TextPage TwoColumnPage();

}  // namespace pdffixtures
