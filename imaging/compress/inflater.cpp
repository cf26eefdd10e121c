#include "imaging/compress/inflater.h"

#include <algorithm>
#include <cstring>

#include "imaging/compress/checksum.h"
#include "imaging/compress/deflate_tables.h"

namespace coders {

using namespace deflate;

const char* InflateErrorText(InflateError e) {
    switch (e) {
        case InflateError::None: return "no error";
        case InflateError::BadMethod: return "not a deflate stream";
        case InflateError::BadHeaderCheck: return "bad stream header check";
        case InflateError::PresetDictionary: return "preset dictionary";
        case InflateError::BadStoredLength: return "bad stored block length";
        case InflateError::BadBlockType: return "bad block type";
        case InflateError::TooManyCodes: return "too many length or distance codes";
        case InflateError::BadCodeLengths: return "bad code-length code";
        case InflateError::RepeatWithoutLength: return "repeat with no length before it";
        case InflateError::LengthsOutOfRange: return "code-length repeat out of range";
        case InflateError::BadCode: return "bad Huffman code";
        case InflateError::BadLiteral: return "bad literal/length symbol";
        case InflateError::BadDistance: return "bad distance symbol";
        case InflateError::DistanceTooFar: return "distance too far back";
        case InflateError::BadChecksum: return "checksum mismatch";
        case InflateError::Truncated: return "stream truncated";
    }
    return "unknown error";
}

namespace {

// A word loaded from memory as the little-endian value the stream holds.
std::uint64_t LittleEndian64(std::uint64_t w) {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_bswap64(w);
#else
    return w;
#endif
}

// A decoding table entry: bits 0-7 the bits the entry takes (the code, and
// for a length or distance base its extra bits too, so that one shift takes
// both; for a sub-table link in a root table: unused), bits 8-12 the extra
// bits that follow the code, bits 13-15 the kind, bits 16-31 the value
// (literal byte, base of a length or distance, or the first entry of a
// sub-table).
enum : std::uint32_t { kLiteral = 0, kBase = 1, kEndOfBlock = 2, kLink = 3, kInvalid = 4 };

constexpr std::uint32_t Entry(std::uint32_t len, std::uint32_t extra, std::uint32_t kind, std::uint32_t value) {
    return (len + (kind == kBase ? extra : 0)) | (extra << 8) | (kind << 13) | (value << 16);
}
constexpr std::uint32_t EntryExtra(std::uint32_t e) { return (e >> 8) & 0x1F; }
constexpr std::uint32_t EntryKind(std::uint32_t e) { return (e >> 13) & 7; }
constexpr std::uint32_t EntryValue(std::uint32_t e) { return e >> 16; }
constexpr std::uint32_t EntryBits(std::uint32_t e) { return e & 0xFF; }
// The length of the code alone.
constexpr std::uint32_t EntryLen(std::uint32_t e) { return EntryBits(e) - (EntryKind(e) == kBase ? EntryExtra(e) : 0); }

constexpr int kLitRootBits = 11;
constexpr int kDistRootBits = 8;
constexpr int kCodeLenRootBits = 7;

// The entry a symbol decodes to, per alphabet.
enum class Alphabet { LitLen, Dist, CodeLen };

std::uint32_t SymbolEntry(Alphabet a, int sym, int len) {
    switch (a) {
        case Alphabet::LitLen:
            if (sym < 256) return Entry(len, 0, kLiteral, sym);
            if (sym == 256) return Entry(len, 0, kEndOfBlock, 0);
            if (sym <= 285) return Entry(len, kLengthExtra[sym - 257], kBase, kLengthBase[sym - 257]);
            return Entry(len, 0, kInvalid, 1);  // 286, 287: value 1 marks a bad literal
        case Alphabet::Dist:
            if (sym < 30) return Entry(len, kDistExtra[sym], kBase, kDistBase[sym]);
            return Entry(len, 0, kInvalid, 2);  // 30, 31: value 2 marks a bad distance
        case Alphabet::CodeLen:
            return Entry(len, 0, kLiteral, sym);
    }
    return Entry(len, 0, kInvalid, 0);
}

std::uint32_t ReverseBits(std::uint32_t code, int len) {
    std::uint32_t r = 0;
    for (int i = 0; i < len; ++i) {
        r = (r << 1) | (code & 1);
        code >>= 1;
    }
    return r;
}

// A table of root entries followed by sub-tables for the codes longer than
// the root. Entries no code reaches stay invalid (value 0: a bad code).
struct HuffTable {
    int rootBits = 0;
    std::vector<std::uint32_t> entries;

