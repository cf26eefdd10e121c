#include <memory>

#include "imaging/compress/tests/tiff_helpers.h"
#include "imaging/formats/tests/codec_test_support.h"
#include "imaging/formats/tiff_reader.h"
#include "imaging/formats/tiff_writer.h"

using codectest::TempFile;
using testpages::Page;

namespace {

struct OpenFile {
    std::FILE* f;
    CStdioTiffFile file;
    OpenFile(const std::string& path, const char* mode) : f(std::fopen(path.c_str(), mode)), file(f) {}
    ~OpenFile() {
        if (f) std::fclose(f);
    }
};

// Reads a file through our reader: the rows, or nothing when refused.
std::unique_ptr<CTiffStripDecoder> Open(OpenFile& f) { return std::unique_ptr<CTiffStripDecoder>(ReadTiffImage(&f.file, 1)); }

std::vector<std::uint8_t> Rows(CTiffStripDecoder& d) {
    const std::size_t rb = (d.m_nWidth + 7) / 8;
    std::vector<std::uint8_t> out(rb * d.m_nHeight);
    for (DWORD y = 0; y < d.m_nHeight; ++y) EXPECT_EQ(d.ReadRow(static_cast<DWORD>(rb), out.data() + y * rb), rb);
    std::vector<std::uint8_t> extra(rb);
    EXPECT_EQ(d.ReadRow(static_cast<DWORD>(rb), extra.data()), 0) << "nothing after the last row";
    return out;
}

Page Inverted(Page p) {
    for (auto& b : p.bits) b = static_cast<std::uint8_t>(~b);
    return p;
}

// A little-endian TIFF built tag by tag; values past 4 bytes go after the directory.
struct TiffBuilder {
    struct T {
        WORD tag, type;
        DWORD count, value;
    };
    std::vector<T> tags;
    std::vector<std::uint8_t> extra;  // placed after the directory
    std::vector<std::uint8_t> data;   // the strip data, placed last
    void Add(WORD tag, WORD type, DWORD count, DWORD value) { tags.push_back({tag, type, count, value}); }
    // A rational stored in `extra`; its offset is fixed up when built.
    void Rational(WORD tag, DWORD num, DWORD den) {
        Add(tag, 5, 1, 0x80000000u | static_cast<DWORD>(extra.size()));
        for (DWORD v : {num, den})
            for (int i = 0; i < 4; ++i) extra.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t> Build(const char* order = "II", WORD version = 42) {
        std::vector<std::uint8_t> f = {static_cast<std::uint8_t>(order[0]), static_cast<std::uint8_t>(order[1]),
                                       static_cast<std::uint8_t>(version), static_cast<std::uint8_t>(version >> 8), 8,
                                       0, 0, 0};
        const DWORD extraAt = 8 + 2 + 12 * static_cast<DWORD>(tags.size()) + 4;
        const DWORD dataAt = extraAt + static_cast<DWORD>(extra.size());
        auto u16 = [&](WORD v) { f.insert(f.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); };
        auto u32 = [&](DWORD v) {
            u16(static_cast<WORD>(v));
            u16(static_cast<WORD>(v >> 16));
        };
        u16(static_cast<WORD>(tags.size()));
        for (T t : tags) {
            if (t.value == 0xDA7A0000u) t.value = dataAt;  // the strip offset
            else if (t.type == 5 && (t.value & 0x80000000u)) t.value = extraAt + (t.value & 0x7FFFFFFFu);
            u16(t.tag);
            u16(t.type);
            u32(t.count);
            u32(t.value);
        }
        u32(0);
        f.insert(f.end(), extra.begin(), extra.end());
        f.insert(f.end(), data.begin(), data.end());
        return f;
    }
};
constexpr DWORD kDataOffset = 0xDA7A0000u;

// A minimal valid uncompressed page of 16 x 2.
TiffBuilder Minimal() {
    TiffBuilder b;
    b.Add(256, 3, 1, 16);
    b.Add(257, 3, 1, 2);
    b.Add(262, 3, 1, 0);
    b.Add(273, 4, 1, kDataOffset);
    b.data = {0x80, 0x01, 0xFF, 0x00};
    return b;
}

std::string Refusal(const std::vector<std::uint8_t>& bytes) {
    CFakeImageHost shell;
    TempFile tmp(".tif");
    tmp.Put(bytes);
    OpenFile f(tmp.path, "rb");
    auto d = Open(f);
    if (d) return "accepted";
    return shell.messages.empty() ? "no message" : shell.messages[0];
}

}  // namespace

TEST(TiffReader, ReadsEveryCompressionFillOrderAndPhotometricLibtiffWrites) {
    CFakeImageHost shell;
    struct Kind {
        int compression;
        std::uint32_t g3;
    };
    const Kind kinds[] = {{COMPRESSION_NONE, 0},     {COMPRESSION_CCITTRLE, 0},
                          {COMPRESSION_CCITTFAX3, 0}, {COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS},
                          {COMPRESSION_CCITTFAX4, 0}, {COMPRESSION_LZW, 0},
                          {COMPRESSION_PACKBITS, 0}};
    const Page pages[] = {testpages::Text(900, 300, 61), testpages::Noise(37, 41, 62)};
    for (const Page& page : pages) {
        for (const Kind& k : kinds) {
            for (int fill : {FILLORDER_MSB2LSB, FILLORDER_LSB2MSB}) {
                for (int photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
                    for (int rps : {0, 16}) {
                        TempFile tmp(".tif");
                        testtiff::Options o;
                        o.compression = k.compression;
                        o.group3Options = k.g3;
                        o.fillOrder = fill;
                        o.photometric = photometric;
                        o.rowsPerStrip = rps;
                        // With black-is-zero the file holds black as 0 bits.
                        testtiff::Write(tmp.path, photometric == PHOTOMETRIC_MINISBLACK ? Inverted(page) : page, o);
                        OpenFile f(tmp.path, "rb");
                        auto d = Open(f);
                        ASSERT_TRUE(d) << "compression " << k.compression << ": " << shell.messages.back();
                        EXPECT_EQ(d->m_nWidth, static_cast<DWORD>(page.width));
                        EXPECT_EQ(d->m_nResolution, 300);
                        ASSERT_EQ(Rows(*d), testtiff::Trimmed(page).bits)
                            << page.width << "x" << page.height << " compression " << k.compression << " g3 " << k.g3
                            << " fill " << fill << " photometric " << photometric << " rows " << rps;
                    }
                }
            }
        }
    }
}

TEST(TiffWriter, LibtiffAndOurReaderReadEveryKindWeWrite) {
    CFakeImageHost shell;
    const Page pages[] = {testpages::Text(1240, 700, 63), testpages::Halftone(300, 200, 64), testpages::Noise(19, 5, 65)};
    for (const Page& page : pages) {
        for (WORD code : {WORD{0}, WORD{1}, TIFF_WRITE_MH, TIFF_WRITE_G3, TIFF_WRITE_G4, TIFF_WRITE_LZW,
                          TIFF_WRITE_PACKBITS}) {
            TempFile tmp(".tif");
            {
                OpenFile f(tmp.path, "wb");
                TiffPageDesc desc{static_cast<WORD>(page.width), static_cast<WORD>(page.height), 400, 1};
                std::unique_ptr<CTiffStripEncoder> e(WriteTiffImage(&f.file, &desc, code));
                ASSERT_TRUE(e);
                e->Write(static_cast<DWORD>(page.bits.size()), page.bits.data());
                EXPECT_FALSE(e->Failed());
            }
            EXPECT_EQ(testtiff::Read(tmp.path).bits, testtiff::Trimmed(page).bits)
                << "libtiff, code " << code << " " << page.width << "x" << page.height;
            TIFF* t = TIFFOpen(tmp.path.c_str(), "r");
            float xres = 0;
            TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres);
            TIFFClose(t);
            EXPECT_EQ(xres, 400.0f) << "the page's resolution, code " << code;
            OpenFile f(tmp.path, "rb");
            auto d = Open(f);
            ASSERT_TRUE(d);
            EXPECT_EQ(d->m_nResolution, 400);
            EXPECT_EQ(Rows(*d), testtiff::Trimmed(page).bits) << "ours, code " << code;
        }
    }
    EXPECT_TRUE(shell.messages.empty());
}

