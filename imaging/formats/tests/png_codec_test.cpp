#include "imaging/formats/png_codec.h"

#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "imaging/compress/checksum.h"
#include "imaging/formats/tests/codec_test_support.h"

using codectest::Signals;
using codectest::TempFile;
using testpages::Page;

namespace {

struct LibpngOptions {
    int filters = PNG_FILTER_NONE;
    int level = 6;
    int strategy = Z_DEFAULT_STRATEGY;
    std::size_t idatSize = 8192;  // zlib buffer: one IDAT chunk each
};

// Writes a page through libpng as a 1-bit greyscale PNG (sample 0 black).
void LibpngWrite(const std::string& path, const Page& p, const LibpngOptions& o) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        FAIL() << "libpng failed";
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height), 1,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, 0, o.filters);
    png_set_compression_level(png, o.level);
    png_set_compression_strategy(png, o.strategy);
    png_set_compression_buffer_size(png, o.idatSize);
    png_write_info(png, info);
    std::vector<std::uint8_t> row(p.RowBytes());
    for (int y = 0; y < p.height; ++y) {
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<std::uint8_t>(~p.bits[y * p.RowBytes() + i]);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

// Reads through libpng as 8-bit grey; returns the plane (1 = black).
std::vector<std::uint8_t> LibpngRead(const std::string& path, int& width, int& height) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return {};
    img.format = PNG_FORMAT_GRAY;
    std::vector<std::uint8_t> grey(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, grey.data(), 0, nullptr)) return {};
    width = static_cast<int>(img.width);
    height = static_cast<int>(img.height);
    Page p = testpages::Blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (grey[static_cast<std::size_t>(y) * width + x] < 128) p.Set(x, y);
    return p.bits;
}

int Load(const std::string& path, CPageImage& img, HANDLE stop = nullptr) {
    CPngCodec codec(path.c_str());
    return codec.Load(&img, stop, nullptr);
}

// A PNG built by hand, chunk by chunk.
struct PngBuilder {
    std::vector<std::uint8_t> bytes;
    PngBuilder() {
        static const std::uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
        bytes.assign(signature, signature + 8);
    }
    void Chunk(const char* type, const std::vector<std::uint8_t>& data) {
        auto be = [&](std::uint32_t v) {
            for (int i = 3; i >= 0; --i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        };
        be(static_cast<std::uint32_t>(data.size()));
        std::size_t start = bytes.size();
        bytes.insert(bytes.end(), type, type + 4);
        bytes.insert(bytes.end(), data.begin(), data.end());
        be(coders::Crc32(0, bytes.data() + start, bytes.size() - start));
    }
    void Header(std::uint32_t w, std::uint32_t h, int depth = 1, int colour = 0, int interlace = 0) {
        std::vector<std::uint8_t> d;
        for (std::uint32_t v : {w, h})
            for (int i = 3; i >= 0; --i) d.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        d.insert(d.end(), {static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(colour), 0, 0,
                           static_cast<std::uint8_t>(interlace)});
        Chunk("IHDR", d);
    }
};

// The zlib stream of a page's rows with filter type None.
std::vector<std::uint8_t> RowsStream(const Page& p) {
    std::vector<std::uint8_t> s;
    for (int y = 0; y < p.height; ++y) {
        s.push_back(0);
        for (std::size_t i = 0; i < p.RowBytes(); ++i) s.push_back(static_cast<std::uint8_t>(~p.bits[y * p.RowBytes() + i]));
    }
    return s;
}

std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& raw, int level = 6) {
    uLongf n = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> z(n);
    compress2(z.data(), &n, raw.data(), static_cast<uLong>(raw.size()), level);
    z.resize(n);
    return z;
}

