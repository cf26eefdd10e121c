// Times the system's own coders against zlib and libtiff on A4 pages at
// 300 dpi (text, blank, halftone) made here, and prints the figures side by
// side: best of several runs taken in turn, in milliseconds, with sizes and
// ratios. Inflate is also timed against libdeflate.
#include <libdeflate.h>
#include <tiffio.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "imaging/compress/ccitt.h"
#include "imaging/compress/deflater.h"
#include "imaging/compress/inflater.h"
#include "imaging/compress/lzw.h"
#include "imaging/compress/tests/test_pages.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

double TimeMs(const std::function<void()>& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Best times of two pieces of work run in turn, so that a busy machine slows
// both alike: {ours, theirs}.
std::pair<double, double> BestOfBoth(const std::function<void()>& ours, const std::function<void()>& theirs,
                                     int runs) {
    double a = 1e30, b = 1e30;
    for (int i = 0; i < runs; ++i) {
        a = std::min(a, TimeMs(ours));
        b = std::min(b, TimeMs(theirs));
    }
    return {a, b};
}

// The stream a PNG writer compresses: a filter byte before every row.
Bytes PngStream(const testpages::Page& p) {
    Bytes s;
    for (int y = 0; y < p.height; ++y) {
        s.push_back(0);
        s.insert(s.end(), p.bits.begin() + y * p.RowBytes(), p.bits.begin() + (y + 1) * p.RowBytes());
    }
    return s;
}

Bytes ZlibDeflate(const Bytes& in, int level) {
    uLongf n = compressBound(static_cast<uLong>(in.size()));
    Bytes out(n);
    compress2(out.data(), &n, in.data(), static_cast<uLong>(in.size()), level);
    out.resize(n);
    return out;
}

void Row(const char* what, double ours, double theirs, const std::string& extra = "") {
    std::printf("  %-34s ours %8.2f ms  other %8.2f ms  ours/other %5.2f  %s\n", what, ours, theirs, ours / theirs,
                extra.c_str());
}

void BenchZlib(const char* name, const testpages::Page& page, int runs) {
    const Bytes raw = PngStream(page);
    std::printf("%s page, %zu bytes of PNG rows\n", name, raw.size());
    for (int level : {1, 6, 9}) {
        Bytes ours, theirs;
        auto [tOurs, tZlib] = BestOfBoth([&] { coders::CDeflater::DeflateZlib(raw.data(), raw.size(), ours, level); },
                                         [&] { theirs = ZlibDeflate(raw, level); }, runs);
        char buf[160];
        std::snprintf(buf, sizeof buf, "size ours %zu zlib %zu (%+.1f %%)", ours.size(), theirs.size(),
                      100.0 * (static_cast<double>(ours.size()) / static_cast<double>(theirs.size()) - 1));
        std::string label = "deflate level " + std::to_string(level);
        Row(label.c_str(), tOurs, tZlib, buf);
    }
    Bytes z6 = ZlibDeflate(raw, 6);
    Bytes out;
    Bytes ref(raw.size());
    auto [tOurs, tZlib] = BestOfBoth([&] { coders::CInflater::InflateZlib(z6.data(), z6.size(), out); },
                                     [&] {
                                         uLongf n = static_cast<uLongf>(ref.size());
                                         uncompress(ref.data(), &n, z6.data(), static_cast<uLong>(z6.size()));
                                     },
                                     runs);
    Row("inflate (zlib level 6 stream)", tOurs, tZlib, out == raw ? "" : "MISMATCH");
    // The same stream through libdeflate, the fastest inflater at hand.
    libdeflate_decompressor* fast = libdeflate_alloc_decompressor();
    Bytes viaFast(raw.size());
    auto [tOurs2, tFast] = BestOfBoth([&] { coders::CInflater::InflateZlib(z6.data(), z6.size(), out); },
                                      [&] {
                                          std::size_t n = 0;
                                          libdeflate_zlib_decompress(fast, z6.data(), z6.size(), viaFast.data(),
                                                                     viaFast.size(), &n);
                                      },
                                      runs);
    libdeflate_free_decompressor(fast);
    Row("inflate against libdeflate", tOurs2, tFast, viaFast == raw ? "" : "MISMATCH");
}

// A TIFF file in memory, so libtiff's timings hold no disk traffic.
struct MemFile {
    Bytes data;
    toff_t pos = 0;
    static tmsize_t Read(thandle_t h, void* buf, tmsize_t n) {
        auto* f = static_cast<MemFile*>(h);
        tmsize_t k = std::min<tmsize_t>(n, static_cast<tmsize_t>(f->data.size() - std::min<toff_t>(f->pos, f->data.size())));
        if (k > 0) std::memcpy(buf, f->data.data() + f->pos, static_cast<std::size_t>(k));
        f->pos += static_cast<toff_t>(k > 0 ? k : 0);
        return k;
    }
    static tmsize_t Write(thandle_t h, void* buf, tmsize_t n) {
        auto* f = static_cast<MemFile*>(h);
        if (f->pos + static_cast<toff_t>(n) > f->data.size()) f->data.resize(f->pos + static_cast<toff_t>(n));
        std::memcpy(f->data.data() + f->pos, buf, static_cast<std::size_t>(n));
        f->pos += static_cast<toff_t>(n);
        return n;
    }
    static toff_t Seek(thandle_t h, toff_t off, int whence) {
        auto* f = static_cast<MemFile*>(h);
        f->pos = whence == SEEK_SET ? off : whence == SEEK_CUR ? f->pos + off : f->data.size() + off;
        return f->pos;
    }
    static int Close(thandle_t) { return 0; }
    static toff_t Size(thandle_t h) { return static_cast<MemFile*>(h)->data.size(); }
    static int Map(thandle_t, void**, toff_t*) { return 0; }
    static void Unmap(thandle_t, void*, toff_t) {}
    TIFF* Open(const char* mode) {
        pos = 0;
        return TIFFClientOpen("mem", mode, this, Read, Write, Seek, Close, Size, Map, Unmap);
    }
};

// Writes the page as one strip through libtiff; returns the file.
MemFile LibtiffEncode(const testpages::Page& p, int compression, std::uint32_t g3options = 0) {
    MemFile f;
    TIFF* t = f.Open("w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(p.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(p.height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(p.height));
    if (compression == COMPRESSION_CCITTFAX3) TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, g3options);
    TIFFWriteEncodedStrip(t, 0, const_cast<std::uint8_t*>(p.bits.data()), static_cast<tmsize_t>(p.bits.size()));
    TIFFClose(t);
    return f;
}

std::size_t LibtiffStripSize(MemFile& f) {
    TIFF* t = f.Open("r");
    toff_t* counts = nullptr;
    TIFFGetField(t, TIFFTAG_STRIPBYTECOUNTS, &counts);
    std::size_t n = counts[0];
    TIFFClose(t);
    return n;
}

// Decoders write into a page-sized buffer made beforehand, so that neither
// side's time holds the allocation of fresh memory.
void LibtiffDecode(MemFile& f, Bytes& out) {
    TIFF* t = f.Open("r");
    TIFFReadEncodedStrip(t, 0, out.data(), static_cast<tmsize_t>(out.size()));
    TIFFClose(t);
}

void FaxDecode(const Bytes& coded, coders::ccitt::Scheme scheme, const testpages::Page& p, Bytes& out) {
    coders::ccitt::CFaxDecoder d(scheme, p.width);
    d.Start(coded.data(), coded.size());
    for (int y = 0; y < p.height; ++y) d.DecodeRow(out.data() + y * p.RowBytes());
}

void BenchTiff(const char* name, const testpages::Page& page, int runs) {
    using namespace coders;
    std::printf("%s page, %zu bytes of 1-bit rows\n", name, page.bits.size());
    struct Kind {
        const char* label;
        int compression;
        std::uint32_t g3;
        ccitt::Scheme scheme;
        Bytes (*encode)(const testpages::Page&);
    };
    const Kind kinds[] = {
        {"Group 4", COMPRESSION_CCITTFAX4, 0, ccitt::Scheme::Group4,
         [](const testpages::Page& p) { return ccitt::EncodeGroup4(p.bits.data(), p.width, p.height); }},
        {"Group 3", COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS, ccitt::Scheme::Group3,
         [](const testpages::Page& p) { return ccitt::EncodeGroup3(p.bits.data(), p.width, p.height); }},
        {"LZW", COMPRESSION_LZW, 0, ccitt::Scheme::Group4,
         [](const testpages::Page& p) { return lzw::Encode(p.bits.data(), p.bits.size()); }},
    };
    for (const Kind& k : kinds) {
        Bytes ours;
        MemFile theirs;
        auto [tOurs, tTheirs] = BestOfBoth([&] { ours = k.encode(page); },
                                           [&] { theirs = LibtiffEncode(page, k.compression, k.g3); }, runs);
        char buf[160];
        std::size_t theirSize = LibtiffStripSize(theirs);
        std::snprintf(buf, sizeof buf, "size ours %zu libtiff %zu (%+.1f %%)", ours.size(), theirSize,
                      100.0 * (static_cast<double>(ours.size()) / static_cast<double>(theirSize) - 1));
        Row((std::string(k.label) + " encode").c_str(), tOurs, tTheirs, buf);
        Bytes decoded(page.bits.size()), ref(page.bits.size());
        std::function<void()> decodeOurs;
        if (k.compression == COMPRESSION_LZW) {
            decodeOurs = [&] {
                std::size_t n = 0;
                lzw::Decode(ours.data(), ours.size(), decoded.data(), decoded.size(), &n);
            };
        } else {
            decodeOurs = [&] { FaxDecode(ours, k.scheme, page, decoded); };
        }
        std::tie(tOurs, tTheirs) =
            BestOfBoth(decodeOurs, [&] { LibtiffDecode(theirs, ref); }, runs);
        Row((std::string(k.label) + " decode").c_str(), tOurs, tTheirs,
            decoded == page.bits && ref == page.bits ? "" : "MISMATCH");
    }
}

}  // namespace

int main(int argc, char** argv) {
    // codecs_bench [runs] [zlib|tiff]: the second argument runs one half alone.
    int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::string only = argc > 2 ? argv[2] : "";
    const int w = testpages::kA4Width, h = testpages::kA4Height;
    std::printf("A4 at 300 dpi: %d x %d pixels, best of %d runs\n", w, h, runs);
    const testpages::Page pages[3] = {testpages::Text(w, h), testpages::Blank(w, h), testpages::Halftone(w, h)};
    const char* names[3] = {"text", "blank", "halftone"};
    if (only != "tiff")
        for (int i = 0; i < 3; ++i) BenchZlib(names[i], pages[i], runs);
    if (only != "zlib")
        for (int i = 0; i < 3; ++i) BenchTiff(names[i], pages[i], runs);
    return 0;
}
