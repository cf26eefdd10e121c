// Grey and colour pages: the working plane made from the source bitmap by a
// between-class-variance threshold, whole or by rectangle. Where the paper of
// a scan is lit unevenly, the automatic threshold is chosen with the paper
// brought to its brightest level and follows the light across the page.
#include "imaging/page_binarize.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "imaging/image_host.h"
#include "imaging/otsu_threshold.h"
#include "imaging/page_image.h"
#include "imaging/paper_light.h"
#include "imaging/plane_bits.h"

namespace {

std::atomic<int> gMaxBands{BinarizeBanding{}.maxBands};
std::atomic<std::size_t> gMinPixels{BinarizeBanding{}.minPixels};

// The number of bands for `rows` rows of `rowPixels` pixels.
int bandCount(int rows, std::size_t rowPixels) {
    const int most = std::min(gMaxBands.load(std::memory_order_relaxed), rows);
    if (most <= 1 || static_cast<std::size_t>(rows) * rowPixels < gMinPixels.load(std::memory_order_relaxed)) return 1;
    return most;
}

// Calls work(band, firstRow, endRow) for rows first..end-1 cut into `bands`
// nearly equal bands, the first on the calling thread and the others on
// threads of their own; a band whose thread cannot be started runs here.
template <class Work>
void forEachBand(int first, int end, int bands, Work work) {
    auto bandStart = [&](int band) {
        return first + static_cast<int>(static_cast<std::int64_t>(end - first) * band / bands);
    };
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(bands));
    for (int band = 1; band < bands; ++band) {
        try {
            threads.emplace_back(work, band, bandStart(band), bandStart(band + 1));
        } catch (const std::system_error&) {
            work(band, bandStart(band), bandStart(band + 1));
        }
    }
    work(0, bandStart(0), bandStart(1));
    for (std::thread& t : threads) t.join();
}

// A locked source bitmap and its layout, checked against its block.
struct SourceBitmap {
    CBlockLock lock;
    DibLayout layout;
    bool valid = false;
    explicit SourceBitmap(HDIB h) : lock(h) { valid = lock && DescribeDib(lock.get(), lock.size(), layout); }
};

// Counts of 256 levels gathered over many rows, through four partial tables so
// that equal neighbouring values do not stall on one counter. The tables are
// cleared once and summed once, not for every row.
class LevelCounts {
public:
    void Add(const BYTE* p, int count) {
        int i = 0;
        // Eight samples a load, taken apart by shifts.
        for (; i + 7 < count; i += 8, p += 8) {
            std::uint64_t v;
            std::memcpy(&v, p, 8);
            ++part_[0][v & 0xFF];
            ++part_[1][(v >> 8) & 0xFF];
            ++part_[2][(v >> 16) & 0xFF];
            ++part_[3][(v >> 24) & 0xFF];
            ++part_[0][(v >> 32) & 0xFF];
            ++part_[1][(v >> 40) & 0xFF];
            ++part_[2][(v >> 48) & 0xFF];
            ++part_[3][v >> 56];
        }
        for (; i < count; ++i) ++part_[i & 3][*p++];
    }
    void AddTo(DWORD hist[256]) const {
        for (int v = 0; v < 256; ++v) hist[v] += part_[0][v] + part_[1][v] + part_[2][v] + part_[3][v];
    }

private:
    DWORD part_[4][256] = {};
};

// The same for the three channels of 24-bit pixels, all counted in one pass
// over the row: four partial tables a channel, one for each pixel of four.
class ChannelCounts {
public:
    void Add(const BYTE* p, int pixels) {
        int x = 0;
        // Four pixels from two eight-byte loads and one of four bytes.
        for (; x + 3 < pixels; x += 4, p += 12) {
            std::uint64_t a, b;
            std::uint32_t c;
            std::memcpy(&a, p, 8);
            std::memcpy(&b, p + 4, 8);
            std::memcpy(&c, p + 8, 4);
            ++part_[0][0][a & 0xFF];
            ++part_[1][0][(a >> 8) & 0xFF];
            ++part_[2][0][(a >> 16) & 0xFF];
            ++part_[0][1][(a >> 24) & 0xFF];
            ++part_[1][1][(b >> 0) & 0xFF];
            ++part_[2][1][(b >> 8) & 0xFF];
            ++part_[0][2][(b >> 16) & 0xFF];
            ++part_[1][2][(b >> 24) & 0xFF];
            ++part_[2][2][c & 0xFF];
            ++part_[0][3][(c >> 8) & 0xFF];
            ++part_[1][3][(c >> 16) & 0xFF];
            ++part_[2][3][c >> 24];
        }
        for (; x < pixels; ++x, p += 3)
            for (int c = 0; c < 3; ++c) ++part_[c][0][p[c]];
    }
    void AddTo(DWORD hist[3][256]) const {
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 256; ++v) hist[c][v] += part_[c][0][v] + part_[c][1][v] + part_[c][2][v] + part_[c][3][v];
    }