    // Builds the table from code lengths; false when the lengths are
    // over-subscribed. An incomplete code is accepted: its missing patterns
    // decode as invalid.
    bool Build(const std::uint8_t* lengths, int n, int root, Alphabet alphabet) {
        rootBits = root;
        int count[kMaxBits + 1] = {};
        for (int i = 0; i < n; ++i) count[lengths[i]]++;
        count[0] = 0;
        int left = 1;
        for (int len = 1; len <= kMaxBits; ++len) {
            left = (left << 1) - count[len];
            if (left < 0) return false;
        }
        int offs[kMaxBits + 2] = {};
        for (int len = 1; len <= kMaxBits; ++len) offs[len + 1] = offs[len] + count[len];
        int sorted[320];
        for (int i = 0; i < n; ++i)
            if (lengths[i]) sorted[offs[lengths[i]]++] = i;
        int used = 0;
        for (int len = 1; len <= kMaxBits; ++len) used += count[len];

        entries.assign(std::size_t{1} << root, Entry(0, 0, kInvalid, 0));
        std::uint32_t code = 0;  // canonical code, most significant bit first
        int prevLen = 0;
        std::uint32_t curPrefix = ~0u;  // root prefix of the sub-table being filled
        std::size_t subStart = 0;
        int subBits = 0;
        for (int k = 0; k < used; ++k) {
            int sym = sorted[k];
            int len = lengths[sym];
            if (k > 0) code = (code + 1) << (len - prevLen);
            else code <<= len;  // first code of its length is 0
            prevLen = len;
            std::uint32_t rev = ReverseBits(code, len);
            std::uint32_t e = SymbolEntry(alphabet, sym, len);
            if (len <= root) {
                for (std::uint32_t i = rev; i < (1u << root); i += 1u << len) entries[i] = e;
                continue;
            }
            std::uint32_t prefix = rev & ((1u << root) - 1);
            if (prefix != curPrefix) {
                // Codes sharing a root prefix are consecutive; the sub-table is
                // as wide as the longest of them, which is the last one.
                curPrefix = prefix;
                int maxLen = len;
                std::uint32_t c = code;
                int pl = len;
                for (int j = k + 1; j < used; ++j) {
                    int l2 = lengths[sorted[j]];
                    c = (c + 1) << (l2 - pl);
                    pl = l2;
                    if ((ReverseBits(c, l2) & ((1u << root) - 1)) != prefix) break;
                    maxLen = l2;
                }
                subBits = maxLen - root;
                subStart = entries.size();
                entries.resize(subStart + (std::size_t{1} << subBits), Entry(0, 0, kInvalid, 0));
                entries[prefix] = Entry(root, subBits, kLink, static_cast<std::uint32_t>(subStart));
            }
            std::uint32_t high = rev >> root;
            for (std::uint32_t i = high; i < (1u << subBits); i += 1u << (len - root))
                entries[subStart + i] = e;
        }
        return true;
    }
};

}  // namespace

struct CInflater::State {
    enum class Phase { Header, BlockHeader, Stored, Huffman, Trailer, Done, Failed };

    Source source;
    bool inputEnded = false;
    const std::uint8_t* in = nullptr;
    const std::uint8_t* inEnd = nullptr;
    std::uint64_t bits = 0;
    unsigned nbits = 0;

    // Output buffer: history (up to 32 KiB) then unread and new output. A
    // whole stream decoded at once (`whole`) keeps all of its output here
    // instead, the buffer growing as needed.
    static constexpr std::size_t kBuf = 4 * kWindow;
    static constexpr std::size_t kSlack = 48;  // block copies may write this far past a match
    std::vector<std::uint8_t> buf;  // kBuf + kSlack bytes when streaming
    bool whole = false;
    std::size_t cap = kBuf;               // bytes of buf output may fill
    std::size_t limit = kBuf - kMaxMatch;  // a symbol is decoded only below this
    std::size_t pos = 0;  // write position
    std::size_t rd = 0;   // read position of the caller
    std::uint64_t total = 0;
    std::uint32_t adler = 1;

    Phase phase = Phase::Header;
    InflateError error = InflateError::None;
    bool lastBlock = false;
    std::uint32_t storedLeft = 0;
    const HuffTable* lit = nullptr;
    const HuffTable* dist = nullptr;
    HuffTable dynLit, dynDist;

