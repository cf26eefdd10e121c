// Layout analysis of a 1-bit page: connected components are sorted into
// tables (ruled frames), pictures (large blobs) and text, and the text is cut
// into blocks by recursive cuts along wide white gaps (columns, paragraphs).
// The blocks come out in reading order: top to bottom, columns left to right,
// and columns of vertical text right to left.

#include "outside/include/plenmar.h"

#include <algorithm>
#include <cmath>
#include <leptonica/allheaders.h>
#include <vector>

#include "outside/ocrkit/chain.h"
#include "outside/ocrkit/plane.h"

namespace {

using ocrkit::PlaneView;
using Rect = ocrkit::Box;

enum class Kind { Text, Picture, Table };

struct Item {
    Rect box;
    int pixels = 0;
    Kind kind = Kind::Text;
};

struct Leaf {
    Rect box;
    LONG kind;  // PLENMAR_AREA_*
};

struct Params {
    int charSize;   // typical character size in pixels
    double cutY;    // white gap (in character sizes) that separates blocks vertically
    double cutX;    // ... and horizontally
    double tableFill;  // a ruled frame covers little of its box
};

// A speck of noise: a few pixels, small in both directions.
bool isSpeck(const ocrkit::Component& c) { return c.pixels < 6 && c.box.width() <= 4 && c.box.height() <= 4; }

// Rows (or columns) of a box mostly covered by black: ruling lines.
int countRules(const PlaneView& p, const Rect& box, bool horizontal) {
    auto profile = horizontal ? ocrkit::rowProfile(p, box) : ocrkit::columnProfile(p, box);
    int span = horizontal ? box.width() : box.height();
    int rules = 0;
    bool in = false;
    for (int v : profile) {
        bool rule = v * 10 >= span * 7;
        if (rule && !in) ++rules;
        in = rule;
    }
    return rules;
}

bool isTable(const PlaneView& p, const ocrkit::Component& c, const Params& prm) {
    if (c.box.width() < 6 * prm.charSize || c.box.height() < 2 * prm.charSize) return false;
    double fill = static_cast<double>(c.pixels) / (static_cast<double>(c.box.width()) * c.box.height());
    if (fill > prm.tableFill) return false;
    return countRules(p, c.box, true) >= 2 && countRules(p, c.box, false) >= 2;
}

bool isPicture(const ocrkit::Component& c, const Params& prm) {
    int cs = prm.charSize;
    return (c.box.width() >= 4 * cs && c.box.height() >= 4 * cs) ||
           (c.pixels >= 12 * cs * cs && c.box.width() >= 2 * cs && c.box.height() >= 2 * cs);
}

// Coverage of the items along one axis: the merged intervals, sorted.
std::vector<std::pair<int, int>> coverage(const std::vector<Item>& items, const std::vector<int>& idx, bool alongY) {
    std::vector<std::pair<int, int>> iv;
    for (int i : idx) {
        const Rect& b = items[i].box;
        iv.push_back(alongY ? std::make_pair(b.top, b.bottom) : std::make_pair(b.left, b.right));
    }
    std::sort(iv.begin(), iv.end());
    std::vector<std::pair<int, int>> merged;
    for (auto& v : iv) {
        if (!merged.empty() && v.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, v.second);
        else
            merged.push_back(v);
    }
    return merged;
}

Rect boundsOf(const std::vector<Item>& items, const std::vector<int>& idx) {
    Rect r;
    for (int i : idx) r.add(items[i].box);
    return r;
}

// Direction of a text block: with the small gaps between characters closed,
// horizontal text covers the rows in runs one line thick and the columns in
// long runs (words, whole lines); vertical text the other way round.
bool isVertical(const std::vector<Item>& items, const std::vector<int>& idx, const Params& prm) {
    auto meanRun = [&](bool alongY) {
        auto iv = coverage(items, idx, alongY);
        std::vector<std::pair<int, int>> runs;
        for (auto& v : iv) {
            if (!runs.empty() && v.first - runs.back().second - 1 < prm.charSize * 3 / 10)
                runs.back().second = v.second;
            else
                runs.push_back(v);
        }
        double sum = 0;
        for (auto& r : runs) sum += r.second - r.first + 1;
        return runs.empty() ? 0.0 : sum / static_cast<double>(runs.size());
    };
    return meanRun(true) > meanRun(false) * 1.3;
}

void cut(const std::vector<Item>& items, std::vector<int> idx, const Params& prm, std::vector<Leaf>& out, int depth);

// A block of items that no gap divides.
void leaf(const std::vector<Item>& items, const std::vector<int>& idx, const Params& prm, std::vector<Leaf>& out) {
    std::vector<int> text;
    std::vector<Leaf> special;
    for (int i : idx) {
        if (items[i].kind == Kind::Text)
            text.push_back(i);
        else
            special.push_back({items[i].box, items[i].kind == Kind::Table ? PLENMAR_AREA_TABLE : PLENMAR_AREA_PICTURE});
    }
    std::vector<Leaf> all = special;
    if (!text.empty()) {
        Rect b = boundsOf(items, text);
        long pixels = 0;
        for (int i : text) pixels += items[i].pixels;
        // Stray marks far from any text are not a block.
        bool tiny = b.width() < prm.charSize / 2 && b.height() < prm.charSize / 2 && pixels < prm.charSize * prm.charSize / 8;
        bool inside = false;
        for (const Leaf& s : special) inside = inside || s.box.contains(b);
        if (!tiny && !inside) all.push_back({b, isVertical(items, text, prm) ? PLENMAR_AREA_VERTICAL : PLENMAR_AREA_TEXT});
    }
    std::stable_sort(all.begin(), all.end(), [](const Leaf& a, const Leaf& b) { return a.box.top < b.box.top; });
    out.insert(out.end(), all.begin(), all.end());
}

void cut(const std::vector<Item>& items, std::vector<int> idx, const Params& prm, std::vector<Leaf>& out, int depth) {
    if (idx.empty()) return;
    auto ys = coverage(items, idx, true), xs = coverage(items, idx, false);
    auto widest = [](const std::vector<std::pair<int, int>>& iv) {
        int w = 0;
        for (std::size_t i = 1; i < iv.size(); ++i) w = std::max(w, iv[i].first - iv[i - 1].second - 1);
        return w;
    };
    double ty = prm.cutY * prm.charSize, tx = prm.cutX * prm.charSize;
    double sy = widest(ys) / ty, sx = widest(xs) / tx;
    if (depth > 40 || (sy < 1 && sx < 1)) {
        leaf(items, idx, prm, out);
        return;
    }
    bool alongY = sy >= sx;
    const auto& iv = alongY ? ys : xs;
    double threshold = alongY ? ty : tx;
    // The cut positions: the middle of every gap at least as wide as the threshold.
    std::vector<int> cuts;
    for (std::size_t i = 1; i < iv.size(); ++i)
        if (iv[i].first - iv[i - 1].second - 1 >= threshold) cuts.push_back((iv[i].first + iv[i - 1].second) / 2);
    std::vector<std::vector<int>> parts(cuts.size() + 1);
    for (int i : idx) {
        int start = alongY ? items[i].box.top : items[i].box.left;
        std::size_t k = std::upper_bound(cuts.begin(), cuts.end(), start) - cuts.begin();
        parts[k].push_back(i);
    }
    std::vector<std::vector<Leaf>> results(parts.size());
    long verticalArea = 0, horizontalArea = 0;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        cut(items, parts[k], prm, results[k], depth + 1);
        for (const Leaf& l : results[k]) {
            long a = static_cast<long>(l.box.width()) * l.box.height();
            if (l.kind == PLENMAR_AREA_VERTICAL) verticalArea += a;
            else if (l.kind == PLENMAR_AREA_TEXT) horizontalArea += a;
        }
    }
    // Side by side columns of vertical text are read from the right.
    if (!alongY && verticalArea > horizontalArea) std::reverse(results.begin(), results.end());
    for (auto& r : results) out.insert(out.end(), r.begin(), r.end());
}

