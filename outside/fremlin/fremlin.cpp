// Table grid extraction: ruling lines are found as long runs of black along
// rows and columns, their positions become the grid's lines, and every cell
// of the grid is walked to see which of its four sides are ruled. A side
// without a rule joins the cell to its neighbour (merged cells). A table
// whose row rules run on past its outermost column rules (rules above, under
// the head and below, and rules between the columns only) has columns out
// there too: the ends of the row rules bound them; so do the ends of column
// rules that run on past the outermost row rule a scan broke up.

#include "outside/include/fremlin.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <new>
#include <vector>


namespace {

struct Rule {
    int from, to;       // thickness: first and last row (or column)
    int start, end;     // extent along the rule
    // Where the rule stepped off its rows near its ends (a tilt not quite
    // levelled, a poor scan): the rows its ink takes there and where along
    // the rule the ends begin.
    int reachFrom = 0, reachTo = -1, bodyStart = 0, bodyEnd = -1;
    // An edge of the grid where no rule is drawn (the open side of a table
    // ruled between its columns only): nothing to look at or take out.
    bool drawn = true;
    int centre() const { return (from + to) / 2; }
};

class Image {
public:
    Image(unsigned char* bits, int w, int h) : bits_(bits), w_(w), h_(h), stride_((w + 7) / 8) {}
    bool black(int x, int y) const { return (bits_[y * stride_ + (x >> 3)] >> (7 - (x & 7))) & 1; }
    void clear(int x, int y) { bits_[y * stride_ + (x >> 3)] &= static_cast<unsigned char>(~(0x80 >> (x & 7))); }
    int width() const { return w_; }
    int height() const { return h_; }

private:
    unsigned char* bits_;
    int w_, h_, stride_;
};

// How far a rule may step off its rows, and the breaks it may have, as its
// ends are followed.
constexpr int kEndStep = 2, kEndBreak = 3;

// Follows a rule beyond the runs it was found from: a rule the level copy of
// a tilted table holds a row or two off at its ends, or a poor scan thins
// there, goes on in short runs beside its rows that are too short to be found
// as rules themselves, and would be left behind as strokes in the cells.
// Black within kEndStep rows of the rule's (near the end the rule last
// touched) carries it on over breaks of at most kEndBreak pixels.
template <class At>
void followEnds(Rule& r, int lines, int along, const At& at) {
    r.bodyStart = r.start;
    r.bodyEnd = r.end;
    r.reachFrom = r.from;
    r.reachTo = r.to;
    for (int dir : {1, -1}) {
        int lo = r.from, hi = r.to, gap = 0;
        for (int p = dir > 0 ? r.end + 1 : r.start - 1; p >= 0 && p < along && gap <= kEndBreak; p += dir) {
            int first = -1, last = -1;
            for (int l = std::max(0, lo - 1); l <= std::min(lines - 1, hi + 1); ++l)
                if (l >= r.from - kEndStep && l <= r.to + kEndStep && at(l, p)) {
                    if (first < 0) first = l;
                    last = l;
                }
            if (first < 0) {
                ++gap;
                continue;
            }
            gap = 0;
            lo = first;
            hi = last;
            (dir > 0 ? r.end : r.start) = p;
            r.reachFrom = std::min(r.reachFrom, first);
            r.reachTo = std::max(r.reachTo, last);
        }
    }
}

// Rules along one direction: runs of at least minLen black pixels, joined
// over neighbouring rows (columns) into lines a few pixels thick.
std::vector<Rule> findRules(const Image& img, bool horizontal, int minLen) {
    int lines = horizontal ? img.height() : img.width();
    int along = horizontal ? img.width() : img.height();
    auto at = [&](int line, int pos) { return horizontal ? img.black(pos, line) : img.black(line, pos); };
    std::vector<Rule> rules;
    std::vector<Rule> open;
    for (int l = 0; l < lines; ++l) {
        std::vector<std::pair<int, int>> runs;
        int p = 0;
        while (p < along) {
            if (!at(l, p)) {
                ++p;
                continue;
            }
            int s = p;
            // A rule may have single-pixel breaks (noise, scanning).
            int gapAllowed = 2, gap = 0;
            while (p < along && (at(l, p) || gap < gapAllowed)) {
                gap = at(l, p) ? 0 : gap + 1;
                ++p;
            }
            int e = p - 1 - gap;
            if (e - s + 1 >= minLen) runs.push_back({s, e});
        }
        std::vector<Rule> next;
        for (auto [s, e] : runs) {
            bool joined = false;
            for (Rule& r : open)
                if (!joined && r.to == l - 1 && s <= r.end && e >= r.start) {
                    r.to = l;
                    r.start = std::min(r.start, s);
                    r.end = std::max(r.end, e);
                    next.push_back(r);
                    r.to = -100;  // moved on
                    joined = true;
                }
            if (!joined) next.push_back({l, l, s, e});
        }
        for (const Rule& r : open)
            if (r.to != -100) rules.push_back(r);
        open = next;
    }
    for (const Rule& r : open) rules.push_back(r);
    // Thick black areas are not rules.
    std::erase_if(rules, [&](const Rule& r) { return r.to - r.from + 1 > std::max(12, along / 50); });
    std::sort(rules.begin(), rules.end(), [](const Rule& a, const Rule& b) { return a.centre() < b.centre(); });
    // Rules whose centres lie close together are one grid line.
    std::vector<Rule> merged;
    for (const Rule& r : rules) {
        if (!merged.empty() && r.from - merged.back().to <= 4) {
            Rule& m = merged.back();
            m.from = std::min(m.from, r.from);
            m.to = std::max(m.to, r.to);
            m.start = std::min(m.start, r.start);
            m.end = std::max(m.end, r.end);
        } else {
            merged.push_back(r);
        }
    }
    for (Rule& r : merged) followEnds(r, lines, along, at);
    return merged;
}

// Share of the span a..b on rule r that is black.
bool ruled(const Image& img, const Rule& r, bool horizontal, int a, int b) {
    if (b < a || !r.drawn) return false;
    int black = 0;
    for (int p = a; p <= b; ++p) {
        bool any = false;
        for (int t = r.from; t <= r.to && !any; ++t) any = horizontal ? img.black(p, t) : img.black(t, p);
        black += any;
    }
    return black * 10 >= (b - a + 1) * 8;
}

// Where at least two rules of one direction run on past the outermost rule
// of the other by more than a narrow cell, the table goes on there without a
// rule: an open edge at their common end bounds its outer column (or row).
// A rule longer than the rest (an underline reaching out) opens none.
void openEdges(const std::vector<Rule>& across, std::vector<Rule>& along, int length) {
    const int reach = std::max(12, length / 40);
    std::vector<int> before, after;
    for (const Rule& a : across) {
        if (!a.drawn) continue;
        if (a.start < along.front().from - reach) before.push_back(a.start);
        if (a.end > along.back().to + reach) after.push_back(a.end);
    }
    const int start = across.front().from, end = across.back().to;
    if (before.size() >= 2) {
        std::sort(before.begin(), before.end());
        Rule edge{before[1] - 1, before[1] - 1, start, end};
        edge.drawn = false;
        along.insert(along.begin(), edge);
    }
    if (after.size() >= 2) {
        std::sort(after.begin(), after.end(), std::greater<>());
        Rule edge{after[1] + 1, after[1] + 1, start, end};
        edge.drawn = false;
        along.push_back(edge);
    }
}

// A row of a table ruled only above, under its head and below holds all its
// lines of text side by side. Where white runs across the whole row between
// bands of text, and every band has text in at least half of the columns
// (lines of the table, not the lines of one cell beside cells of one line),
// the row is parted by open edges between the bands: each line of the table
// becomes a row of the grid, and every output writes it as one. In a table
// ruled between its rows as well, a row of two lines is a row of cells that
// wrap, and stays one.
void partLinesOfUnruledRows(const Image& img, std::vector<Rule>& hs, const std::vector<Rule>& vs) {
    const int cols = static_cast<int>(vs.size()) - 1;
    if (cols < 2) return;
    const auto drawnRows = std::count_if(hs.begin(), hs.end(), [](const Rule& h) { return h.drawn; });
    const int width = vs.back().from - vs.front().to - 1;
    std::vector<Rule> parted{hs.front()};
    for (std::size_t i = 0; i + 1 < hs.size(); ++i) {
        const int top = hs[i].to + 1, bottom = hs[i + 1].from - 1;
        // Which columns have ink on each row of the row.
        std::vector<std::vector<char>> inked;
        for (int y = top; y <= bottom; ++y) {
            std::vector<char> row(static_cast<std::size_t>(cols), 0);
            int all = 0;
            for (int c = 0; c < cols; ++c)
                for (int x = std::max(vs[c].to + 1, 0); x < std::min(vs[c + 1].from, img.width()); ++x)
                    if (img.black(x, y)) {
                        row[static_cast<std::size_t>(c)] = 1;
                        ++all;
                    }
            // A speck or two is no text.
            if (all <= 1 + width / 200) std::fill(row.begin(), row.end(), 0);
            inked.push_back(std::move(row));
        }
        // Bands of text at least three rows high, apart by white.
        std::vector<std::pair<int, int>> bands;
        for (int y = 0; y < static_cast<int>(inked.size());) {
            if (std::none_of(inked[static_cast<std::size_t>(y)].begin(), inked[static_cast<std::size_t>(y)].end(), [](char k) { return k; })) {
                ++y;
                continue;
            }
            const int from = y;
            while (y < static_cast<int>(inked.size()) &&
                   std::any_of(inked[static_cast<std::size_t>(y)].begin(), inked[static_cast<std::size_t>(y)].end(), [](char k) { return k; }))
                ++y;
            if (y - from >= 3) bands.push_back({from, y - 1});
        }
        // Gaps far narrower than a line are inside one (a descender a poor
        // scan parted from its letter).
        if (!bands.empty()) {
            std::vector<int> heights;
            for (auto [from, to] : bands) heights.push_back(to - from + 1);
            std::nth_element(heights.begin(), heights.begin() + static_cast<long>(heights.size() / 2), heights.end());
            const int narrow = std::max(2, heights[heights.size() / 2] / 4);
            std::vector<std::pair<int, int>> joined{bands.front()};
            for (std::size_t b = 1; b < bands.size(); ++b) {
                if (bands[b].first - joined.back().second - 1 < narrow)
                    joined.back().second = bands[b].second;
                else
                    joined.push_back(bands[b]);
            }
            bands = std::move(joined);
            // Bands far lower than a line are no line: the blurred edge of a
            // rule above or below, a row of specks.
            heights.clear();
            for (auto [from, to] : bands) heights.push_back(to - from + 1);
            std::nth_element(heights.begin(), heights.begin() + static_cast<long>(heights.size() / 2), heights.end());
            const int line = heights[heights.size() / 2];
            std::erase_if(bands, [&](const std::pair<int, int>& b) { return (b.second - b.first + 1) * 3 < line; });
        }
        bool lines = bands.size() >= (drawnRows <= 3 ? 2u : 3u);
        for (auto [from, to] : bands) {
            int filled = 0;
            for (int c = 0; c < cols; ++c) {
                bool any = false;
                for (int y = from; y <= to && !any; ++y) any = inked[static_cast<std::size_t>(y)][static_cast<std::size_t>(c)];
                filled += any;
            }
            lines = lines && filled >= std::max(2, (cols + 1) / 2);
        }
        for (std::size_t b = 0; lines && b + 1 < bands.size(); ++b) {
            const int y = top + (bands[b].second + bands[b + 1].first) / 2;
            Rule edge{y, y, vs.front().from, vs.back().to};
            edge.drawn = false;
            parted.push_back(edge);
        }
        parted.push_back(hs[i + 1]);
    }
    hs = std::move(parted);
}

void freeGrid(TableGrid* g) {
    if (!g) return;
    for (int i = 0; i < g->nRows; ++i) delete[] g->ppRows[i];
    delete[] g->ppRows;
    delete[] g->pCellsPerRow;
    delete g;
}

TableGrid* extract(unsigned char* bits, int width, int height) {
    Image img(bits, width, height);
    auto hs = findRules(img, true, std::max(width / 10, 40));
    if (hs.size() < 2) return nullptr;
    // A column rule runs at least from one row rule to the next; strokes of
    // characters inside the cells never do.
    auto vs = findRules(img, false, 20);
    std::erase_if(vs, [&](const Rule& v) {
        for (std::size_t i = 0; i + 1 < hs.size(); ++i)
            if (ruled(img, v, false, hs[i].to + 1, hs[i + 1].from - 1)) return false;
        return true;
    });
    if (vs.empty()) return nullptr;
    openEdges(hs, vs, width);
    if (vs.size() < 2) return nullptr;
    // Likewise a row rule runs across a cell at least: the touching letters
    // of a bold line in a narrow table make runs as long as a rule is here,
    // but they never cross a whole cell.
    std::erase_if(hs, [&](const Rule& h) {
        for (std::size_t j = 0; j + 1 < vs.size(); ++j)
            if (ruled(img, h, true, vs[j].to + 1, vs[j + 1].from - 1)) return false;
        return true;
    });
    if (hs.size() < 2) return nullptr;
    openEdges(vs, hs, height);
    partLinesOfUnruledRows(img, hs, vs);

    int rows = static_cast<int>(hs.size()) - 1, cols = static_cast<int>(vs.size()) - 1;
    // Which sides are ruled: h[i][c] the top of row i over column c, v[j][r]
    // the left of column j over row r.
    std::vector<std::vector<char>> h(rows + 1, std::vector<char>(cols)), v(cols + 1, std::vector<char>(rows));
    for (int i = 0; i <= rows; ++i)
        for (int c = 0; c < cols; ++c) h[i][c] = ruled(img, hs[i], true, vs[c].to + 1, vs[c + 1].from - 1);
    for (int j = 0; j <= cols; ++j)
        for (int r = 0; r < rows; ++r) v[j][r] = ruled(img, vs[j], false, hs[r].to + 1, hs[r + 1].from - 1);

    auto* grid = new (std::nothrow) TableGrid{};
    if (!grid) return nullptr;
    grid->nRows = rows;
    grid->nColumns = cols;
    grid->pCellsPerRow = new (std::nothrow) INT[rows]();
    grid->ppRows = new (std::nothrow) TableCell*[rows]();
    if (!grid->pCellsPerRow || !grid->ppRows) {
        grid->nRows = grid->ppRows ? rows : 0;
        freeGrid(grid);
        return nullptr;
    }
    for (int r = 0; r < rows; ++r) {
        std::vector<TableCell> cells;
        int c = 0;
        while (c < cols) {
            int last = c;
            while (last + 1 < cols && !v[last + 1][r]) ++last;
            TableCell cell{};
            cell.nFirstCol = c;
            cell.nLastCol = last + 1;
            cell.nFirstRow = r;
            cell.nLastRow = r + 1;
            cell.left = vs[c].to + 1;
            cell.right = vs[last + 1].from - 1;
            cell.top = hs[r].to + 1;
            cell.bottom = hs[r + 1].from - 1;
            bool top = true, bottom = true;
            for (int k = c; k <= last; ++k) {
                top = top && h[r][k];
                bottom = bottom && h[r + 1][k];
            }
            cell.nLeftRule = v[c][r];
            cell.nRightRule = v[last + 1][r];
            cell.nTopRule = top;
            cell.nBottomRule = bottom;
            cell.nLeftWidth = cell.nLeftRule ? vs[c].to - vs[c].from + 1 : 0;
            cell.nRightWidth = cell.nRightRule ? vs[last + 1].to - vs[last + 1].from + 1 : 0;
            cell.nTopWidth = top ? hs[r].to - hs[r].from + 1 : 0;
            cell.nBottomWidth = bottom ? hs[r + 1].to - hs[r + 1].from + 1 : 0;
            cell.nColumns = last - c + 1;
            // Without a rule above, the cell goes on from the row above when
            // that row has a cell of the same span (not across an open edge,
            // which parts lines of text).
            cell.bOwn = 1;
            if (r > 0 && !top && hs[r].drawn)
                for (int k = 0; k < grid->pCellsPerRow[r - 1]; ++k) {
                    const TableCell& up = grid->ppRows[r - 1][k];
                    if (up.nFirstCol == cell.nFirstCol && up.nLastCol == cell.nLastCol) cell.bOwn = 0;
                }
            cells.push_back(cell);
            c = last + 1;
        }
        grid->ppRows[r] = new (std::nothrow) TableCell[cells.size()];
        if (!grid->ppRows[r]) {
            freeGrid(grid);
            return nullptr;
        }
        std::copy(cells.begin(), cells.end(), grid->ppRows[r]);
        grid->pCellsPerRow[r] = static_cast<INT>(cells.size());
    }
    // The rules are taken out of the picture so that only the cells' text is
    // left; near their ends, the rows they stepped into as well.
    auto covered = [](const Rule& r, int p) {
        const bool end = p < r.bodyStart || p > r.bodyEnd;
        return std::pair{end ? r.reachFrom : r.from, end ? r.reachTo : r.to};
    };
    for (const Rule& r : hs)
        for (int x = r.start; x <= r.end && r.drawn; ++x) {
            auto [a, b] = covered(r, x);
            for (int y = a; y <= b; ++y) img.clear(x, y);
        }
    for (const Rule& r : vs)
        for (int y = r.start; y <= r.end && r.drawn; ++y) {
            auto [a, b] = covered(r, y);
            for (int x = a; x <= b; ++x) img.clear(x, y);
        }
    return grid;
}

// The slope (rise per pixel to the right) along which the black pixels
// project most sharply onto the rows: that of the rules and text lines of a
// tilted table, whose rows a straight search would not find.
double ruleSlope(const Image& img) {
    std::vector<std::pair<int, int>> black;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.black(x, y)) black.push_back({x, y});
    if (black.empty()) return 0;
    const int reach = img.width() / 10 + 2;
    std::vector<double> bins;
    auto sharpness = [&](double t) {
        bins.assign(static_cast<std::size_t>(img.height() + 2 * reach + 2), 0.0);
        for (auto [x, y] : black) {
            long k = std::lround(y - x * t) + reach;
            if (k >= 0 && k < static_cast<long>(bins.size())) bins[static_cast<std::size_t>(k)] += 1;
        }
        double sum = 0;
        for (double b : bins) sum += b * b;
        return sum;
    };
    double best = 0, bestScore = sharpness(0);
    for (int i = -20; i <= 20; ++i) {
        const double t = i * 0.0025, v = sharpness(t);
        if (v > bestScore * 1.0001) best = t, bestScore = v;
    }
    const double centre = best;
    for (int i = -5; i <= 5; ++i) {
        const double t = centre + i * 0.0005, v = sharpness(t);
        if (v > bestScore * 1.0001) best = t, bestScore = v;
    }
    return best;
}