    bool Pull() {
        if (inputEnded) return false;
        for (;;) {
            const std::uint8_t* d = nullptr;
            std::size_t n = 0;
            if (!source || !source(d, n)) {
                inputEnded = true;
                return false;
            }
            if (n > 0) {
                in = d;
                inEnd = d + n;
                return true;
            }
        }
    }

    // Tops the bit buffer up to at least 56 bits while input lasts, and never
    // to all 64: the fast way shifts a word of input by the count it holds.
    void Refill() {
        if (inEnd - in >= 8) {
            std::uint64_t w = 0;
            for (int i = 7; i >= 0; --i) w = (w << 8) | in[i];
            bits |= w << nbits;
            in += (63 - nbits) >> 3;
            nbits |= 56;
            return;
        }
        while (nbits < 56) {
            if (in == inEnd && !Pull()) return;
            bits |= static_cast<std::uint64_t>(*in++) << nbits;
            nbits += 8;
        }
    }
    bool Need(unsigned n) {
        if (nbits < n) Refill();
        return nbits >= n;
    }
    std::uint32_t Take(unsigned n) {
        std::uint32_t v = static_cast<std::uint32_t>(bits & ((std::uint64_t{1} << n) - 1));
        bits >>= n;
        nbits -= n;
        return v;
    }
    bool Fail(InflateError e) {
        error = e;
        phase = Phase::Failed;
        return false;
    }

    // Looks a symbol up; returns its entry, or fails (truncated or bad code).
    bool Decode(const HuffTable& t, std::uint32_t& out) {
        if (nbits < kMaxBits) Refill();
        std::uint32_t e = t.entries[bits & ((1u << t.rootBits) - 1)];
        if (EntryKind(e) == kLink)
            e = t.entries[EntryValue(e) + ((bits >> t.rootBits) & ((1u << EntryExtra(e)) - 1))];
        if (EntryKind(e) == kInvalid) {
            if (nbits < kMaxBits && inputEnded) return Fail(InflateError::Truncated);
            std::uint32_t v = EntryValue(e);
            return Fail(v == 1 ? InflateError::BadLiteral : v == 2 ? InflateError::BadDistance : InflateError::BadCode);
        }
        if (EntryLen(e) > nbits) return Fail(InflateError::Truncated);
        bits >>= EntryLen(e);
        nbits -= EntryLen(e);
        out = e;
        return true;
    }

    bool ReadHeader() {
        if (!Need(16)) return Fail(InflateError::Truncated);
        std::uint32_t cmf = Take(8);
        std::uint32_t flg = Take(8);
        if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7) return Fail(InflateError::BadMethod);
        if ((cmf * 256 + flg) % 31 != 0) return Fail(InflateError::BadHeaderCheck);
        if (flg & 0x20) return Fail(InflateError::PresetDictionary);
        phase = Phase::BlockHeader;
        return true;
    }

    static const HuffTable& FixedLit() {
        static const HuffTable t = [] {
            std::uint8_t l[288];
            std::fill(l, l + 144, 8);
            std::fill(l + 144, l + 256, 9);
            std::fill(l + 256, l + 280, 7);
            std::fill(l + 280, l + 288, 8);
            HuffTable h;
            h.Build(l, 288, kLitRootBits, Alphabet::LitLen);
            return h;
        }();
        return t;
    }
    static const HuffTable& FixedDist() {
        static const HuffTable t = [] {
            std::uint8_t l[32];
            std::fill(l, l + 32, 5);
            HuffTable h;
            h.Build(l, 32, kDistRootBits, Alphabet::Dist);
            return h;
        }();
        return t;
    }

