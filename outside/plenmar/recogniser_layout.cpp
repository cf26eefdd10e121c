#include "outside/plenmar/recogniser_layout.h"

#include <algorithm>

#include "outside/ocrkit/plane.h"

namespace plenmar {

namespace {

using ocrkit::BlockKind;
using ocrkit::Box;
using ocrkit::LayoutBlock;

long long areaOf(const Box& b) { return b.empty() ? 0 : static_cast<long long>(b.width()) * b.height(); }

Box common(const Box& a, const Box& b) {
    return Box{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool centreIn(const Box& inner, const Box& outer) {
    const int cx = inner.left + (inner.right - inner.left) / 2, cy = inner.top + (inner.bottom - inner.top) / 2;
    return cx >= outer.left && cx <= outer.right && cy >= outer.top && cy <= outer.bottom;
}

bool sameBox(const Box& a, const Box& b) { return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom; }

// Most of inner lies in outer.
bool mostlyIn(const Box& inner, const Box& outer) { return areaOf(common(inner, outer)) * 5 >= areaOf(inner) * 3; }

struct Piece {
    AreaKind kind = AreaKind::Text;
    std::vector<Box> lines;  // text: its lines; others: their one box
    // Rows of a table the recogniser found: they run across its columns.
    bool tableRows = false;
    Box box() const {
        Box b;
        for (const Box& l : lines) b.add(l);
        return b;
    }
};

bool isText(AreaKind k) { return k == AreaKind::Text || k == AreaKind::Vertical; }

// The rectangles a text piece is read in: runs of its lines whose box takes
// in nothing of any other piece.
std::vector<Box> runsOf(const std::vector<Piece>& pieces, std::size_t own) {
    std::vector<Box> runs;
    auto foreign = [&](const Box& b) {
        for (std::size_t k = 0; k < pieces.size(); ++k) {
            if (k == own) continue;
            for (const Box& l : pieces[k].lines)
                if (l.intersects(b)) return true;
        }
        return false;
    };
    Box run;
    for (const Box& line : pieces[own].lines) {
        if (run.empty()) {
            run = line;
            continue;
        }
        Box grown = run;
        grown.add(line);
        if (foreign(grown)) {
            runs.push_back(run);
            run = line;
        } else {
            run = grown;
        }
    }
    if (!run.empty()) runs.push_back(run);
    return runs;
}

// Black pixels in a box.
long long blackPixels(const ocrkit::PlaneView& plane, const Box& box) {
    long long ink = 0;
    for (int v : ocrkit::rowProfile(plane, plane.clip(box))) ink += v;
    return ink;
}

// Whether the ink of a box lies mostly in marks of a character's size: text,
// not the dots and blots of a halftone picture, which a recogniser reads as
// lines of stray letters.
bool holdsCharacters(const ocrkit::PlaneView& plane, const Box& box, int cs) {
    long long all = 0, characters = 0;
    for (const ocrkit::Component& c : ocrkit::components(plane, box)) {
        all += c.pixels;
        const int h = c.box.height(), w = c.box.width();
        if (h * 3 >= cs && h <= 2 * cs && w <= 3 * cs) characters += c.pixels;
    }
    return all > 0 && characters * 2 >= all;
}

}  // namespace

bool halftoneRow(const ocrkit::PlaneView& plane, const Box& box, int line) {
    long long all = 0, dots = 0;
    for (const ocrkit::Component& c : ocrkit::components(plane, box)) {
        all += c.pixels;
        if (std::max(c.box.width(), c.box.height()) * 5 < line) dots += c.pixels;
    }
    return all > 0 && (dots * 2 > all || all * 20 > areaOf(box) * 9);
}

namespace {

// The rows of halftones beside or in pictures that the recogniser took for
// lines of text: they are part of the picture, and read as no text. Rows of
// a halftone away from any picture are not told from dense or broken text.
class HalftoneRows {
public:
    // pictures: the recogniser's that stand for pictures; textLines: the
    // lines of its blocks of text.
    HalftoneRows(const std::vector<Box>& pictures, const std::vector<Box>& textLines, const PageLayout& own,
                 const ocrkit::PlaneView& plane, int line)
        : plane_(plane), line_(line), near_(pictures) {
        for (const Area& a : own.areas)
            if (a.kind == AreaKind::Picture) near_.push_back(a.box);
        std::vector<Box> rows;
        for (const Box& l : textLines)
            if (halftoneRow(plane, l, line)) rows.push_back(l);
        // Rows next to a picture, or to such a row, one after another.
        for (bool grown = true; grown;) {
            grown = false;
            for (auto it = rows.begin(); it != rows.end();) {
                if (!nearPicture(*it)) {
                    ++it;
                    continue;
                }
                near_.push_back(*it);
                it = rows.erase(it);
                grown = true;
            }
        }
    }
    // Whether box lies in a halftone next to a picture.
    bool contains(const Box& box) const { return nearPicture(box) && halftoneRow(plane_, box, line_); }

private:
    bool nearPicture(const Box& b) const {
        const Box grown{b.left - line_, b.top - line_, b.right + line_, b.bottom + line_};
        return std::any_of(near_.begin(), near_.end(), [&](const Box& p) { return p.intersects(grown); });
    }
    const ocrkit::PlaneView& plane_;
    int line_;
    std::vector<Box> near_;  // pictures and the halftone rows found next to them
};

// Puts a piece the recogniser's order does not place: after the nearest
// piece above it in its column; without one, before the first piece below it
// in its column, or else before the first piece below it at all.
void insertByPlace(std::vector<Piece>& pieces, Piece piece) {
    const Box t = piece.box();
    auto across = [&](const Box& b) { return b.left <= t.right && b.right >= t.left; };
    auto above = pieces.end();
    int nearest = 0;
    for (auto it = pieces.begin(); it != pieces.end(); ++it) {
        const Box b = it->box();
        if (!across(b) || b.bottom > t.top) continue;
        if (above == pieces.end() || b.bottom > nearest) {
            above = it;
            nearest = b.bottom;
        }
    }
    if (above != pieces.end()) {
        pieces.insert(above + 1, std::move(piece));
        return;
    }
    auto at = std::find_if(pieces.begin(), pieces.end(), [&](const Piece& p) { const Box b = p.box(); return across(b) && b.top > t.top; });
    if (at == pieces.end())
        at = std::find_if(pieces.begin(), pieces.end(), [&](const Piece& p) { return p.box().top > t.bottom; });
    pieces.insert(at, std::move(piece));
}

// Pieces that are one line the recogniser's analysis cut in two (a heading
// read in two blocks with a column between them) become one.
void joinPiecesOfOneLine(std::vector<Piece>& pieces) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].kind != AreaKind::Text || pieces[i].lines.size() != 1) continue;
        for (std::size_t j = i + 1; j < pieces.size(); ++j) {
            if (pieces[j].kind != AreaKind::Text || pieces[j].lines.size() != 1) continue;
            const Box &a = pieces[i].lines[0], &b = pieces[j].lines[0];
            const int lower = std::min(a.height(), b.height());
            // A tall piece beside a line (a rule between the columns, which
            // the recogniser took for a picture) is no part of it.
            if (std::max(a.height(), b.height()) > 2 * lower) continue;
            const int across = std::min(a.bottom, b.bottom) - std::max(a.top, b.top) + 1;
            const int gap = std::max(a.left, b.left) - std::min(a.right, b.right);
            if (across * 4 < lower * 3 || gap > 2 * lower) continue;
            pieces[i].lines[0].add(b);
            pieces.erase(pieces.begin() + static_cast<long>(j));
            break;
        }
    }
}