// Tables tilted by less than this slope are searched as they are.
constexpr double kLevelSlope = 0.006;

// The grid of a tilted table: found on a copy turned level, its cells given
// back as the boxes they cover on the image, and the rules taken out of the
// image where the copy lost them.
TableGrid* extractTilted(unsigned char* bits, int width, int height, double slope) {
    Image img(bits, width, height);
    const double angle = std::atan(slope), c = std::cos(angle), s = std::sin(angle);
    // Turned coordinates: x' = x c + y s, y' = -x s + y c (rules level).
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (int x : {0, width})
        for (int y : {0, height}) {
            minX = std::min(minX, x * c + y * s);
            maxX = std::max(maxX, x * c + y * s);
            minY = std::min(minY, -x * s + y * c);
            maxY = std::max(maxY, -x * s + y * c);
        }
    const int left = static_cast<int>(std::floor(minX)), top = static_cast<int>(std::floor(minY));
    const int w = static_cast<int>(std::ceil(maxX)) - left + 1, h = static_cast<int>(std::ceil(maxY)) - top + 1;
    const int stride = (w + 7) / 8;
    std::vector<unsigned char> level(static_cast<std::size_t>(stride) * h, 0);
    Image straight(level.data(), w, h);
    auto source = [&](int x, int y, int& sx, int& sy) {
        const double tx = left + x + 0.5, ty = top + y + 0.5;
        sx = static_cast<int>(std::floor(tx * c - ty * s));
        sy = static_cast<int>(std::floor(tx * s + ty * c));
        return sx >= 0 && sy >= 0 && sx < width && sy < height;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sx, sy;
            if (source(x, y, sx, sy) && img.black(sx, sy))
                level[static_cast<std::size_t>(y) * stride + (x >> 3)] |= static_cast<unsigned char>(0x80 >> (x & 7));
        }
    const std::vector<unsigned char> before = level;
    TableGrid* grid = extract(level.data(), w, h);
    if (!grid) return nullptr;
    // Cells as the boxes they cover on the image.
    auto back = [&](double x, double y, int& ox, int& oy) {
        const double tx = left + x, ty = top + y;
        ox = static_cast<int>(std::lround(tx * c - ty * s));
        oy = static_cast<int>(std::lround(tx * s + ty * c));
    };
    for (int r = 0; r < grid->nRows; ++r)
        for (int k = 0; k < grid->pCellsPerRow[r]; ++k) {
            TableCell& cell = grid->ppRows[r][k];
            int l = width, t = height, rt = -1, b = -1;
            for (int x : {cell.left, cell.right + 1})
                for (int y : {cell.top, cell.bottom + 1}) {
                    int ox, oy;
                    back(x, y, ox, oy);
                    l = std::min(l, ox);
                    rt = std::max(rt, ox - 1);
                    t = std::min(t, oy);
                    b = std::max(b, oy - 1);
                }
            cell.left = std::clamp(l, 0, width - 1);
            cell.right = std::clamp(rt, cell.left, width - 1);
            cell.top = std::clamp(t, 0, height - 1);
            cell.bottom = std::clamp(b, cell.top, height - 1);
        }
    // A pixel of the image goes where the level copy lost the pixel it
    // turned into or one beside it (rules' edges).
    const Image after(level.data(), w, h), was(const_cast<unsigned char*>(before.data()), w, h);
    auto erased = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && was.black(x, y) && !after.black(x, y); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!img.black(x, y)) continue;
            const double tx = (x + 0.5) * c + (y + 0.5) * s - left, ty = -(x + 0.5) * s + (y + 0.5) * c - top;
            const int lx = static_cast<int>(std::floor(tx)), ly = static_cast<int>(std::floor(ty));
            if (erased(lx, ly) || erased(lx + 1, ly) || erased(lx - 1, ly) || erased(lx, ly + 1) || erased(lx, ly - 1))
                img.clear(x, y);
        }
    return grid;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) TableGrid* FremlinExtract(unsigned char* image, int width, int height,
                                                                          int reserved, TableGrid** out) __asm__(
    OUTSIDE_ORDINAL_SYMBOL(3));
extern "C" __attribute__((visibility("default"))) void FremlinFree(TableGrid** grid) __asm__(OUTSIDE_ORDINAL_SYMBOL(5));

TableGrid* FremlinExtract(unsigned char* image, int width, int height, int /*reserved*/, TableGrid** out) {
    TableGrid* grid = nullptr;
    if (image && width > 0 && height > 0 && width <= 65535 && height <= 65535) {
        const double slope = ruleSlope(Image(image, width, height));
        grid = std::abs(slope) >= kLevelSlope ? extractTilted(image, width, height, slope) : nullptr;
        if (!grid) grid = extract(image, width, height);
    }
    if (out) *out = grid;
    return grid;
}

void FremlinFree(TableGrid** grid) {
    if (!grid) return;
    freeGrid(*grid);
    *grid = nullptr;
}

static_assert(std::is_same_v<decltype(&FremlinExtract), PFN_FREMLIN_EXTRACT>);
static_assert(std::is_same_v<decltype(&FremlinFree), PFN_FREMLIN_FREE>);