    bool ReadDynamic() {
        if (!Need(14)) return Fail(InflateError::Truncated);
        int hlit = static_cast<int>(Take(5)) + 257;
        int hdist = static_cast<int>(Take(5)) + 1;
        int hclen = static_cast<int>(Take(4)) + 4;
        if (hlit > 286 || hdist > 30) return Fail(InflateError::TooManyCodes);
        std::uint8_t cl[19] = {};
        for (int i = 0; i < hclen; ++i) {
            if (!Need(3)) return Fail(InflateError::Truncated);
            cl[kCodeLenOrder[i]] = static_cast<std::uint8_t>(Take(3));
        }
        HuffTable clt;
        bool any = false;
        for (auto v : cl) any |= v != 0;
        if (!any || !clt.Build(cl, 19, kCodeLenRootBits, Alphabet::CodeLen))
            return Fail(InflateError::BadCodeLengths);
        std::uint8_t lens[286 + 30] = {};
        int n = 0;
        const int total = hlit + hdist;
        while (n < total) {
            std::uint32_t e;
            if (!Decode(clt, e)) return false;
            std::uint32_t sym = EntryValue(e);
            if (sym < 16) {
                lens[n++] = static_cast<std::uint8_t>(sym);
                continue;
            }
            std::uint8_t value = 0;
            int repeat;
            if (sym == 16) {
                if (n == 0) return Fail(InflateError::RepeatWithoutLength);
                value = lens[n - 1];
                if (!Need(2)) return Fail(InflateError::Truncated);
                repeat = 3 + static_cast<int>(Take(2));
            } else if (sym == 17) {
                if (!Need(3)) return Fail(InflateError::Truncated);
                repeat = 3 + static_cast<int>(Take(3));
            } else {
                if (!Need(7)) return Fail(InflateError::Truncated);
                repeat = 11 + static_cast<int>(Take(7));
            }
            if (n + repeat > total) return Fail(InflateError::LengthsOutOfRange);
            std::fill(lens + n, lens + n + repeat, value);
            n += repeat;
        }
        if (lens[256] == 0) return Fail(InflateError::BadCode);  // the block could never end
        if (!dynLit.Build(lens, hlit, kLitRootBits, Alphabet::LitLen)) return Fail(InflateError::BadCode);
        if (!dynDist.Build(lens + hlit, hdist, kDistRootBits, Alphabet::Dist)) return Fail(InflateError::BadCode);
        lit = &dynLit;
        dist = &dynDist;
        return true;
    }

    bool ReadBlockHeader() {
        if (!Need(3)) return Fail(InflateError::Truncated);
        lastBlock = Take(1) != 0;
        switch (Take(2)) {
            case 0: {
                Take(nbits & 7);  // to the byte boundary
                if (!Need(32)) return Fail(InflateError::Truncated);
                std::uint32_t len = Take(16);
                std::uint32_t nlen = Take(16);
                if ((len ^ 0xFFFF) != nlen) return Fail(InflateError::BadStoredLength);
                storedLeft = len;
                phase = Phase::Stored;
                return true;
            }
            case 1:
                lit = &FixedLit();
                dist = &FixedDist();
                phase = Phase::Huffman;
                return true;
            case 2:
                if (!ReadDynamic()) return false;
                phase = Phase::Huffman;
                return true;
            default:
                return Fail(InflateError::BadBlockType);
        }
    }

    void EndBlock() { phase = lastBlock ? Phase::Trailer : Phase::BlockHeader; }

    bool CopyStored() {
        while (storedLeft > 0 && pos < cap) {
            if (nbits >= 8) {
                buf[pos++] = static_cast<std::uint8_t>(Take(8));
                --storedLeft;
                continue;
            }
            // The bit buffer may hold copies of bytes ahead of `in` above its
            // valid bits; they go stale once bytes are taken directly.
            bits = 0;
            if (in == inEnd && !Pull()) return Fail(InflateError::Truncated);
            std::size_t k = std::min<std::size_t>({storedLeft, static_cast<std::size_t>(inEnd - in), cap - pos});
            std::memcpy(&buf[pos], in, k);
            in += k;
            pos += k;
            storedLeft -= static_cast<std::uint32_t>(k);
        }
        if (storedLeft == 0) EndBlock();
        return true;
    }

