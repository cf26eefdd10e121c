#include "imaging/compress/deflater.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "imaging/compress/checksum.h"
#include "imaging/compress/deflate_tables.h"

namespace coders {

using namespace deflate;

const char* DeflateErrorText(DeflateError e) {
    switch (e) {
        case DeflateError::None: return "no error";
        case DeflateError::BadLevel: return "unsupported compression level";
        case DeflateError::BadCodeTable: return "invalid Huffman code generated";
        case DeflateError::SinkFailed: return "output could not be written";
        case DeflateError::Finished: return "stream already finished";
    }
    return "unknown error";
}

namespace huffman {

namespace {

// Minimum-redundancy code lengths, computed in place over frequencies sorted
// ascending (Moffat and Katajainen's method): a[i] becomes the length of the
// i-th symbol.
void InPlaceLengths(std::uint32_t* a, int n) {
    if (n == 1) {
        a[0] = 1;
        return;
    }
    a[0] += a[1];
    int root = 0, leaf = 2;
    for (int next = 1; next < n - 1; ++next) {
        if (leaf >= n || a[root] < a[leaf]) {
            a[next] = a[root];
            a[root++] = static_cast<std::uint32_t>(next);
        } else {
            a[next] = a[leaf++];
        }
        if (leaf >= n || (root < next && a[root] < a[leaf])) {
            a[next] += a[root];
            a[root++] = static_cast<std::uint32_t>(next);
        } else {
            a[next] += a[leaf++];
        }
    }
    a[n - 2] = 0;
    for (int next = n - 3; next >= 0; --next) a[next] = a[a[next]] + 1;
    int avail = 1, used = 0, depth = 0;
    root = n - 2;
    int next = n - 1;
    while (avail > 0) {
        while (root >= 0 && static_cast<int>(a[root]) == depth) {
            ++used;
            --root;
        }
        while (avail > used) {
            a[next--] = static_cast<std::uint32_t>(depth);
            --avail;
        }
        avail = 2 * used;
        ++depth;
        used = 0;
    }
}

}  // namespace

bool BuildLengths(const std::uint32_t* freq, int n, int limit, std::uint8_t* lengths) {
    std::fill(lengths, lengths + n, 0);
    struct Sym {
        std::uint32_t freq;
        int sym;
    };
    Sym syms[320];
    int used = 0;
    for (int i = 0; i < n; ++i)
        if (freq[i]) syms[used++] = {freq[i], i};
    if (used == 0) return true;
    if (used == 1) {
        // A single code would be incomplete, which some readers refuse.
        int other = syms[0].sym == 0 ? 1 : 0;
        syms[used++] = {1, other};
    }
    std::sort(syms, syms + used, [](const Sym& a, const Sym& b) {
        return a.freq != b.freq ? a.freq < b.freq : a.sym < b.sym;
    });
    std::uint32_t a[320];
    for (int i = 0; i < used; ++i) a[i] = syms[i].freq;
    InPlaceLengths(a, used);
    // Lengths over the limit are cut to it; the code is then made to fit
    // again by moving codes down from the longest length: each step removes
    // one code of the limit and splits one shorter code into two.
    int count[64] = {};
    for (int i = 0; i < used; ++i) count[std::min<int>(static_cast<int>(a[i]), limit)]++;
    std::uint64_t kraft = 0;
    for (int len = 1; len <= limit; ++len) kraft += static_cast<std::uint64_t>(count[len]) << (limit - len);
    const std::uint64_t full = std::uint64_t{1} << limit;
    while (kraft > full) {
        count[limit]--;
        for (int len = limit - 1; len > 0; --len) {
            if (count[len]) {
                count[len]--;
                count[len + 1] += 2;
                break;
            }
        }
        --kraft;
    }
    // Longest lengths to the rarest symbols.
    int k = 0;
    for (int len = limit; len >= 1; --len)
        for (int c = 0; c < count[len]; ++c) lengths[syms[k++].sym] = static_cast<std::uint8_t>(len);
    // Self-check: every used symbol has a length within the limit and the
    // code is complete.
    std::uint64_t check = 0;
    int given = 0;
    for (int i = 0; i < n; ++i) {
        if (lengths[i] > limit) return false;
        if (lengths[i]) {
            check += std::uint64_t{1} << (limit - lengths[i]);
            ++given;
        }
    }
    return given == used && check == full;
}

void BuildCodes(const std::uint8_t* lengths, int n, std::uint16_t* codes) {
    int count[kMaxBits + 1] = {};
    for (int i = 0; i < n; ++i) count[lengths[i]]++;
    count[0] = 0;
    std::uint32_t next[kMaxBits + 2] = {};
    std::uint32_t code = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }
    for (int i = 0; i < n; ++i) {
        int len = lengths[i];
        if (!len) {
            codes[i] = 0;
            continue;
        }
        std::uint32_t c = next[len]++;
        std::uint32_t r = 0;
        for (int b = 0; b < len; ++b) {
            r = (r << 1) | (c & 1);
            c >>= 1;
        }
        codes[i] = static_cast<std::uint16_t>(r);
    }
}

}  // namespace huffman