// A whole file: header, the stream in IDAT chunks of `piece` bytes, end.
std::vector<std::uint8_t> BuildFile(const Page& p, const std::vector<std::uint8_t>& z, std::size_t piece) {
    PngBuilder b;
    b.Header(static_cast<std::uint32_t>(p.width), static_cast<std::uint32_t>(p.height));
    for (std::size_t at = 0; at < z.size(); at += piece)
        b.Chunk("IDAT", std::vector<std::uint8_t>(z.begin() + at, z.begin() + std::min(z.size(), at + piece)));
    b.Chunk("IEND", {});
    return b.bytes;
}

}  // namespace

TEST(PngCodec, ReadsWhatLibpngWritesWithEveryFilterLevelAndSplit) {
    CFakeImageHost shell;
    const Page pages[] = {testpages::Text(700, 500, 41), testpages::Halftone(333, 200, 42),
                          testpages::Noise(17, 9, 43), testpages::Blank(64, 3)};
    const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH,
                           PNG_ALL_FILTERS};
    for (const Page& page : pages) {
        for (int f : filters) {
            for (int level : {0, 1, 6, 9}) {
                for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED}) {
                    TempFile tmp(".png");
                    LibpngOptions o;
                    o.filters = f;
                    o.level = level;
                    o.strategy = strategy;
                    o.idatSize = level == 9 ? 64 : 8192;  // many small IDAT chunks
                    LibpngWrite(tmp.path, page, o);
                    CPageImage img;
                    ASSERT_EQ(Load(tmp.path, img), 1) << "filter " << f << " level " << level;
                    EXPECT_EQ(img.m_nWidth, page.width);
                    EXPECT_EQ(img.m_nBitCount, 1);
                    EXPECT_EQ(codectest::Trim(codectest::Plane(img), page.width), page.bits)
                        << page.width << "x" << page.height << " filter " << f << " level " << level;
                    img.Empty();
                }
            }
        }
    }
    EXPECT_TRUE(shell.messages.empty());
}

TEST(PngCodec, LibpngReadsWhatWeWriteAndSoDoWe) {
    CFakeImageHost shell;
    const Page pages[] = {testpages::Text(2480, 600, 44), testpages::Halftone(500, 300, 45),
                          testpages::Noise(13, 7, 46), testpages::Blank(1, 1)};
    for (const Page& page : pages) {
        CPageImage img;
        codectest::Fill(img, page);
        TempFile tmp(".png");
        CPngCodec codec(tmp.path.c_str());
        ASSERT_TRUE(codec.Save(&img, 0));
        int w = 0, h = 0;
        EXPECT_EQ(LibpngRead(tmp.path, w, h), page.bits) << page.width << "x" << page.height;
        EXPECT_EQ(w, page.width);
        EXPECT_EQ(h, page.height);
        CPageImage back;
        ASSERT_EQ(Load(tmp.path, back), 1);
        EXPECT_EQ(codectest::Plane(back), page.bits);
        img.Empty();
        back.Empty();
    }
    // A blank page compresses to a small fraction of its plane.
    CPageImage blank;
    codectest::Fill(blank, testpages::Blank(2480, 3508));
    TempFile tmp(".png");
    ASSERT_TRUE(CPngCodec(tmp.path.c_str()).Save(&blank, 0));
    EXPECT_LT(tmp.Bytes().size(), blank.PlaneBytes() / 100);
    blank.Empty();
    EXPECT_TRUE(shell.messages.empty());
}

TEST(PngCodec, SaveRefusesOptionsAboveTwoAndLeavesNoFile) {
    CFakeImageHost shell;
    CPageImage img;
    codectest::Fill(img, testpages::Text(100, 50, 47));
    TempFile tmp(".png");
    EXPECT_FALSE(CPngCodec(tmp.path.c_str()).Save(&img, 3));
    EXPECT_FALSE(tmp.Exists());
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], "Unsupported compression type!");
    EXPECT_TRUE(CPngCodec(tmp.path.c_str()).Save(&img, 0x10002)) << "only the low 16 bits count";
    EXPECT_FALSE(CPngCodec("/no/such/folder/x.png").Save(&img, 0));
    EXPECT_EQ(shell.messages.back(), "Cannot open png file!");
    img.Empty();
}