private:
    DWORD part_[3][4][256] = {};
};

// Writes whole bytes firstByte..lastByte of plane row `out` from a row of
// samples (one every `step` bytes): a pixel is black when ink[sample] is 1.
// Pixels beyond the page width are written 0.
void writeByteColumns(BYTE* out, const BYTE* samples, int step, int firstByte, int lastByte, int width,
                      const BYTE ink[256]) {
    for (int b = firstByte; b <= lastByte; ++b) {
        const int x0 = b * 8;
        const BYTE* p = samples + static_cast<std::size_t>(x0) * step;
        BYTE v;
        if (x0 + 8 <= width) {
            v = static_cast<BYTE>(ink[p[0]] << 7 | ink[p[step]] << 6 | ink[p[2 * step]] << 5 | ink[p[3 * step]] << 4 |
                                  ink[p[4 * step]] << 3 | ink[p[5 * step]] << 2 | ink[p[6 * step]] << 1 |
                                  ink[p[7 * step]]);
        } else {
            v = 0;
            for (int k = 0; x0 + k < width; ++k) v |= static_cast<BYTE>(ink[p[k * step]] << (7 - k));
        }
        out[b] = v;
    }
}

// Bytes with their bits in reverse order.
struct ReversedBytes {
    BYTE of[256];
    constexpr ReversedBytes() : of() {
        for (int i = 0; i < 256; ++i) {
            int r = 0;
            for (int b = 0; b < 8; ++b) r |= ((i >> b) & 1) << (7 - b);
            of[i] = static_cast<BYTE>(r);
        }
    }
};
constexpr ReversedBytes kReversed;

// writeByteColumns for a grey row, where ink is every level up to
// `threshold`: sixteen pixels a step compared at once where the machine can.
void writeGreyByteColumns(BYTE* out, const BYTE* samples, int firstByte, int lastByte, int width, int threshold,
                          const BYTE ink[256]) {
    int b = firstByte;
#if defined(__SSE2__)
    const __m128i limit = _mm_set1_epi8(static_cast<char>(threshold));
    for (; b + 1 <= lastByte && (b + 2) * 8 <= width; b += 2) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + static_cast<std::size_t>(b) * 8));
        // v <= threshold, unsigned: the smaller of the two is v itself.
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, limit), v)));
        // The first pixel lands in the lowest bit; the plane wants it highest.
        out[b] = kReversed.of[mask & 0xFF];
        out[b + 1] = kReversed.of[mask >> 8];
    }
#else
    (void)threshold;
#endif
    if (b <= lastByte) writeByteColumns(out, samples, 1, b, lastByte, width, ink);
}

#if defined(__x86_64__)
// The first bytes of a plane row from one channel of a 24-bit row, black
// where the sample is at least `threshold` (or, unless `lightInk`, below it):
// sixteen pixels a step, their channel gathered from three loads by shuffles.
// Returns the first byte it left for the plain loop.
__attribute__((target("ssse3"))) int writeColourBytesByShuffle(BYTE* out, const BYTE* row, int channel, int lastByte,
                                                              int width, int threshold, bool lightInk) {
    __m128i pick[3];
    for (int j = 0; j < 3; ++j) {
        alignas(16) char lanes[16];
        for (int i = 0; i < 16; ++i) {
            const int at = channel + 3 * i - 16 * j;
            lanes[i] = at >= 0 && at < 16 ? static_cast<char>(at) : static_cast<char>(0x80);  // 0x80: a zero
        }
        pick[j] = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
    }
    const __m128i limit = _mm_set1_epi8(static_cast<char>(threshold));
    const unsigned flip = lightInk ? 0u : 0xFFFFu;
    int b = 0;
    // Sixteen pixels are 48 bytes: the step stays inside the row's pixels.
    for (; b + 1 <= lastByte && (b + 2) * 8 <= width; b += 2) {
        const BYTE* p = row + static_cast<std::size_t>(b) * 24;
        const __m128i v = _mm_or_si128(
            _mm_or_si128(_mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), pick[0]),
                         _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), pick[1])),
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)), pick[2]));
        // v >= threshold, unsigned: the larger of the two is v itself.
        const unsigned mask =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(v, limit), v))) ^ flip;
        out[b] = kReversed.of[mask & 0xFF];
        out[b + 1] = kReversed.of[mask >> 8];
    }
    return b;
}
#endif

