#include "outside/plenmar/page_layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "outside/ocrkit/slant.h"

namespace plenmar {

namespace {

using ocrkit::Box;
using ocrkit::Component;
using ocrkit::PlaneView;

enum class ItemKind { Text, Picture, Table };

struct Item {
    Box page;      // on the page
    Box straight;  // turned straight by the page's slant
    int pixels = 0;
    ItemKind kind = ItemKind::Text;
    bool significant = true;  // counts when looking for white gaps
};

// Turning by the page's slant: lines that fall by tan per pixel become level.
struct Turn {
    double cos = 1, sin = 0, tan = 0;
    explicit Turn(double degrees) {
        double r = degrees * std::numbers::pi / 180.0;
        cos = std::cos(r);
        sin = std::sin(r);
        tan = std::tan(r);
    }
    double x(double px, double py) const { return px * cos + py * sin; }
    double y(double px, double py) const { return -px * sin + py * cos; }
    Box box(const Box& b) const {
        Box out;
        for (int cx : {b.left, b.right + 1})
            for (int cy : {b.top, b.bottom + 1})
                out.add(static_cast<int>(std::floor(x(cx, cy))), static_cast<int>(std::floor(y(cx, cy))));
        out.right = std::max(out.left, out.right - 1);
        out.bottom = std::max(out.top, out.bottom - 1);
        return out;
    }
};

// Calls f(x, y) for every black pixel of box.
template <typename F>
void forBlack(const PlaneView& p, const Box& box, F f) {
    for (int y = box.top; y <= box.bottom; ++y) {
        const std::uint8_t* row = p.bits + static_cast<std::size_t>(y) * p.stride;
        for (int x = box.left; x <= box.right;) {
            if ((x & 7) == 0 && x + 7 <= box.right && row[x >> 3] == 0) {
                x += 8;
                continue;
            }
            if ((row[x >> 3] >> (7 - (x & 7))) & 1) f(x, y);
            ++x;
        }
    }
}

// Runs of a profile at least `need` high: the ruling lines of a frame.
int countRuns(const std::vector<int>& profile, double need) {
    int runs = 0;
    bool in = false;
    for (int v : profile) {
        bool rule = v >= need;
        if (rule && !in) ++runs;
        in = rule;
    }
    return runs;
}

// How much ink each row and each column holds, along the page's slant.
struct Profiles {
    std::vector<int> rows, cols;
};

Profiles profilesAlongSlant(const PlaneView& p, const Box& b, const Turn& turn) {
    const int slackY = static_cast<int>(std::ceil(std::abs(turn.tan) * b.width())) + 1;
    const int slackX = static_cast<int>(std::ceil(std::abs(turn.tan) * b.height())) + 1;
    Profiles out{std::vector<int>(b.height() + 2 * slackY + 1, 0), std::vector<int>(b.width() + 2 * slackX + 1, 0)};
    forBlack(p, b, [&](int x, int y) {
        long ky = std::lround((y - b.top) - (x - b.left) * turn.tan) + slackY;
        long kx = std::lround((x - b.left) + (y - b.top) * turn.tan) + slackX;
        if (ky >= 0 && ky < static_cast<long>(out.rows.size())) ++out.rows[ky];
        if (kx >= 0 && kx < static_cast<long>(out.cols.size())) ++out.cols[kx];
    });
    return out;
}

// A ruled frame: little ink for its size, at least two long rules each way
// along the page's slant. Rules one or two pixels thin spread over several
// rows of the profile when the slant measured from the text is off by a
// little (a twentieth of a degree spreads them by a pixel across a wide
// table), so slants close to the page's are tried too, each way on its own.
bool isRuledFrame(const PlaneView& p, const Component& c, const Turn& turn, int cs, double maxFill) {
    const Box& b = c.box;
    if (b.width() < 6 * cs || b.height() < 2 * cs) return false;
    double fill = static_cast<double>(c.pixels) / (static_cast<double>(b.width()) * b.height());
    if (fill > maxFill) return false;
    std::vector<std::pair<int, int>> black;
    forBlack(p, b, [&](int x, int y) { black.push_back({x - b.left, y - b.top}); });
    constexpr double kStep = 0.0005;
    constexpr int kSteps = 8;  // either side of the page's slant: about a quarter of a degree
    const double reach = std::abs(turn.tan) + kSteps * kStep;
    const int slackY = static_cast<int>(std::ceil(reach * b.width())) + 1;
    const int slackX = static_cast<int>(std::ceil(reach * b.height())) + 1;
    std::vector<int> rows, cols;
    bool rowRules = false, colRules = false;
    for (int i = 0; i <= 2 * kSteps && !(rowRules && colRules); ++i) {
        const double tan = turn.tan + (i % 2 ? 1 : -1) * ((i + 1) / 2) * kStep;
        rows.assign(static_cast<std::size_t>(b.height() + 2 * slackY + 1), 0);
        cols.assign(static_cast<std::size_t>(b.width() + 2 * slackX + 1), 0);
        for (auto [x, y] : black) {
            const long ky = std::lround(y - x * tan) + slackY, kx = std::lround(x + y * tan) + slackX;
            if (ky >= 0 && ky < static_cast<long>(rows.size())) ++rows[static_cast<std::size_t>(ky)];
            if (kx >= 0 && kx < static_cast<long>(cols.size())) ++cols[static_cast<std::size_t>(kx)];
        }
        rowRules = rowRules || countRuns(rows, 0.6 * b.width()) >= 2;
        colRules = colRules || countRuns(cols, 0.6 * b.height()) >= 2;
    }
    return rowRules && colRules;
}

// Ink that is nothing but long straight rules, as where the rule down a
// gutter meets the one over the footnotes: no picture, and no text.
bool isRulesOnly(const PlaneView& p, const Component& c, const Turn& turn) {
    const Box& b = c.box;
    if (static_cast<double>(c.pixels) > 0.1 * b.width() * b.height()) return false;
    const Profiles pr = profilesAlongSlant(p, b, turn);
    long long inRules = 0;
    for (int v : pr.rows)
        if (v >= 0.6 * b.width()) inRules += v;
    for (int v : pr.cols)
        if (v >= 0.6 * b.height()) inRules += v;
    return inRules * 20 >= c.pixels * 17LL;
}

bool isPicture(const Component& c, int cs) {
    return (c.box.width() >= 4 * cs && c.box.height() >= 4 * cs) ||
           (c.pixels >= 12 * cs * cs && c.box.width() >= 2 * cs && c.box.height() >= 2 * cs);
}

// The straight extent of the ink of a box (tight, unlike turning its corners).
Box straightInk(const PlaneView& p, const Box& b, const Turn& turn) {
    Box out;
    forBlack(p, b, [&](int x, int y) {
        out.add(static_cast<int>(std::floor(turn.x(x, y))), static_cast<int>(std::floor(turn.y(x, y))));
    });
    return out.empty() ? turn.box(b) : out;
}

using Intervals = std::vector<std::pair<int, int>>;

// Merged extents of the significant items along one axis (straight frame).
Intervals coverage(const std::vector<Item>& items, const std::vector<int>& idx, bool alongY) {
    Intervals iv;
    for (int i : idx) {
        if (!items[i].significant) continue;
        const Box& b = items[i].straight;
        iv.push_back(alongY ? std::make_pair(b.top, b.bottom) : std::make_pair(b.left, b.right));
    }
    std::sort(iv.begin(), iv.end());
    Intervals merged;
    for (auto& v : iv) {
        if (!merged.empty() && v.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, v.second);
        else
            merged.push_back(v);
    }
    return merged;
}

// Intervals with the gaps narrower than minGap closed.
Intervals closeGaps(const Intervals& iv, double minGap) {
    Intervals out;
    for (auto& v : iv) {
        if (!out.empty() && v.first - out.back().second - 1 < minGap)
            out.back().second = v.second;
        else
            out.push_back(v);
    }
    return out;
}

double meanLength(const Intervals& iv) {
    double sum = 0;
    for (auto& v : iv) sum += v.second - v.first + 1;
    return iv.empty() ? 0.0 : sum / static_cast<double>(iv.size());
}

// Centres of the gaps at least threshold wide.
std::vector<int> cutsOf(const Intervals& iv, double threshold) {
    std::vector<int> cuts;
    for (std::size_t i = 1; i < iv.size(); ++i)
        if (iv[i].first - iv[i - 1].second - 1 >= threshold) cuts.push_back((iv[i].first + iv[i - 1].second) / 2);
    return cuts;
}

struct Node {
    std::vector<int> items;
    bool columns = false;  // children side by side (left to right)
    std::vector<Node> children;
    int direction = 0;     // leaves: 1 vertical, -1 horizontal, 0 not known
};

class Analyser {
public:
    Analyser(const std::vector<Item>& items, int cs, const LayoutOptions& o)
        : items_(items), cs_(cs), tx_(o.cutX * cs), ty_(o.cutY * cs) {}