TEST(TiffWriter, UncompressedLayout) {
    CFakeImageHost shell;
    {
        Page page = testpages::Text(2480, 3508, 66);
        TempFile tmp(".tif");
        {
            OpenFile f(tmp.path, "wb");
            TiffPageDesc desc{2480, 3508, 300, 1};
            std::unique_ptr<CTiffStripEncoder> e(WriteTiffImage(&f.file, &desc, 1));
            EXPECT_EQ(e->Write(static_cast<DWORD>(page.bits.size()), page.bits.data()), page.bits.size());
        }
        auto b = tmp.Bytes();
        auto u32 = [&](std::size_t at) { return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (b[at + 3] << 24); };
        EXPECT_EQ(u32(10 + 7 * 12 + 4), 135) << "StripOffsets count";
        EXPECT_EQ(u32(10 + 7 * 12 + 8), 214);
        EXPECT_EQ(u32(10 + 9 * 12 + 8), 26) << "rows per strip";
        EXPECT_EQ(u32(10 + 10 * 12 + 8), 754);
        EXPECT_EQ(u32(214), 1294) << "first strip";
        EXPECT_EQ(u32(754), 8060);
        EXPECT_EQ(u32(754 + 4 * 134), 7440) << "last strip: 24 rows";
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[198])), "OROCR95V3.0");
        EXPECT_EQ(b.size(), 1294 + page.bits.size());
    }
    {
        TempFile tmp(".tif");
        std::vector<std::uint8_t> rows(650, 0x55);
        {
            OpenFile f(tmp.path, "wb");
            TiffPageDesc desc{100, 50, 300, 1};
            std::unique_ptr<CTiffStripEncoder> e(WriteTiffImage(&f.file, &desc, 0));
            e->Write(650, rows.data());
        }
        auto b = tmp.Bytes();
        EXPECT_EQ(b[10 + 4 * 12 + 8], 1) << "code 0 writes compression 1";
        EXPECT_EQ(b[10 + 7 * 12 + 8] | (b[10 + 7 * 12 + 9] << 8), 214);
        EXPECT_EQ(b[10 + 10 * 12 + 8] | (b[10 + 10 * 12 + 9] << 8), 650);
        EXPECT_EQ(b.size(), 214u + 650u);
    }
    {
        // Rows longer than a strip may hold: one row a strip, no division by zero.
        TempFile tmp(".tif");
        std::vector<std::uint8_t> rows(9000 * 3, 7);
        OpenFile f(tmp.path, "wb");
        TiffPageDesc desc{9000, 3, 300, 8};
        std::unique_ptr<CTiffStripEncoder> e(WriteTiffImage(&f.file, &desc, 1));
        EXPECT_EQ(e->Write(static_cast<DWORD>(rows.size()), rows.data()), rows.size());
    }
    OpenFile f("/dev/null", "wb");
    TiffPageDesc desc{8, 8, 300, 1};
    EXPECT_EQ(WriteTiffImage(&f.file, &desc, 7), nullptr);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], "Not supported compress type!");
}