// Lines of text that stand side by side with no gap between them are
// pieces of one line the recogniser's analysis cut apart (as it can at a
// line that runs into the next column, or on a page tilted beside a table):
// the later piece's part joins the earlier one's line. Pieces left without
// lines are dropped. Lines with a rule of the page between them (text that
// runs up to the rule between columns) stay apart. Returns how many lines
// were joined, or -1 when a joined line would run into another piece's lines.
int joinLinesCutApart(std::vector<Piece>& pieces, const std::vector<Box>& rules, int cs) {
    auto ruleBetween = [&](const Box& a, const Box& b) {
        const int from = std::min(a.left + a.width() / 2, b.left + b.width() / 2), to = std::max(a.left + a.width() / 2, b.left + b.width() / 2);
        return std::any_of(rules.begin(), rules.end(), [&](const Box& r) {
            const int x = r.left + r.width() / 2;
            return r.height() > 4 * r.width() && x > from && x < to && r.top <= std::max(a.top, b.top) &&
                   r.bottom >= std::min(a.bottom, b.bottom);
        });
    };
    int joined = 0;
    std::vector<std::pair<std::size_t, Box>> grown;  // piece, joined line
    for (std::size_t i = 0; i < pieces.size(); ++i)
        for (std::size_t j = i + 1; j < pieces.size(); ++j) {
            if (pieces[i].kind != AreaKind::Text || pieces[j].kind != AreaKind::Text) continue;
            for (Box& a : pieces[i].lines)
                std::erase_if(pieces[j].lines, [&](const Box& b) {
                    // Pieces of one line are about as high as each other (a
                    // picture beside a line is none), and their own height
                    // tells the size of their characters where the size
                    // measured here is too large (a gutter of one character
                    // is no cut between words).
                    if (std::max(a.height(), b.height()) > 2 * std::min(a.height(), b.height())) return false;
                    const int along = std::min(a.right, b.right) - std::max(a.left, b.left) + 1;
                    if (along < -std::min({cs, a.height(), b.height()}) / 2) return false;
                    const int across = std::min(a.bottom, b.bottom) - std::max(a.top, b.top) + 1;
                    if (along * 5 >= std::min(a.width(), b.width()) || across * 2 <= std::min(a.height(), b.height()) ||
                        ruleBetween(a, b))
                        return false;
                    a.add(b);
                    grown.push_back({i, a});
                    ++joined;
                    return true;
                });
        }
    for (const auto& [own, line] : grown)
        for (std::size_t k = 0; k < pieces.size(); ++k)
            if (k != own)
                for (const Box& l : pieces[k].lines)
                    if (l.intersects(line)) return -1;
    std::erase_if(pieces, [](const Piece& p) { return p.kind == AreaKind::Text && p.lines.empty(); });
    return joined;
}

