#include "outside/ocrkit/glyph_shapes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <future>
#include <optional>
#include <mutex>
#include <thread>
#include FT_FREETYPE_H

#include "outside/ocrkit/codepage.h"

namespace ocrkit {

namespace {

// Entries kept after the rough comparison for the coarse one, and after
// that for the fine one.
constexpr std::size_t kRoughList = 2500;
constexpr std::size_t kShortList = 96;

template <int N>
int byteDot(const std::uint8_t* a, const std::uint8_t* b) {
    int s = 0;
    for (int i = 0; i < N; ++i) s += static_cast<int>(a[i]) * static_cast<int>(b[i]);
    return s;
}

// The font file and face index fontconfig has for a family; empty when the
// family is not installed (fontconfig would offer a stand-in).
std::pair<std::string, int> faceFile(const char* family) {
    std::pair<std::string, int> out;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return out;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return out;
    FcChar8* file = nullptr;
    int index = 0;
    bool same = false;
    for (int i = 0;; ++i) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, i, &name) != FcResultMatch) break;
        same = same || std::string(reinterpret_cast<const char*>(name)) == family;
    }
    if (same && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        out = {reinterpret_cast<const char*>(file), index};
    }
    FcPatternDestroy(match);
    return out;
}

}  // namespace

// A sans, a Ming and a Kai face for each set: printed Chinese is mostly in
// one of the three.
std::vector<std::pair<std::string, int>> chineseFaces(int codePage) {
    std::vector<const char*> families{"WenQuanYi Micro Hei", codePage == 950 ? "AR PL UMing TW" : "AR PL UMing CN",
                                      codePage == 950 ? "AR PL UKai TW" : "AR PL UKai CN"};
    std::vector<std::pair<std::string, int>> faces;
    for (const char* f : families) {
        auto face = faceFile(f);
        if (!face.first.empty()) faces.push_back(face);
    }
    return faces;
}

namespace {

class FreeTypeFace {
public:
    FreeTypeFace(FT_Library lib, const std::pair<std::string, int>& file, int pixelSize) {
        if (FT_New_Face(lib, file.first.c_str(), file.second, &face_) != 0) {
            face_ = nullptr;
            return;
        }
        if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
            FT_Done_Face(face_);
            face_ = nullptr;
        }
    }
    ~FreeTypeFace() {
        if (face_) FT_Done_Face(face_);
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    // The glyph of the character as ink; false when the face lacks it.
    bool draw(char32_t c, InkRaster& out) const {
        if (!face_) return false;
        FT_UInt glyph = FT_Get_Char_Index(face_, c);
        if (glyph == 0 || FT_Load_Glyph(face_, glyph, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP) != 0) return false;
        const FT_Bitmap& bm = face_->glyph->bitmap;
        if (bm.pixel_mode != FT_PIXEL_MODE_GRAY || bm.width == 0 || bm.rows == 0) return false;
        out.width = static_cast<int>(bm.width);
        out.height = static_cast<int>(bm.rows);
        out.ink.resize(static_cast<std::size_t>(out.width) * out.height);
        for (int y = 0; y < out.height; ++y) {
            const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
            for (int x = 0; x < out.width; ++x) out.ink[static_cast<std::size_t>(y) * out.width + x] = row[x] / 255.0f;
        }
        return true;
    }

private:
    FT_Face face_ = nullptr;
};

// Each pixel set from the sum and the most of the ink of its 3 x 3
// neighbourhood (none beyond the edges): ink where keep says so.
template <typename Keep>
void neighbourhoodCut(InkRaster& r, Keep keep) {
    InkRaster out = r;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            float sum = 0, most = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    const float v = xx < 0 || yy < 0 || xx >= r.width || yy >= r.height ? 0.0f : r.at(xx, yy);
                    sum += v;
                    most = std::max(most, v);
                }
            out.ink[static_cast<std::size_t>(y) * r.width + x] = keep(sum, most) ? 1.0f : 0.0f;
        }
    r = std::move(out);
}