// writeByteColumns with a limit of its own for every pixel: pixel x is black
// when its sample is at most limits[x - firstByte * 8].
void writeLimitByteColumns(BYTE* out, const BYTE* samples, int firstByte, int lastByte, int width,
                           const BYTE* limits) {
    int b = firstByte;
    const BYTE* limit = limits - static_cast<std::size_t>(firstByte) * 8;
#if defined(__SSE2__)
    for (; b + 1 <= lastByte && (b + 2) * 8 <= width; b += 2) {
        const std::size_t x = static_cast<std::size_t>(b) * 8;
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + x));
        const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(limit + x));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, l), v)));
        out[b] = kReversed.of[mask & 0xFF];
        out[b + 1] = kReversed.of[mask >> 8];
    }
#endif
    for (; b <= lastByte; ++b) {
        const int x0 = b * 8;
        BYTE v = 0;
        for (int k = 0; k < 8 && x0 + k < width; ++k)
            v |= static_cast<BYTE>((samples[x0 + k] <= limit[x0 + k]) << (7 - k));
        out[b] = v;
    }
}

// Cells of the paper's light: about an eighth of an inch.
int paperCell(int dpi) { return std::clamp(dpi / 8, 8, 128); }

// Counts of rows y0..y1-1 of a channel (width pixels) with the paper of each
// pixel brought to the brightest paper's level: every second pixel of every
// fourth row (of the rectangle, so that bands count the same pixels).
void countAgainstPaper(const ChannelRows& rows, int y0, int y1, int width, const PaperLight& light, DWORD hist[256]) {
    std::vector<float> level(static_cast<std::size_t>(width));
    for (int y = (y0 + 3) / 4 * 4; y < y1; y += 4) {
        light.RowLevels(y, 0, width, level.data());
        const BYTE* p = rows.Row(y);
        for (int x = 0; x < width; x += 2) {
            const float n = static_cast<float>(p[static_cast<std::ptrdiff_t>(x) * rows.step]) / level[x];
            ++hist[n >= 255.0f ? 255 : static_cast<int>(n)];
        }
    }
}

// The highest ink level of each pixel x0..x1-1 of a rectangle's rows when,
// with the paper at its brightest, ink is every level below `bound`. The
// light changes over many rows: the limits are worked out once for every
// four rows of the rectangle, the same in any banding.
class InkLimitRows {
public:
    InkLimitRows(const PaperLight& light, int x0, int x1, int bound)
        : light_(light), x0_(x0), x1_(x1), bound_(static_cast<float>(bound)),
          level_(static_cast<std::size_t>(std::max(x1 - x0, 0))), limits_(level_.size()) {}

    const BYTE* Row(int y) {
        if ((y & ~3) == key_) return limits_.data();
        key_ = y & ~3;
        light_.RowLevels(key_, x0_, x1_, level_.data());
        for (std::size_t i = 0; i < level_.size(); ++i) {
            // Below bound x level: that rounded up, less one.
            const float at = bound_ * level_[i];
            const int whole = static_cast<int>(at);
            const int limit = whole + (static_cast<float>(whole) < at ? 1 : 0) - 1;
            limits_[i] = static_cast<BYTE>(limit < 0 ? 0 : limit > 255 ? 255 : limit);
        }
        return limits_.data();
    }

private:
    const PaperLight& light_;
    int x0_, x1_;
    float bound_;
    std::vector<float> level_;
    std::vector<BYTE> limits_;
    int key_ = -1;
};

// The same over all rows of a rectangle, counted in bands.
void histogramAgainstPaper(const ChannelRows& rows, int width, int height, const PaperLight& light, int bands,
                           DWORD hist[256]) {
    std::vector<std::array<DWORD, 256>> counts(static_cast<std::size_t>(bands));
    forEachBand(0, height, bands, [&](int band, int y0, int y1) {
        counts[band].fill(0);
        countAgainstPaper(rows, y0, y1, width, light, counts[band].data());
    });
    for (const auto& c : counts)
        for (int v = 0; v < 256; ++v) hist[v] += c[v];
}