    Node cut(std::vector<int> idx, int depth) {
        Node n;
        n.items = std::move(idx);
        if (depth > 60) return n;
        auto xs = coverage(items_, n.items, false);
        if (xs.empty()) return n;
        auto xcuts = columnCuts(n.items, xs);
        if (!xcuts.empty()) {
            n.columns = true;
            for (auto& part : split(n.items, xcuts, false)) n.children.push_back(cut(std::move(part), depth + 1));
            return n;
        }
        const Intervals ys = coverage(items_, n.items, true);
        auto ycuts = cutsOf(ys, ty_);
        if (ycuts.empty()) ycuts = cutBesideColumns(n.items, ys);
        if (ycuts.empty()) return n;
        // Pieces that share a column gap are paragraphs side by side: one
        // block again, which then splits into its columns.
        std::vector<std::vector<int>> groups;
        for (auto& part : split(n.items, ycuts, true)) {
            if (!groups.empty()) {
                std::vector<int> joined = groups.back();
                joined.insert(joined.end(), part.begin(), part.end());
                if (!columnCuts(joined, coverage(items_, joined, false)).empty()) {
                    groups.back() = std::move(joined);
                    continue;
                }
            }
            groups.push_back(std::move(part));
        }
        if (groups.size() < 2) return n;
        for (auto& g : groups) n.children.push_back(cut(std::move(g), depth + 1));
        return n;
    }