// Whether an area found here takes in two pieces of text side by side, each
// of a few lines beside the other: columns the analysis here did not see.
bool readsAcrossColumns(const PageLayout& own, const std::vector<Piece>& pieces, int line) {
    for (const Area& a : own.areas) {
        if (!isText(a.kind)) continue;
        for (const Piece& p : pieces)
            for (const Piece& q : pieces) {
                if (!isText(p.kind) || !isText(q.kind)) continue;
                const Box pb = p.box(), qb = q.box();
                if (pb.right < qb.left && centreIn(pb, a.box) && centreIn(qb, a.box) &&
                    std::min(pb.bottom, qb.bottom) - std::max(pb.top, qb.top) >= 2 * line)
                    return true;
            }
    }
    return false;
}

// Whether a line of text runs from one column the analysis here found into
// the one beside it (the white gap between them unseen, as on a light scan
// whose characters fall apart). Columns of a few characters are the columns
// of a table without rules, whose rows do run across them; so are the rows
// of a table the recogniser found, however wide its columns, and a line the
// analysis here cut at a wide gap (a row of a table between two rules) is
// no column of its own.
bool linesCrossColumns(const std::vector<Piece>& pieces, const PageLayout& own, int cs) {
    auto share = [](const Box& l, const Box& a) {
        const Box c = common(l, a);
        return c.empty() ? 0 : c.width();
    };
    for (std::size_t i = 0; i < own.areas.size(); ++i)
        for (std::size_t j = 0; j < own.areas.size(); ++j) {
            const Box &a = own.areas[i].box, &b = own.areas[j].box;
            if (own.areas[i].kind != AreaKind::Text || own.areas[j].kind != AreaKind::Text || a.right >= b.left ||
                a.bottom < b.top || b.bottom < a.top || std::min(a.width(), b.width()) <= 6 * cs ||
                std::min(a.height(), b.height()) < 3 * cs)
                continue;
            for (const Piece& p : pieces)
                for (const Box& l : p.tableRows ? std::vector<Box>{} : p.lines) {
                    const int cy = l.top + l.height() / 2;
                    if (cy < std::max(a.top, b.top) || cy > std::min(a.bottom, b.bottom)) continue;
                    if (share(l, a) >= 2 * cs && share(l, b) >= 2 * cs) return true;
                }
        }
    return false;
}

// Lines the recogniser ran across the columns found here are cut at their
// gaps, and the pieces are read in the order of the areas found here: the
// recogniser's analysis saw no columns there, and its order reads across
// them. Its pictures and the text it found stay as they are (a halftone the
// analysis here took in with the text around it is no text).
void cutAtColumnsFoundHere(std::vector<Piece>& pieces, const PageLayout& own, int cs) {
    auto areaAt = [&](const Box& b) {
        for (std::size_t k = 0; k < own.areas.size(); ++k)
            if (centreIn(b, own.areas[k].box)) return static_cast<long>(k);
        return -1L;
    };
    std::vector<std::pair<Piece, long>> keyed;
    for (Piece& p : pieces) {
        if (!isText(p.kind)) {
            const long key = areaAt(p.box());
            keyed.push_back({std::move(p), key});
            continue;
        }
        std::vector<Box> cut;
        for (const Box& l : p.lines) {
            const int cy = l.top + l.height() / 2;
            std::vector<Box> columns;  // the text areas it runs through at its height
            for (const Area& a : own.areas)
                if (isText(a.kind) && cy >= a.box.top && cy <= a.box.bottom && common(l, a.box).width() >= 2 * cs)
                    columns.push_back(a.box);
            if (columns.size() < 2) {
                cut.push_back(l);
                continue;
            }
            std::sort(columns.begin(), columns.end(), [](const Box& a, const Box& b) { return a.left < b.left; });
            // Side by side only: an area reaching into the one before it adds no column.
            for (std::size_t k = 1; k < columns.size();)
                if (columns[k].left <= columns[k - 1].right) columns.erase(columns.begin() + static_cast<long>(k));
                else ++k;
            if (columns.size() < 2) {
                cut.push_back(l);
                continue;
            }
            for (std::size_t k = 0; k < columns.size(); ++k)
                cut.push_back(Box{k == 0 ? l.left : std::max(l.left, columns[k].left), l.top,
                                  k + 1 == columns.size() ? l.right : std::min(l.right, columns[k].right), l.bottom});
        }
        // The lines of each area in a piece of their own, in their order.
        std::vector<std::pair<Piece, long>> parts;
        for (const Box& l : cut) {
            const long key = areaAt(l);
            auto part = std::find_if(parts.begin(), parts.end(), [&](const auto& q) { return q.second == key; });
            if (part == parts.end()) parts.push_back({Piece{p.kind, {l}}, key});
            else part->first.lines.push_back(l);
        }
        for (auto& part : parts) keyed.push_back(std::move(part));
    }
    // What lies in no area found here stays after the piece before it.
    for (std::size_t i = 0; i < keyed.size(); ++i)
        if (keyed[i].second < 0) keyed[i].second = i ? keyed[i - 1].second : 0;
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    pieces.clear();
    for (auto& k : keyed) pieces.push_back(std::move(k.first));
}

// Text beside a table that starts no higher than the table is read after it.
void tablesBeforeTextBeside(std::vector<Piece>& pieces, int cs) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].kind != AreaKind::Table) continue;
        const Box t = pieces[i].box();
        std::size_t to = i;
        for (std::size_t j = i; j-- > 0;) {
            if (!isText(pieces[j].kind)) break;
            const Box b = pieces[j].box();
            const int gap = std::max(b.left, t.left) - std::min(b.right, t.right);
            if (b.top < t.top - cs || b.top > t.bottom || gap > 3 * cs || gap < 0) break;
            to = j;
        }
        if (to == i) continue;
        Piece table = std::move(pieces[i]);
        pieces.erase(pieces.begin() + static_cast<long>(i));
        pieces.insert(pieces.begin() + static_cast<long>(to), std::move(table));
    }
}