    // Decodes symbols until the buffer's limit, the end of the block, or an
    // error. While at least eight bytes of input remain (`Fast`), every
    // symbol starts on a refilled buffer of at least 56 bits, more than a
    // length, a distance and their extra bits take (48), so no count of bits
    // is checked; the last bytes of the input go the careful way.
    template <bool Fast>
    int DecodeSymbols() {
        std::uint8_t* const out = buf.data();
        const std::uint32_t litMask = (1u << lit->rootBits) - 1;
        const std::uint32_t distMask = (1u << dist->rootBits) - 1;
        const std::uint32_t* const lt = lit->entries.data();
        const std::uint32_t* const dt = dist->entries.data();
        // The reader, the write position and the limit in locals: stores of
        // output bytes could otherwise alias them and force a reload after
        // every byte.
        const std::size_t end = limit;
        std::uint64_t b = bits;
        unsigned nb = nbits;
        const std::uint8_t* p = in;
        std::size_t at = pos;
        auto save = [&] {
            bits = b;
            nbits = nb;
            in = p;
            pos = at;
        };
        auto has = [&](unsigned n) { return Fast || n <= nb; };
        auto literal = [&](std::uint32_t e) {
            b >>= EntryBits(e);
            nb -= EntryBits(e);
            out[at++] = static_cast<std::uint8_t>(EntryValue(e));
        };
        // Tops the bits up and looks the next symbol up; false when the
        // input is too near its end for the fast way.
        std::uint32_t e = 0;
        auto next = [&] {
            if (Fast) {
                if (inEnd - p < 8) return false;
                std::uint64_t w;
                std::memcpy(&w, p, 8);
                b |= LittleEndian64(w) << nb;
                p += (63 - nb) >> 3;
                nb |= 56;
            } else if (nb < 48) {
                save();
                Refill();
                b = bits;
                nb = nbits;
                p = in;
            }
            e = lt[b & litMask];
            return true;
        };
        bool more = next();
        while (more && at < end) {
            if (EntryKind(e) == kLiteral && has(EntryLen(e))) {
                // Literals come in runs: three codes of at most 15 bits fit
                // in 48, so two more are tried before refilling.
                literal(e);
                e = lt[b & litMask];
                if (EntryKind(e) == kLiteral && has(EntryLen(e))) {
                    literal(e);
                    e = lt[b & litMask];
                    if (EntryKind(e) == kLiteral && has(EntryLen(e))) literal(e);
                }
                more = next();
                continue;
            }
            if (EntryKind(e) == kLink) {
                e = lt[EntryValue(e) + ((b >> kLitRootBits) & ((1u << EntryExtra(e)) - 1))];
                if (EntryKind(e) == kLiteral && has(EntryLen(e))) {
                    literal(e);
                    more = next();
                    continue;
                }
            }
            const std::uint32_t kind = EntryKind(e);
            const unsigned len = EntryLen(e);
            if (kind == kInvalid || !has(len)) {
                save();
                std::uint32_t dummy;
                if (!Decode(*lit, dummy)) return -1;  // reports the right error
                Fail(InflateError::BadCode);
                return -1;
            }
            if (kind == kEndOfBlock) {
                b >>= len;
                nb -= len;
                save();
                EndBlock();
                return 1;
            }
            // A length base: its extra bits follow the code.
            if (!has(EntryBits(e))) {
                b >>= len;
                nb -= len;
                save();
                Fail(InflateError::Truncated);
                return -1;
            }
            const std::uint64_t lengthBits = b;
            b >>= EntryBits(e);
            nb -= EntryBits(e);
            const std::size_t length =
                EntryValue(e) + static_cast<std::size_t>((lengthBits >> len) & ((std::uint64_t{1} << EntryExtra(e)) - 1));
            std::uint32_t d = dt[b & distMask];
            if (EntryKind(d) == kLink) d = dt[EntryValue(d) + ((b >> kDistRootBits) & ((1u << EntryExtra(d)) - 1))];
            if (EntryKind(d) != kBase || !has(EntryLen(d))) {
                save();
                std::uint32_t dummy;
                if (!Decode(*dist, dummy)) return -1;
                Fail(InflateError::BadCode);
                return -1;
            }
            if (!has(EntryBits(d))) {
                save();
                Fail(InflateError::Truncated);
                return -1;
            }
            const std::uint64_t distanceBits = b;
            b >>= EntryBits(d);
            nb -= EntryBits(d);
            const std::size_t distance =
                EntryValue(d) +
                static_cast<std::size_t>((distanceBits >> EntryLen(d)) & ((std::uint64_t{1} << EntryExtra(d)) - 1));
            if (distance > at) {
                save();
                Fail(InflateError::DistanceTooFar);
                return -1;
            }
            std::uint8_t* dst = out + at;
            const std::uint8_t* src = dst - distance;
            at += length;
            // The next symbol is looked up before the copy, which then
            // overlaps the lookup.
            more = next();
            // Blocks of bytes; the buffer has slack past its end. Most matches
            // are short: the first block or two go without a test.
            std::uint8_t* const stop = dst + length;
            if (distance >= 16) {
                // Sixteen bytes a step once the source lies that far back.
                std::memcpy(dst, src, 16);
                std::memcpy(dst + 16, src + 16, 16);
                for (dst += 32, src += 32; dst < stop; dst += 16, src += 16) std::memcpy(dst, src, 16);
            } else if (distance >= 8) {
                std::memcpy(dst, src, 8);
                std::memcpy(dst + 8, src + 8, 8);
                for (dst += 16, src += 16; dst < stop; dst += 8, src += 8) std::memcpy(dst, src, 8);
            } else if (distance == 1) {
                std::uint8_t v[16];
                std::memset(v, *src, 16);
                std::memcpy(dst, v, 16);
                for (dst += 16; dst < stop; dst += 16) std::memcpy(dst, v, 16);
            } else {
                for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];
            }
        }
        save();
        return 0;
    }

    bool DecodeHuffman() {
        const int fast = DecodeSymbols<true>();
        if (fast != 0) return fast > 0;
        return DecodeSymbols<false>() >= 0;
    }

    bool ReadTrailer() {
        Take(nbits & 7);
        if (!Need(32)) return Fail(InflateError::Truncated);
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | Take(8);
        if (v != adler) return Fail(InflateError::BadChecksum);
        phase = Phase::Done;
        return true;
    }

    // Decodes until the buffer is full, the stream is done, or it failed.
    void Run() {
        if (!whole && rd == pos && pos >= limit) {
            // Keep the last 32 KiB as history and start filling again.
            std::memmove(buf.data(), buf.data() + pos - kWindow, kWindow);
            pos = rd = kWindow;
        }
        const std::size_t start = pos;
        while (pos < limit) {
            bool ok = true;
            switch (phase) {
                case Phase::Header: ok = ReadHeader(); break;
                case Phase::BlockHeader: ok = ReadBlockHeader(); break;
                case Phase::Stored: ok = CopyStored(); break;
                case Phase::Huffman: ok = DecodeHuffman(); break;
                case Phase::Trailer:
                    adler = Adler32(adler, buf.data() + start, pos - start);
                    total += pos - start;
                    ReadTrailer();
                    return;
                case Phase::Done:
                case Phase::Failed: ok = false; break;
            }
            if (!ok) break;
        }
        adler = Adler32(adler, buf.data() + start, pos - start);
        total += pos - start;
    }
};

