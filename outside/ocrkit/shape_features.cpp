#include "outside/ocrkit/shape_features.h"

#include <algorithm>
#include <cmath>

namespace ocrkit {

namespace {

// Side of the square the ink is scaled into, and the blank margin around it
// that lets the edges of strokes touching the border show.
constexpr int kSide = 32;
constexpr int kMargin = 2;
constexpr int kCanvas = kSide + 2 * kMargin;

// Summed-area table of the raster, (w + 1) x (h + 1). Between its corners it
// is bilinear, so interpolating it gives the exact ink over any rectangle.
class InkIntegral {
public:
    explicit InkIntegral(const InkRaster& r) : w_(r.width + 1), sums_(static_cast<std::size_t>(w_) * (r.height + 1), 0.0) {
        for (int y = 0; y < r.height; ++y) {
            double row = 0;
            for (int x = 0; x < r.width; ++x) {
                row += r.at(x, y);
                at(x + 1, y + 1) = at(x + 1, y) + row;
            }
        }
    }
    // Ink over [0, x) x [0, y), fractional corner.
    double value(double x, double y) const {
        const int h = static_cast<int>(sums_.size() / w_);
        x = std::clamp(x, 0.0, static_cast<double>(w_ - 1));
        y = std::clamp(y, 0.0, static_cast<double>(h - 1));
        int ix = std::min(static_cast<int>(x), w_ - 2), iy = std::min(static_cast<int>(y), h - 2);
        ix = std::max(ix, 0);
        iy = std::max(iy, 0);
        double fx = x - ix, fy = y - iy;
        auto g = [&](int a, int b) { return get(std::min(a, w_ - 1), std::min(b, h - 1)); };
        return (1 - fy) * ((1 - fx) * g(ix, iy) + fx * g(ix + 1, iy)) + fy * ((1 - fx) * g(ix, iy + 1) + fx * g(ix + 1, iy + 1));
    }

private:
    double& at(int x, int y) { return sums_[static_cast<std::size_t>(y) * w_ + x]; }
    double get(int x, int y) const { return sums_[static_cast<std::size_t>(y) * w_ + x]; }
    int w_;
    std::vector<double> sums_;
};

void normalise(float* v, int n) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += static_cast<double>(v[i]) * v[i];
    if (sum <= 0) return;
    const float k = static_cast<float>(1.0 / std::sqrt(sum));
    for (int i = 0; i < n; ++i) v[i] *= k;
}

}  // namespace

InkRaster inkOf(const PlaneView& plane, const Box& boxIn) {
    InkRaster r;
    Box box = plane.clip(boxIn);
    if (box.empty()) return r;
    r.width = box.width();
    r.height = box.height();
    r.ink.assign(static_cast<std::size_t>(r.width) * r.height, 0.0f);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (plane.black(box.left + x, box.top + y)) r.ink[static_cast<std::size_t>(y) * r.width + x] = 1.0f;
    // Specks of noise would stretch the ink's extent: a component of a few
    // pixels clear of every larger one is left out.
    const int speck = std::max(3, r.width * r.height / 600);
    std::vector<Component> parts = components(plane, box);
    for (const Component& c : parts) {
        if (c.pixels > speck) continue;
        bool nearStroke = false;
        for (const Component& o : parts) {
            if (o.pixels <= speck) continue;
            Box grown{o.box.left - 1, o.box.top - 1, o.box.right + 1, o.box.bottom + 1};
            nearStroke = nearStroke || grown.intersects(c.box);
        }
        if (nearStroke) continue;
        for (int y = c.box.top; y <= c.box.bottom; ++y)
            for (int x = c.box.left; x <= c.box.right; ++x)
                r.ink[static_cast<std::size_t>(y - box.top) * r.width + (x - box.left)] = 0.0f;
    }
    return r;
}