    // Direction of a block from how its characters line up: horizontal text
    // covers the rows in bands one line thick and the columns in long runs,
    // vertical text the other way round. 0 when the block is too small to tell.
    int direction(const std::vector<int>& idx) const {
        std::vector<int> text;
        for (int i : idx)
            if (items_[i].kind == ItemKind::Text) text.push_back(i);
        double close = 0.3 * cs_;
        auto rows = closeGaps(coverage(items_, text, true), close);
        auto cols = closeGaps(coverage(items_, text, false), close);
        if (rows.empty() || cols.empty()) return 0;
        double mr = meanLength(rows), mc = meanLength(cols);
        if (rows.size() >= 2 && mc >= 2 * mr && mr <= 2.2 * cs_ && mc >= 3 * cs_) return -1;
        if (cols.size() >= 2 && mr >= 2 * mc && mc <= 2.2 * cs_ && mr >= 3 * cs_) return 1;
        return 0;
    }

    // Leaf directions, and the page's: the one covering more area among the
    // leaves that could tell.
    void directions(Node& n, double& vertical, double& horizontal) const {
        if (n.children.empty()) {
            n.direction = direction(n.items);
            Box b = straightBounds(n.items, true);
            double a = b.empty() ? 0.0 : static_cast<double>(b.width()) * b.height();
            if (n.direction > 0) vertical += a;
            if (n.direction < 0) horizontal += a;
            return;
        }
        for (Node& c : n.children) directions(c, vertical, horizontal);
    }