// The glyph as a light scan prints it: blurred and cut at a dark level,
// thin strokes (the horizontals of a Ming face) fade away or break.
void thinned(InkRaster& r) {
    neighbourhoodCut(r, [](float sum, float) { return sum / 9 > 0.62f; });
}

// The glyph as a heavy or blurred print at a small size gives it: strokes
// grown by about a stroke's width on each side, so that narrow counters and
// the gaps between close strokes close up.
void thickened(InkRaster& r, int pixelSize) {
    for (int pass = 0; pass < std::max(1, pixelSize / 16); ++pass)
        neighbourhoodCut(r, [](float, float most) { return most >= 0.5f; });
}

}  // namespace

std::vector<std::string> ideographsOf(int codePage) {
    // GB2312's two levels of hanzi; Big5's frequent and less frequent ones.
    struct Range {
        int leadFirst, leadLast, trailFirst, trailLast;
    };
    std::vector<Range> ranges;
    if (codePage == 936)
        ranges = {{0xB0, 0xF7, 0xA1, 0xFE}};
    else if (codePage == 950)
        ranges = {{0xA4, 0xC6, 0x40, 0x7E}, {0xA4, 0xC6, 0xA1, 0xFE}, {0xC9, 0xF9, 0x40, 0x7E}, {0xC9, 0xF9, 0xA1, 0xFE}};
    std::vector<std::string> out;
    for (const Range& r : ranges)
        for (int lead = r.leadFirst; lead <= r.leadLast; ++lead)
            for (int trail = r.trailFirst; trail <= r.trailLast; ++trail) {
                std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
                std::string utf8 = toUtf8(bytes, codePage);
                char32_t c = firstCodePoint(utf8);
                if (splitUtf8(utf8).size() == 1 && c >= 0x3400 && c <= 0x9FFF) out.push_back(utf8);
            }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

namespace {

// The entries drawn for a run of the characters, in the order of the whole.
struct DrawnRun {
    std::vector<int> owner;
    std::vector<std::uint8_t> rough, coarse, fine;
};

// Draws characters [first, last) with a FreeType library and faces of its
// own (a library is not to be shared between threads).
DrawnRun drawRun(const std::vector<std::string>& characters, std::size_t first, std::size_t last,
                 const std::vector<std::pair<std::string, int>>& faces, int pixelSize,
                 const std::atomic<bool>* stop) {
    DrawnRun run;
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) return run;
    {
        std::vector<std::unique_ptr<FreeTypeFace>> open;
        for (const auto& f : faces) open.push_back(std::make_unique<FreeTypeFace>(lib, f, pixelSize));
        InkRaster raster, drawn;
        for (std::size_t i = first; i < last; ++i) {
            if (stop && stop->load(std::memory_order_relaxed)) break;
            char32_t c = firstCodePoint(characters[i]);
            for (const auto& face : open) {
                if (!face->draw(c, drawn)) continue;
                // The glyph as drawn, as a light scan and as a heavy one prints it.
                for (int variant = 0; variant < 3; ++variant) {
                    raster = drawn;
                    if (variant == 1) thinned(raster);
                    if (variant == 2) thickened(raster, pixelSize);
                    ShapeFeatures f = shapeFeatures(raster);
                    if (f.empty) continue;
                    const ShapeBytes b = shapeBytes(f);
                    run.owner.push_back(static_cast<int>(i));
                    run.rough.insert(run.rough.end(), b.rough.begin(), b.rough.end());
                    run.coarse.insert(run.coarse.end(), b.coarse.begin(), b.coarse.end());
                    run.fine.insert(run.fine.end(), b.fine.begin(), b.fine.end());
                }
            }
        }
    }
    FT_Done_FreeType(lib);
    return run;
}

}  // namespace

