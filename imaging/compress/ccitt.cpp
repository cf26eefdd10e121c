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
            for (int i = 0; i < (1 << shift); ++i) mode[(c.bits << shift) | i] = {offset, c.len, kind};
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
      m_white(T().white),
      m_black(T().black),
      m_modes(T().mode) {
    Start(nullptr, 0);
}

void CFaxDecoder::Start(const std::uint8_t* data, std::size_t size) {
    m_data = data;
    m_size = data ? size : 0;
    m_pos = 0;
    m_buf = 0;
    m_count = 0;
    m_ended = false;
    m_resync = false;
    m_refCount = 0;
    for (int i = 0; i < 4; ++i) m_ref[i] = m_width;
}

void CFaxDecoder::Refill() {
    if (!m_reverse && m_pos + 8 <= m_size) {
        // Eight bytes at once; bytes only partly taken in are taken again
        // next time, into the same bit places.
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = (v << 8) | m_data[m_pos + i];
        m_buf |= v >> m_count;
        m_pos += static_cast<std::size_t>((63 - m_count) >> 3);
        m_count |= 56;
        return;
    }
    const std::uint8_t* rev = T().reverse;
    while (m_count <= 56) {
        std::uint8_t b = 0;
        if (m_pos < m_size) b = m_reverse ? rev[m_data[m_pos]] : m_data[m_pos];
        ++m_pos;
        m_buf |= static_cast<std::uint64_t>(b) << (56 - m_count);
        m_count += 8;
    }
}

void CFaxDecoder::AlignToByte() {
    // Bits taken so far = 8 * m_pos - m_count; drop up to the next boundary.
    Skip(m_count & 7);
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

int CFaxDecoder::DecodeRun(int colour) {
    const std::uint16_t* t = colour ? m_black : m_white;
    const int bits = colour ? kBlackBits : kWhiteBits;
    int run = 0;
    for (;;) {
        const std::uint16_t e = t[Peek(bits)];
        if (e == 0) return NearEnd(bits) ? -3 : -1;
        if (RunOf(e) == kEolRun) return -2;
        Skip(LenOf(e));
        run += RunOf(e);
        if (RunOf(e) < 64) return run;
        if (run > m_width) return run;  // make-ups already past the row: the caller clips
    }
}

inline __attribute__((always_inline)) bool CFaxDecoder::AddChange(int pos) {
    // Changes rise strictly; a zero-length run cancels the change before it,
    // so the list never holds more than one change per pixel.
    if (m_curCount > 0 && m_cur[m_curCount - 1] == pos) {
        --m_curCount;
        return true;
    }
    if (m_curCount > 0 && m_cur[m_curCount - 1] > pos) return false;
    if (pos >= m_width) return true;  // the row end is no change
    m_cur[m_curCount++] = pos;
    return true;
}

RowStatus CFaxDecoder::Decode1D() {
    int a0 = 0, colour = 0;
    while (a0 < m_width) {
        m_at = a0;
        int run = DecodeRun(colour);
        if (run == -3) return RowStatus::End;
        if (run < 0) return RowStatus::Corrupt;
        bool past = a0 + run > m_width;
        a0 = std::min(a0 + run, m_width);
        if (!AddChange(a0) || past) return RowStatus::Corrupt;
        colour ^= 1;
    }
    if (PastEnd()) return RowStatus::End;
    return RowStatus::Ok;
}

RowStatus CFaxDecoder::Decode2D() {
    int a0 = -1, colour = 0;
    int bi = 0;  // index of b1 candidates in m_ref
    const int* ref = m_ref.data();
    while (a0 < m_width) {
        m_at = std::max(a0, 0);
        // b1: the first change of the reference row right of a0 whose colour
        // is the opposite of a0's (its index parity equals the colour).
        // The sentinels (the width) after the changes end the search.
        while (ref[bi] <= a0) ++bi;
        if ((bi & 1) != colour) ++bi;
        const int b1 = ref[bi];
        const int b2 = ref[bi + 1];
        std::uint32_t p = Peek(7);
        ModeEntry m = m_modes[p];
        if (m.kind == kModeBad) {
            if (Peek(12) == kEol.bits || NearEnd(7)) return RowStatus::End;  // end of facsimile block
            return RowStatus::Corrupt;
        }
        Skip(m.len);
        if (m.kind == kModePass) {
            if (b2 < a0 || b2 > m_width) return RowStatus::Corrupt;
            a0 = b2;
        } else if (m.kind == kModeHorizontal) {
            int start = std::max(a0, 0);
            int r1 = DecodeRun(colour);
            int r2 = r1 < 0 ? r1 : DecodeRun(colour ^ 1);
            if (r1 == -3 || r2 == -3) return RowStatus::End;
            if (r1 < 0 || r2 < 0) return RowStatus::Corrupt;
            int a1 = start + r1, a2 = a1 + r2;
            if (a2 > m_width) {
                AddChange(std::min(a1, m_width));
                return RowStatus::Corrupt;
            }
            if (!AddChange(a1) || !AddChange(a2)) return RowStatus::Corrupt;
            a0 = a2;
        } else {
            int a1 = b1 + m.offset;
            if (a1 < std::max(a0, 0) || a1 > m_width) return RowStatus::Corrupt;
            if (!AddChange(a1)) return RowStatus::Corrupt;
            a0 = a1;
            colour ^= 1;
            // The next b1 lies right of the new a0: step back one change
            // when the reference row's change at b1 is still to the right.
            if (bi > 0) --bi;
        }
    }
    // A row completed only with the zero bits read past the data's end.
    if (PastEnd()) return RowStatus::End;
    return RowStatus::Ok;
}

void CFaxDecoder::Emit(std::uint8_t* row) {
    const std::size_t rowBytes = static_cast<std::size_t>(m_width + 7) / 8;
    std::memset(row, 0, rowBytes);
    for (int i = 0; i < m_curCount; i += 2) {
        int to = i + 1 < m_curCount ? m_cur[i + 1] : m_width;
        SetRun(row, m_cur[i], to);
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