    // Emits the leaves in reading order; columns of vertical text from the right.
    void emit(const Node& n, bool pageVertical, std::vector<Area>& out, const Turn& turn) const {
        if (n.children.empty()) {
            leaf(n, pageVertical, out, turn);
            return;
        }
        std::vector<std::vector<Area>> parts(n.children.size());
        double v = 0, h = 0;
        for (std::size_t k = 0; k < n.children.size(); ++k) {
            emit(n.children[k], pageVertical, parts[k], turn);
            for (const Area& a : parts[k]) {
                double area = static_cast<double>(a.box.width()) * a.box.height();
                if (a.kind == AreaKind::Vertical) v += area;
                if (a.kind == AreaKind::Text) h += area;
            }
        }
        if (n.columns && v > h) std::reverse(parts.begin(), parts.end());
        for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    }

private:
    // A heading over columns, or lines under them (footnotes running on
    // under the gutter), set closer to them than the gap between blocks:
    // the gaps of a line's height, one of the first few above and one of the
    // last few below, that leave columns between them.
    std::vector<int> cutBesideColumns(const std::vector<int>& idx, const Intervals& ys) const {
        const std::vector<int> gaps = cutsOf(ys, cs_);
        if (gaps.empty()) return {};
        const int few = std::min<int>(3, static_cast<int>(gaps.size()));
        std::vector<int> above{-1}, below{-1};  // -1: no cut there
        for (int k = 0; k < few; ++k) above.push_back(k);
        for (int k = 0; k < few; ++k) below.push_back(static_cast<int>(gaps.size()) - 1 - k);
        for (int a : above)
            for (int b : below) {
                if ((a < 0 && b < 0) || (a >= 0 && b >= 0 && b <= a)) continue;
                std::vector<int> cuts;
                if (a >= 0) cuts.push_back(gaps[static_cast<std::size_t>(a)]);
                if (b >= 0) cuts.push_back(gaps[static_cast<std::size_t>(b)]);
                const auto parts = split(idx, cuts, true);
                if (parts.size() < 2) continue;
                for (const auto& part : parts) {
                    const Intervals rows = coverage(items_, part, true);
                    if (!rows.empty() && rows.back().second - rows.front().first >= 12 * cs_ &&
                        !columnCuts(part, coverage(items_, part, false)).empty())
                        return cuts;
                }
            }
        return {};
    }

    // Gaps between columns: white streams through several lines. A gap in a
    // single line (between words or pieces of a title) is no column gap
    // unless it is very wide.
    std::vector<int> columnCuts(const std::vector<int>& idx, const Intervals& xs) const {
        std::vector<int> cuts = cutsOf(xs, tx_);
        if (cuts.empty()) return cuts;
        auto ys = coverage(items_, idx, true);
        if (ys.empty()) return {};
        int height = ys.back().second - ys.front().first + 1;
        if (height >= 12 * cs_) return cuts;
        return cutsOf(xs, std::max(tx_, (height >= 2 * cs_ ? 2.5 : 4.0) * cs_));
    }

    std::vector<std::vector<int>> split(const std::vector<int>& idx, const std::vector<int>& cuts, bool alongY) const {
        std::vector<std::vector<int>> parts(cuts.size() + 1);
        for (int i : idx) {
            const Box& b = items_[i].straight;
            int centre = alongY ? (b.top + b.bottom) / 2 : (b.left + b.right) / 2;
            std::size_t k = std::upper_bound(cuts.begin(), cuts.end(), centre) - cuts.begin();
            parts[k].push_back(i);
        }
        std::erase_if(parts, [](const std::vector<int>& p) { return p.empty(); });
        return parts;
    }

    Box straightBounds(const std::vector<int>& idx, bool textOnly) const {
        Box b;
        for (int i : idx)
            if (items_[i].significant && (!textOnly || items_[i].kind == ItemKind::Text)) b.add(items_[i].straight);
        return b;
    }

    Box pageBounds(const std::vector<int>& idx) const {
        Box b;
        for (int i : idx)
            if (items_[i].significant && items_[i].kind == ItemKind::Text) b.add(items_[i].page);
        return b;
    }

    // A block no gap divides: its tables and pictures, then its text.
    void leaf(const Node& n, bool pageVertical, std::vector<Area>& out, const Turn& turn) const {
        std::vector<Area> all;
        std::vector<int> text;
        for (int i : n.items) {
            if (items_[i].kind == ItemKind::Text)
                text.push_back(i);
            else
                all.push_back({items_[i].page, items_[i].kind == ItemKind::Table ? AreaKind::Table : AreaKind::Picture});
        }
        Box b = pageBounds(text);
        if (!b.empty()) {
            bool vertical = n.direction > 0 || (n.direction == 0 && pageVertical);
            // Stray marks far from any text are not a block.
            long pixels = 0;
            for (int i : text) pixels += items_[i].pixels;
            bool tiny = b.width() < cs_ / 2 && b.height() < cs_ / 2 && pixels < cs_ * cs_ / 8;
            bool inside = false;
            for (const Area& s : all) inside = inside || s.box.contains(b);
            if (!tiny && !inside) {
                AreaKind kind = vertical ? AreaKind::Vertical : AreaKind::Text;
                // On a slanted page a tall block's box reaches sideways into
                // its neighbours: it is cut between its lines until it no longer does.
                if (!vertical && std::abs(turn.tan) > 0.002)
                    splitSlanted(text, kind, all);
                else
                    all.push_back({b, kind});
            }
        }
        std::stable_sort(all.begin(), all.end(), [](const Area& a, const Area& c) { return a.box.top < c.box.top; });
        out.insert(out.end(), all.begin(), all.end());
    }