GlyphShapes::GlyphShapes(const std::vector<std::string>& characters,
                         const std::vector<std::pair<std::string, int>>& faces, int pixelSize,
                         const std::atomic<bool>* stop)
{
    set_.characters = characters;
    // A full set takes seconds on one core: runs of it are drawn side by
    // side and joined in order, so the set is the same as drawn in one go.
    constexpr std::size_t kCharactersPerRun = 1024;
    constexpr unsigned kMostThreads = 4;
    const std::size_t n = characters.size();
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads =
        std::clamp<std::size_t>((n + kCharactersPerRun - 1) / kCharactersPerRun, 1, std::min(cores, kMostThreads));
    std::vector<std::future<DrawnRun>> drawing;
    for (std::size_t t = 1; t < threads; ++t)
        drawing.push_back(std::async(std::launch::async, drawRun, std::cref(characters), n * t / threads,
                                     n * (t + 1) / threads, std::cref(faces), pixelSize, stop));
    std::vector<DrawnRun> runs;
    runs.push_back(drawRun(characters, 0, n / threads, faces, pixelSize, stop));
    for (auto& d : drawing) runs.push_back(d.get());
    for (DrawnRun& run : runs) {
        set_.owner.insert(set_.owner.end(), run.owner.begin(), run.owner.end());
        set_.rough.insert(set_.rough.end(), run.rough.begin(), run.rough.end());
        set_.coarse.insert(set_.coarse.end(), run.coarse.begin(), run.coarse.end());
        set_.fine.insert(set_.fine.end(), run.fine.begin(), run.fine.end());
    }
    indexCharacters();
}

GlyphShapes::GlyphShapes(GlyphEntries entries) : set_(std::move(entries)) { indexCharacters(); }

void GlyphShapes::indexCharacters() {
    const std::size_t n = set_.owner.size();
    for (std::size_t e = 0; e < n; ++e) firstEntry_.emplace(set_.characters[static_cast<std::size_t>(set_.owner[e])], e);
    roughColumns_.resize(n * kShapeRoughSize);
    for (std::size_t e = 0; e < n; ++e)
        for (std::size_t d = 0; d < kShapeRoughSize; ++d)
            roughColumns_[d * n + e] = static_cast<std::uint8_t>(set_.rough[e * kShapeRoughSize + d] >> 2);
}

namespace {

// The process's sets, drawn once each; a drawing still under way when the
// library goes away is stopped and waited for.
struct SetSlot {
    std::once_flag once;
    std::unique_ptr<GlyphShapes> shapes;
};

struct Sets {
    SetSlot gb, big5;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::vector<std::future<void>> drawing;
    bool started936 = false, started950 = false;
    ~Sets() {
        stop = true;
        for (auto& f : drawing) f.wait();
    }
};

Sets& sets() {
    static Sets s;
    return s;
}

}  // namespace

const GlyphShapes* GlyphShapes::forCodePage(int codePage) {
    if (codePage != 936 && codePage != 950) return nullptr;
    Sets& all = sets();
    SetSlot& slot = codePage == 950 ? all.big5 : all.gb;
    std::call_once(slot.once, [&] {
        if (std::optional<GlyphEntries> table = loadGlyphTable(codePage)) {
            slot.shapes = std::make_unique<GlyphShapes>(std::move(*table));
            return;
        }
        auto faces = chineseFaces(codePage);
        if (faces.empty()) return;
        auto shapes = std::make_unique<GlyphShapes>(ideographsOf(codePage), faces, 48, &all.stop);
        if (!shapes->set_.owner.empty() && !all.stop) slot.shapes = std::move(shapes);
    });
    return slot.shapes.get();
}

void GlyphShapes::prepare(int codePage) {
    if (codePage != 936 && codePage != 950) return;
    Sets& all = sets();
    std::lock_guard<std::mutex> lock(all.mutex);
    bool& started = codePage == 950 ? all.started950 : all.started936;
    if (started) return;
    started = true;
    all.drawing.push_back(std::async(std::launch::async, [codePage] { forCodePage(codePage); }));
}

std::vector<std::string> GlyphShapes::nearest(const ShapeFeatures& f, int count) const {
    if (f.empty) return {};
    const ShapeBytes b = shapeBytes(f);
    return nearest(b.rough.data(), b.coarse.data(), b.fine.data(), count);
}