// Text under the foot of the columns (footnotes, a page number) that the
// recogniser's order reads before the columns beside it is read after them:
// a piece of text that lies below all that follows it, apart from the lines
// on its own height or lower (more footnotes, a page number; a paragraph
// beside it is a column going on), and is set off from the text above it in
// its column by twice the usual gap between paragraphs and at least one and
// a half lines (or follows such a piece): the last paragraph of a column
// longer than the one beside it is no footnote. It goes after the last
// piece that ends above it.
void footAfterColumns(std::vector<Piece>& pieces, int line) {
    const std::size_t n = pieces.size();
    std::vector<Box> boxes(n);
    for (std::size_t i = 0; i < n; ++i) boxes[i] = pieces[i].box();
    std::vector<std::size_t> byTop(n);
    for (std::size_t i = 0; i < n; ++i) byTop[i] = i;
    std::stable_sort(byTop.begin(), byTop.end(), [&](std::size_t a, std::size_t b) { return boxes[a].top < boxes[b].top; });
    // The text above each piece in its column, and the gap between
    // paragraphs: the usual one between such pieces.
    std::vector<long> above(n, -1);
    std::vector<int> gaps;
    for (std::size_t i = 0; i < n; ++i) {
        const Box& p = boxes[i];
        for (std::size_t k = 0; k < n; ++k)
            if (k != i && boxes[k].left <= p.right && boxes[k].right >= p.left && boxes[k].bottom < p.top &&
                (above[i] < 0 || boxes[k].bottom > boxes[static_cast<std::size_t>(above[i])].bottom))
                above[i] = static_cast<long>(k);
        if (above[i] < 0) continue;
        const Box& a = boxes[static_cast<std::size_t>(above[i])];
        // Paragraphs of one column are about as wide as each other; a
        // heading over the columns is no paragraph of any.
        if (isText(pieces[i].kind) && isText(pieces[static_cast<std::size_t>(above[i])].kind) &&
            std::min(a.width(), p.width()) * 10 >= std::max(a.width(), p.width()) * 7)
            gaps.push_back(p.top - a.bottom);
    }
    const int apart = std::max(3 * line / 2, 2 * ocrkit::median(gaps));
    std::vector<char> foot(n, 0);
    std::vector<long> after(n, -1);  // the piece a foot piece goes after
    for (std::size_t i : byTop) {
        const Box& p = boxes[i];
        if (!isText(pieces[i].kind)) continue;
        bool below = true;
        for (std::size_t j = i + 1; j < n && below; ++j)
            if (boxes[j].bottom < p.top)
                after[i] = static_cast<long>(j);
            else if (boxes[j].top < p.top - line ||
                     (boxes[j].height() > 2 * line && (boxes[j].right < p.left || boxes[j].left > p.right)))
                below = false;
        if (!below || after[i] < 0) continue;
        if (above[i] < 0) continue;
        const std::size_t a = static_cast<std::size_t>(above[i]);
        foot[i] = foot[a] || p.top - boxes[a].bottom >= apart;
    }
    // Each goes after a piece that stays where it is.
    for (std::size_t i = 0; i < n; ++i) {
        if (!foot[i]) continue;
        after[i] = -1;
        for (std::size_t j = i + 1; j < n; ++j)
            if (!foot[j] && boxes[j].bottom < boxes[i].top) after[i] = static_cast<long>(j);
        foot[i] = after[i] >= 0;
    }
    if (std::none_of(foot.begin(), foot.end(), [](char f) { return f; })) return;
    std::vector<Piece> ordered;
    ordered.reserve(n);
    for (std::size_t j = 0; j < n; ++j) {
        if (foot[j]) continue;
        ordered.push_back(std::move(pieces[j]));
        for (std::size_t i = 0; i < n; ++i)
            if (foot[i] && after[i] == static_cast<long>(j)) ordered.push_back(std::move(pieces[i]));
    }
    pieces = std::move(ordered);
}

// Pieces of text that follow each other in one column are one piece: on a
// tilted page the boxes of its paragraphs overlap, and each would take in
// slices of the lines of the next. Where another piece reaches in between
// their lines, the piece is cut again (runsOf).
void joinColumns(std::vector<Piece>& pieces, int cs) {
    for (std::size_t i = 0; i + 1 < pieces.size();) {
        Piece &a = pieces[i], &b = pieces[i + 1];
        const Box ab = a.box(), bb = b.box();
        const int overlap = std::min(ab.right, bb.right) - std::max(ab.left, bb.left) + 1;
        const bool column = a.kind == AreaKind::Text && b.kind == AreaKind::Text &&
                            overlap * 10 >= std::max(ab.width(), bb.width()) * 8 && bb.top - ab.bottom <= 4 * cs &&
                            bb.top >= ab.top;
        if (!column) {
            ++i;
            continue;
        }
        a.lines.insert(a.lines.end(), b.lines.begin(), b.lines.end());
        pieces.erase(pieces.begin() + static_cast<long>(i) + 1);
    }
}

