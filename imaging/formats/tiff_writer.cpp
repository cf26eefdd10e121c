#include "imaging/formats/tiff_writer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/compress/ccitt.h"
#include "imaging/compress/lzw.h"
#include "imaging/compress/packbits.h"
#include "imaging/image_messages.h"

namespace {

enum : WORD { kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

struct Tag {
    WORD tag, type;
    DWORD count, value;
};

class CBytes {
public:
    void U16(WORD v) { b.insert(b.end(), {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)}); }
    void U32(DWORD v) {
        U16(static_cast<WORD>(v));
        U16(static_cast<WORD>(v >> 16));
    }
    void Entry(const Tag& t) {
        U16(t.tag);
        U16(t.type);
        U32(t.count);
        U32(t.value);
    }
    std::vector<BYTE> b;
};

DWORD RowBytesOf(const TiffPageDesc& d) { return (static_cast<DWORD>(d.bitsPerPixel) * d.width + 7) / 8; }

// Uncompressed: the header of 214 bytes, then the strip tables (several
// strips only), then the rows.
class CTiffRawEncoder : public CTiffStripEncoder {
public:
    CTiffRawEncoder(CTiffFile* file, const TiffPageDesc& d) : m_file(file), m_desc(d) {
        m_rowBytes = RowBytesOf(d);
        // At most 8192 bytes a strip, and never fewer than one row.
        m_rowsPerStrip = std::max<DWORD>(1, std::min<DWORD>(d.height, m_rowBytes ? 8192 / m_rowBytes : d.height));
        if (m_rowsPerStrip == 0) m_rowsPerStrip = 1;
        m_strips = d.height ? (d.height + m_rowsPerStrip - 1) / m_rowsPerStrip : 1;
        DWORD at = m_strips > 1 ? 214 + 8 * m_strips : 214;
        for (DWORD s = 0; s < m_strips; ++s) {
            DWORD rows = std::min(m_rowsPerStrip, d.height - s * m_rowsPerStrip);
            m_offsets.push_back(at);
            m_counts.push_back(rows * m_rowBytes);
            at += rows * m_rowBytes;
        }
    }

    bool WriteHeader() {
        CBytes h;
        h.b = {'I', 'I'};
        h.U16(42);
        h.U32(8);
        const bool one = m_strips == 1;
        const Tag tags[14] = {
            {254, kLong, 1, 0},
            {256, kLong, 1, m_desc.width},
            {257, kLong, 1, m_desc.height},
            {258, kShort, 1, m_desc.bitsPerPixel},
            {259, kShort, 1, 1},
            {262, kShort, 1, 0},
            {271, kAscii, 11, 198},
            {273, kLong, m_strips, one ? m_offsets[0] : 214},
            {277, kShort, 1, 1},
            {278, kLong, 1, m_rowsPerStrip},
            {279, kLong, m_strips, one ? m_counts[0] : 214 + 4 * m_strips},
            {282, kRational, 1, 182},
            {283, kRational, 1, 190},
            {284, kShort, 1, 1},
        };
        h.U16(14);
        for (const Tag& t : tags) h.Entry(t);
        h.U32(0);
        for (int i = 0; i < 2; ++i) {
            h.U32(m_desc.resolution);
            h.U32(1);
        }
        const char make[16] = "OROCR95V3.0";
        h.b.insert(h.b.end(), make, make + 16);
        if (!one) {
            for (DWORD v : m_offsets) h.U32(v);
            for (DWORD v : m_counts) h.U32(v);
        }
        return m_file->Seek(0) && m_file->Write(h.b.data(), h.b.size());
    }