Params paramsFor(int typeIndex, const std::vector<ocrkit::Component>& comps) {
    std::vector<int> sizes;
    for (const auto& c : comps) {
        int s = std::max(c.box.width(), c.box.height());
        if (s >= 8 && s <= 300) sizes.push_back(s);
    }
    Params p{std::max(ocrkit::median(sizes), 12), 1.5, 1.5, 0.2};
    switch (typeIndex) {
    case PLENMAR_PAGE_COLUMNS: p.cutX = 1.0; break;
    case PLENMAR_PAGE_TABLE: p.tableFill = 0.35; break;
    case PLENMAR_PAGE_HANDWRITING: p.cutY = 2.2; p.cutX = 2.5; break;
    default: break;
    }
    return p;
}

}  // namespace

OUTSIDE_EXPORT CArea* seg(unsigned char* plane, DWORD width, DWORD height, int /*resolution*/, int typeIndex,
                          RECT area) {
    if (!plane || width == 0 || height == 0 || width > 65535 || height > 65535) return nullptr;
    PlaneView view(plane, static_cast<int>(width), static_cast<int>(height));
    Rect region = view.clip(Rect{area.left, area.top, area.right, area.bottom});
    if (region.empty()) return nullptr;
    std::vector<ocrkit::Component> comps;
    try {
        comps = ocrkit::components(view, region);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    std::erase_if(comps, isSpeck);
    if (comps.empty()) return nullptr;
    Params prm = paramsFor(typeIndex, comps);

    // Frames and blobs first; whatever lies on them belongs to them.
    std::vector<Item> specials;
    for (const auto& c : comps) {
        if (isTable(view, c, prm))
            specials.push_back({c.box, c.pixels, Kind::Table});
        else if (isPicture(c, prm))
            specials.push_back({c.box, c.pixels, Kind::Picture});
    }
    // Pictures close to each other are one picture.
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t i = 0; i < specials.size() && !merged; ++i)
            for (std::size_t j = i + 1; j < specials.size() && !merged; ++j) {
                if (specials[i].kind != Kind::Picture || specials[j].kind != Kind::Picture) continue;
                Rect grown = specials[i].box;
                grown.left -= 2 * prm.charSize;
                grown.top -= 2 * prm.charSize;
                grown.right += 2 * prm.charSize;
                grown.bottom += 2 * prm.charSize;
                if (grown.intersects(specials[j].box)) {
                    specials[i].box.add(specials[j].box);
                    specials[i].pixels += specials[j].pixels;
                    specials.erase(specials.begin() + static_cast<long>(j));
                    merged = true;
                }
            }
    }
    std::vector<Item> items = specials;
    for (const auto& c : comps) {
        bool owned = false;
        for (const Item& s : specials) owned = owned || s.box.intersects(c.box);
        if (!owned) items.push_back({c.box, c.pixels, Kind::Text});
    }
    std::vector<int> idx(items.size());
    for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<int>(i);
    std::vector<Leaf> leaves;
    cut(items, idx, prm, leaves, 0);

    CArea* head = nullptr;
    CArea** tail = &head;
    int margin = std::max(prm.charSize / 4, 2);
    for (const Leaf& l : leaves) {
        CArea* a = ocrkit::appendNew(tail);
        if (!a) {
            ocrkit::freeChain(head);
            return nullptr;
        }
        a->left = std::max(l.box.left - margin, region.left);
        a->top = std::max(l.box.top - margin, region.top);
        a->right = std::min(l.box.right + margin, region.right);
        a->bottom = std::min(l.box.bottom + margin, region.bottom);
        a->kind = l.kind;
    }
    return head;
}

OUTSIDE_EXPORT int skew(unsigned char* plane, void* /*planeHandle*/, DWORD width, DWORD height, int /*resolution*/,
                        int& dx, int& dy) {
    dx = 0;
    dy = 0;
    if (!plane || width == 0 || height == 0 || width > 65535 || height > 65535) return 1;
    PlaneView view(plane, static_cast<int>(width), static_cast<int>(height));
    Pix* pix = ocrkit::toPix(view, 0);
    if (!pix) return 2;
    l_float32 angle = 0, conf = 0;
    l_ok rc = pixFindSkew(pix, &angle, &conf);
    pixDestroy(&pix);
    // Too little text to tell a slant: no measurement.
    if (rc != 0 || conf < 2.0f) return 3;
    dx = 1000;
    dy = static_cast<int>(std::lround(-std::tan(angle * M_PI / 180.0) * 1000.0));
    return 0;
}

OUTSIDE_EXPORT void DelLink(CArea* list) { ocrkit::freeChain(list); }