TEST(TiffReader, DirectoryChecks) {
    EXPECT_EQ(Refusal(Minimal().Build()), "accepted");
    EXPECT_EQ(Refusal(Minimal().Build("MM")), "Image File Header Byte order Error");
    EXPECT_EQ(Refusal(Minimal().Build("II", 43)), "TIFF file Version Error");
    {
        auto b = Minimal();
        b.Add(259, 3, 1, 6);
        EXPECT_EQ(Refusal(b.Build()), "Un supported Compression tag !");
        b.tags.back().value = 0;
        EXPECT_EQ(Refusal(b.Build()), "Compression form unsupport");
    }
    {
        TiffBuilder b;  // 25 rows in strips of 10 need three offsets
        b.Add(256, 3, 1, 8);
        b.Add(257, 3, 1, 25);
        b.Add(262, 3, 1, 0);
        b.Add(273, 3, 2, 0x00200010);
        b.Add(278, 3, 1, 10);
        b.Add(279, 3, 2, 0x000A000A);
        EXPECT_EQ(Refusal(b.Build()), "StripsPerImage error");
    }
    {
        auto b = Minimal();
        b.Add(258, 3, 1, 8);
        EXPECT_EQ(Refusal(b.Build()), "Unsupport gray-TIFF format");
        auto c = Minimal();
        c.tags[2].value = 2;
        EXPECT_EQ(Refusal(c.Build()), "Unsupport color-TIFF format");
    }
    {
        auto b = Minimal();
        b.tags.erase(b.tags.begin());
        EXPECT_EQ(Refusal(b.Build()), "ImageWidth tag missing ");
        auto c = Minimal();
        c.tags.pop_back();
        EXPECT_EQ(Refusal(c.Build()), "StripOffsets tag missing");
        auto d = Minimal();
        d.tags.back().value = 0x7FFFFFF0;  // past the end of the file
        EXPECT_EQ(Refusal(d.Build()), "StripOffsets tag error");
        auto e = Minimal();
        e.Add(279, 4, 2, 0x7FFFFFF0);  // strip counts far outside the file
        EXPECT_EQ(Refusal(e.Build()), "StripsByteCounts tag error");
        auto g = Minimal();
        g.Rational(282, 300, 0);
        EXPECT_EQ(Refusal(g.Build()), "XResolution tag error");
    }
    {
        // A directory whose entry count runs past the end of the file.
        auto bytes = Minimal().Build();
        bytes[8] = 0xFF;
        bytes[9] = 0x7F;
        EXPECT_NE(Refusal(bytes), "accepted");
        auto cut = Minimal().Build();
        cut.resize(20);
        EXPECT_NE(Refusal(cut), "accepted");
        bytes = Minimal().Build();
        bytes[4] = 0xF0;  // the directory offset past the end
        EXPECT_NE(Refusal(bytes), "accepted");
    }
}

