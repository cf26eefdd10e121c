#include "imaging/formats/tiff_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imaging/compress/ccitt.h"
#include "imaging/compress/lzw.h"
#include "imaging/compress/packbits.h"
#include "imaging/formats/file_helpers.h"
#include "imaging/image_messages.h"
#include "platform/win/resolution.h"

namespace {

enum : WORD { kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

struct Entry {
    WORD tag, type;
    DWORD count, value;
};

WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Le32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }

std::uint8_t Reversed(std::uint8_t b) {
    b = static_cast<std::uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = static_cast<std::uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return static_cast<std::uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

struct Directory {
    CTiffFile* file = nullptr;
    std::uint64_t length = 0;
    std::vector<Entry> entries;

    const Entry* Find(WORD tag) const {
        for (const Entry& e : entries)
            if (e.tag == tag) return &e;
        return nullptr;
    }
    bool ReadAt(std::uint64_t offset, void* buf, std::size_t n) const {
        return offset <= length && n <= length - offset && file->Seek(offset) && file->Read(buf, n) == n;
    }
    // SHORT or LONG values of an entry, widened; false when they lie outside the file.
    bool Values(const Entry& e, std::vector<DWORD>& out) const {
        const std::size_t size = e.type == kShort ? 2 : 4;
        if (e.count == 0 || e.count > length / size + 1) return false;
        out.resize(e.count);
        if (e.count * size <= 4) {
            if (e.type == kShort) {
                out[0] = e.value & 0xFFFF;
                if (e.count == 2) out[1] = e.value >> 16;
            } else {
                out[0] = e.value;
            }
            return true;
        }
        std::vector<BYTE> raw(e.count * size);
        if (!ReadAt(e.value, raw.data(), raw.size())) return false;
        for (DWORD i = 0; i < e.count; ++i) out[i] = size == 2 ? Le16(&raw[i * 2]) : Le32(&raw[i * 4]);
        return true;
    }
    // A RATIONAL rounded to dots; false when it cannot be read or has no denominator.
    bool Rational(const Entry& e, DWORD& out) const {
        BYTE r[8];
        if (!ReadAt(e.value, r, 8)) return false;
        DWORD num = Le32(r), den = Le32(r + 4);
        if (den == 0) return false;
        out = static_cast<DWORD>((static_cast<std::uint64_t>(num) + den / 2) / den);
        return true;
    }
};

struct Layout {
    DWORD width = 0, height = 0, rowsPerStrip = 0;
    WORD compression = 1, photometric = 0, fillOrder = 1, resolution = 96;
    bool twoDimensionalG3 = false;
    std::vector<DWORD> offsets, counts;
};

// The common part of every row decoder: the strips, read one at a time
// (bit-reversed for fill order 2), and the rows of the page handed out.
class CTiffDecoderBase : public CTiffStripDecoder {
public:
    CTiffDecoderBase(CTiffFile* file, Layout&& l, WORD bitsOut)
        : m_file(file), m_l(std::move(l)), m_rowBytes((m_l.width + 7) / 8) {
        m_nWidth = m_l.width;
        m_nHeight = m_l.height;
        m_nResolution = m_l.resolution;
        m_nBitsOut = bitsOut;
    }

    WORD ReadRow(DWORD bufferSize, BYTE* buffer) override {
        if (m_row >= m_l.height || bufferSize < m_rowBytes || !buffer) return 0;
        const DWORD strip = m_row / m_l.rowsPerStrip;
        if (strip != m_loaded) {
            m_loaded = strip;
            LoadStrip(strip);
            StartStrip();
        }
        DecodeRow(buffer);
        if (m_l.photometric == 1)
            for (DWORD i = 0; i < m_rowBytes; ++i) buffer[i] = static_cast<BYTE>(~buffer[i]);
        // The bits past the width lie outside the page.
        if (m_l.width % 8) buffer[m_rowBytes - 1] &= static_cast<BYTE>(0xFF << (8 - m_l.width % 8));
        ++m_row;
        return static_cast<WORD>(std::min<DWORD>(m_rowBytes, 0xFFFF));
    }

protected:
    virtual void StartStrip() = 0;
    virtual void DecodeRow(BYTE* row) = 0;

    // Rows of the current strip; the last strip may hold fewer.
    DWORD StripRows() const { return std::min(m_l.rowsPerStrip, m_l.height - m_loaded * m_l.rowsPerStrip); }
    DWORD RowInStrip() const { return m_row - m_loaded * m_l.rowsPerStrip; }

    CTiffFile* m_file;
    Layout m_l;
    const DWORD m_rowBytes;
    std::vector<BYTE> m_strip;  // the coded bytes of the current strip

private:
    void LoadStrip(DWORD s) {
        m_strip.clear();
        if (s >= m_l.offsets.size()) return;
        // Counts were cut to the file's end when the directory was read.
        if (m_l.counts[s] == 0) return;
        m_strip.resize(m_l.counts[s]);
        if (!m_file->Seek(m_l.offsets[s])) {
            m_strip.clear();
            return;
        }
        m_strip.resize(m_file->Read(m_strip.data(), m_strip.size()));
        if (m_l.fillOrder == 2)
            for (BYTE& b : m_strip) b = Reversed(b);
    }

    DWORD m_row = 0;
    DWORD m_loaded = ~DWORD{0};
};

// Rows decoded a strip at a time into memory: uncompressed, LZW, PackBits.
class CTiffBufferedDecoder : public CTiffDecoderBase {
public:
    using CTiffDecoderBase::CTiffDecoderBase;

protected:
    // Only as many rows are held as the strip's bytes can code: a strip that
    // declares more rows than its data can fill takes no memory for the rest.
    void StartStrip() override {
        const std::uint64_t rows = static_cast<std::uint64_t>(StripRows()) * m_rowBytes;
        const std::uint64_t coded = static_cast<std::uint64_t>(m_strip.size()) * MaxGain();
        m_rows.assign(static_cast<std::size_t>(std::min(rows, coded)), 0);
        if (!m_rows.empty()) Expand(m_rows.data(), m_rows.size());
    }
    // What the strip lacks stays white.
    void DecodeRow(BYTE* row) override {
        const std::size_t at = static_cast<std::size_t>(RowInStrip()) * m_rowBytes;
        const std::size_t have = at < m_rows.size() ? std::min<std::size_t>(m_rowBytes, m_rows.size() - at) : 0;
        if (have) std::memcpy(row, m_rows.data() + at, have);
        std::memset(row + have, 0, m_rowBytes - have);
    }
    virtual void Expand(BYTE* out, std::size_t size) = 0;
    // Most decoded bytes one coded byte can stand for.
    virtual std::uint64_t MaxGain() const = 0;

private:
    std::vector<BYTE> m_rows;
};

class CTiffRawDecoder : public CTiffBufferedDecoder {
public:
    using CTiffBufferedDecoder::CTiffBufferedDecoder;

protected:
    void Expand(BYTE* out, std::size_t size) override { std::memcpy(out, m_strip.data(), std::min(size, m_strip.size())); }
    std::uint64_t MaxGain() const override { return 1; }
};

class CTiffLzwDecoder : public CTiffBufferedDecoder {
public:
    using CTiffBufferedDecoder::CTiffBufferedDecoder;

protected:
    void Expand(BYTE* out, std::size_t size) override {
        std::size_t n = 0;
        coders::lzw::Decode(m_strip.data(), m_strip.size(), out, size, &n);
    }
    // A 9-bit code can stand for a string of up to 4096 bytes.
    std::uint64_t MaxGain() const override { return 4096; }
};

class CTiffPackBitsDecoder : public CTiffBufferedDecoder {
public:
    using CTiffBufferedDecoder::CTiffBufferedDecoder;

protected:
    void Expand(BYTE* out, std::size_t size) override {
        coders::packbits::Decode(m_strip.data(), m_strip.size(), out, size);
    }
    // Two bytes repeat one byte up to 128 times.
    std::uint64_t MaxGain() const override { return 64; }
};

// The fax kinds decode row by row from the strip.
class CTiffFaxDecoder : public CTiffDecoderBase {
public:
    CTiffFaxDecoder(CTiffFile* file, Layout&& l, WORD bitsOut, coders::ccitt::Scheme scheme)
        : CTiffDecoderBase(file, std::move(l), bitsOut),
          m_fax(scheme, static_cast<int>(m_l.width), false, m_l.twoDimensionalG3) {}

protected:
    void StartStrip() override { m_fax.Start(m_strip.data(), m_strip.size()); }
    void DecodeRow(BYTE* row) override { m_fax.DecodeRow(row); }

private:
    coders::ccitt::CFaxDecoder m_fax;
};

class CTiffMHDecoder : public CTiffFaxDecoder {
public:
    CTiffMHDecoder(CTiffFile* f, Layout&& l, WORD b)
        : CTiffFaxDecoder(f, std::move(l), b, coders::ccitt::Scheme::ModifiedHuffman) {}
};
class CTiffG3Decoder : public CTiffFaxDecoder {
public:
    CTiffG3Decoder(CTiffFile* f, Layout&& l, WORD b) : CTiffFaxDecoder(f, std::move(l), b, coders::ccitt::Scheme::Group3) {}
};
class CTiffG4Decoder : public CTiffFaxDecoder {
public:
    CTiffG4Decoder(CTiffFile* f, Layout&& l, WORD b) : CTiffFaxDecoder(f, std::move(l), b, coders::ccitt::Scheme::Group4) {}
};

CTiffStripDecoder* Fail(const char* message) {
    ShowImageMessage(message);
    return nullptr;
}

bool ShortOrLong(const Entry& e) { return e.type == kShort || e.type == kLong; }
DWORD Scalar(const Entry& e) { return e.type == kShort ? (e.value & 0xFFFF) : e.value; }

}  // namespace

CTiffStripDecoder* ReadTiffImage(CTiffFile* file, WORD bitsPerPixel) {
    if (!file) return nullptr;
    Directory dir;
    dir.file = file;
    dir.length = file->Length();
    BYTE header[8];
    if (!dir.ReadAt(0, header, 8)) return Fail("Image File Header Byte order Error");
    if (header[0] != 'I' || header[1] != 'I') return Fail("Image File Header Byte order Error");
    if (Le16(header + 2) != 42) return Fail("TIFF file Version Error");
    const DWORD ifd = Le32(header + 4);
    BYTE countBytes[2];
    if (ifd < 8 || !dir.ReadAt(ifd, countBytes, 2)) return Fail("TIFF file Version Error");
    const WORD count = Le16(countBytes);
    std::vector<BYTE> raw(static_cast<std::size_t>(count) * 12);
    if (count == 0 || !dir.ReadAt(ifd + 2ull, raw.data(), raw.size())) return Fail("ImageWidth tag missing ");
    for (WORD i = 0; i < count; ++i) {
        const BYTE* p = &raw[i * 12u];
        dir.entries.push_back({Le16(p), Le16(p + 2), Le32(p + 4), Le32(p + 8)});
    }

    Layout l;
    if (const Entry* e = dir.Find(254); e && !(e->type == kLong && e->count == 1)) return Fail("NewSubfileType tag error");
    const Entry* w = dir.Find(256);
    if (!w) return Fail("ImageWidth tag missing ");
    if (!ShortOrLong(*w) || w->count != 1) return Fail("ImageWidth tag error");
    const Entry* h = dir.Find(257);
    if (!h) return Fail("ImageLength tag missing ");
    if (!ShortOrLong(*h) || h->count != 1) return Fail("ImageLength tag error");
    l.width = Scalar(*w);
    l.height = Scalar(*h);
    DWORD bits = 1, bitsCount = 1;
    if (const Entry* e = dir.Find(258)) {
        std::vector<DWORD> v;
        if (!ShortOrLong(*e) || !dir.Values(*e, v)) return Fail("BitsPerSample tag error");
        bits = v[0];
        bitsCount = e->count;
    }
    if (const Entry* e = dir.Find(259)) {
        DWORD c = Scalar(*e);
        if (e->type != kShort || e->count != 1 || (c > 5 && c != 32773)) return Fail("Un supported Compression tag !");
        l.compression = static_cast<WORD>(c);
    }
    const Entry* ph = dir.Find(262);
    if (!ph) return Fail("PhotometricInterpretation tag missing");
    if (ph->type != kShort || ph->count != 1 || Scalar(*ph) > 4) return Fail("PhotometricInterpretation tag error");
    l.photometric = static_cast<WORD>(Scalar(*ph));
    if (const Entry* e = dir.Find(263); e && (e->type != kShort || e->count != 1 || Scalar(*e) > 3))
        return Fail("Thresholding tag error");
    if (const Entry* e = dir.Find(266)) {
        if (e->type != kShort || e->count != 1 || Scalar(*e) < 1 || Scalar(*e) > 2) return Fail("FillOrder tag error");
        l.fillOrder = static_cast<WORD>(Scalar(*e));
    }
    const Entry* so = dir.Find(273);
    if (!so) return Fail("StripOffsets tag missing");
    if (!ShortOrLong(*so) || !dir.Values(*so, l.offsets)) return Fail("StripOffsets tag error");
    if (const Entry* e = dir.Find(277)) {
        if (e->type != kShort || e->count != 1 || Scalar(*e) != bitsCount) return Fail("SamplesPerPixel tag error");
    } else if (bitsCount != 1) {
        return Fail("SamplesPerPixel tag missing");
    }
    l.rowsPerStrip = l.height;
    if (const Entry* e = dir.Find(278)) {
        if (!ShortOrLong(*e) || e->count != 1) return Fail("RowsPerStrip tag error");
        l.rowsPerStrip = std::min(Scalar(*e), l.height);
    }
    if (l.width == 0 || l.height == 0 || l.rowsPerStrip == 0) return Fail("StripsPerImage error");
    const DWORD strips = (l.height - 1) / l.rowsPerStrip + 1;
    if (strips != l.offsets.size()) return Fail("StripsPerImage error");
    if (const Entry* e = dir.Find(279)) {
        if (!ShortOrLong(*e) || e->count != strips || !dir.Values(*e, l.counts)) return Fail("StripsByteCounts tag error");
    } else if (strips == 1) {
        l.counts.push_back(static_cast<DWORD>(std::min<std::uint64_t>((bits * std::uint64_t{l.width} + 7) / 8 * l.height,
                                                                      0xFFFFFFFFu)));
    } else {
        return Fail("StripByteCounts tag missing");
    }
    // Strips must start inside the file; one running past its end is cut.
    for (DWORD s = 0; s < strips; ++s) {
        if (l.offsets[s] > dir.length) return Fail("StripOffsets tag error");
        l.counts[s] = static_cast<DWORD>(std::min<std::uint64_t>(l.counts[s], dir.length - l.offsets[s]));
    }
    DWORD xres = 96, yres = 96;
    if (const Entry* e = dir.Find(282); e && (e->type != kRational || e->count != 1 || !dir.Rational(*e, xres)))
        return Fail("XResolution tag error");
    if (const Entry* e = dir.Find(283); e && (e->type != kRational || e->count != 1 || !dir.Rational(*e, yres)))
        return Fail("YResolution tag error");
    // A resolution outside 1 to 10,000 dpi is unknown: the default stands for it.
    if (!suite::KnownDpi(xres)) xres = 96;
    if (!suite::KnownDpi(yres)) yres = 96;
    l.resolution = static_cast<WORD>(std::max(xres, yres));
    if (const Entry* e = dir.Find(284); e && (e->type != kShort || e->count != 1 || Scalar(*e) < 1 || Scalar(*e) > 2))
        return Fail("PlanarConfiguration tag error");
    if (const Entry* e = dir.Find(296); e && (e->type != kShort || e->count != 1 || Scalar(*e) > 3))
        return Fail("ResolutionUnit tag error");
    if (const Entry* e = dir.Find(292); e && ShortOrLong(*e) && e->count == 1) l.twoDimensionalG3 = Scalar(*e) & 1;

    if (l.photometric > 1 || bitsCount != 1) return Fail("Unsupport color-TIFF format");
    if (bits != 1) return Fail("Unsupport gray-TIFF format");
    if (!codecs::FitsImageLimit((std::uint64_t{l.width} + 7) / 8 * l.height, 0)) return Fail("Invalid Image Size");

    CTiffStripDecoder* d = nullptr;
    switch (l.compression) {
        case 1: d = new (std::nothrow) CTiffRawDecoder(file, std::move(l), bitsPerPixel); break;
        case 2: d = new (std::nothrow) CTiffMHDecoder(file, std::move(l), bitsPerPixel); break;
        case 3: d = new (std::nothrow) CTiffG3Decoder(file, std::move(l), bitsPerPixel); break;
        case 4: d = new (std::nothrow) CTiffG4Decoder(file, std::move(l), bitsPerPixel); break;
        case 5: d = new (std::nothrow) CTiffLzwDecoder(file, std::move(l), bitsPerPixel); break;
        case 32773: d = new (std::nothrow) CTiffPackBitsDecoder(file, std::move(l), bitsPerPixel); break;
        default: return Fail("Compression form unsupport");
    }
    return d;
}