namespace {

struct LevelParams {
    int good;   // a match this long quarters the chain search for the next
    int lazy;   // no lazy search after a match this long (greedy levels: insert limit)
    int nice;   // a match this long ends the search
    int chain;  // candidates followed on a chain
    bool lazyMatching;
};
constexpr LevelParams kLevels[10] = {
    {0, 0, 0, 0, false},          {4, 4, 8, 4, false},         {4, 5, 16, 8, false},
    {4, 6, 32, 32, false},        {4, 4, 16, 16, true},        {8, 16, 32, 32, true},
    {8, 16, 128, 128, true},      {8, 32, 128, 256, true},     {32, 128, 258, 1024, true},
    {32, 258, 258, 4096, true}};

constexpr int kHashBits = 15;
constexpr int kHashSize = 1 << kHashBits;
constexpr unsigned kWMask = kWindow - 1;
constexpr int kMinLookahead = kMaxMatch + kMinMatch + 1;
constexpr int kMaxDist = kWindow - kMinLookahead;
constexpr int kSymBuf = 16383;
constexpr int kTooFar = 4096;  // a 3-byte match this far back costs more than literals

struct CodeTables {
    std::uint8_t lengthCode[kMaxMatch + 1];
    std::uint8_t distCode[512];
    CodeTables() {
        for (int c = 0; c < 29; ++c) {
            int end = c == 28 ? 259 : kLengthBase[c + 1];
            for (int l = kLengthBase[c]; l < end && l <= kMaxMatch; ++l) lengthCode[l] = static_cast<std::uint8_t>(c);
        }
        lengthCode[258] = 28;
        for (int c = 0; c < 30; ++c) {
            int end = c == 29 ? 32769 : kDistBase[c + 1];
            for (int d = kDistBase[c]; d < end; ++d) {
                if (d <= 256) distCode[d - 1] = static_cast<std::uint8_t>(c);
                else distCode[256 + ((d - 1) >> 7)] = static_cast<std::uint8_t>(c);
            }
        }
    }
    int Dist(unsigned d) const { return d <= 256 ? distCode[d - 1] : distCode[256 + ((d - 1) >> 7)]; }
};
const CodeTables& Codes() {
    static const CodeTables t;
    return t;
}

}  // namespace

struct CDeflater::State {
    Sink sink;
    LevelParams params{};
    int level = 6;
    DeflateError error = DeflateError::None;
    bool finished = false;
    std::uint32_t adler = 1;
    bool headerWritten = false;

    // Window of two halves; new input lands after the lookahead.
    std::vector<std::uint8_t> win = std::vector<std::uint8_t>(2 * kWindow + kMaxMatch + 16);
    std::vector<std::uint16_t> head = std::vector<std::uint16_t>(kHashSize);
    std::vector<std::uint16_t> prev = std::vector<std::uint16_t>(kWindow);
    unsigned strstart = 0;
    unsigned lookahead = 0;
    long blockStart = 0;
    // Lazy matching state carried between pieces of input.
    int matchLength = kMinMatch - 1;
    unsigned matchStart = 0;
    bool matchAvailable = false;