TEST(TiffReader, ValuesAsTheyAreStored) {
    CFakeImageHost shell;
    {
        // Resolutions with their denominators; the larger direction counts.
        auto b = Minimal();
        b.Rational(282, 600, 2);
        b.Rational(283, 1200, 2);
        TempFile tmp(".tif");
        tmp.Put(b.Build());
        OpenFile f(tmp.path, "rb");
        auto d = Open(f);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->m_nResolution, 600);
    }
    {
        // No resolution: 96. A width of type LONG above 65535 is kept whole.
        TiffBuilder b;
        b.Add(256, 4, 1, 70000);
        b.Add(257, 3, 1, 1);
        b.Add(262, 3, 1, 1);  // black is zero
        b.Add(273, 4, 1, kDataOffset);
        b.data.assign(8750, 0xFF);
        TempFile tmp(".tif");
        tmp.Put(b.Build());
        OpenFile f(tmp.path, "rb");
        auto d = Open(f);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->m_nWidth, 70000u);
        EXPECT_EQ(d->m_nResolution, 96);
        std::vector<std::uint8_t> row(8750, 0x5A);
        EXPECT_EQ(d->ReadRow(static_cast<DWORD>(row.size()), row.data()), 8750);
        EXPECT_EQ(row[0], 0x00) << "black-is-zero ones are white";
    }
    {
        // Two strips with SHORT offsets in the two halves of the value, the
        // second strip cut short by the end of the file.
        TiffBuilder b;
        b.Add(256, 3, 1, 8);
        b.Add(257, 3, 1, 4);
        b.Add(262, 3, 1, 0);
        b.Add(273, 3, 2, (8 + 2 + 12 * 6 + 4) | ((8 + 2 + 12 * 6 + 4 + 2) << 16));
        b.Add(278, 3, 1, 2);
        b.Add(279, 3, 2, 2 | (2 << 16));
        b.data = {0x11, 0x22, 0x33};
        TempFile tmp(".tif");
        tmp.Put(b.Build());
        OpenFile f(tmp.path, "rb");
        auto d = Open(f);
        ASSERT_TRUE(d) << shell.messages.back();
        EXPECT_EQ(Rows(*d), (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0x00}));
    }
}

TEST(TiffReader, ResolutionsOutsideOneToTenThousandDpiAreUnknown) {
    CFakeImageHost shell;
    struct Case {
        DWORD xNum, xDen, yNum, yDen;
        WORD resolution;
    } cases[] = {
        {300, 1, 1642071291, 1, 300},  // a damaged direction counts as unknown, the other stands
        {4000000000u, 1, 4000000000u, 1, 96},
        {10000, 1, 1, 1, 10000},
        {20001, 2, 1, 1, 96},  // 10,000.5 dpi, taken as 10,001
        {0, 1, 0, 1, 96},
        {1, 3, 1, 3, 96},  // a third of a dot per inch
    };
    for (const Case& c : cases) {
        auto b = Minimal();
        b.Rational(282, c.xNum, c.xDen);
        b.Rational(283, c.yNum, c.yDen);
        TempFile tmp(".tif");
        tmp.Put(b.Build());
        OpenFile f(tmp.path, "rb");
        auto d = Open(f);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->m_nResolution, c.resolution) << c.xNum << "/" << c.xDen << " by " << c.yNum << "/" << c.yDen;
    }
}

TEST(TiffReader, EmptyStripsGiveWhiteRows) {
    // Every kind of strip decoder meets a first strip of no bytes; the rows
    // after it still come from the second strip.
    CFakeImageHost shell;
    for (WORD compression : {1, 5, 32773, 2}) {
        TiffBuilder b;
        b.Add(256, 3, 1, 8);
        b.Add(257, 3, 1, 4);
        b.Add(259, 3, 1, compression);
        b.Add(262, 3, 1, 0);
        const DWORD dataAt = 8 + 2 + 12 * 7 + 4;
        b.Add(273, 3, 2, dataAt | (dataAt << 16));
        b.Add(278, 3, 1, 2);
        if (compression == 1) {
            b.data = {0x11, 0x22};
        } else if (compression == 32773) {
            b.data = {0x01, 0x11, 0x22};  // a literal run of two bytes
        } else {
            b.data = {0x00, 0x00, 0x00};
        }
        b.Add(279, 3, 2, static_cast<DWORD>(b.data.size()) << 16);
        TempFile tmp(".tif");
        tmp.Put(b.Build());
        OpenFile f(tmp.path, "rb");
        auto d = Open(f);
        ASSERT_TRUE(d) << compression;
        const auto rows = Rows(*d);
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[0], 0x00) << compression;
        EXPECT_EQ(rows[1], 0x00) << compression;
        if (compression == 1 || compression == 32773) {
            EXPECT_EQ(rows[2], 0x11) << compression;
            EXPECT_EQ(rows[3], 0x22) << compression;
        }
    }
}