// The trimmed threshold of a colour channel counted with its paper brought
// to the brightest level (0 and 255 become 128, as for the channel choice).
int thresholdAgainstPaper(const ChannelRows& rows, int width, int height, const PaperLight& light, int bands) {
    DWORD hist[256] = {};
    histogramAgainstPaper(rows, width, height, light, bands, hist);
    const int t = CPageImage::HistogramThreshold(hist);
    return t == 0 || t == 255 ? 128 : t;
}

// The channel that separates ink from paper best, with its threshold and polarity.
struct ChannelChoice {
    int channel = 0;
    int threshold = 128;
    bool lightInk = false;  // black where value >= threshold
    bool inBand = false;
};

ChannelChoice chooseChannel(const DWORD hist[3][256]) {
    ChannelChoice choice;
    double ratio[3];
    int threshold[3];
    bool lightInk[3];
    for (int c = 0; c < 3; ++c) {
        int t = CPageImage::HistogramThreshold(hist[c]);
        if (t == 0 || t == 255) t = 128;
        double below = 0, above = 0;
        for (int v = 0; v < 256; ++v) (v < t ? below : above) += hist[c][v];
        const double d = 1 + below, l = 1 + above;
        ratio[c] = std::min(d, l) / (d + l);
        threshold[c] = t;
        lightInk[c] = below > above;
    }
    int best = -1;
    for (int c = 0; c < 3; ++c)
        if (ratio[c] > 0.02 && ratio[c] <= 0.2 && (best < 0 || ratio[c] < ratio[best])) best = c;
    choice.inBand = best >= 0;
    if (best < 0) {
        best = 0;
        for (int c = 1; c < 3; ++c)
            if (ratio[c] < ratio[best]) best = c;
    }
    choice.channel = best;
    choice.threshold = threshold[best];
    choice.lightInk = lightInk[best];
    return choice;
}

void inkTable(const ChannelChoice& choice, BYTE ink[256]) {
    for (int v = 0; v < 256; ++v) ink[v] = (choice.lightInk ? v >= choice.threshold : v < choice.threshold) ? 1 : 0;
}

bool documentIsPdf() {
    std::string path = ImageHost().CurrentDocumentPath();
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& ch : tail) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return tail == ".pdf";
}

// Clips an inclusive rectangle to the page; false when nothing is left.
bool clipToPage(int& left, int& top, int& right, int& bottom, int width, int height) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width - 1);
    bottom = std::min(bottom, height - 1);
    return left <= right && top <= bottom;
}

}  // namespace

BinarizeBanding CurrentBinarizeBanding() {
    BinarizeBanding b;
    b.maxBands = gMaxBands.load();
    b.minPixels = gMinPixels.load();
    return b;
}

void SetBinarizeBanding(const BinarizeBanding& banding) {
    gMaxBands.store(std::max(banding.maxBands, 1));
    gMinPixels.store(banding.minPixels);
}

int CPageImage::HistogramThreshold(const DWORD hist[256]) {
    std::uint64_t total = 0;
    for (int v = 0; v < 256; ++v) total += hist[v];
    const std::uint64_t c = total / 200;
    int low = 0;
    for (std::uint64_t sum = 1; low < 255; ++low) {
        sum += hist[low];
        if (sum > c) break;
    }
    if (low > 0 && hist[low] > c) --low;
    int high = 255;
    for (std::uint64_t sum = 1; high > 0; --high) {
        sum += hist[high];
        if (sum > c) break;
    }
    if (high < 255 && hist[high] > c) ++high;
    if (low >= high) return low;
    return BetweenClassThreshold(hist, low, high - 1);
}

int CPageImage::Binarize() {
    if (m_nBitCount == 8)
        BinarizeGray();
    else if (m_nBitCount == 24)
        BinarizeColor();
    return 1;
}

int CPageImage::BinarizeGray(int threshold) { return BinarizeGrayRect(0, 0, m_nWidth - 1, m_nHeight - 1, threshold); }

