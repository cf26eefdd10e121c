// CCITT fax codings of bilevel rows: modified Huffman (rows byte-aligned, no
// end-of-line codes), Group 3 (an end-of-line code before every row, rows one-
// or two-dimensional) and Group 4 (two-dimensional against the previous row).
// Rows are packed, most significant bit leftmost; a 0 bit is a pixel of the
// codes' white runs, a 1 bit one of their black runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace coders::ccitt {

enum class Scheme { ModifiedHuffman, Group3, Group4 };

enum class RowStatus {
    Ok,       // the row decoded whole
    Corrupt,  // a bad code or a run past the row ended it early; the rest is white
    End,      // the data ran out (or an end-of-facsimile mark came) before the row; it is white
};

struct ModeEntry;

// The fax decoder's bit reader: bytes loaded up to pos (counting zero bytes
// past the end), the bits not yet taken in buf with the next one in the most
// significant place. Row decoders copy it into locals and back.
struct FaxBits {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    std::uint64_t buf = 0;
    int count = 0;
    bool reverse = false;
};

class CFaxDecoder {
public:
    // reverseBits: bytes hold their first bit in the least significant place
    // (TIFF FillOrder 2). twoDimensional: Group 3 rows carry a tag bit after
    // their end-of-line code telling one- from two-dimensional coding.
    CFaxDecoder(Scheme scheme, int width, bool reverseBits = false, bool twoDimensional = false);

    // Starts a new strip: the data must stay valid while rows are decoded.
    // The reference row of two-dimensional coding is white again.
    void Start(const std::uint8_t* data, std::size_t size);

    // Decodes the next row into (width + 7) / 8 bytes.
    RowStatus DecodeRow(std::uint8_t* row);

    int Width() const { return m_width; }

private:
    void Refill();
    std::uint32_t Peek(int n) {
        if (m_in.count < n) Refill();
        return static_cast<std::uint32_t>(m_in.buf >> (64 - n));
    }
    void Skip(int n) {
        m_in.buf <<= n;
        m_in.count -= n;
    }
    // True once more bits were taken than the strip holds.
    bool PastEnd() const { return 8 * m_in.pos - static_cast<std::size_t>(m_in.count) > 8 * m_in.size; }
    void AlignToByte();
    bool SkipEol();
    RowStatus Decode1D();
    RowStatus Decode2D();
    void Emit(std::uint8_t* row);

    Scheme m_scheme;
    int m_width;
    bool m_reverse;
    bool m_twoDim;
    FaxBits m_in;
    bool m_ended = false;
    bool m_resync = false;
    std::vector<int> m_ref;     // changing elements of the reference row, then sentinels
    int m_refCount = 0;
    std::vector<int> m_cur;
    int m_curCount = 0;
    int m_at = 0;  // where the row being decoded stood when it stopped
    std::vector<std::uint64_t> m_words;  // a row being built, 64 pixels a word
    const std::uint16_t* m_white;
    const std::uint16_t* m_black;
    const ModeEntry* m_modes;
};

// Encoders: `rows` holds height rows of (width + 7) / 8 bytes; bits past the
// width are ignored. The output grows as needed and ends with two
// end-of-line codes (the end-of-facsimile mark of Group 4).
std::vector<std::uint8_t> EncodeModifiedHuffman(const std::uint8_t* rows, int width, int height);
// Every row is preceded by an end-of-line code that ends on a byte boundary.
std::vector<std::uint8_t> EncodeGroup3(const std::uint8_t* rows, int width, int height);
std::vector<std::uint8_t> EncodeGroup4(const std::uint8_t* rows, int width, int height);

// Changing elements of a packed row: the positions where the colour differs
// from the pixel before (the pixel before the row counting white). Returns
// their count; `changes` must have room for width + 1 entries.
int RowChanges(const std::uint8_t* row, int width, int* changes);

}  // namespace coders::ccitt