    DWORD Write(DWORD count, const BYTE* data) override {
        DWORD written = 0;
        for (DWORD s = 0; s < m_strips && written < count; ++s) {
            DWORD n = std::min(m_counts[s], count - written);
            if (!m_file->Seek(m_offsets[s]) || !m_file->Write(data + written, n)) {
                m_failed = true;
                return 0;
            }
            written += n;
        }
        m_offsets.clear();
        m_counts.clear();
        return written;
    }

private:
    CTiffFile* m_file;
    TiffPageDesc m_desc;
    DWORD m_rowBytes = 0, m_rowsPerStrip = 1, m_strips = 1;
    std::vector<DWORD> m_offsets, m_counts;
};

// The compressed kinds: one strip at offset 256 after a small directory.
class CTiffCodedEncoder : public CTiffStripEncoder {
public:
    CTiffCodedEncoder(CTiffFile* file, const TiffPageDesc& d, WORD code) : m_file(file), m_desc(d), m_code(code) {}

    DWORD Write(DWORD /*count*/, const BYTE* data) override {
        const int w = m_desc.width, h = m_desc.height;
        const std::size_t rowBytes = (static_cast<std::size_t>(w) + 7) / 8;
        std::vector<BYTE> coded;
        WORD compression = 0;
        switch (m_code) {
            case 2: coded = coders::ccitt::EncodeModifiedHuffman(data, w, h); compression = 2; break;
            case 3: coded = coders::ccitt::EncodeGroup3(data, w, h); compression = 3; break;
            case 4: coded = coders::ccitt::EncodeGroup4(data, w, h); compression = 4; break;
            case 5: coded = coders::lzw::Encode(data, rowBytes * h); compression = 5; break;
            default: coded = coders::packbits::Encode(data, rowBytes, static_cast<std::size_t>(h)); compression = 32773; break;
        }
        const DWORD length = static_cast<DWORD>(coded.size());
        std::vector<Tag> tags = {{256, kLong, 1, m_desc.width}, {257, kLong, 1, m_desc.height}};
        const bool sampleTags = m_code == 2 || m_code == 3 || m_code == 5;
        if (sampleTags) tags.push_back({258, kShort, 1, 1});
        tags.push_back({259, kShort, 1, compression});
        tags.push_back({262, kShort, 1, 0});
        tags.push_back({266, kShort, 1, 1});
        tags.push_back({273, kLong, 1, 256});
        if (sampleTags) tags.push_back({277, kShort, 1, 1});
        tags.push_back({278, kLong, 1, m_desc.height});
        tags.push_back({279, kLong, 1, length});
        tags.push_back({282, kRational, 1, 8});
        tags.push_back({283, kRational, 1, 8});
        // Group 3 rows start with end-of-line codes on byte boundaries.
        if (m_code == 3) tags.push_back({292, kLong, 1, 4});
        if (m_code == 4) tags.push_back({293, kLong, 1, 0});
        tags.push_back({296, kShort, 1, 2});
        CBytes f;
        f.b = {'I', 'I'};
        f.U16(42);
        f.U32(16);
        f.U32(m_desc.resolution);
        f.U32(1);
        f.U16(static_cast<WORD>(tags.size()));
        for (const Tag& t : tags) f.Entry(t);
        f.b.resize(256, 0);  // also the 0 that ends the directory chain
        if (!m_file->Seek(0) || !m_file->Write(f.b.data(), f.b.size()) || !m_file->Write(coded.data(), coded.size()))
            m_failed = true;
        return 0;
    }

private:
    CTiffFile* m_file;
    TiffPageDesc m_desc;
    WORD m_code;
};

}  // namespace

CTiffStripEncoder* WriteTiffImage(CTiffFile* file, const TiffPageDesc* desc, WORD compression) {
    if (!file || !desc) return nullptr;
    if (compression == 0 || compression == 1) {
        auto* e = new (std::nothrow) CTiffRawEncoder(file, *desc);
        if (e && !e->WriteHeader()) {
            delete e;
            return nullptr;
        }
        return e;
    }
    if (compression == 2 || compression == 3 || compression == 4 || compression == 5 || compression == 8005)
        return new (std::nothrow) CTiffCodedEncoder(file, *desc, compression);
    ShowImageMessage("Not supported compress type!");
    return nullptr;
}