    // Horizontal text whose page box would take in more than its own lines
    // (the neighbouring column's ink) is cut at the line gap nearest its middle.
    void splitSlanted(const std::vector<int>& text, AreaKind kind, std::vector<Area>& out) const {
        Box b = pageBounds(text), s = straightBounds(text, true);
        std::vector<char> own(items_.size(), 0);
        for (int i : text) own[i] = 1;
        // Only text beside the block counts: the lines above and below that
        // its box grazes are read again by nobody, but a neighbouring
        // column's would be read twice.
        bool foreign = false;
        for (std::size_t i = 0; i < items_.size() && !foreign; ++i) {
            const Item& it = items_[i];
            if (own[i] || !it.significant || it.kind != ItemKind::Text || !b.intersects(it.page)) continue;
            int cx = (it.straight.left + it.straight.right) / 2;
            foreign = cx < s.left - cs_ || cx > s.right + cs_;
        }
        auto rows = coverage(items_, text, true);
        if (!foreign || rows.size() < 2) {
            out.push_back({b, kind});
            return;
        }
        int mid = (rows.front().first + rows.back().second) / 2, best = -1, bestDist = 1 << 30;
        for (std::size_t i = 1; i < rows.size(); ++i) {
            int gap = (rows[i].first + rows[i - 1].second) / 2;
            if (std::abs(gap - mid) < bestDist) {
                bestDist = std::abs(gap - mid);
                best = gap;
            }
        }
        std::vector<int> upper, lower;
        for (int i : text) ((items_[i].straight.top + items_[i].straight.bottom) / 2 < best ? upper : lower).push_back(i);
        if (upper.empty() || lower.empty()) {
            out.push_back({b, kind});
            return;
        }
        splitSlanted(upper, kind, out);
        splitSlanted(lower, kind, out);
    }

