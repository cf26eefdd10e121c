// Straightening a page along a skew line of slope dy / dx. A 1-bit page is
// straightened by two shears of its plane built from an integer run table
// (columns moved vertically, then rows horizontally); a grey or colour page
// has its bitmap turned by the true angle.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/dib_rotate.h"
#include "imaging/image_block.h"
#include "imaging/image_host.h"
#include "imaging/page_image.h"
#include "imaging/plane_bits.h"

namespace {

// k(v) for v = 0 .. n: the number of run-table entries whose sum first reaches v (at least 1).
// The run table holds the pixel counts between successive one-pixel steps of the line.
std::vector<int> stepCounts(int n, int d, int dy) {
    std::vector<int> runs;
    runs.reserve(static_cast<std::size_t>(n) * dy / d + 10);
    int acc = d / 2 - dy, count = 0;
    for (int i = 0; i < n; ++i) {
        ++count;
        acc += dy;
        if (acc >= d) {
            acc -= d;
            runs.push_back(count);
            count = 0;
        }
    }
    runs.push_back(count);
    runs.push_back(0);
    std::vector<int> k(static_cast<std::size_t>(n) + 2, 1);
    std::size_t entries = 1;
    long long sum = runs[0];
    for (int v = 0; v <= n + 1; ++v) {
        while (sum < v && entries < runs.size()) sum += runs[entries++];
        k[v] = static_cast<int>(entries);
    }
    return k;
}

}  // namespace

