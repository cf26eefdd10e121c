#include "imaging/compress/lzw.h"

#include <algorithm>
#include <cstring>

namespace coders::lzw {

namespace {

constexpr int kClear = 256;
constexpr int kEnd = 257;
constexpr int kFirst = 258;
constexpr int kTableSize = 4096;

}  // namespace

LzwStatus Decode(const std::uint8_t* data, std::size_t size, std::uint8_t* out, std::size_t outSize,
                 std::size_t* written) {
    // Every string of the table has already been written out once: an entry
    // keeps where (offset) and how long, so a code is one copy from earlier
    // output. Codes below 256 are the bytes themselves.
    struct Entry {
        std::uint32_t offset;
        std::uint32_t length;
    };
    std::vector<Entry> table(kTableSize);

    std::size_t pos = 0;  // next byte of data
    std::uint32_t acc = 0;
    int accBits = 0;
    int width = 9;
    int nextFree = kFirst;
    bool afterClear = true;
    std::size_t prevOff = 0, prevLen = 0;  // the previous code's string in the output
    std::size_t o = 0;
    LzwStatus status;

    for (;;) {
        while (accBits < width) {
            if (pos >= size) {
                *written = o;
                return LzwStatus::OutOfData;
            }
            acc = (acc << 8) | data[pos++];
            accBits += 8;
        }
        const int code = static_cast<int>((acc >> (accBits - width)) & ((1u << width) - 1));
        accBits -= width;
        if (code == kEnd) {
            status = LzwStatus::Ended;
            break;
        }
        if (code == kClear) {
            width = 9;
            nextFree = kFirst;
            afterClear = true;
            continue;
        }
        if (afterClear) {
            // The first code after Clear must be a single byte.
            if (code >= 256) {
                status = LzwStatus::BadCode;
                break;
            }
            if (o >= outSize) {
                status = LzwStatus::Full;
                break;
            }
            prevOff = o;
            prevLen = 1;
            out[o++] = static_cast<std::uint8_t>(code);
            afterClear = false;
            continue;
        }
        if (code > nextFree || (code == nextFree && nextFree >= kTableSize)) {
            status = LzwStatus::BadCode;
            break;
        }
        // The new entry is the previous string plus the first byte of this
        // code's string, which is where this code's output begins: so it
        // lies in the output at the previous string's offset, one longer.
        if (nextFree < kTableSize) {
            table[nextFree] = {static_cast<std::uint32_t>(prevOff), static_cast<std::uint32_t>(prevLen + 1)};
            ++nextFree;
            if (nextFree == 511) width = 10;
            else if (nextFree == 1023) width = 11;
            else if (nextFree == 2047) width = 12;
        }
        if (o >= outSize) {
            status = LzwStatus::Full;
            break;
        }
        if (code < 256) {
            prevOff = o;
            prevLen = 1;
            out[o++] = static_cast<std::uint8_t>(code);
        } else {
            const Entry e = table[code];
            const std::size_t len = e.length;
            const std::size_t n = std::min(len, outSize - o);
            const std::size_t dist = o - e.offset;
            if (dist >= n) {
                std::memcpy(out + o, out + e.offset, n);
            } else {
                // The string runs into its own copy: copy it in pieces no
                // longer than the distance, each from bytes already written.
                for (std::size_t c = 0; c < n;) {
                    std::size_t k = std::min(dist, n - c);
                    std::memcpy(out + o + c, out + e.offset + c, k);
                    c += k;
                }
            }
            prevOff = o;
            prevLen = len;
            o += n;
            if (n < len) {
                status = LzwStatus::Full;
                break;
            }
        }
        if (o == outSize) {
            status = LzwStatus::Full;
            break;
        }
    }
    *written = o;
    return status;
}

std::vector<std::uint8_t> Encode(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> out;
    out.reserve(size / 2 + 64);
    std::uint64_t acc = 0;
    int accBits = 0;
    int width = 9;
    auto put = [&](int code) {
        acc = (acc << width) | static_cast<std::uint32_t>(code);
        accBits += width;
        while (accBits >= 8) {
            accBits -= 8;
            out.push_back(static_cast<std::uint8_t>(acc >> accBits));
        }
    };
    // Open hash of (prefix code, byte) -> code. A slot's tag holds the key
    // (prefix in bits 8-19, byte below) under the table's stamp (bits 20-31),
    // so one comparison finds an entry of the current table, and a reset
    // costs nothing but a new stamp.
    constexpr int kHashBits = 14;
    constexpr std::uint32_t kHashSize = 1u << kHashBits;
    constexpr std::uint32_t kStampLimit = 1u << 12;
    struct Slot {
        std::uint32_t tag;
        std::uint32_t code;
    };
    std::vector<Slot> hash(kHashSize, Slot{0, 0});
    std::uint32_t stamp = 1;
    int nextFree = kFirst;

    put(kClear);
    if (size == 0) {
        put(kEnd);
        if (accBits) out.push_back(static_cast<std::uint8_t>(acc << (8 - accBits)));
        return out;
    }
    // Strings of one byte repeated (c, cc, ccc, ...) enter the table in
    // order of length, so those of each byte form a chain: the code of c
    // repeated m times is chain[m - 1] while the chain belongs to the current
    // table. A run of c that starts a string then needs no lookup a byte: the
    // longest run string it holds is found by its length.
    struct RunChain {
        std::uint32_t epoch = 0;
        std::vector<std::uint16_t> codes;
    };
    std::vector<RunChain> chains(256);
    std::uint32_t epoch = 1;  // the table's generation, one up at every Clear
    // Enters the string `tag` names as the next code, in slot h; false when
    // that filled the table and a Clear followed.
    auto addEntry = [&](std::uint32_t h, std::uint32_t tag) {
        hash[h] = {tag, static_cast<std::uint32_t>(nextFree)};
        ++nextFree;
        if (nextFree == 4094) {
            // Table full: Clear, and start again from this byte.
            put(kClear);
            width = 9;
            nextFree = kFirst;
            ++epoch;
            if (++stamp == kStampLimit) {
                std::fill(hash.begin(), hash.end(), Slot{0, 0});
                stamp = 1;
            }
            return false;
        }
        if (nextFree == 512) width = 10;
        else if (nextFree == 1024) width = 11;
        else if (nextFree == 2048) width = 12;
        return true;
    };
    auto slotOf = [&](int prefix, std::uint8_t c, std::uint32_t tag, bool& found) {
        // The prefix XOR a scrambled byte: the scrambling does not wait for
        // the previous lookup, so a hit costs one XOR and one load.
        std::uint32_t h = (static_cast<std::uint32_t>(prefix) ^
                           ((std::uint32_t{c} * 2654435761u) >> (32 - kHashBits))) & (kHashSize - 1);
        for (;;) {
            const Slot& slot = hash[h];
            if (slot.tag == tag) {
                found = true;
                return h;
            }
            if ((slot.tag >> 20) != stamp) break;  // a free slot: not in the table
            h = (h + 1) & (kHashSize - 1);
        }
        found = false;
        return h;
    };
    int w = data[0];
    for (std::size_t i = 1; i < size; ++i) {
        const std::uint8_t c = data[i];
        if (w == c) {
            // A run of c starts this string: how long is it?
            std::size_t end = i + 1;
            const std::uint64_t pattern = 0x0101010101010101ull * c;
            while (end + 8 <= size) {
                std::uint64_t v;
                std::memcpy(&v, data + end, 8);
                if (v != pattern) break;
                end += 8;
            }
            while (end < size && data[end] == c) ++end;
            std::size_t left = end - (i - 1);  // bytes of the run, w's own included
            RunChain& chain = chains[c];
            for (;;) {
                if (chain.epoch != epoch) {
                    chain.epoch = epoch;
                    chain.codes.assign(1, c);
                }
                const std::size_t longest = chain.codes.size();
                if (left <= longest) {
                    w = chain.codes[left - 1];
                    break;
                }
                // The run outgrows the table: out goes its longest run string,
                // and that string and one more c becomes the next.
                const int code = chain.codes[longest - 1];
                put(code);
                const std::uint32_t tag = (stamp << 20) | (static_cast<std::uint32_t>(code) << 8) | c;
                bool found;  // never: the run outgrew its chain
                const std::uint32_t h = slotOf(code, c, tag, found);
                const std::uint16_t added = static_cast<std::uint16_t>(nextFree);
                if (addEntry(h, tag)) chain.codes.push_back(added);
                left -= longest;
                w = c;
                if (left == 1) break;
            }
            i = end - 1;
            continue;
        }
        const std::uint32_t tag = (stamp << 20) | (static_cast<std::uint32_t>(w) << 8) | c;
        bool found;
        const std::uint32_t h = slotOf(w, c, tag, found);
        if (found) {
            w = static_cast<int>(hash[h].code);
            continue;
        }
        put(w);
        addEntry(h, tag);
        w = c;
    }
    put(w);
    // The decoder grows the width after this last code's entry one code
    // earlier than we do: follow it for the end code.
    if (nextFree + 1 == 512) width = 10;
    else if (nextFree + 1 == 1024) width = 11;
    else if (nextFree + 1 == 2048) width = 12;
    put(kEnd);
    if (accBits) out.push_back(static_cast<std::uint8_t>(acc << (8 - accBits)));
    return out;
}

}  // namespace coders::lzw
