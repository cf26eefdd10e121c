// Writes the sample program's tool-bar bitmap: eight 16x15 glyphs on the
// light grey that tool bars treat as see-through, as a 24-bit BMP file.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
constexpr int kW = 16, kH = 15, kCount = 8;
struct Rgb {
    std::uint8_t r, g, b;
};
std::vector<Rgb> g_px(kW * kCount * kH, Rgb{192, 192, 192});

void Put(int glyph, int x, int y, Rgb c) {
    if (x < 0 || x >= kW || y < 0 || y >= kH) return;
    g_px[static_cast<size_t>(y * kW * kCount + glyph * kW + x)] = c;
}
void Box(int glyph, int x0, int y0, int x1, int y1, Rgb fill, Rgb edge) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) Put(glyph, x, y, (x == x0 || x == x1 || y == y0 || y == y1) ? edge : fill);
}
void Put16(std::FILE* f, unsigned v) {
    std::fputc(static_cast<int>(v & 0xFF), f);
    std::fputc(static_cast<int>((v >> 8) & 0xFF), f);
}
void Put32(std::FILE* f, unsigned v) {
    Put16(f, v & 0xFFFF);
    Put16(f, v >> 16);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const Rgb black{0, 0, 0}, white{255, 255, 255}, yellow{240, 200, 40}, blue{40, 80, 200}, red{200, 30, 30},
        green{30, 150, 60}, pink{240, 150, 170}, grey{90, 90, 90};
    Box(0, 3, 1, 12, 13, white, black);          // new page
    Box(1, 1, 4, 14, 12, yellow, black);         // folder
    Box(2, 2, 2, 13, 13, blue, black);           // disk
    Box(2, 5, 3, 10, 6, white, black);
    for (int g = 3; g <= 4; ++g) {               // magnifiers
        Box(g, 2, 2, 9, 9, white, black);
        for (int i = 0; i < 4; ++i) Put(g, 10 + i, 10 + i, grey);
        for (int x = 4; x <= 7; ++x) Put(g, x, 5, g == 3 ? green : red);
    }
    for (int y = 4; y <= 7; ++y) Put(3, 5, y, green);
    for (int i = 0; i < 11; ++i) {               // pen
        Put(5, 3 + i, 12 - i, red);
        Put(5, 4 + i, 12 - i, red);
    }
    Box(6, 3, 5, 12, 11, pink, black);           // eraser
    Box(7, 1, 1, 14, 13, green, black);          // (spare)
    int width = kW * kCount, stride = (width * 3 + 3) & ~3;
    unsigned size = 54u + static_cast<unsigned>(stride * kH);
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    std::fputc('B', f);
    std::fputc('M', f);
    Put32(f, size);
    Put32(f, 0);
    Put32(f, 54);
    Put32(f, 40);
    Put32(f, static_cast<unsigned>(width));
    Put32(f, kH);
    Put16(f, 1);
    Put16(f, 24);
    Put32(f, 0);
    Put32(f, static_cast<unsigned>(stride * kH));
    Put32(f, 2835);
    Put32(f, 2835);
    Put32(f, 0);
    Put32(f, 0);
    for (int y = kH - 1; y >= 0; --y) {
        int n = 0;
        for (int x = 0; x < width; ++x, n += 3) {
            Rgb c = g_px[static_cast<size_t>(y * width + x)];
            std::fputc(c.b, f);
            std::fputc(c.g, f);
            std::fputc(c.r, f);
        }
        for (; n < stride; ++n) std::fputc(0, f);
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