    const std::vector<Item>& items_;
    int cs_;
    double tx_, ty_;
};

}  // namespace

namespace {

// Strongest period of a profile between minLag and maxLag, and its strength
// (autocorrelation over the energy, 0..1).
std::pair<int, double> period(const std::vector<double>& v, int minLag, int maxLag) {
    double energy = 0, mean = 0;
    for (double x : v) mean += x;
    mean /= std::max<std::size_t>(v.size(), 1);
    for (double x : v) energy += (x - mean) * (x - mean);
    if (energy <= 0) return {0, 0};
    std::vector<double> ac(maxLag + 2, 0.0);
    for (int lag = minLag; lag <= maxLag && lag < static_cast<int>(v.size()); ++lag) {
        double s = 0;
        for (std::size_t i = 0; i + lag < v.size(); ++i) s += (v[i] - mean) * (v[i + lag] - mean);
        ac[lag] = s / energy;
    }
    double best = 0;
    for (int lag = minLag; lag <= maxLag; ++lag) best = std::max(best, ac[lag]);
    // The first peak at least half as strong as the best: the period, not a
    // multiple of it.
    for (int lag = minLag; lag <= maxLag; ++lag)
        if (ac[lag] >= 0.5 * best && ac[lag] >= ac[lag - 1] && ac[lag] >= ac[lag + 1]) return {lag, ac[lag]};
    return {0, 0};
}

// The character size from the pitch of the text lines (or columns): a thin
// face or a light scan breaks characters into strokes far smaller than the
// characters, but their lines keep their pitch, about one and a half sizes.
int lineCharSize(const std::vector<Component>& comps, const Turn& turn, int sizeOfInk) {
    const int bin = 2;
    std::vector<double> rows, cols;
    for (const auto& c : comps) {
        int s = std::max(c.box.width(), c.box.height());
        if (s > 3 * sizeOfInk) continue;
        double cx = (c.box.left + c.box.right) / 2.0, cy = (c.box.top + c.box.bottom) / 2.0;
        double x = turn.x(cx, cy) / bin, y = turn.y(cx, cy) / bin;
        if (x < 0 || y < 0 || x > 40000 || y > 40000) continue;
        auto ix = static_cast<std::size_t>(x), iy = static_cast<std::size_t>(y);
        if (iy >= rows.size()) rows.resize(iy + 1, 0.0);
        if (ix >= cols.size()) cols.resize(ix + 1, 0.0);
        rows[iy] += c.pixels;
        cols[ix] += c.pixels;
    }
    const int minLag = std::max(6, sizeOfInk) / bin, maxLag = 300 / bin;
    auto [pr, sr] = period(rows, minLag, maxLag);
    auto [pc, sc] = period(cols, minLag, maxLag);
    // Marks that run together (the letters of a blurred word, of a dark
    // scan) make the ink look far larger than the characters; their lines
    // keep a pitch shorter than those marks, about twice the characters.
    if (const auto [lines, strength] = period(rows, std::max(6, sizeOfInk / 3) / bin, sizeOfInk * 4 / 5 / bin);
        lines > 0 && strength >= 0.5)
        return std::max(lines * bin / 2, 4);
    // Characters that line up both ways (CJK text) repeat along both axes;
    // the shorter period is their advance along the lines, about one size.
    // A light face can make the ink of every character look far smaller.

    if (sr < 0.4 || sc < 0.4) return sizeOfInk;
    int pitch = std::min(pr, pc) * bin;
    if (pitch * 20 <= sizeOfInk * 23) return sizeOfInk;
    // Never more than twice the ink's size: wide spacing is no reason to
    // see columns only across very wide gaps.
    return std::max(sizeOfInk, std::min(pitch * 19 / 20, 2 * sizeOfInk));
}

// On a slanted page the box of a paragraph takes in slices of the lines
// above and below it, which the recogniser then reads as lines of their own.
// Paragraphs that follow each other in one column become one area, as long
// as its box takes in nothing of any other area.
void joinSlantedParagraphs(std::vector<Area>& areas, int cs) {
    for (std::size_t i = 0; i + 1 < areas.size();) {
        const Box &a = areas[i].box, &b = areas[i + 1].box;
        bool text = areas[i].kind == AreaKind::Text && areas[i + 1].kind == AreaKind::Text;
        int overlap = std::min(a.right, b.right) - std::max(a.left, b.left) + 1;
        int wider = std::max(a.width(), b.width());
        bool column = text && overlap * 10 >= wider * 8 && b.top - a.bottom <= 4 * cs && b.top >= a.top;
        Box joined = a;
        joined.add(b);
        for (std::size_t k = 0; k < areas.size() && column; ++k)
            if (k != i && k != i + 1 && joined.intersects(areas[k].box)) column = false;
        if (!column) {
            ++i;
            continue;
        }
        areas[i].box = joined;
        areas.erase(areas.begin() + static_cast<long>(i) + 1);
    }
}

// Whether a thin upright stroke stands in white a third of a character
// wide on either side all along it (followed with the page's slant), as a
// rule in a gutter does and a stroke of a character, whose other strokes
// lie close beside it, does not.
bool standsApart(const PlaneView& p, const Item& it, const Turn& turn, int cs) {
    const Box& b = it.page;
    const int side = std::max(cs / 3, 2);
    const double half = static_cast<double>(it.pixels) / b.height() / 2 + 2 + b.height() / 256.0;
    // The stroke runs down the column of the most ink along the slant (a
    // character it runs into lies to one side of it).
    const Profiles pr = profilesAlongSlant(p, b, turn);
    const int slackX = (static_cast<int>(pr.cols.size()) - 1 - b.width()) / 2;
    const int most = static_cast<int>(std::max_element(pr.cols.begin(), pr.cols.end()) - pr.cols.begin());
    long black = 0;
    for (int y = b.top; y <= b.bottom; ++y) {
        const double x = b.left + (most - slackX) - (y - b.top) * turn.tan;
        const int from = static_cast<int>(std::lround(x - half)) - side, to = static_cast<int>(std::lround(x + half)) + side;
        for (int k = 0; k < side; ++k) {
            if (from + k >= 0 && from + k < p.width) black += p.black(from + k, y);
            if (to - k >= 0 && to - k < p.width) black += p.black(to - k, y);
        }
    }
    return black * 20 <= static_cast<long>(b.height()) * side;
}

// A thin rule down a gutter is no text, and no ink that bridges the white
// between the columns it parts; a light one falls apart into short strokes
// on a scan. Thin upright strokes in white that line up on one straight x
// over several characters' height are such a rule: they count for no gap.
void leaveOutColumnRules(const PlaneView& p, std::vector<Item>& items, int cs, const Turn& turn) {
    const int thin = std::max(cs / 6, 3);
    std::vector<std::size_t> strokes;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& it = items[i];
        const int w = it.page.width(), h = it.page.height();
        // Thin: a stroke's ink is its length times its thickness; a tilted
        // rule's box is as much wider as the slant takes it sideways, and a
        // character a line runs into it (a footnote across the gutter) widens
        // it by its own width.
        const int wider = h >= 4 * cs ? 2 * cs : 0;
        const bool upright = h >= 3 && w * 2 <= h && w <= static_cast<int>(std::abs(turn.tan) * h) + thin + 2 + wider;
        if (it.kind == ItemKind::Text && upright && it.pixels <= static_cast<long long>(h) * thin && standsApart(p, it, turn, cs))
            strokes.push_back(i);
    }
    auto centre = [&](std::size_t i) { return items[i].straight.left + items[i].straight.width() / 2; };
    std::sort(strokes.begin(), strokes.end(), [&](std::size_t a, std::size_t b) { return centre(a) < centre(b); });
    const int slack = std::max(cs / 8, 2);
    for (std::size_t first = 0; first < strokes.size();) {
        std::size_t end = first + 1;
        while (end < strokes.size() && centre(strokes[end]) - centre(strokes[end - 1]) <= slack) ++end;
        // A rule where the strokes on this x run somewhere for several
        // characters with gaps of at most two that cover most of that length
        // (the strokes of characters on one x in successive lines cover far
        // less); then all of them are pieces of it.
        std::vector<std::size_t> down(strokes.begin() + static_cast<long>(first), strokes.begin() + static_cast<long>(end));
        std::sort(down.begin(), down.end(), [&](std::size_t a, std::size_t b) { return items[a].straight.top < items[b].straight.top; });
        bool rule = false;
        for (std::size_t from = 0; from < down.size() && !rule;) {
            std::size_t to = from + 1;
            int bottom = items[down[from]].straight.bottom;
            long long inked = items[down[from]].straight.height();
            while (to < down.size() && items[down[to]].straight.top - bottom <= 2 * cs) {
                bottom = std::max(bottom, items[down[to]].straight.bottom);
                inked += items[down[to++]].straight.height();
            }
            const long long length = bottom - items[down[from]].straight.top + 1;
            rule = length >= 4LL * cs && inked * 10 >= length * 6;
            from = to;
        }
        if (rule)
            for (std::size_t k : down) items[k].significant = false;
        first = end;
    }
}

}  // namespace

