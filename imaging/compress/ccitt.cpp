#include "imaging/compress/ccitt.h"

#include <algorithm>
#include <cstring>

#include "imaging/compress/ccitt_tables.h"

namespace coders::ccitt {

// Mode lookup over the next 7 bits.
struct ModeEntry {
    std::int8_t offset;  // a1 - b1 for vertical modes
    std::uint8_t len;
    std::uint8_t kind;
    std::uint8_t unused;  // four bytes an entry: one scaled index
};

namespace {

enum : std::uint8_t { kModeBad = 0, kModePass, kModeHorizontal, kModeVertical };

// Run-length lookup: the next 12 (white) or 13 (black) bits index a table
// of entries holding the run in the low 12 bits and the code length above;
// runs below 64 are terminating codes, the rest make-ups; 0 is no code.
constexpr int kWhiteBits = 12;
constexpr int kBlackBits = 13;
constexpr std::uint16_t kEolRun = 4095;
constexpr std::uint16_t RunOf(std::uint16_t e) { return e & 0x0FFF; }
constexpr int LenOf(std::uint16_t e) { return e >> 12; }

struct Tables {
    std::uint16_t white[1 << kWhiteBits] = {};
    std::uint16_t black[1 << kBlackBits] = {};
    ModeEntry mode[128] = {};
    std::uint8_t reverse[256];