std::vector<std::string> GlyphShapes::lookalikes(const std::string& character, int count) const {
    auto entry = firstEntry_.find(character);
    if (entry == firstEntry_.end() || count <= 0) return {};
    const std::size_t e = entry->second;
    std::vector<std::string> list;
    {
        std::lock_guard<std::mutex> lock(lookalikesMutex_);
        auto known = lookalikes_.find(e);
        if (known != lookalikes_.end()) list = known->second;
    }
    if (list.empty()) {
        // The glyph's own entry comes first among its nearest; it is dropped.
        list = nearest(&set_.rough[e * kShapeRoughSize], &set_.coarse[e * kShapeCoarseSize], &set_.fine[e * kShapeFineSize], 16);
        std::erase(list, character);
        std::lock_guard<std::mutex> lock(lookalikesMutex_);
        lookalikes_.emplace(e, list);
    }
    if (list.size() > static_cast<std::size_t>(count)) list.resize(static_cast<std::size_t>(count));
    return list;
}

std::vector<std::string> GlyphShapes::nearest(const std::uint8_t* rough, const std::uint8_t* coarse,
                                              const std::uint8_t* fine, int count) const {
    std::vector<std::string> out;
    if (count <= 0 || set_.owner.empty()) return out;
    const std::size_t n = set_.owner.size();
    // Rough scores of every entry, a feature at a time over all entries (in
    // 16-bit lanes: six bits a value, so sixteen products fit); those in the
    // top buckets of their histogram go on (no sort over all entries).
    thread_local std::vector<std::uint16_t> roughScore;
    roughScore.assign(n, 0);
    for (int d = 0; d < kShapeRoughSize; ++d) {
        const std::uint16_t q = rough[d] >> 2;
        const std::uint8_t* column = &roughColumns_[static_cast<std::size_t>(d) * n];
        std::uint16_t* score = roughScore.data();
        for (std::size_t i = 0; i < n; ++i) score[i] = static_cast<std::uint16_t>(score[i] + q * column[i]);
    }
    constexpr int kBucketShift = 6;
    std::array<int, (kShapeRoughSize * 63 * 63 >> kBucketShift) + 1> histogram{};
    for (std::size_t i = 0; i < n; ++i) ++histogram[roughScore[i] >> kBucketShift];
    int cut = static_cast<int>(histogram.size()) - 1;
    for (std::size_t kept = 0; cut > 0; --cut) {
        kept += static_cast<std::size_t>(histogram[static_cast<std::size_t>(cut)]);
        if (kept >= kRoughList) break;
    }
    std::vector<std::pair<float, std::size_t>> scores;
    for (std::size_t i = 0; i < n; ++i)
        if ((roughScore[i] >> kBucketShift) >= cut)
            scores.push_back({static_cast<float>(byteDot<kShapeCoarseSize>(coarse, &set_.coarse[i * kShapeCoarseSize])), i});
    const std::size_t keep = std::min(kShortList, scores.size());
    std::partial_sort(scores.begin(), scores.begin() + static_cast<std::ptrdiff_t>(keep), scores.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    scores.resize(keep);
    for (auto& [score, i] : scores) score = static_cast<float>(byteDot<kShapeFineSize>(fine, &set_.fine[i * kShapeFineSize]));
    std::stable_sort(scores.begin(), scores.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<int> taken;
    for (const auto& [score, i] : scores) {
        int who = set_.owner[i];
        if (std::find(taken.begin(), taken.end(), who) != taken.end()) continue;
        taken.push_back(who);
        out.push_back(set_.characters[static_cast<std::size_t>(who)]);
        if (static_cast<int>(out.size()) >= count) break;
    }
    return out;
}

std::vector<std::string> GlyphShapes::nearest(const PlaneView& plane, const Box& box, int count) const {
    return nearest(shapeFeatures(inkOf(plane, box)), count);
}

}  // namespace ocrkit