CInflater::CInflater(Source source) : m_s(std::make_unique<State>()) {
    m_s->source = std::move(source);
    m_s->buf.resize(State::kBuf + State::kSlack);
}
CInflater::~CInflater() = default;

std::size_t CInflater::Read(std::uint8_t* dst, std::size_t n) {
    State& s = *m_s;
    std::size_t done = 0;
    while (done < n) {
        if (s.rd < s.pos) {
            std::size_t k = std::min(n - done, s.pos - s.rd);
            std::memcpy(dst + done, &s.buf[s.rd], k);
            s.rd += k;
            done += k;
            continue;
        }
        if (s.phase == State::Phase::Done || s.phase == State::Phase::Failed) break;
        s.Run();
    }
    return done;
}

bool CInflater::Finish() {
    State& s = *m_s;
    while (s.phase != State::Phase::Done && s.phase != State::Phase::Failed) {
        s.rd = s.pos;
        s.Run();
    }
    s.rd = s.pos;
    return s.phase == State::Phase::Done;
}

bool CInflater::Done() const { return m_s->phase == State::Phase::Done; }
InflateError CInflater::Error() const { return m_s->error; }
std::uint64_t CInflater::TotalOut() const { return m_s->total; }

bool CInflater::InflateZlib(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out,
                            InflateError* error) {
    // The output goes straight into `out`, which grows as it fills: no
    // window to keep, nothing copied out. Its storage is reused as it comes.
    State s;
    bool given = false;
    s.source = [&](const std::uint8_t*& d, std::size_t& n) {
        if (given) return false;
        given = true;
        d = data;
        n = size;
        return true;
    };
    s.whole = true;
    s.buf.swap(out);
    // A vector that held output before is used at its size and a little
    // more, so that little is zeroed again.
    const std::size_t guess = std::max<std::size_t>({s.buf.size() + 4096, 4 * size, std::size_t{64} << 10});
    if (s.buf.size() < guess) s.buf.resize(guess);
    for (;;) {
        s.cap = s.buf.size() - State::kSlack;
        s.limit = s.cap - kMaxMatch;
        s.Run();
        if (s.phase == State::Phase::Done || s.phase == State::Phase::Failed) break;
        s.buf.resize(2 * s.buf.size());
    }
    s.buf.resize(s.pos);
    out.swap(s.buf);
    if (error) *error = s.error;
    return s.phase == State::Phase::Done;
}

}  // namespace coders