// Ink of a text area that no piece takes in: boxes of it, apart from marks
// no wider than a rule's stroke and the rules the recogniser found (a rule
// tilted with the page runs through every row of the page).
std::vector<Box> uncoveredInk(const Box& area, const std::vector<Piece>& pieces, const std::vector<Box>& rules,
                              const ocrkit::PlaneView& plane, int cs) {
    const Box clipped = plane.clip(area);
    if (clipped.empty()) return {};
    std::vector<const Box*> near;
    for (const Piece& p : pieces)
        for (const Box& l : p.lines)
            if (l.intersects(clipped)) near.push_back(&l);
    const std::size_t lines = near.size();
    for (const Box& r : rules)
        if (r.intersects(clipped)) near.push_back(&r);
    std::vector<std::pair<int, int>> spans;  // x ranges of the pieces on a row
    // Calls f(x) for every black pixel of row y outside the pieces.
    auto uncovered = [&](int y, auto f) {
        spans.clear();
        for (const Box* l : near)
            if (y >= l->top && y <= l->bottom) spans.push_back({l->left, l->right});
        for (int x = clipped.left; x <= clipped.right; ++x) {
            if (!plane.black(x, y)) continue;
            bool inPiece = false;
            for (auto [a, b] : spans) inPiece = inPiece || (x >= a && x <= b);
            if (!inPiece) f(x);
        }
    };
    std::vector<std::pair<int, int>> bands;
    int start = -1, last = -1;
    for (int y = clipped.top; y <= clipped.bottom; ++y) {
        int count = 0;
        uncovered(y, [&](int) { ++count; });
        if (count < 2) continue;
        if (start >= 0 && y - last > cs / 4) {
            bands.push_back({start, last});
            start = -1;
        }
        if (start < 0) start = y;
        last = y;
    }
    if (start >= 0) bands.push_back({start, last});
    std::vector<Box> out;
    std::vector<int> columns(static_cast<std::size_t>(clipped.width()));
    for (auto [top, bottom] : bands) {
        if ((bottom - top + 1) * 3 < cs) continue;
        std::fill(columns.begin(), columns.end(), 0);
        for (int y = top; y <= bottom; ++y) uncovered(y, [&](int x) { ++columns[x - clipped.left]; });
        // Pieces of the band apart by more than half a character.
        for (int x = 0; x < clipped.width();) {
            if (!columns[x]) {
                ++x;
                continue;
            }
            int end = x, gap = 0;
            for (int k = x + 1; k < clipped.width() && gap <= cs / 2; ++k) {
                if (columns[k]) {
                    end = k;
                    gap = 0;
                } else {
                    ++gap;
                }
            }
            const Box ink{clipped.left + x, top, clipped.left + end, bottom};
            // Ink whose box takes in a line that is read already is no
            // line left out: reading it would read that line again.
            const bool holdsLine = std::any_of(near.begin(), near.begin() + static_cast<long>(lines), [&](const Box* l) { return centreIn(*l, ink); });
            if ((end - x + 1) * 6 >= cs && !holdsLine) out.push_back(ink);
            x = end + 1;
        }
    }
    return out;
}

// Ink beside a line of a piece (a mark its analysis left out) becomes part
// of that line; false when there is no such line.
bool joinToLine(std::vector<Piece>& pieces, const Box& ink, int cs) {
    // Inside a piece of text: read with it, in its place among its lines.
    for (Piece& p : pieces) {
        if (!isText(p.kind) || !mostlyIn(ink, p.box())) continue;
        auto at = std::find_if(p.lines.begin(), p.lines.end(), [&](const Box& l) { return l.top > ink.top; });
        p.lines.insert(at, ink);
        return true;
    }
    for (Piece& p : pieces) {
        if (!isText(p.kind)) continue;
        for (Box& l : p.lines) {
            const int across = std::min(l.bottom, ink.bottom) - std::max(l.top, ink.top) + 1;
            const int gap = std::max(l.left, ink.left) - std::min(l.right, ink.right);
            if (across * 2 >= ink.height() && gap <= 2 * cs) {
                l.add(ink);
                return true;
            }
        }
    }
    return false;
}

// Tables the recogniser found with rules around and through them that the
// analysis here missed (a frame a poor scan broke into dashes is no one
// piece of ink): the block and the rules it meets, at least two each way and
// none much longer than the block, are a ruled table, whose grid the form
// library then looks for (and which is read as text, its rules taken out,
// where none is found).
void addRecognisersRuledTables(const std::vector<LayoutBlock>& blocks, int cs, std::vector<Box>& tables) {
    for (const LayoutBlock& t : blocks) {
        if (t.kind != BlockKind::Table) continue;
        const Box near{t.box.left - cs, t.box.top - cs, t.box.right + cs, t.box.bottom + cs};
        Box frame = t.box;
        int across = 0, down = 0;
        for (const LayoutBlock& r : blocks) {
            if (r.kind != BlockKind::Rule || !r.box.intersects(near)) continue;
            const bool level = r.box.width() >= r.box.height();
            if ((level ? r.box.width() : r.box.height()) * 2 > 3 * (level ? t.box.width() : t.box.height()) + 4 * cs)
                continue;
            ++(level ? across : down);
            frame.add(r.box);
        }
        const bool known = std::any_of(tables.begin(), tables.end(), [&](const Box& k) { return centreIn(frame, k) || centreIn(k, frame); });
        if (across >= 2 && down >= 2 && !known) tables.push_back(frame);
    }
}