TEST(PngCodec, StreamShapesThatMustLoad) {
    CFakeImageHost shell;
    const Page page = testpages::Text(300, 120, 48);
    const auto raw = RowsStream(page);
    std::vector<std::vector<std::uint8_t>> files;
    files.push_back(BuildFile(page, Zlib(raw, 0), 1000));    // stored blocks
    files.push_back(BuildFile(page, Zlib(raw, 6), 1));       // one byte an IDAT chunk
    {
        auto f = BuildFile(page, Zlib(raw, 6), 100000);      // trailing empty IDAT chunks
        PngBuilder b;
        b.bytes.clear();
        b.Chunk("IDAT", {});
        b.Chunk("IDAT", {});
        f.insert(f.end() - 12, b.bytes.begin(), b.bytes.end());
        files.push_back(f);
    }
    {
        // Sync-flushed pieces and an empty final block.
        z_stream z{};
        deflateInit(&z, 6);
        std::vector<std::uint8_t> out(raw.size() + 4096);
        z.next_in = const_cast<Bytef*>(raw.data());
        z.avail_in = static_cast<uInt>(raw.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, Z_SYNC_FLUSH);
        deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        files.push_back(BuildFile(page, out, 500));
    }
    {
        // Ancillary chunks, known and private, and a palette, are skipped.
        PngBuilder b;
        b.Header(static_cast<std::uint32_t>(page.width), static_cast<std::uint32_t>(page.height));
        b.Chunk("pHYs", {0, 0, 11, 0x12, 0, 0, 11, 0x12, 1});
        b.Chunk("prVt", {1, 2, 3});
        b.Chunk("PLTE", {0, 0, 0, 255, 255, 255});
        b.Chunk("IDAT", Zlib(raw));
        b.Chunk("tEXt", {'a', 0, 'b'});
        b.Chunk("IEND", {});
        files.push_back(b.bytes);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        TempFile tmp(".png");
        tmp.Put(files[i]);
        CPageImage img;
        ASSERT_EQ(Load(tmp.path, img), 1) << "file " << i;
        EXPECT_EQ(codectest::Plane(img), page.bits) << "file " << i;
        img.Empty();
    }
    EXPECT_TRUE(shell.messages.empty()) << shell.messages.front();
}