    // Symbols of the current block: dist 0 for a literal.
    std::uint8_t symLit[kSymBuf];
    std::uint16_t symDist[kSymBuf];
    int symCount = 0;
    std::uint32_t litFreq[kLitLenCodes + 2] = {};
    std::uint32_t distFreq[kDistCodes] = {};

    // Bit writer.
    std::vector<std::uint8_t> out;
    std::uint64_t acc = 0;
    int accBits = 0;

    void PutBits(std::uint32_t v, int n) {
        acc |= static_cast<std::uint64_t>(v) << accBits;
        accBits += n;
        if (accBits >= 32) {
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(acc >> (8 * i)));
            acc >>= 32;
            accBits -= 32;
        }
    }
    void AlignBits() {
        while (accBits > 0) {
            out.push_back(static_cast<std::uint8_t>(acc));
            acc >>= 8;
            accBits = accBits > 8 ? accBits - 8 : 0;
        }
        acc = 0;
    }
    // A stored block: its header bits, then the byte-aligned length, its
    // complement and the k (at most 65535) bytes from p.
    void PutStoredBlock(bool lastBlock, const std::uint8_t* p, unsigned k) {
        PutBits(lastBlock ? 1 : 0, 1);
        PutBits(0, 2);
        AlignBits();
        out.push_back(static_cast<std::uint8_t>(k));
        out.push_back(static_cast<std::uint8_t>(k >> 8));
        out.push_back(static_cast<std::uint8_t>(~k));
        out.push_back(static_cast<std::uint8_t>(~k >> 8));
        out.insert(out.end(), p, p + k);
    }
    // Whether the stream still takes data: not after an error, and not once
    // finished (which is an error of its own).
    bool Open() {
        if (error != DeflateError::None) return false;
        if (finished) {
            error = DeflateError::Finished;
            return false;
        }
        return true;
    }
    bool Drain(bool all) {
        if (error != DeflateError::None) return false;
        if (out.size() >= 65536 || (all && !out.empty())) {
            if (!sink(out.data(), out.size())) {
                error = DeflateError::SinkFailed;
                return false;
            }
            out.clear();
        }
        return true;
    }

    static std::uint32_t Hash(const std::uint8_t* p) {
        std::uint32_t v = p[0] | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
        return (v * 0x9E3779B1u) >> (32 - kHashBits);
    }
    // Enters position pos in its chain and returns the chain's previous head.
    // Only positions with three bytes of real data behind them are entered.
    unsigned Insert(unsigned pos) {
        std::uint32_t h = Hash(&win[pos]);
        unsigned old = head[h];
        prev[pos & kWMask] = static_cast<std::uint16_t>(old);
        head[h] = static_cast<std::uint16_t>(pos);
        return old;
    }

    void Slide() {
        std::memcpy(win.data(), win.data() + kWindow, kWindow);
        matchStart -= kWindow;
        strstart -= kWindow;
        blockStart -= kWindow;
        SlidePositions(head.data(), head.size());
        SlidePositions(prev.data(), prev.size());
    }
    // Positions in the upper half move down by a window; older ones become 0
    // (no position). On every slide this runs over 64 K entries, so eight go
    // at once where the machine can: a saturating subtraction is exactly this.
    static void SlidePositions(std::uint16_t* p, std::size_t n) {
        std::size_t i = 0;
#if defined(__SSE2__)
        const __m128i window = _mm_set1_epi16(static_cast<short>(kWindow));
        for (; i + 8 <= n; i += 8) {
            auto* at = reinterpret_cast<__m128i*>(p + i);
            _mm_storeu_si128(at, _mm_subs_epu16(_mm_loadu_si128(at), window));
        }
#endif
        for (; i < n; ++i) p[i] = p[i] >= kWindow ? static_cast<std::uint16_t>(p[i] - kWindow) : 0;
    }

    unsigned LongestMatch(unsigned cur) {
        int chain = params.chain;
        int best = matchLength;
        if (best >= params.good) chain >>= 2;
        const unsigned limit = strstart > static_cast<unsigned>(kMaxDist) ? strstart - kMaxDist : 0;
        const int maxLen = std::min<int>(kMaxMatch, static_cast<int>(lookahead));
        const int nice = std::min(params.nice, maxLen);
        const std::uint8_t* scan = &win[strstart];
        do {
            const std::uint8_t* m = &win[cur];
            if (m[best] != scan[best] || m[0] != scan[0] || m[1] != scan[1]) continue;
            int len = 2;
            while (len < kMaxMatch) {
                std::uint64_t a, b;
                std::memcpy(&a, scan + len, 8);
                std::memcpy(&b, m + len, 8);
                std::uint64_t x = a ^ b;
                if (x) {
                    len += __builtin_ctzll(x) >> 3;
                    break;
                }
                len += 8;
            }
            if (len > kMaxMatch) len = kMaxMatch;
            if (len > best) {
                matchStart = cur;
                best = len;
                if (len >= nice) break;
            }
        } while ((cur = prev[cur & kWMask]) > limit && --chain != 0);
        return static_cast<unsigned>(std::min(best, maxLen));
    }

    bool Literal(std::uint8_t c) {
        symLit[symCount] = c;
        symDist[symCount++] = 0;
        litFreq[c]++;
        return symCount == kSymBuf;
    }
    bool Match(unsigned dist, unsigned len) {
        symLit[symCount] = static_cast<std::uint8_t>(len - kMinMatch);
        symDist[symCount++] = static_cast<std::uint16_t>(dist);
        litFreq[257 + Codes().lengthCode[len]]++;
        distFreq[Codes().Dist(dist)]++;
        return symCount == kSymBuf;
    }

    // Code-length symbols for the two length lists sent as one sequence.
    struct ClSym {
        std::uint8_t sym, extra;
    };
    static int RunLengths(const std::uint8_t* lens, int n, ClSym* outSyms, std::uint32_t* freq) {
        int k = 0;
        for (int i = 0; i < n;) {
            std::uint8_t v = lens[i];
            int run = 1;
            while (i + run < n && lens[i + run] == v) ++run;
            i += run;
            if (v == 0) {
                while (run >= 11) {
                    int r = std::min(run, 138);
                    outSyms[k++] = {18, static_cast<std::uint8_t>(r - 11)};
                    run -= r;
                }
                if (run >= 3) {
                    outSyms[k++] = {17, static_cast<std::uint8_t>(run - 3)};
                    run = 0;
                }
            } else {
                outSyms[k++] = {v, 0};
                --run;
                while (run >= 3) {
                    int r = std::min(run, 6);
                    outSyms[k++] = {16, static_cast<std::uint8_t>(r - 3)};
                    run -= r;
                }
            }
            while (run-- > 0) outSyms[k++] = {v, 0};
        }
        for (int i = 0; i < k; ++i) freq[outSyms[i].sym]++;
        return k;
    }

    void WriteSymbols(const std::uint8_t* ll, const std::uint16_t* lc, const std::uint8_t* dl, const std::uint16_t* dc) {
        const CodeTables& t = Codes();
        for (int i = 0; i < symCount; ++i) {
            unsigned d = symDist[i];
            if (d == 0) {
                PutBits(lc[symLit[i]], ll[symLit[i]]);
                continue;
            }
            unsigned len = symLit[i] + kMinMatch;
            int lcode = t.lengthCode[len];
            PutBits(lc[257 + lcode], ll[257 + lcode]);
            if (kLengthExtra[lcode]) PutBits(len - kLengthBase[lcode], kLengthExtra[lcode]);
            int dcode = t.Dist(d);
            PutBits(dc[dcode], dl[dcode]);
            if (kDistExtra[dcode]) PutBits(d - kDistBase[dcode], kDistExtra[dcode]);
        }
        PutBits(lc[256], ll[256]);
    }

    std::uint64_t DataBits(const std::uint8_t* ll, const std::uint8_t* dl) const {
        std::uint64_t bits = 0;
        for (int i = 0; i < 286; ++i) {
            bits += static_cast<std::uint64_t>(litFreq[i]) * ll[i];
            if (i > 256) bits += static_cast<std::uint64_t>(litFreq[i]) * kLengthExtra[i - 257];
        }
        for (int i = 0; i < kDistCodes; ++i)
            bits += static_cast<std::uint64_t>(distFreq[i]) * (dl[i] + kDistExtra[i]);
        return bits;
    }

    static const std::uint8_t* FixedLitLengths() {
        struct Lengths {
            std::uint8_t l[288];
            Lengths() {
                std::fill(l, l + 144, 8);
                std::fill(l + 144, l + 256, 9);
                std::fill(l + 256, l + 280, 7);
                std::fill(l + 280, l + 288, 8);
            }
        };
        static const Lengths fixed;
        return fixed.l;
    }

    // Writes the current block in its smallest form.
    bool FlushBlock(bool last) {
        litFreq[256] = 1;
        std::uint8_t ll[288], dl[32];
        if (!huffman::BuildLengths(litFreq, kLitLenCodes, kMaxBits, ll) ||
            !huffman::BuildLengths(distFreq, kDistCodes, kMaxBits, dl)) {
            error = DeflateError::BadCodeTable;
            return false;
        }
        int hlit = 286;
        while (hlit > 257 && ll[hlit - 1] == 0) --hlit;
        int hdist = 30;
        while (hdist > 1 && dl[hdist - 1] == 0) --hdist;
        std::uint8_t both[286 + 30];
        std::memcpy(both, ll, hlit);
        std::memcpy(both + hlit, dl, hdist);
        ClSym cls[286 + 30];
        std::uint32_t clFreq[kCodeLenCodes] = {};
        int ncl = RunLengths(both, hlit + hdist, cls, clFreq);
        std::uint8_t cll[kCodeLenCodes];
        if (!huffman::BuildLengths(clFreq, kCodeLenCodes, 7, cll)) {
            error = DeflateError::BadCodeTable;
            return false;
        }
        int hclen = 19;
        while (hclen > 4 && cll[kCodeLenOrder[hclen - 1]] == 0) --hclen;

        std::uint64_t dynBits = 3 + 14 + 3 * static_cast<std::uint64_t>(hclen) + DataBits(ll, dl);
        for (int i = 0; i < ncl; ++i) {
            dynBits += cll[cls[i].sym];
            dynBits += cls[i].sym == 16 ? 2 : cls[i].sym == 17 ? 3 : cls[i].sym == 18 ? 7 : 0;
        }
        std::uint8_t fdl[32];
        std::fill(fdl, fdl + 32, 5);
        std::uint64_t fixedBits = 3 + DataBits(FixedLitLengths(), fdl);
        std::uint64_t rawLen = blockStart >= 0 ? strstart - static_cast<unsigned long>(blockStart) : 0;
        std::uint64_t storedBits = blockStart >= 0
                                       ? (rawLen + 4 * ((rawLen + 65534) / 65535 + (rawLen == 0))) * 8 + 3 + 7
                                       : ~std::uint64_t{0};

        if (storedBits <= dynBits && storedBits <= fixedBits) {
            const std::uint8_t* p = &win[static_cast<std::size_t>(blockStart)];
            std::uint64_t left = rawLen;
            do {
                unsigned k = static_cast<unsigned>(std::min<std::uint64_t>(left, 65535));
                left -= k;
                PutStoredBlock(last && left == 0, p, k);
                p += k;
            } while (left > 0);
        } else if (fixedBits <= dynBits) {
            std::uint16_t lc[288], dc[32];
            huffman::BuildCodes(FixedLitLengths(), 288, lc);
            huffman::BuildCodes(fdl, 32, dc);
            PutBits(last ? 1 : 0, 1);
            PutBits(1, 2);
            WriteSymbols(FixedLitLengths(), lc, fdl, dc);
        } else {
            std::uint16_t lc[288], dc[32], clc[kCodeLenCodes];
            huffman::BuildCodes(ll, kLitLenCodes, lc);
            huffman::BuildCodes(dl, kDistCodes, dc);
            huffman::BuildCodes(cll, kCodeLenCodes, clc);
            PutBits(last ? 1 : 0, 1);
            PutBits(2, 2);
            PutBits(static_cast<std::uint32_t>(hlit - 257), 5);
            PutBits(static_cast<std::uint32_t>(hdist - 1), 5);
            PutBits(static_cast<std::uint32_t>(hclen - 4), 4);
            for (int i = 0; i < hclen; ++i) PutBits(cll[kCodeLenOrder[i]], 3);
            for (int i = 0; i < ncl; ++i) {
                PutBits(clc[cls[i].sym], cll[cls[i].sym]);
                if (cls[i].sym == 16) PutBits(cls[i].extra, 2);
                else if (cls[i].sym == 17) PutBits(cls[i].extra, 3);
                else if (cls[i].sym == 18) PutBits(cls[i].extra, 7);
            }
            WriteSymbols(ll, lc, dl, dc);
        }
        symCount = 0;
        std::fill(std::begin(litFreq), std::end(litFreq), 0u);
        std::fill(std::begin(distFreq), std::end(distFreq), 0u);
        blockStart = strstart;
        return Drain(false);
    }

    // Compresses what the window holds; with `flush` everything, else while
    // enough lookahead remains for the longest match.
    bool Compress(bool flush) {
        if (level == 0) {
            // Stored blocks straight from the window.
            strstart += lookahead;
            lookahead = 0;
            {
                // Whole window halves go out at once, so sliding never drops
                // bytes not yet written; the rest waits unless flushing.
                while (strstart - blockStart >= kWindow || (flush && strstart > blockStart)) {
                    unsigned k = static_cast<unsigned>(std::min<long>(65535, strstart - blockStart));
                    PutStoredBlock(false, &win[static_cast<std::size_t>(blockStart)], k);
                    blockStart += k;
                    if (!Drain(false)) return false;
                }
            }
            return true;
        }
        return params.lazyMatching ? CompressLazy(flush) : CompressGreedy(flush);
    }

    bool CompressGreedy(bool flush) {
        for (;;) {
            if (lookahead < static_cast<unsigned>(kMinLookahead) && (!flush || lookahead == 0)) return true;
            unsigned hashHead = 0;
            if (lookahead >= static_cast<unsigned>(kMinMatch)) hashHead = Insert(strstart);
            unsigned len = 0;
            if (hashHead != 0 && strstart - hashHead <= static_cast<unsigned>(kMaxDist)) {
                matchLength = kMinMatch - 1;
                len = LongestMatch(hashHead);
            }
            bool full;
            if (len >= static_cast<unsigned>(kMinMatch)) {
                full = Match(strstart - matchStart, len);
                lookahead -= len;
                if (len <= static_cast<unsigned>(params.lazy) && lookahead >= static_cast<unsigned>(kMinMatch)) {
                    for (unsigned i = 1; i < len; ++i) {
                        ++strstart;
                        if (lookahead + len - i >= static_cast<unsigned>(kMinMatch)) Insert(strstart);
                    }
                    ++strstart;
                } else {
                    strstart += len;
                }
            } else {
                full = Literal(win[strstart]);
                --lookahead;
                ++strstart;
            }
            if (full && !FlushBlock(false)) return false;
        }
    }

    bool CompressLazy(bool flush) {
        for (;;) {
            if (lookahead < static_cast<unsigned>(kMinLookahead) && (!flush || lookahead == 0)) break;
            unsigned hashHead = 0;
            if (lookahead >= static_cast<unsigned>(kMinMatch)) hashHead = Insert(strstart);
            int prevLength = matchLength;
            unsigned prevMatch = matchStart;
            matchLength = kMinMatch - 1;
            if (hashHead != 0 && prevLength < params.lazy && strstart - hashHead <= static_cast<unsigned>(kMaxDist)) {
                matchLength = prevLength;  // LongestMatch improves on this
                unsigned found = LongestMatch(hashHead);
                matchLength = static_cast<int>(found);
                if (found <= static_cast<unsigned>(prevLength)) matchLength = kMinMatch - 1;
                if (matchLength == kMinMatch && strstart - matchStart > static_cast<unsigned>(kTooFar))
                    matchLength = kMinMatch - 1;
            }
            if (prevLength >= kMinMatch && matchLength <= prevLength) {
                const unsigned maxInsert = strstart + lookahead - kMinMatch;
                bool full = Match(strstart - 1 - prevMatch, static_cast<unsigned>(prevLength));
                lookahead -= static_cast<unsigned>(prevLength - 1);
                for (int n = prevLength - 2; n > 0; --n)
                    if (++strstart <= maxInsert) Insert(strstart);
                matchAvailable = false;
                matchLength = kMinMatch - 1;
                ++strstart;
                if (full && !FlushBlock(false)) return false;
            } else if (matchAvailable) {
                // The block ends before the byte still waiting at strstart.
                if (Literal(win[strstart - 1]) && !FlushBlock(false)) return false;
                ++strstart;
                --lookahead;
            } else {
                matchAvailable = true;
                ++strstart;
                --lookahead;
            }
        }
        if (flush && matchAvailable) {
            matchAvailable = false;
            if (Literal(win[strstart - 1]) && !FlushBlock(false)) return false;
        }
        return true;
    }

    bool Feed(const std::uint8_t* data, std::size_t n) {
        while (n > 0) {
            if (strstart >= 2 * kWindow - kMinLookahead) {
                if (level == 0 && !Compress(true)) return false;
                Slide();
            }
            std::size_t room = 2 * kWindow - (strstart + lookahead);
            std::size_t k = std::min(room, n);
            std::memcpy(&win[strstart + lookahead], data, k);
            lookahead += static_cast<unsigned>(k);
            data += k;
            n -= k;
            if (!Compress(false)) return false;
        }
        return true;
    }
};