    static void Fill(std::uint16_t* t, int bits, Code c, std::uint16_t run) {
        int shift = bits - c.len;
        for (int i = 0; i < (1 << shift); ++i)
            t[(c.bits << shift) | i] = static_cast<std::uint16_t>(run | (c.len << 12));
    }
    Tables() {
        for (int colour = 0; colour < 2; ++colour) {
            std::uint16_t* t = colour ? black : white;
            const int bits = colour ? kBlackBits : kWhiteBits;
            const Code* term = colour ? kBlackTerm : kWhiteTerm;
            const Code* makeup = colour ? kBlackMakeup : kWhiteMakeup;
            for (int i = 0; i < 64; ++i) Fill(t, bits, term[i], static_cast<std::uint16_t>(i));
            for (int i = 0; i < 27; ++i) Fill(t, bits, makeup[i], static_cast<std::uint16_t>(64 * (i + 1)));
            for (int i = 0; i < 13; ++i) Fill(t, bits, kExtMakeup[i], static_cast<std::uint16_t>(1792 + 64 * i));
            Fill(t, bits, kEol, kEolRun);
        }
        auto fillMode = [&](Code c, std::int8_t offset, std::uint8_t kind) {
            int shift = 7 - c.len;
            for (int i = 0; i < (1 << shift); ++i) mode[(c.bits << shift) | i] = {offset, c.len, kind, 0};
        };
        fillMode(kPass, 0, kModePass);
        fillMode(kHorizontal, 0, kModeHorizontal);
        for (int i = 0; i < 7; ++i) fillMode(kVertical[i], static_cast<std::int8_t>(i - 3), kModeVertical);
        for (int i = 0; i < 256; ++i) {
            std::uint8_t r = 0;
            for (int b = 0; b < 8; ++b) r = static_cast<std::uint8_t>(r | (((i >> b) & 1) << (7 - b)));
            reverse[i] = r;
        }
    }
};

const Tables& T() {
    static const Tables t;
    return t;
}

// Position of the first pixel at or after x whose bit equals `bit`, or width.
int FindBit(const std::uint8_t* row, int x, int width, int bit) {
    const std::uint8_t flip = bit ? 0x00 : 0xFF;  // makes the wanted bit a 1
    while (x < width) {
        if ((x & 7) == 0) {
            // Whole bytes, eight at a time where possible.
            int byte = x >> 3;
            while (x + 64 <= width) {
                std::uint64_t w;
                std::memcpy(&w, row + byte, 8);
                if (flip) w = ~w;
                if (w) break;
                x += 64;
                byte += 8;
            }
            while (x + 8 <= width) {
                std::uint8_t b = static_cast<std::uint8_t>(row[byte] ^ flip);
                if (b) return x + __builtin_clz(static_cast<unsigned>(b)) - 24;
                x += 8;
                ++byte;
            }
            if (x >= width) return width;
        }
        std::uint8_t b = static_cast<std::uint8_t>((row[x >> 3] ^ flip) << (x & 7));
        if (b) return std::min(width, x + __builtin_clz(static_cast<unsigned>(b)) - 24);
        x = (x | 7) + 1;
    }
    return width;
}

void SetRun(std::uint8_t* row, int from, int to) {
    if (from >= to) return;
    int fb = from >> 3, tb = (to - 1) >> 3;
    std::uint8_t first = static_cast<std::uint8_t>(0xFF >> (from & 7));
    std::uint8_t last = static_cast<std::uint8_t>(0xFF << (7 - ((to - 1) & 7)));
    if (fb == tb) {
        row[fb] |= first & last;
        return;
    }
    row[fb] |= first;
    if (tb > fb + 1) std::memset(row + fb + 1, 0xFF, static_cast<std::size_t>(tb - fb - 1));
    row[tb] |= last;
}

}  // namespace

int RowChanges(const std::uint8_t* row, int width, int* changes) {
    int n = 0;
    int x = 0, colour = 0;
    for (;;) {
        x = FindBit(row, x, width, colour ^ 1);
        if (x >= width) return n;
        changes[n++] = x;
        colour ^= 1;
    }
}

CFaxDecoder::CFaxDecoder(Scheme scheme, int width, bool reverseBits, bool twoDimensional)
    : m_scheme(scheme),
      m_width(std::max(width, 0)),
      m_reverse(reverseBits),
      m_twoDim(scheme == Scheme::Group4 || (scheme == Scheme::Group3 && twoDimensional)),
      m_ref(static_cast<std::size_t>(m_width) + 8),
      m_cur(static_cast<std::size_t>(m_width) + 8),
      m_words(static_cast<std::size_t>(m_width) / 64 + 2),
      m_white(T().white),
      m_black(T().black),
      m_modes(T().mode) {
    Start(nullptr, 0);
}

void CFaxDecoder::Start(const std::uint8_t* data, std::size_t size) {
    m_in = FaxBits{};
    m_in.data = data;
    m_in.size = data ? size : 0;
    m_in.reverse = m_reverse;
    m_ended = false;
    m_resync = false;
    m_refCount = 0;
    for (int i = 0; i < 4; ++i) m_ref[i] = m_width;
}

namespace {

#define FAX_INLINE inline __attribute__((always_inline))

// Loads bytes until at least 57 bits wait: reversed bytes and the last bytes
// of the data one at a time, zero bytes past the end.
__attribute__((noinline)) FaxBits RefillSlowly(FaxBits in) {
    const std::uint8_t* rev = T().reverse;
    while (in.count <= 56) {
        std::uint8_t b = 0;
        if (in.pos < in.size) b = in.reverse ? rev[in.data[in.pos]] : in.data[in.pos];
        ++in.pos;
        in.buf |= static_cast<std::uint64_t>(b) << (56 - in.count);
        in.count += 8;
    }
    return in;
}

FAX_INLINE void RefillBits(FaxBits& in) {
    if (!in.reverse && in.pos + 8 <= in.size) [[likely]] {
        // Eight bytes at once; bytes only partly taken in are taken again
        // next time, into the same bit places.
        std::uint64_t v;
        std::memcpy(&v, in.data + in.pos, 8);
        v = __builtin_bswap64(v);
        in.buf |= v >> in.count;
        in.pos += static_cast<std::size_t>((63 - in.count) >> 3);
        in.count |= 56;
        return;
    }
    in = RefillSlowly(in);
}

FAX_INLINE std::uint32_t PeekBits(FaxBits& in, int n) {
    if (in.count < n) RefillBits(in);
    return static_cast<std::uint32_t>(in.buf >> (64 - n));
}

FAX_INLINE void SkipBits(FaxBits& in, int n) {
    in.buf <<= n;
    in.count -= n;
}

// A copy of the reader in locals, field by field: loading it whole as one
// block right after the last row stored it field by field would stall.
FAX_INLINE FaxBits LocalCopy(const FaxBits& from) {
    FaxBits in;
    in.data = from.data;
    in.size = from.size;
    in.pos = from.pos;
    in.buf = from.buf;
    in.count = from.count;
    in.reverse = from.reverse;
    return in;
}

FAX_INLINE bool BitsPastEnd(const FaxBits& in) { return 8 * in.pos - static_cast<std::size_t>(in.count) > 8 * in.size; }

// True when the next n bits reach past the strip's data.
FAX_INLINE bool BitsNearEnd(const FaxBits& in, int n) {
    return 8 * in.pos - static_cast<std::size_t>(in.count) + static_cast<std::size_t>(n) > 8 * in.size;
}

// Run length of the given colour (make-up codes added up), or -1 for a bad
// code, -2 for an end-of-line code, -3 when the data ran out.
FAX_INLINE int DecodeRun(FaxBits& in, const std::uint16_t* t, int bits, int width) {
    int run = 0;
    for (;;) {
        const std::uint16_t e = t[PeekBits(in, bits)];
        if (e == 0) [[unlikely]]
            return BitsNearEnd(in, bits) ? -3 : -1;
        if (RunOf(e) == kEolRun) [[unlikely]]
            return -2;
        SkipBits(in, LenOf(e));
        run += RunOf(e);
        if (RunOf(e) < 64) [[likely]]
            return run;
        if (run > width) return run;  // make-ups already past the row: the caller clips
    }
}

// Adds a change to the row being decoded. Changes rise strictly; a
// zero-length run cancels the change before it, so the list never holds more
// than one change per pixel.
FAX_INLINE bool AddChange(int* cur, int& count, int pos, int width) {
    if (count > 0 && cur[count - 1] >= pos) {
        if (cur[count - 1] > pos) return false;
        --count;
        return true;
    }
    if (pos >= width) return true;  // the row end is no change
    cur[count++] = pos;
    return true;
}

}  // namespace

void CFaxDecoder::Refill() { RefillBits(m_in); }

void CFaxDecoder::AlignToByte() {
    // Bits taken so far = 8 * pos - count; drop up to the next boundary.
    Skip(m_in.count & 7);
}

bool CFaxDecoder::SkipEol() {
    // An end-of-line code is eleven or more 0 bits and a 1; fill bits before
    // it are further zeros. Returns true when one was taken.
    int zeros = 0;
    for (;;) {
        std::uint32_t p = Peek(16);
        if (p == 0) {
            zeros += 16;
            Skip(16);
            if (PastEnd()) return false;
            continue;
        }
        int lead = __builtin_clz(p) - 16;
        if (zeros + lead < 11) return false;
        Skip(lead + 1);
        return true;
    }
}

RowStatus CFaxDecoder::Decode1D() {
    FaxBits in = LocalCopy(m_in);
    int* const cur = m_cur.data();
    int count = 0;
    const int width = m_width;
    int a0 = 0, colour = 0, at = 0;
    RowStatus status = RowStatus::Ok;
    while (a0 < width) {
        at = a0;
        const int run = colour ? DecodeRun(in, m_black, kBlackBits, width) : DecodeRun(in, m_white, kWhiteBits, width);
        if (run < 0) {
            status = run == -3 ? RowStatus::End : RowStatus::Corrupt;
            break;
        }
        const bool past = a0 + run > width;
        const int next = std::min(a0 + run, width);
        if (!AddChange(cur, count, next, width) || past) {
            status = RowStatus::Corrupt;
            break;
        }
        a0 = next;
        colour ^= 1;
    }
    if (status == RowStatus::Ok && BitsPastEnd(in)) status = RowStatus::End;
    m_at = at;
    m_curCount = count;
    m_in = in;
    return status;
}

RowStatus CFaxDecoder::Decode2D() {
    FaxBits in = LocalCopy(m_in);
    int* const cur = m_cur.data();
    const int* const ref = m_ref.data();
    const ModeEntry* const modes = m_modes;
    int count = 0;
    const int width = m_width;
    int a0 = -1, colour = 0, at = 0;
    int bi = 0;  // index of b1 candidates in ref
    RowStatus status = RowStatus::Ok;
    while (a0 < width) {
        at = a0;
        // b1: the first change of the reference row right of a0 whose colour
        // is the opposite of a0's (its index parity equals the colour).
        // The sentinels (the width) after the changes end the search.
        while (ref[bi] <= a0) ++bi;
        if ((bi & 1) != colour) ++bi;
        const int b1 = ref[bi];
        const ModeEntry& m = modes[PeekBits(in, 7)];
        if (m.kind == kModeVertical) [[likely]] {
            SkipBits(in, m.len);
            const int a1 = b1 + m.offset;
            if (a1 < std::max(a0, 0) || a1 > width || !AddChange(cur, count, a1, width)) {
                status = RowStatus::Corrupt;
                break;
            }
            a0 = a1;
            colour ^= 1;
            // The next b1 lies right of the new a0: step back one change
            // when the reference row's change at b1 is still to the right.
            if (bi > 0) --bi;
        } else if (m.kind == kModeHorizontal) {
            SkipBits(in, m.len);
            const int start = std::max(a0, 0);
            const int r1 = colour ? DecodeRun(in, m_black, kBlackBits, width) : DecodeRun(in, m_white, kWhiteBits, width);
            const int r2 = r1 < 0 ? r1
                                  : colour ? DecodeRun(in, m_white, kWhiteBits, width)
                                           : DecodeRun(in, m_black, kBlackBits, width);
            if (r1 < 0 || r2 < 0) {
                status = r1 == -3 || r2 == -3 ? RowStatus::End : RowStatus::Corrupt;
                break;
            }
            const int a1 = start + r1, a2 = a1 + r2;
            if (a2 > width) {
                AddChange(cur, count, std::min(a1, width), width);
                status = RowStatus::Corrupt;
                break;
            }
            if (!AddChange(cur, count, a1, width) || !AddChange(cur, count, a2, width)) {
                status = RowStatus::Corrupt;
                break;
            }
            a0 = a2;
        } else if (m.kind == kModePass) {
            SkipBits(in, m.len);
            const int b2 = ref[bi + 1];
            if (b2 < a0 || b2 > width) {
                status = RowStatus::Corrupt;
                break;
            }
            a0 = b2;
        } else {
            // An end of facsimile block, or a bad code.
            status = PeekBits(in, 12) == kEol.bits || BitsNearEnd(in, 7) ? RowStatus::End : RowStatus::Corrupt;
            break;
        }
    }
    // A row completed only with the zero bits read past the data's end.
    if (status == RowStatus::Ok && BitsPastEnd(in)) status = RowStatus::End;
    m_at = std::max(at, 0);
    m_curCount = count;
    m_in = in;
    return status;
}

void CFaxDecoder::Emit(std::uint8_t* row) {
    const std::size_t rowBytes = static_cast<std::size_t>(m_width + 7) / 8;
    const int* cur = m_cur.data();
    const int n = m_curCount;
    if (n <= static_cast<int>(rowBytes / 4)) {
        // Few runs: each set on its own.
        std::memset(row, 0, rowBytes);
        for (int i = 0; i < n; i += 2) SetRun(row, cur[i], i + 1 < n ? cur[i + 1] : m_width);
    } else {
        // Many short runs: the changes of each 64 pixels flip their bits in
        // one word, which then becomes its running parity from the left,
        // carried on from the word before.
        std::uint64_t* words = m_words.data();
        const std::size_t wordCount = (static_cast<std::size_t>(m_width) + 63) / 64;
        std::size_t k = 0;
        std::uint64_t flips = 0, carry = 0;
        auto finishWord = [&] {
            std::uint64_t x = flips;
            x ^= x >> 1;
            x ^= x >> 2;
            x ^= x >> 4;
            x ^= x >> 8;
            x ^= x >> 16;
            x ^= x >> 32;
            x ^= carry;
            carry = std::uint64_t(0) - (x & 1);
            words[k++] = __builtin_bswap64(x);
            flips = 0;
        };
        for (int i = 0; i < n; ++i) {
            const std::size_t word = static_cast<std::size_t>(cur[i]) >> 6;
            while (k < word) finishWord();
            flips ^= std::uint64_t(1) << (63 - (cur[i] & 63));
        }
        while (k < wordCount) finishWord();
        std::memcpy(row, words, rowBytes);
        if (m_width & 7) row[rowBytes - 1] &= static_cast<std::uint8_t>(0xFF00u >> (m_width & 7));
    }
    // This row is the reference for the next.
    std::swap(m_cur, m_ref);
    m_refCount = m_curCount;
    for (int i = 0; i < 4; ++i) m_ref[m_refCount + i] = m_width;
}

RowStatus CFaxDecoder::DecodeRow(std::uint8_t* row) {
    m_curCount = 0;
    RowStatus status = RowStatus::End;
    if (!m_ended && m_width > 0) {
        bool twoD = m_twoDim;
        if (m_scheme == Scheme::ModifiedHuffman) {
            AlignToByte();
        } else if (m_scheme == Scheme::Group3) {
            if (m_resync) {
                // After a corrupt row, look for the next end-of-line code.
                while (!PastEnd() && (Peek(12) >> 1) != 0) Skip(1);
                m_resync = false;
            }
            SkipEol();  // a missing one is tolerated
            if (m_twoDim) {
                twoD = Peek(1) == 0;
                Skip(1);
            }
        }
        if (PastEnd()) {
            status = RowStatus::End;
        } else {
            status = twoD ? Decode2D() : Decode1D();
        }
        if (status == RowStatus::End) m_ended = true;
    }
    if (m_width == 0) status = RowStatus::Ok;
    if (status != RowStatus::Ok && (m_curCount & 1)) {
        // The row stopped inside a run begun at the last change; what was
        // decoded stands and the rest of the row is white.
        if (m_at > m_cur[m_curCount - 1] && m_at < m_width) m_cur[m_curCount++] = m_at;
        else --m_curCount;
    }
    m_resync = status == RowStatus::Corrupt;
    Emit(row);
    return status;
}

namespace {

struct BitOut {
    std::vector<std::uint8_t> out;
    std::uint64_t acc = 0;
    int n = 0;
    void Put(std::uint32_t bits, int len) {
        acc = (acc << len) | bits;
        n += len;
        while (n >= 8) {
            n -= 8;
            out.push_back(static_cast<std::uint8_t>(acc >> n));
        }
    }
    void Put(Code c) { Put(c.bits, c.len); }
    void Align() {
        if (n) Put(0, 8 - n);
    }
    int Used() const { return n; }
    void Run(int run, int colour) {
        const Code* term = colour ? kBlackTerm : kWhiteTerm;
        const Code* makeup = colour ? kBlackMakeup : kWhiteMakeup;
        while (run > 2623) {
            Put(kExtMakeup[12]);
            run -= 2560;
        }
        if (run >= 64) {
            int m = run >> 6;  // 1 .. 40
            Put(m <= 27 ? makeup[m - 1] : kExtMakeup[m - 28]);
            run &= 63;
        }
        Put(term[run]);
    }
    std::vector<std::uint8_t> Finish() {
        // Two end-of-line codes after eight zero bits.
        Put(0, 8);
        Put(kEol);
        Put(kEol);
        Align();
        return std::move(out);
    }
};

void EncodeRow1D(BitOut& w, const int* changes, int count, int width) {
    int a0 = 0, colour = 0;
    for (int i = 0; i <= count; ++i) {
        int a1 = i < count ? changes[i] : width;
        w.Run(a1 - a0, colour);
        a0 = a1;
        colour ^= 1;
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeModifiedHuffman(const std::uint8_t* rows, int width, int height) {
    BitOut w;
    const std::size_t rowBytes = static_cast<std::size_t>(width + 7) / 8;
    std::vector<int> changes(static_cast<std::size_t>(width) + 1);
    for (int y = 0; y < height; ++y) {
        int n = RowChanges(rows + y * rowBytes, width, changes.data());
        EncodeRow1D(w, changes.data(), n, width);
        w.Align();
    }
    return w.Finish();
}

std::vector<std::uint8_t> EncodeGroup3(const std::uint8_t* rows, int width, int height) {
    BitOut w;
    const std::size_t rowBytes = static_cast<std::size_t>(width + 7) / 8;
    std::vector<int> changes(static_cast<std::size_t>(width) + 1);
    for (int y = 0; y < height; ++y) {
        // Fill bits so that the end-of-line code ends on a byte boundary.
        w.Put(0, (4 - w.Used() + 8) % 8);
        w.Put(kEol);
        int n = RowChanges(rows + y * rowBytes, width, changes.data());
        EncodeRow1D(w, changes.data(), n, width);
    }
    return w.Finish();
}

std::vector<std::uint8_t> EncodeGroup4(const std::uint8_t* rows, int width, int height) {
    BitOut w;
    const std::size_t rowBytes = static_cast<std::size_t>(width + 7) / 8;
    std::vector<int> ref(static_cast<std::size_t>(width) + 8), cur(static_cast<std::size_t>(width) + 8);
    int refCount = 0;
    for (int i = 0; i < 4; ++i) ref[i] = width;
    for (int y = 0; y < height; ++y) {
        int n = RowChanges(rows + y * rowBytes, width, cur.data());
        for (int i = 0; i < 4; ++i) cur[n + i] = width;
        int a0 = -1, colour = 0;
        int ai = 0, bi = 0;
        while (a0 < width) {
            while (cur[ai] <= a0 && ai < n) ++ai;
            const int a1 = cur[ai];
            while (ref[bi] <= a0 && bi < refCount) ++bi;
            if ((bi & 1) != colour) ++bi;
            const int b1 = ref[bi];
            const int b2 = ref[bi + 1];
            if (b2 < a1) {
                w.Put(kPass);
                a0 = b2;
            } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
                w.Put(kVertical[a1 - b1 + 3]);
                a0 = a1;
                colour ^= 1;
                if (bi > 0) --bi;
            } else {
                const int a2 = cur[ai + 1];
                w.Put(kHorizontal);
                w.Run(a1 - std::max(a0, 0), colour);
                w.Run(a2 - a1, colour ^ 1);
                a0 = a2;
            }
        }
        std::swap(ref, cur);
        refCount = n;
    }
    return w.Finish();
}

}  // namespace coders::ccitt