// The areas of the analysis here, where the recogniser's cuts are given up,
// without the pictures the recogniser found across its text areas (the dots
// of a halftone the analysis here took for text, which would be read as
// lines of stray characters): a text area keeps what lies above and below
// such a picture, with the picture between them.
std::vector<Area> ownAreasWithoutPictures(const PageLayout& own, const std::vector<Box>& pictures,
                                          const ocrkit::PlaneView& plane, int cs) {
    std::vector<Area> out;
    std::vector<char> placed(pictures.size(), 0);
    for (const Area& a : own.areas) {
        if (a.kind != AreaKind::Text) {
            out.push_back(a);
            continue;
        }
        std::vector<Area> parts{a};
        for (std::size_t k = 0; k < pictures.size(); ++k) {
            std::vector<Area> next;
            for (const Area& t : parts) {
                const Box c = common(t.box, pictures[k]);
                // A picture across most of the area, and no wider than it
                // (one over whole columns is the recogniser's mistake).
                const bool across = !c.empty() && c.width() * 10 >= t.box.width() * 7 && pictures[k].width() * 10 <= t.box.width() * 13;
                if (t.kind != AreaKind::Text || !across || holdsCharacters(plane, c, cs)) {
                    next.push_back(t);
                    continue;
                }
                if (c.top - t.box.top > cs / 2) next.push_back({Box{t.box.left, t.box.top, t.box.right, c.top - 1}, AreaKind::Text});
                if (!placed[k]) next.push_back({pictures[k], AreaKind::Picture});
                placed[k] = 1;
                if (t.box.bottom - c.bottom > cs / 2) next.push_back({Box{t.box.left, c.bottom + 1, t.box.right, t.box.bottom}, AreaKind::Text});
            }
            parts = std::move(next);
        }
        out.insert(out.end(), parts.begin(), parts.end());
    }
    // The pictures found here inside those are one with them.
    std::erase_if(out, [&](const Area& a) {
        if (a.kind != AreaKind::Picture) return false;
        for (std::size_t k = 0; k < pictures.size(); ++k)
            if (placed[k] && !sameBox(a.box, pictures[k]) && mostlyIn(a.box, pictures[k])) return true;
        return false;
    });
    return out;
}

// Whether a text area of the analysis here takes in two of the
// recogniser's blocks of text that stand side by side: it reads across
// their columns.
bool readsAcrossBlocks(const PageLayout& own, const std::vector<LayoutBlock>& blocks) {
    for (const Area& a : own.areas) {
        if (a.kind != AreaKind::Text) continue;
        for (const LayoutBlock& l : blocks)
            for (const LayoutBlock& r : blocks) {
                if (l.kind != BlockKind::Text || r.kind != BlockKind::Text || l.lines.size() < 2 || r.lines.size() < 2) continue;
                const bool besides = l.box.right < r.box.left && l.box.top <= r.box.bottom && r.box.top <= l.box.bottom;
                if (besides && mostlyIn(l.box, a.box) && mostlyIn(r.box, a.box)) return true;
            }
    }
    return false;
}

}  // namespace

bool ownLayoutFits(const PageLayout& own) {
    long long vertical = 0, horizontal = 0;
    for (const Area& a : own.areas) {
        if (a.kind == AreaKind::Vertical) vertical += areaOf(a.box);
        if (a.kind == AreaKind::Text) horizontal += areaOf(a.box);
    }
    return vertical > horizontal;
}