TEST(PngCodec, DamagedAndUnsupportedFilesFailWithTheirMessage) {
    const Page page = testpages::Text(200, 80, 49);
    const auto raw = RowsStream(page);
    const auto good = BuildFile(page, Zlib(raw), 700);
    struct Case {
        std::vector<std::uint8_t> file;
        const char* message;  // nullptr: no message
    };
    std::vector<Case> cases;
    {
        auto f = good;
        f[100] ^= 0x10;
        cases.push_back({f, "CRC error!"});
    }
    cases.push_back({std::vector<std::uint8_t>(good.begin(), good.begin() + 400), "CRC error!"});
    {
        // Cut at a chunk boundary inside the image data.
        PngBuilder b;
        b.Header(static_cast<std::uint32_t>(page.width), static_cast<std::uint32_t>(page.height));
        auto z = Zlib(raw);
        b.Chunk("IDAT", std::vector<std::uint8_t>(z.begin(), z.begin() + z.size() / 2));
        cases.push_back({b.bytes, "Unexpected file end."});
    }
    {
        // The image data ends early (the end chunk follows a short stream):
        // never a loaded page with zeros in place of the missing rows.
        auto z = Zlib(std::vector<std::uint8_t>(raw.begin(), raw.begin() + raw.size() / 2));
        cases.push_back({BuildFile(page, z, 100000), "Premature End-Of-File"});
    }
    {
        auto z = Zlib(raw);
        z[z.size() - 1] ^= 1;
        cases.push_back({BuildFile(page, z, 100000), "Stream Adler 32 Checksum error"});
    }
    {
        PngBuilder b;
        b.Header(8, 8, 8, 0);
        cases.push_back({b.bytes, "Not supported image_depth"});
    }
    {
        PngBuilder b;
        b.Header(8, 8, 1, 3);
        cases.push_back({b.bytes, "Not supported color type"});
    }
    {
        PngBuilder b;
        b.Header(0, 8);
        cases.push_back({b.bytes, "Invalid Image Size"});
    }
    {
        PngBuilder b;
        b.Header(0x7FFFFFFF, 0x7FFFFFFF);
        cases.push_back({b.bytes, "Invalid Image Size"});
    }
    {
        PngBuilder b;
        b.Header(static_cast<std::uint32_t>(page.width), static_cast<std::uint32_t>(page.height));
        b.Chunk("PRVT", {1});
        cases.push_back({b.bytes, "Unknown critical chunk"});
    }
    {
        PngBuilder b;
        b.Header(static_cast<std::uint32_t>(page.width), static_cast<std::uint32_t>(page.height));
        auto z = Zlib(raw);
        b.Chunk("IDAT", std::vector<std::uint8_t>(z.begin(), z.begin() + 50));
        b.Chunk("tEXt", {'a', 0, 'b'});
        b.Chunk("IDAT", std::vector<std::uint8_t>(z.begin() + 50, z.end()));
        b.Chunk("IEND", {});
        cases.push_back({b.bytes, "Premature End-Of-File"});
    }
    {
        PngBuilder b;
        b.Header(static_cast<std::uint32_t>(page.width), static_cast<std::uint32_t>(page.height));
        b.Chunk("IDAT", Zlib(raw));
        b.Chunk("tEXt", {'a', 0, 'b'});
        b.Chunk("IDAT", Zlib(raw));
        b.Chunk("IEND", {});
        cases.push_back({b.bytes, "Image Contains Multiple Data Segments"});
    }
    {
        std::vector<std::uint8_t> bad = raw;
        bad[0] = 7;  // filter type 7
        cases.push_back({BuildFile(page, Zlib(bad), 100000), "Invalid Filter Method"});
    }
    cases.push_back({std::vector<std::uint8_t>(good.begin() + 1, good.end()), nullptr});  // no signature
    for (std::size_t i = 0; i < cases.size(); ++i) {
        CFakeImageHost shell;
        TempFile tmp(".png");
        tmp.Put(cases[i].file);
        CPageImage img;
        EXPECT_EQ(Load(tmp.path, img), 0) << "case " << i;
        if (cases[i].message) {
            ASSERT_EQ(shell.messages.size(), 1u) << "case " << i;
            EXPECT_EQ(shell.messages[0], cases[i].message) << "case " << i;
        } else {
            EXPECT_TRUE(shell.messages.empty()) << "case " << i;
        }
        img.Empty();
    }
}

TEST(PngCodec, StopAndProgress) {
    CFakeImageHost shell;
    const Page page = testpages::Text(400, 250, 50);
    TempFile tmp(".png");
    tmp.Put(BuildFile(page, Zlib(RowsStream(page)), 8192));
    {
        Signals sig;
        CPageImage img;
        ASSERT_EQ(Load(tmp.path, img, Signals::Event()), 1);
        ASSERT_EQ(sig.posts.size(), 10u);
        EXPECT_EQ(sig.posts[0].first, 25u);
        EXPECT_EQ(sig.posts[9].first, 250u);
        EXPECT_EQ(sig.posts[9].second, 250);
        img.Empty();
    }
    {
        Signals sig;
        Signals::testsUntilStop = 0;  // set before the file is read
        CPageImage img;
        EXPECT_EQ(Load(tmp.path, img, Signals::Event()), 2);
        img.Empty();
    }
    {
        Signals sig;
        Signals::testsUntilStop = 60;  // set during decoding
        CPageImage img;
        EXPECT_EQ(Load(tmp.path, img, Signals::Event()), 2);
        EXPECT_EQ(sig.posts.size(), 2u) << "stopped within a row of the request";
        img.Empty();
    }
    EXPECT_TRUE(shell.messages.empty());
}

