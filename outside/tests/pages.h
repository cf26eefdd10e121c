// Test pages: known text rendered at 300 dpi with the CJK font, turned into
// the 1-bit plane the outside libraries read, clean or with specks and skew.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QPainter;

namespace testpages {

struct Plane {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;  // rows of (width + 7) / 8 bytes, bit 1 black
    int stride() const { return (width + 7) / 8; }
    bool black(int x, int y) const { return (bits[y * stride() + x / 8] >> (7 - x % 8)) & 1; }
};

struct Rect {
    int left, top, right, bottom;  // inclusive
};

struct TextBlock {
    Rect rect;
    std::vector<std::string> lines;  // UTF-8, one entry per line (vertical: per column, right to left)
    bool vertical = false;
};

struct Page {
    Plane plane;
    std::vector<TextBlock> blocks;  // in reading order
    std::vector<Rect> pictures;
    std::vector<Rect> tables;
    std::vector<std::vector<std::string>> tableCells;  // the table's cells, row by row
    std::vector<int> tableRowLines, tableColLines;      // rule positions in page pixels
};

struct Style {
    int pixelSize = 50;       // character height in pixels (12 pt at 300 dpi)
    double skewDegrees = 0;   // clockwise turn of the whole page
    double noise = 0;         // share of pixels flipped at random
    unsigned seed = 1;
    // Font families in order of preference per character (empty: the CJK
    // sans-serif the tests have always used).
    std::vector<std::string> families = {};
    // A scanned look: the page is painted in grey with smooth edges, blurred
    // over blurRadius pixels, given grey noise of this spread (0..255) and cut
    // at threshold. All 0: crisp 1-bit painting.
    int blurRadius = 0;
    double greyNoise = 0;
    int threshold = 0;
};

// Paints a page of the given size in grey (Format_Grayscale8) with the
// style's turn, blur and grey noise; draw receives a QPainter.
QImage paintPage(int width, int height, const Style& style, const std::function<void(QPainter&)>& draw);
// The same cut into the plane at the style's threshold, with its specks.
Plane renderPage(int width, int height, const Style& style, const std::function<void(QPainter&)>& draw);
// The style's font at its pixel size.
QFont styleFont(const Style& style, double scale = 1.0);
// Splits a paragraph into lines that fit maxWidth: Latin words stay whole,
// every CJK character is a unit.
std::vector<QString> wrap(const QString& text, const QFontMetrics& fm, int maxWidth);

// Lays out paragraphs of text (UTF-8) as horizontal lines in one column
// (or two columns) on a page of the given size.
Page textPage(const std::vector<std::string>& paragraphs, int width, int height, const Style& style,
              int columns = 1);
// Columns of vertical text, read from the right.
Page verticalPage(const std::vector<std::string>& columns, int width, int height, const Style& style);
// A heading line, a ruled table of rows x cols cells (cell texts given), and
// the heading above; plus a picture (filled shapes) when withPicture.
Page tablePage(const std::string& heading, const std::vector<std::vector<std::string>>& cells, bool withPicture,
               const Style& style);
// A paragraph block and a picture block beside it.
Page picturePage(const std::vector<std::string>& paragraphs, const Style& style);

// Writes the plane as a 1-bit PNG of `dpi` dots per inch; false on failure.
bool savePng(const Plane& p, const std::string& path, int dpi = 300);

// Flips a share of pixels at random (salt and pepper).
void addNoise(Plane& p, double share, unsigned seed);

// Text for benchmark and tests: n paragraphs drawn from a fixed pool.
std::vector<std::string> simplifiedText(unsigned seed, int paragraphs);
std::vector<std::string> traditionalText(unsigned seed, int paragraphs);
std::vector<std::string> englishText(unsigned seed, int paragraphs);
std::vector<std::string> mixedText(unsigned seed, int paragraphs);

// Edit distance between two UTF-8 strings counted in characters.
int editDistance(const std::string& a, const std::string& b);
// Drops whitespace (CJK) or collapses it to single spaces (keepSpaces).
std::string normalise(const std::string& utf8, bool keepSpaces);

// 1 - edit distance / expected characters, after normalise.
double charAccuracy(const std::string& want, const std::string& got, bool keepSpaces);

// Makes the Qt application the painter needs; safe to call again.
void ensureGui();

}  // namespace testpages