CDeflater::CDeflater(Sink sink, int level) : m_s(std::make_unique<State>()) {
    State& s = *m_s;
    s.sink = std::move(sink);
    if (level < 0 || level > 9) {
        s.error = DeflateError::BadLevel;
        return;
    }
    s.level = level;
    s.params = kLevels[level];
    // A window of 32 KiB; the level field tells readers how hard we tried.
    const std::uint32_t cmf = 0x78;
    const std::uint32_t flevel = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    std::uint32_t flg = flevel << 6;
    flg += (31 - (cmf * 256 + flg) % 31) % 31;
    s.out.push_back(static_cast<std::uint8_t>(cmf));
    s.out.push_back(static_cast<std::uint8_t>(flg));
}

CDeflater::~CDeflater() = default;

bool CDeflater::Write(const std::uint8_t* data, std::size_t n) {
    State& s = *m_s;
    if (!s.Open()) return false;
    s.adler = Adler32(s.adler, data, n);
    return s.Feed(data, n);
}

bool CDeflater::Finish() {
    State& s = *m_s;
    if (!s.Open()) return false;
    s.finished = true;
    if (!s.Compress(true)) return false;
    if (s.level == 0) {
        // The final block: an empty stored one.
        s.PutBits(1, 1);
        s.PutBits(0, 2);
        s.AlignBits();
        s.out.insert(s.out.end(), {0x00, 0x00, 0xFF, 0xFF});
    } else if (!s.FlushBlock(true)) {
        return false;
    }
    s.AlignBits();
    for (int i = 3; i >= 0; --i) s.out.push_back(static_cast<std::uint8_t>(s.adler >> (8 * i)));
    return s.Drain(true);
}

DeflateError CDeflater::Error() const { return m_s->error; }

bool CDeflater::DeflateZlib(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out, int level) {
    out.clear();
    CDeflater d(
        [&](const std::uint8_t* p, std::size_t n) {
            out.insert(out.end(), p, p + n);
            return true;
        },
        level);
    return d.Write(data, size) && d.Finish();
}

}  // namespace coders