namespace {

// Loads a file in a child process and measures how far the child's peak
// resident memory rose during the load: {result, rise in bytes}.
std::pair<int, long long> LoadMeasuringPeakMemory(const std::string& path) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {-1, -1};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        CFakeImageHost shell;
        rusage before{}, after{};
        ::getrusage(RUSAGE_SELF, &before);
        CPageImage img;
        const int result = Load(path, img);
        ::getrusage(RUSAGE_SELF, &after);
        img.Empty();
        const long long report[2] = {result, (after.ru_maxrss - before.ru_maxrss) * 1024LL};
        const bool sent = ::write(pipeFds[1], report, sizeof report) == static_cast<ssize_t>(sizeof report);
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeFds[1]);
    long long report[2] = {-1, -1};
    const bool got = ::read(pipeFds[0], report, sizeof report) == static_cast<ssize_t>(sizeof report);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1, -1};
    return {static_cast<int>(report[0]), report[1]};
}

}  // namespace

TEST(PngCodec, DeclaredSizesAreCheckedBeforeMemoryIsTaken) {
    constexpr long long kPeakLimit = 64ll << 20;
    // A 170-byte file declaring a row of 2^31 - 1 pixels: its plane alone
    // meets the limit, its row buffers would double it, and its data could
    // never fill it.
    PngBuilder wide;
    wide.Header(0x7FFFFFFFu, 1);
    wide.Chunk("IDAT", std::vector<std::uint8_t>(113, 0x55));
    wide.Chunk("IEND", {});
    ASSERT_EQ(wide.bytes.size(), 170u);
    // A plane well inside the limit (112 MiB) whose data is a few bytes.
    PngBuilder square;
    square.Header(30000, 30000);
    square.Chunk("IDAT", Zlib(std::vector<std::uint8_t>(3751 * 2, 0)));
    square.Chunk("IEND", {});
    for (const auto* file : {&wide.bytes, &square.bytes}) {
        TempFile tmp(".png");
        tmp.Put(*file);
        const auto [result, rise] = LoadMeasuringPeakMemory(tmp.path);
        EXPECT_EQ(result, 0) << file->size() << " bytes";
        EXPECT_GE(rise, 0) << "the child reported";
        EXPECT_LT(rise, kPeakLimit) << file->size() << " bytes";
    }
    {
        CFakeImageHost shell;
        TempFile tmp(".png");
        tmp.Put(wide.bytes);
        CPageImage img;
        EXPECT_EQ(Load(tmp.path, img), 0);
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0], "Invalid Image Size");
        EXPECT_EQ(img.m_hBits, nullptr) << "no plane was allocated";
        tmp.Put(square.bytes);
        EXPECT_EQ(Load(tmp.path, img), 0);
        ASSERT_EQ(shell.messages.size(), 2u);
        EXPECT_EQ(shell.messages[1], "Premature End-Of-File");
        EXPECT_EQ(img.m_hBits, nullptr) << "no plane was allocated";
    }
}

TEST(PngCodec, LargePagesThatTheirDataFillsStillLoad) {
    // A white page of 20000 x 2000 pixels compresses about a thousandfold:
    // the bound on what the data can hold must let it through.
    CFakeImageHost shell;
    const Page page = testpages::Blank(20000, 2000);
    TempFile tmp(".png");
    tmp.Put(BuildFile(page, Zlib(RowsStream(page), 9), 8192));
    CPageImage img;
    ASSERT_EQ(Load(tmp.path, img), 1) << (shell.messages.empty() ? "" : shell.messages[0]);
    EXPECT_EQ(codectest::Plane(img), page.bits);
    img.Empty();
}