void readLinesUnderColumnsLast(std::vector<Area>& areas, int cs) {
    auto above = [](const Area& a, const Area& under) { return a.box.bottom < under.box.top; };
    auto across = [](const Area& a, const Area& b) { return a.box.left <= b.box.right && a.box.right >= b.box.left; };
    auto column = [&](const Area& a) { return a.kind == AreaKind::Text && a.box.height() >= 6 * cs; };
    for (std::size_t i = 0; i < areas.size(); ++i) {
        const Area& p = areas[i];
        if (p.kind != AreaKind::Text || p.box.height() > 3 * cs) continue;
        // Under columns: it reaches under two columns side by side above it.
        bool under = false;
        for (std::size_t a = 0; a < areas.size() && !under; ++a)
            for (std::size_t b = 0; b < areas.size() && !under; ++b)
                under = areas[a].box.right < areas[b].box.left && column(areas[a]) && column(areas[b]) &&
                        above(areas[a], p) && above(areas[b], p) && across(areas[a], p) && across(areas[b], p);
        if (!under) continue;
        std::size_t last = i;
        for (std::size_t k = i + 1; k < areas.size(); ++k)
            if (above(areas[k], p)) last = k;
        if (last == i) continue;
        const Area moved = p;
        areas.erase(areas.begin() + static_cast<long>(i));
        areas.insert(areas.begin() + static_cast<long>(last), moved);
        --i;
    }
}

