// Test sheets for the scan library and the jobs above it: pages of dark
// words on white paper, turned by a known angle and written as PGM files for
// the test sheet feeder, and the measure of a scanned page's text tilt.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <random>
#include <utility>
#include <vector>

#include "outside/include/image_library.h"

namespace scantest {

// Sample s of row y of a page as 8 bits (a 1-bit page's 0 is black).
inline int Sample(const IL_IMAGEHEADER& h, const std::vector<BYTE>& bits, int y, std::size_t s) {
    const BYTE* row = bits.data() + std::size_t(y) * h.BytesPerLine;
    if (h.BitsPerPixel == 1) return (row[s / 8] >> (7 - s % 8)) & 1 ? 255 : 0;
    return row[s];
}

// Sheets of the test feeder: A4 at 150 dpi, lines of dark words on white
// paper, each turned by its own angle about its centre.
constexpr int kSheetWidth = 1240, kSheetHeight = 1754;

inline std::vector<BYTE> TextSheet(std::mt19937& random) {
    std::vector<BYTE> sheet(std::size_t(kSheetWidth) * kSheetHeight, 255);
    std::uniform_int_distribution<int> word(15, 50), gap(8, 12);
    for (int top = kSheetHeight / 10; top + 10 < kSheetHeight * 85 / 100; top += 30)
        for (int x = kSheetWidth / 10; x < kSheetWidth * 9 / 10;) {
            const int end = std::min(x + word(random), kSheetWidth * 9 / 10);
            for (int y = top; y < top + 10; ++y) std::fill_n(sheet.begin() + y * kSheetWidth + x, end - x, BYTE(20));
            x = end + gap(random);
        }
    return sheet;
}

inline void WriteTurnedSheet(const std::filesystem::path& file, const std::vector<BYTE>& sheet, double degrees) {
    const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a);
    std::vector<BYTE> out(sheet.size(), 255);
    const double cx = kSheetWidth / 2.0, cy = kSheetHeight / 2.0;
    for (int y = 0; y < kSheetHeight; ++y)
        for (int x = 0; x < kSheetWidth; ++x) {
            const double dx = x - cx, dy = y - cy;
            const int sx = int(std::lround(cx + c * dx + s * dy)), sy = int(std::lround(cy - s * dx + c * dy));
            if (sx >= 0 && sy >= 0 && sx < kSheetWidth && sy < kSheetHeight)
                out[std::size_t(y) * kSheetWidth + std::size_t(x)] = sheet[std::size_t(sy) * kSheetWidth + std::size_t(sx)];
        }
    std::ofstream f(file, std::ios::binary);
    f << "P5\n" << kSheetWidth << " " << kSheetHeight << "\n255\n";
    f.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
}

// The tilt of a page's text lines in degrees (positive: falling to the
// right): each line found near the left of the text is followed to the
// right in narrow bands, each searched around the line's last height; the
// median of the lines' fitted slopes. NAN when fewer than ten lines are found.
inline double TextTilt(const IL_IMAGEHEADER& h, const std::vector<BYTE>& bits) {
    constexpr int kBand = 40, kStep = 60, kReach = 12;
    // The ink of columns [x, x + kBand) in rows [top, bottom): its amount and centroid.
    auto ink = [&](int x, int top, int bottom, double& n, double& cx, double& cy) {
        n = cx = cy = 0;
        for (int y = std::max(0, top); y < std::min(int(h.Height), bottom); ++y)
            for (int c = x; c < x + kBand; ++c)
                if (Sample(h, bits, y, std::size_t(c)) < 128) n += 1, cx += c, cy += y;
        if (n > 0) cx /= n, cy /= n;
    };
    const int first = h.Width * 12 / 100, last = h.Width * 88 / 100 - kBand;
    std::vector<double> slopes;
    for (int y = 0; y < h.Height;) {
        double n, cx, cy;
        ink(first, y, y + 1, n, cx, cy);
        if (n == 0) {
            ++y;
            continue;
        }
        const int start = y;
        for (ink(first, y, y + 1, n, cx, cy); n > 0 && y < h.Height; ink(first, y, y + 1, n, cx, cy)) ++y;
        ink(first, start, y, n, cx, cy);
        std::vector<std::pair<double, double>> points{{cx, cy}};
        double lastY = cy;
        for (int x = first + kStep; x <= last; x += kStep) {
            ink(x, int(lastY) - kReach, int(lastY) + kReach + 1, n, cx, cy);
            if (n == 0) continue;
            points.push_back({cx, cy});
            lastY = cy;
        }
        if (points.size() < 8) continue;
        double mx = 0, my = 0, sxy = 0, sxx = 0;
        for (const auto& [px, py] : points) mx += px, my += py;
        mx /= double(points.size()), my /= double(points.size());
        for (const auto& [px, py] : points) sxy += (px - mx) * (py - my), sxx += (px - mx) * (px - mx);
        slopes.push_back(sxy / sxx);
    }
    if (slopes.size() < 10) return NAN;
    std::nth_element(slopes.begin(), slopes.begin() + long(slopes.size() / 2), slopes.end());
    return std::atan(slopes[slopes.size() / 2]) * 180 / M_PI;
}

}  // namespace scantest