int CPageImage::BinarizeGrayRect(int left, int top, int right, int bottom, int threshold) {
    if (m_nBitCount != 8 || !m_hDib) return -1;
    SourceBitmap src(m_hDib);
    if (!src.valid || src.layout.bitCount != 8) return -1;
    const bool automatic = threshold < 0;
    threshold = std::min(threshold, 255);
    const int width = std::min(m_nWidth, src.layout.width), height = std::min(m_nHeight, src.layout.height);
    if (!clipToPage(left, top, right, bottom, width, height)) return automatic ? -1 : threshold;
    if (!EnsurePlane()) return -1;
    CBlockLock plane(m_hBits);
    if (!plane) return -1;

    const int bands = bandCount(bottom - top + 1, static_cast<std::size_t>(right - left + 1));
    const DWORD rowBytes = RowBytes();
    BYTE* const planeBits = plane.get();
    if (automatic) {
        // Rows of the rectangle from its top left pixel.
        const ChannelRows rows{src.layout.Row(top) + left, -static_cast<std::ptrdiff_t>(src.layout.stride), 1};
        const int w = right - left + 1, h = bottom - top + 1;
        PaperLight light;
        light.Measure(rows, w, h, paperCell(PageResolution()));
        if (light.Uneven()) {
            DWORD hist[256] = {};
            histogramAgainstPaper(rows, w, h, light, bands, hist);
            threshold = BetweenClassThreshold(hist, 0, 255);
            // The whole bytes of each row, their pixels outside the rectangle
            // taking the limits of its nearest edge.
            const int x0 = left / 8 * 8, x1 = std::min(width, right / 8 * 8 + 8);
            forEachBand(top, bottom + 1, bands, [&](int, int y0, int y1) {
                InkLimitRows limits(light, x0 - left, x1 - left, threshold + 1);
                for (int y = y0; y < y1; ++y)
                    writeLimitByteColumns(planeBits + static_cast<std::size_t>(y) * rowBytes, src.layout.Row(y),
                                          left / 8, right / 8, width, limits.Row(y - top));
            });
            return threshold;
        }
        std::vector<LevelCounts> counts(static_cast<std::size_t>(bands));
        forEachBand(top, bottom + 1, bands, [&](int band, int y0, int y1) {
            for (int y = y0; y < y1; ++y) counts[band].Add(src.layout.Row(y) + left, right - left + 1);
        });
        DWORD hist[256] = {};
        for (const LevelCounts& c : counts) c.AddTo(hist);
        threshold = BetweenClassThreshold(hist, 0, 255);
    }
    BYTE ink[256];
    for (int v = 0; v < 256; ++v) ink[v] = v <= threshold ? 1 : 0;

    forEachBand(top, bottom + 1, bands, [&](int, int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            writeGreyByteColumns(planeBits + static_cast<std::size_t>(y) * rowBytes, src.layout.Row(y), left / 8,
                                 right / 8, width, threshold, ink);
    });
    return threshold;
}

BOOL CPageImage::BinarizeColor() {
    if (m_nBitCount != 24 || !m_hDib) return FALSE;
    SourceBitmap src(m_hDib);
    if (!src.valid || src.layout.bitCount != 24) return FALSE;
    const int width = std::min(m_nWidth, src.layout.width), height = std::min(m_nHeight, src.layout.height);
    if (!EnsurePlane()) return FALSE;
    CBlockLock plane(m_hBits);
    if (!plane) return FALSE;

    const int bands = bandCount(height, static_cast<std::size_t>(width));
    std::vector<ChannelCounts> counts(static_cast<std::size_t>(bands));
    forEachBand(0, height, bands, [&](int band, int y0, int y1) {
        for (int y = y0; y < y1; ++y) counts[band].Add(src.layout.Row(y), width);
    });
    DWORD hist[3][256] = {};
    for (const ChannelCounts& c : counts) c.AddTo(hist);
    ChannelChoice choice = chooseChannel(hist);
    const DWORD rowBytes = RowBytes();
    const int lastByte = (width - 1) / 8;
    BYTE* const planeBits = plane.get();
    PaperLight light;
    const ChannelRows rows{src.layout.Row(0) + choice.channel, -static_cast<std::ptrdiff_t>(src.layout.stride), 3};
    if (!choice.lightInk) light.Measure(rows, width, height, paperCell(PageResolution()));
    if (light.Uneven()) {
        choice.threshold = thresholdAgainstPaper(rows, width, height, light, bands);
        forEachBand(0, height, bands, [&](int, int y0, int y1) {
            InkLimitRows limits(light, 0, width, choice.threshold);
            std::vector<BYTE> samples(static_cast<std::size_t>(width));
            for (int y = y0; y < y1; ++y) {
                const BYTE* p = rows.Row(y);
                for (int x = 0; x < width; ++x) samples[x] = p[3 * x];
                writeLimitByteColumns(planeBits + static_cast<std::size_t>(y) * rowBytes, samples.data(), 0, lastByte,
                                      width, limits.Row(y));
            }
        });
        return choice.inBand ? TRUE : FALSE;
    }
    BYTE ink[256];
    inkTable(choice, ink);
#if defined(__x86_64__)
    static const bool shuffle = __builtin_cpu_supports("ssse3");
#endif
    forEachBand(0, height, bands, [&](int, int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            BYTE* out = planeBits + static_cast<std::size_t>(y) * rowBytes;
            int first = 0;
#if defined(__x86_64__)
            if (shuffle)
                first = writeColourBytesByShuffle(out, src.layout.Row(y), choice.channel, lastByte, width,
                                                  choice.threshold, choice.lightInk);
#endif
            if (first <= lastByte)
                writeByteColumns(out, src.layout.Row(y) + choice.channel, 3, first, lastByte, width, ink);
        }
    });
    return choice.inBand ? TRUE : FALSE;
}