ShapeFeatures shapeFeatures(const InkRaster& r) {
    ShapeFeatures f;
    if (r.width <= 0 || r.height <= 0) return f;
    // The ink's extent.
    int l = r.width, t = r.height, rt = -1, b = -1;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            if (r.at(x, y) > 0.25f) {
                l = std::min(l, x);
                rt = std::max(rt, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
    if (rt < 0) return f;
    // Scaled into the square, aspect kept, centred.
    const double w = rt - l + 1, h = b - t + 1;
    const double scale = kSide / std::max(w, h);
    const double ox = kMargin + (kSide - w * scale) / 2, oy = kMargin + (kSide - h * scale) / 2;
    // Ink over each canvas pixel from the integral at the pixels' corners
    // (clamped to the ink's extent).
    InkIntegral sums(r);
    std::array<double, kCanvas + 1> cornerX{}, cornerY{};
    for (int k = 0; k <= kCanvas; ++k) {
        cornerX[k] = std::clamp(l + (k - ox) / scale, static_cast<double>(l), static_cast<double>(rt + 1));
        cornerY[k] = std::clamp(t + (k - oy) / scale, static_cast<double>(t), static_cast<double>(b + 1));
    }
    std::array<double, (kCanvas + 1) * (kCanvas + 1)> corner{};
    for (int y = 0; y <= kCanvas; ++y)
        for (int x = 0; x <= kCanvas; ++x) corner[y * (kCanvas + 1) + x] = sums.value(cornerX[x], cornerY[y]);
    std::array<float, kCanvas * kCanvas> canvas{};
    for (int y = 0; y < kCanvas; ++y)
        for (int x = 0; x < kCanvas; ++x) {
            const double* c0 = &corner[y * (kCanvas + 1) + x];
            const double* c1 = c0 + (kCanvas + 1);
            canvas[y * kCanvas + x] = static_cast<float>((c1[1] - c1[0] - c0[1] + c0[0]) * scale * scale);
        }
    // Edge directions (Sobel), each split between the two nearest of four
    // orientations (0, 45, 90, 135 degrees, direction of travel ignored) as
    // the sides of a parallelogram, and spread over the grid cells around
    // the pixel.
    std::array<float, kShapeFineSize> planes{};
    auto c = [&](int x, int y) { return canvas[y * kCanvas + x]; };
    const float cell = static_cast<float>(kCanvas) / kShapeGrid;
    for (int y = 1; y < kCanvas - 1; ++y)
        for (int x = 1; x < kCanvas - 1; ++x) {
            float gx = (c(x + 1, y - 1) + 2 * c(x + 1, y) + c(x + 1, y + 1)) - (c(x - 1, y - 1) + 2 * c(x - 1, y) + c(x - 1, y + 1));
            float gy = (c(x - 1, y + 1) + 2 * c(x, y + 1) + c(x + 1, y + 1)) - (c(x - 1, y - 1) + 2 * c(x, y - 1) + c(x + 1, y - 1));
            if (std::abs(gx) + std::abs(gy) < 1e-3f) continue;
            if (gy < 0 || (gy == 0 && gx < 0)) {
                gx = -gx;
                gy = -gy;
            }
            // Now 0 <= angle < 180 degrees.
            constexpr float kRoot2 = 1.41421356f;
            int o0, o1;
            float a0, a1;
            if (gx >= gy) {  // 0..45
                o0 = 0, o1 = 1, a0 = gx - gy, a1 = gy * kRoot2;
            } else if (gx >= 0) {  // 45..90
                o0 = 1, o1 = 2, a0 = gx * kRoot2, a1 = gy - gx;
            } else if (-gx <= gy) {  // 90..135
                o0 = 2, o1 = 3, a0 = gy + gx, a1 = -gx * kRoot2;
            } else {  // 135..180
                o0 = 3, o1 = 0, a0 = gy * kRoot2, a1 = -gx - gy;
            }
            // Bilinear share among the four nearest cell centres.
            float gxPos = (x + 0.5f) / cell - 0.5f, gyPos = (y + 0.5f) / cell - 0.5f;
            int cx = static_cast<int>(std::floor(gxPos)), cy = static_cast<int>(std::floor(gyPos));
            float fx = gxPos - cx, fy = gyPos - cy;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    int gxI = cx + dx, gyI = cy + dy;
                    if (gxI < 0 || gyI < 0 || gxI >= kShapeGrid || gyI >= kShapeGrid) continue;
                    float wgt = (dx ? fx : 1 - fx) * (dy ? fy : 1 - fy);
                    float* at = &planes[(gyI * kShapeGrid + gxI) * kShapeOrientations];
                    at[o0] += wgt * a0;
                    at[o1] += wgt * a1;
                }
        }
    // The coarse grid sums 2 x 2 cells, the rough one 4 x 4; all take the
    // square root, which evens out strong and faint strokes, and unit length.
    for (int gy = 0; gy < kShapeGrid; ++gy)
        for (int gx = 0; gx < kShapeGrid; ++gx)
            for (int o = 0; o < kShapeOrientations; ++o) {
                float v = planes[(gy * kShapeGrid + gx) * kShapeOrientations + o];
                f.coarse[((gy / 2) * (kShapeGrid / 2) + gx / 2) * kShapeOrientations + o] += v;
                f.rough[((gy / 4) * (kShapeGrid / 4) + gx / 4) * kShapeOrientations + o] += v;
                f.fine[(gy * kShapeGrid + gx) * kShapeOrientations + o] = std::sqrt(v);
            }
    for (float& v : f.coarse) v = std::sqrt(v);
    for (float& v : f.rough) v = std::sqrt(v);
    normalise(f.fine.data(), kShapeFineSize);
    normalise(f.coarse.data(), kShapeCoarseSize);
    normalise(f.rough.data(), kShapeRoughSize);
    f.empty = false;
    return f;
}

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> asBytes(const std::array<float, N>& v) {
    std::array<std::uint8_t, N> out{};
    for (std::size_t i = 0; i < N; ++i) out[i] = static_cast<std::uint8_t>(std::clamp(std::lround(v[i] * 255.0f), 0L, 255L));
    return out;
}

}  // namespace

ShapeBytes shapeBytes(const ShapeFeatures& f) { return {asBytes(f.fine), asBytes(f.coarse), asBytes(f.rough)}; }

}  // namespace ocrkit