BOOL CPageImage::Deskew(int dx, int dy, int left, int top, int right, int bottom, HGLOBAL hResult) {
    if (dx == 0 || !hResult) return FALSE;
    if (m_nBitCount == 8 || m_nBitCount == 24) {
        if (!m_hDib) return FALSE;
        const SIZE_T size = GlobalSize(m_hDib);
        if (GlobalSize(hResult) < size) return FALSE;
        {
            CBlockLock src(m_hDib), dst(hResult);
            if (!src || !dst) return FALSE;
            std::memcpy(dst.get(), src.get(), size);
        }
        return RotateDib(hResult, std::atan(static_cast<double>(dy) / dx)) == kRotateDone ? TRUE : FALSE;
    }
    if (!m_hBits || m_nWidth <= 0 || m_nHeight <= 0) return FALSE;
    CHostWaitCursor wait;
    const int d = std::abs(dx);
    if (dy < 1 || d < 5 * dy) return FALSE;
    const int width = m_nWidth, height = m_nHeight;
    const int rowBytes = static_cast<int>(RowBytes());
    // The region, its right and bottom taken 9 pixels in, kept inside the page.
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right - 9, width - 1);
    bottom = std::min(bottom - 9, height - 1);
    if (left > right || top > bottom) return FALSE;

    std::vector<int> k;
    try {
        k = stepCounts(std::max(width, height), d, dy);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    CBlockLock plane(m_hBits), result(hResult);
    if (!plane || !result || result.size() < PlaneBytes() || plane.size() < PlaneBytes()) return FALSE;
    BYTE* out = result.get();
    const BYTE* in = plane.get();
    // Rows outside the region stay white; the region's rows are written whole below.
    std::memset(out, 0, static_cast<std::size_t>(top) * rowBytes);
    std::memset(out + static_cast<std::size_t>(bottom + 1) * rowBytes, 0,
                static_cast<std::size_t>(height - 1 - bottom) * rowBytes);

    // Column pass: pixel x moves by k(x + 1) - 1 rows. Each aligned 8-byte
    // word of an output row is put together from the few source rows its
    // bits come from, one masked 64-bit load each.
    const int firstByte = left / 8, lastByte = std::min((right + 7) / 8, rowBytes - 1);
    struct Piece {
        std::uint64_t mask;  // bits of the word, in memory order
        int shift;
        int bound;           // dx < 0: rows from here on receive nothing
    };
    struct Word {
        int offset;  // first byte of the word
        int first, count;  // its pieces
    };
    std::vector<Piece> pieces;
    std::vector<Word> words;
    const int lastK = static_cast<int>(k.size()) - 1;
    for (int w0 = firstByte / 8 * 8; w0 <= lastByte; w0 += 8) {
        Word word{w0, static_cast<int>(pieces.size()), 0};
        for (int b = std::max(w0, firstByte); b <= std::min(w0 + 7, lastByte); ++b) {
            const int bound = height - 2 - k[std::min(8 * b, lastK)];
            for (int bit = 0; bit < 8; ++bit) {
                const int shift = k[std::min(8 * b + bit + 1, lastK)] - 1;
                if (word.count == 0 || pieces.back().shift != shift || pieces.back().bound != bound) {
                    pieces.push_back(Piece{0, shift, bound});
                    ++word.count;
                }
                pieces.back().mask |= std::uint64_t(0x80u >> bit) << (8 * (b - w0));
            }
        }
        words.push_back(word);
    }

    // Row pass, done on each row as soon as its column pass is complete: row
    // y moves by k(y) pixels, left for dx > 0 and right for dx < 0, eight
    // bytes at a time. The row is built between zero margins so that the
    // shift needs no tests at its ends.
    const int margin = k[std::min(bottom, lastK)] / 8 + 16;
    std::vector<BYTE> padded(static_cast<std::size_t>(rowBytes) + 2 * margin + 8, 0);
    BYTE* line = padded.data() + margin;
    const BYTE lastMask = LastByteMask(width);
    auto loadBig = [](const BYTE* p) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        return __builtin_bswap64(v);
    };
    std::vector<BYTE> shifted(static_cast<std::size_t>(rowBytes) + 8);
    // Words are sorted by their number of pieces, so that each inner loop runs
    // a fixed count; a piece whose source row lies outside the plane reads a
    // blank row instead.
    struct Source {
        std::uint64_t mask;
        std::ptrdiff_t delta;  // from the output row's own row in the plane to the source row
        int shift;
        int bound;
    };
    const std::ptrdiff_t step = dx > 0 ? -static_cast<std::ptrdiff_t>(rowBytes) : rowBytes;
    const bool partialLast = !words.empty() && words.back().offset + 8 > rowBytes;
    const std::size_t wholeWords = words.size() - (partialLast ? 1 : 0);
    int perWord = 1;
    for (const Word& word : words) perWord = std::max(perWord, word.count);
    struct Group {
        int count;
        std::vector<int> offsets;
        std::vector<Source> sources;  // count per word
    };
    std::vector<Group> byCount(perWord + 1);
    for (int c = 0; c <= perWord; ++c) byCount[c].count = c;
    auto sourceOf = [&](const Piece& p) {
        return Source{p.mask, p.shift * step, p.shift, dx > 0 ? INT32_MAX : p.bound};
    };
    for (std::size_t w = 0; w < wholeWords; ++w) {
        Group& g = byCount[words[w].count];
        g.offsets.push_back(words[w].offset);
        for (int i = 0; i < words[w].count; ++i) g.sources.push_back(sourceOf(pieces[words[w].first + i]));
    }
    const std::vector<BYTE> blank(static_cast<std::size_t>(rowBytes) + 8, 0);
    for (int y = top; y <= bottom; ++y) {
        const BYTE* here = in + static_cast<std::size_t>(y) * rowBytes;
        const int validShifts = dx > 0 ? y : height - 1 - y;  // shifts up to this stay inside the plane
        auto source = [&](const Source& src) { return src.shift <= validShifts ? here + src.delta : blank.data(); };
        auto gather = [&](const Group& g, auto count) {
            const Source* src = g.sources.data();
            for (std::size_t w = 0; w < g.offsets.size(); ++w, src += count()) {
                const int offset = g.offsets[w];
                std::uint64_t v = 0;
                for (int i = 0; i < count(); ++i) {
                    std::uint64_t bits;
                    std::memcpy(&bits, source(src[i]) + offset, 8);
                    v |= bits & (y < src[i].bound ? src[i].mask : 0);
                }
                std::memcpy(line + offset, &v, 8);
            }
        };
        for (const Group& g : byCount) {
            if (g.offsets.empty()) continue;
            switch (g.count) {
                case 1: gather(g, [] { return 1; }); break;
                case 2: gather(g, [] { return 2; }); break;
                case 3: gather(g, [] { return 3; }); break;
                default: gather(g, [c = g.count] { return c; }); break;
            }
        }
        const Piece* piece = pieces.data() + (partialLast ? words.back().first : 0);
        if (partialLast) {
            const int offset = words.back().offset;
            std::uint64_t v = 0;
            for (int i = 0; i < words.back().count; ++i) {
                const Source src = sourceOf(piece[i]);
                std::uint64_t bits = 0;
                const BYTE* from = source(src) + offset;
                for (int b = 0; offset + b < rowBytes; ++b) bits |= std::uint64_t(from[b]) << (8 * b);
                v |= bits & (y < src.bound ? src.mask : 0);
            }
            std::memcpy(line + offset, &v, 8);  // the margin takes the bytes past the row
        }
        std::memset(line + rowBytes, 0, 8);

        const int s = k[y];
        const int q = s / 8, r = s % 8;
        BYTE* row = out + static_cast<std::size_t>(y) * rowBytes;
        auto word = [&](int i) {
            std::uint64_t v;
            if (dx > 0) {
                const BYTE* from = line + i + q;
                v = r ? (loadBig(from) << r | from[8] >> (8 - r)) : loadBig(from);
            } else {
                const BYTE* from = line + i - q;
                v = r ? (loadBig(from) >> r | std::uint64_t(from[-1]) << (64 - r)) : loadBig(from);
            }
            return __builtin_bswap64(v);
        };
        int i = 0;
        for (; i + 8 <= rowBytes; i += 8) {
            const std::uint64_t v = word(i);
            std::memcpy(row + i, &v, 8);
        }
        if (i < rowBytes) {
            const std::uint64_t v = word(i);
            std::memcpy(shifted.data(), &v, 8);
            std::memcpy(row + i, shifted.data(), rowBytes - i);
        }
        row[rowBytes - 1] &= lastMask;
    }
    return TRUE;
}