int CPageImage::BinarizeRect(int left, int top, int right, int bottom) {
    if (m_nBitCount == 8)
        BinarizeGrayRect(left, top, right, bottom);
    else if (m_nBitCount == 24)
        BinarizeColorRect(left, top, right, bottom);
    return 1;
}

void CPageImage::BinarizeColorRect(int left, int top, int right, int bottom) {
    if (m_nBitCount != 24 || !m_hDib) return;
    if (right - 10 < left || bottom - 10 < top) return;
    SourceBitmap src(m_hDib);
    if (!src.valid || src.layout.bitCount != 24) return;
    const int width = std::min(m_nWidth, src.layout.width), height = std::min(m_nHeight, src.layout.height);
    if (!clipToPage(left, top, right, bottom, width, height)) return;
    const int w = right - left + 1, h = bottom - top + 1;

    // Work copy of the rectangle's pixels, so that darkening leaves the page alone.
    std::vector<BYTE> work;
    try {
        work.resize(static_cast<std::size_t>(w) * h * 3);
    } catch (const std::bad_alloc&) {
        return;
    }
    for (int y = 0; y < h; ++y)
        std::memcpy(work.data() + static_cast<std::size_t>(y) * w * 3, src.layout.Row(top + y) + left * 3,
                    static_cast<std::size_t>(w) * 3);

    if (documentIsPdf()) {
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < work.size(); i += 3) sum += (work[i] + work[i + 1] + work[i + 2]) / 3;
        if (sum / (static_cast<std::uint64_t>(w) * h) > 200)
            for (BYTE& v : work) v = v < 30 ? 0 : static_cast<BYTE>(v - 30);
    }

    ChannelCounts counts;
    counts.Add(work.data(), w * h);
    DWORD hist[3][256] = {};
    counts.AddTo(hist);
    ChannelChoice choice = chooseChannel(hist);
    const ChannelRows rows{work.data() + choice.channel, static_cast<std::ptrdiff_t>(w) * 3, 3};
    PaperLight light;
    if (!choice.lightInk) light.Measure(rows, w, h, paperCell(PageResolution()));
    if (light.Uneven()) choice.threshold = thresholdAgainstPaper(rows, w, h, light, 1);
    BYTE ink[256];
    inkTable(choice, ink);

    if (!EnsurePlane()) return;
    CBlockLock plane(m_hBits);
    if (!plane) return;
    const DWORD rowBytes = RowBytes();
    InkLimitRows limitRows(light, 0, w, choice.threshold);
    for (int y = 0; y < h; ++y) {
        BYTE* out = plane.get() + static_cast<std::size_t>(top + y) * rowBytes;
        const BYTE* p = rows.Row(y);
        const BYTE* limits = light.Uneven() ? limitRows.Row(y) : nullptr;
        for (int x = 0; x < w; ++x, p += 3) {
            if (limits ? *p <= limits[x] : ink[*p] != 0)
                SetPlaneBit(out, left + x);
            else
                ClearPlaneBit(out, left + x);
        }
    }
}