PageLayout analysePage(const PlaneView& view, const Box& region, const LayoutOptions& options) {
    std::vector<Component> comps = ocrkit::components(view, region);
    std::erase_if(comps, ocrkit::isSpeck);
    PageLayout layout;
    if (comps.empty()) return layout;
    const int sizeOfInk = ocrkit::typicalCharSize(comps);
    const Turn turn(ocrkit::measureSlant(comps, sizeOfInk));
    const int cs = lineCharSize(comps, turn, sizeOfInk);
    layout.charSize = cs;

    // Frames and blobs first; whatever lies on them belongs to them.
    std::vector<Item> specials;
    std::vector<char> rules(comps.size(), 0);
    for (std::size_t i = 0; i < comps.size(); ++i) {
        const Component& c = comps[i];
        if (isRuledFrame(view, c, turn, cs, options.tableFill))
            specials.push_back({c.box, straightInk(view, c.box, turn), c.pixels, ItemKind::Table, true});
        else if (isPicture(c, cs) && !(rules[i] = isRulesOnly(view, c, turn)))
            specials.push_back({c.box, Box{}, c.pixels, ItemKind::Picture, true});
    }
    // Pictures close to each other are one picture; a piece of a frame that
    // a poor scan broke off (it looks like a picture) belongs to its table.
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t i = 0; i < specials.size() && !merged; ++i)
            for (std::size_t j = 0; j < specials.size() && !merged; ++j) {
                if (i == j || specials[j].kind != ItemKind::Picture) continue;
                if (specials[i].kind == ItemKind::Table) {
                    Box grown = specials[i].page;
                    grown.left -= cs;
                    grown.top -= cs;
                    grown.right += cs;
                    grown.bottom += cs;
                    if (!grown.intersects(specials[j].page)) continue;
                    specials[i].page.add(specials[j].page);
                    specials[i].straight.add(straightInk(view, specials[j].page, turn));
                    specials[i].pixels += specials[j].pixels;
                    specials.erase(specials.begin() + static_cast<long>(j));
                    merged = true;
                    continue;
                }
                if (j < i) continue;
                Box grown = specials[i].page;
                grown.left -= 2 * cs;
                grown.top -= 2 * cs;
                grown.right += 2 * cs;
                grown.bottom += 2 * cs;
                if (grown.intersects(specials[j].page)) {
                    specials[i].page.add(specials[j].page);
                    specials[i].pixels += specials[j].pixels;
                    specials.erase(specials.begin() + static_cast<long>(j));
                    merged = true;
                }
            }
    }
    for (Item& s : specials)
        if (s.kind == ItemKind::Picture) s.straight = turn.box(s.page);
    std::vector<Item> items = specials;
    for (std::size_t i = 0; i < comps.size(); ++i) {
        const Component& c = comps[i];
        Box straight = turn.box(c.box);
        int cx = (straight.left + straight.right) / 2, cy = (straight.top + straight.bottom) / 2;
        bool owned = false;
        for (const Item& s : specials) {
            if (s.kind == ItemKind::Picture)
                owned = owned || s.page.intersects(c.box);
            else
                owned = owned || (cx >= s.straight.left - 2 && cx <= s.straight.right + 2 && cy >= s.straight.top - 2 &&
                                  cy <= s.straight.bottom + 2);
        }
        if (owned) continue;
        bool significant = std::max(c.box.width(), c.box.height()) * 4 >= cs && !rules[i];
        items.push_back({c.box, straight, c.pixels, ItemKind::Text, significant});
    }
    leaveOutColumnRules(view, items, cs, turn);
    std::vector<int> idx(items.size());
    for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<int>(i);
    Analyser a(items, cs, options);
    Node root = a.cut(idx, 0);
    double vertical = 0, horizontal = 0;
    a.directions(root, vertical, horizontal);
    a.emit(root, vertical > horizontal, layout.areas, turn);
    if (std::abs(turn.tan) > 0.004) joinSlantedParagraphs(layout.areas, cs);
    readLinesUnderColumnsLast(layout.areas, cs);
    return layout;
}

}  // namespace plenmar
