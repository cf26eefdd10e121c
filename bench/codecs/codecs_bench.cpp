// Times the system's own coders against zlib and libtiff on A4 pages at
// 300 dpi (text, blank, halftone) made here, and prints the figures side by
// side: best of several runs, in milliseconds, with sizes and ratios.
#include <tiffio.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "imaging/compress/deflater.h"
#include "imaging/compress/inflater.h"
#include "imaging/compress/tests/test_pages.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

double BestMs(const std::function<void()>& f, int runs) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
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
        double tOurs = BestMs([&] { coders::CDeflater::DeflateZlib(raw.data(), raw.size(), ours, level); }, runs);
        double tZlib = BestMs([&] { theirs = ZlibDeflate(raw, level); }, runs);
        char buf[160];
        std::snprintf(buf, sizeof buf, "size ours %zu zlib %zu (%+.1f %%)", ours.size(), theirs.size(),
                      100.0 * (static_cast<double>(ours.size()) / static_cast<double>(theirs.size()) - 1));
        std::string label = "deflate level " + std::to_string(level);
        Row(label.c_str(), tOurs, tZlib, buf);
    }
    Bytes z6 = ZlibDeflate(raw, 6);
    Bytes out;
    Bytes ref(raw.size());
    double tOurs = BestMs([&] { coders::CInflater::InflateZlib(z6.data(), z6.size(), out); }, runs);
    double tZlib = BestMs(
        [&] {
            uLongf n = static_cast<uLongf>(ref.size());
            uncompress(ref.data(), &n, z6.data(), static_cast<uLong>(z6.size()));
        },
        runs);
    Row("inflate (zlib level 6 stream)", tOurs, tZlib, out == raw ? "" : "MISMATCH");
}

}  // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const int w = testpages::kA4Width, h = testpages::kA4Height;
    std::printf("A4 at 300 dpi: %d x %d pixels, best of %d runs\n", w, h, runs);
    const testpages::Page pages[3] = {testpages::Text(w, h), testpages::Blank(w, h), testpages::Halftone(w, h)};
    const char* names[3] = {"text", "blank", "halftone"};
    for (int i = 0; i < 3; ++i) BenchZlib(names[i], pages[i], runs);
    return 0;
}