std::vector<Area> joinRecogniserLayout(const std::vector<LayoutBlock>& blocks, const PageLayout& own,
                                       const ocrkit::PlaneView& plane) {
    // Where the recogniser's analysis found nothing (a noisy dark page), the
    // analysis here is all there is.
    if (blocks.empty()) return own.areas;
    const int cs = std::max(own.charSize, 4);
    std::vector<Box> tables;
    std::vector<const Area*> ownText, ownVertical;
    for (const Area& a : own.areas) {
        if (a.kind == AreaKind::Table) tables.push_back(a.box);
        if (isText(a.kind)) ownText.push_back(&a);
        if (a.kind == AreaKind::Vertical) ownVertical.push_back(&a);
    }
    addRecognisersRuledTables(blocks, cs, tables);
    // The lines of the recogniser's blocks of text.
    std::vector<Box> textLines;
    for (const LayoutBlock& b : blocks)
        if (b.kind != BlockKind::Picture && b.kind != BlockKind::Rule && b.kind != BlockKind::Noise)
            textLines.insert(textLines.end(), b.lines.begin(), b.lines.end());
    // The height of a line: the median of the recogniser's.
    std::vector<int> lineHeights;
    for (const Box& l : textLines) lineHeights.push_back(l.height());
    const int line = std::max(ocrkit::median(lineHeights), cs / 2);
    // How much of box the lines of text inside it cover (lines of
    // characters, not the dots of a halftone read as stray letters).
    auto linesIn = [&](const Box& box) {
        long long inked = 0;
        for (const Box& l : textLines)
            if (mostlyIn(l, box) && holdsCharacters(plane, l, cs)) inked += areaOf(l);
        return inked;
    };
    // A picture block that lines of characters cover a third of reaches
    // over columns: the recogniser joined the pictures of a page with the
    // text between them. The others stand for pictures.
    auto reachesOverText = [&](const Box& box) { return linesIn(box) * 3 >= areaOf(box); };
    std::vector<Box> pictures;
    for (const LayoutBlock& b : blocks)
        if (b.kind == BlockKind::Picture && !reachesOverText(b.box)) pictures.push_back(b.box);
    const HalftoneRows halftone(pictures, textLines, own, plane, line);
    // A frame found here around a halftone the recogniser calls a picture
    // is the picture's, not a table.
    std::erase_if(tables, [&](const Box& t) {
        return std::any_of(blocks.begin(), blocks.end(), [&](const LayoutBlock& b) {
            return b.kind == BlockKind::Picture && centreIn(b.box, t) && halftoneRow(plane, t, line);
        });
    });
    auto inPicture = [&](const Box& b) {
        return std::any_of(blocks.begin(), blocks.end(), [&](const LayoutBlock& p) { return p.kind == BlockKind::Picture && centreIn(b, p.box); });
    };
    auto tableOf = [&](const Box& b) {
        for (std::size_t k = 0; k < tables.size(); ++k)
            if (centreIn(b, tables[k])) return static_cast<int>(k);
        return -1;
    };
    auto inTable = [&](const Box& b) { return tableOf(b) >= 0; };
    // A table is read where the recogniser's order first meets it.
    std::vector<char> tablePlaced(tables.size(), 0);
    auto inOwnText = [&](const Box& b) {
        for (const Area* t : ownText)
            if (mostlyIn(b, t->box)) return true;
        return false;
    };
    std::vector<Piece> pieces;
    std::vector<Box> rules;
    std::vector<char> verticalTaken(ownVertical.size(), 0);
    for (const LayoutBlock& b : blocks) {
        const bool picture = b.kind == BlockKind::Picture;
        if (b.kind == BlockKind::Rule) rules.push_back(b.box);
        if (b.kind == BlockKind::Rule || b.kind == BlockKind::Noise) continue;
        if (const int k = tableOf(b.box); k >= 0 && (picture || b.lines.empty())) {
            if (!tablePlaced[k]) pieces.push_back({AreaKind::Table, {tables[k]}});
            tablePlaced[k] = 1;
            continue;
        }
        // A picture no wider than a stroke is a rule; one inside the text
        // found here is a part of that text (a large or dark character).
        if (picture && std::min(b.box.width(), b.box.height()) * 3 <= cs) continue;
        // So is a long one that holds little ink: a rule tilted with the
        // page, whose box reaches into the lines beside it.
        if (picture && std::max(b.box.width(), b.box.height()) >= 4 * std::min(b.box.width(), b.box.height()) &&
            blackPixels(plane, b.box) * 10 <= areaOf(b.box)) {
            rules.push_back(b.box);
            continue;
        }
        // A picture block that reaches over lines of other blocks (the
        // recogniser's analysis joined the pictures of a page with the
        // columns of text between them) stands for the pictures found here
        // inside it.
        if (picture && reachesOverText(b.box)) {
            for (const Area& a : own.areas)
                if (a.kind == AreaKind::Picture && mostlyIn(a.box, b.box)) pieces.push_back({AreaKind::Picture, {a.box}});
            continue;
        }
        if (picture && (!holdsCharacters(plane, b.box, cs) || !inOwnText(b.box))) {
            // Text the analysis here finds in it is read: its areas come
            // first, and the picture keeps what they leave of it.
            for (const Area* t : ownText)
                if (mostlyIn(t->box, b.box) && !inTable(t->box) && holdsCharacters(plane, t->box, cs))
                    pieces.push_back({t->kind, {t->box}});
            // The blobs found here that it meets give its whole extent, as
            // long as that takes in no line the recogniser read beside it:
            // pictures of two columns close to each other are one blob here,
            // and the column of text between them no part of either.
            Box whole = b.box;
            for (const Area& a : own.areas) {
                if (a.kind != AreaKind::Picture || !a.box.intersects(b.box)) continue;
                Box grown = whole;
                grown.add(a.box);
                const bool takesInText = std::any_of(textLines.begin(), textLines.end(), [&](const Box& l) {
                    return centreIn(l, grown) && !centreIn(l, b.box);
                });
                if (!takesInText) whole = grown;
            }
            // Two of its blocks that grow into one picture give it once.
            const bool given = std::any_of(pieces.begin(), pieces.end(), [&](const Piece& p) {
                return p.kind == AreaKind::Picture && p.lines[0].contains(whole);
            });
            if (!given) pieces.push_back({AreaKind::Picture, {whole}});
            continue;
        }
        // The direction of text is the one found here: columns of vertical
        // text are its areas, whatever the recogniser took them for.
        bool vertical = false;
        auto takeVertical = [&](std::size_t k) {
            if (!verticalTaken[k]) pieces.push_back({AreaKind::Vertical, {ownVertical[k]->box}});
            verticalTaken[k] = 1;
        };
        for (std::size_t k = 0; k < ownVertical.size(); ++k) {
            const Box& v = ownVertical[k]->box;
            if (!centreIn(b.box, v) && !mostlyIn(v, b.box)) continue;
            vertical = true;
            takeVertical(k);
        }
        if (vertical) {
            // The lines of the block outside the columns of vertical text
            // (the block reached over text beside them) are read as they
            // are, without what of them lies in a column.
            Piece rest{AreaKind::Text, {}};
            for (const Box& l : b.lines.empty() ? std::vector<Box>{b.box} : b.lines) {
                if (inTable(l)) continue;
                std::vector<Box> parts{l};
                for (std::size_t k = 0; k < ownVertical.size(); ++k) {
                    const Box& v = ownVertical[k]->box;
                    const int across = std::min(l.bottom, v.bottom) - std::max(l.top, v.top) + 1;
                    if (across * 2 < l.height() || v.right < l.left || v.left > l.right) continue;
                    takeVertical(k);
                    std::vector<Box> outside;
                    for (const Box& p : parts) {
                        if (p.left < v.left) outside.push_back(Box{p.left, p.top, std::min(p.right, v.left - 1), p.bottom});
                        if (p.right > v.right) outside.push_back(Box{std::max(p.left, v.right + 1), p.top, p.right, p.bottom});
                    }
                    parts = std::move(outside);
                }
                for (const Box& p : parts)
                    if (p.width() == l.width() || p.width() > cs) rest.lines.push_back(p);
            }
            if (!rest.lines.empty()) pieces.push_back(std::move(rest));
            continue;
        }
        const bool tableRows = b.kind == BlockKind::Table;
        Piece p{AreaKind::Text, {}, tableRows};
        for (const Box& l : b.lines.empty() || picture ? std::vector<Box>{b.box} : b.lines) {
            if (halftone.contains(l)) continue;
            // Specks in a picture smaller than a character are no text.
            if (l.height() * 2 < line && l.width() < line && inPicture(l)) continue;
            const int k = tableOf(l);
            if (k < 0) {
                p.lines.push_back(l);
                continue;
            }
            // A line of text beside the table that the line finder ran
            // into the table's rows keeps its part beside the table.
            const Box& t = tables[static_cast<std::size_t>(k)];
            if (l.right - t.right > cs) p.lines.push_back(Box{t.right + 1, l.top, l.right, l.bottom});
            if (t.left - l.left > cs) p.lines.push_back(Box{l.left, l.top, t.left - 1, l.bottom});
            if (tablePlaced[k]) continue;
            tablePlaced[k] = 1;
            if (!p.lines.empty()) pieces.push_back(std::move(p));
            p = Piece{AreaKind::Text, {}, tableRows};
            pieces.push_back({AreaKind::Table, {tables[k]}});
        }
        if (!p.lines.empty()) pieces.push_back(std::move(p));
    }
    footAfterColumns(pieces, line);
    joinPiecesOfOneLine(pieces);
    // A line or two cut apart is joined again; where the recogniser's
    // analysis cut many, or the joined line runs into others, it cut up a
    // whole column, which the analysis here reads whole.
    std::vector<Piece> whole = pieces;
    const int joined = joinLinesCutApart(whole, rules, cs);
    // Where the recogniser's cuts are given up, the analysis here is read,
    // with the pictures the recogniser found cut out of its text areas.
    auto ownAreas = [&] { return ownAreasWithoutPictures(own, pictures, plane, cs); };
    // Lines beside each other in two columns (a narrow gutter on a tilted
    // page) are no line cut apart where the analysis here reads straight
    // across those columns: they stay as the recogniser found them.
    const bool asFound = joined < 0 && readsAcrossBlocks(own, blocks);
    // Unless the analysis here reads across columns the recogniser found:
    // then its pieces are read as they are.
    if (!asFound) {
        if (joined >= 0 && joined <= 2)
            pieces = std::move(whole);
        else if (!readsAcrossColumns(own, pieces, line))
            return ownAreas();
    }
    // Lines run across the columns found here are cut at their gaps; where
    // the recogniser's lines cover less than a third of the text found here,
    // its analysis did not see the page's text (a light scan whose
    // characters fall apart): the analysis here is read whole.
    if (!asFound && linesCrossColumns(pieces, own, cs)) {
        long long seen = 0, found = 0;
        for (const Piece& p : pieces)
            if (isText(p.kind))
                for (const Box& l : p.lines) seen += areaOf(l);
        for (const Area* t : ownText) found += areaOf(t->box);
        if (seen * 3 < found) return ownAreas();
        cutAtColumnsFoundHere(pieces, own, cs);
    }
    tablesBeforeTextBeside(pieces, cs);
    joinColumns(pieces, cs);
    for (std::size_t k = 0; k < tables.size(); ++k)
        if (!tablePlaced[k]) insertByPlace(pieces, Piece{AreaKind::Table, {tables[k]}});
    // Lines of text found here that no piece takes in: the recogniser's
    // analysis took them for noise, or into a table's lines.
    std::vector<Box> missed;
    for (const Area* t : ownText)
        if (t->kind == AreaKind::Text)
            for (const Box& m : uncoveredInk(t->box, pieces, rules, plane, cs))
                if (holdsCharacters(plane, m, cs) && !halftone.contains(m)) missed.push_back(m);
    for (const Box& m : missed)
        if (!joinToLine(pieces, m, cs)) insertByPlace(pieces, Piece{AreaKind::Text, {m}});
    std::vector<Area> out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!isText(pieces[i].kind)) {
            out.push_back({pieces[i].box(), pieces[i].kind});
            continue;
        }
        const std::vector<Box> runs = runsOf(pieces, i);
        for (const Box& r : runs) out.push_back({r, pieces[i].kind});
    }
    readLinesUnderColumnsLast(out, cs);
    return out;
}

}  // namespace plenmar
