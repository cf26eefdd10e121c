#include "imaging/paper_light.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Counts of a cell's samples in bins of four levels.
struct CellCounts {
    std::uint16_t bin[64] = {};
    int total = 0;
    void Add(BYTE v) { ++bin[v >> 2], ++total; }
    // The level (to the middle of its bin) at or below which three quarters of the samples lie.
    int UpperQuarter() const {
        const int want = total - total / 4;
        int sum = 0;
        for (int b = 0; b < 64; ++b)
            if ((sum += bin[b]) >= want && sum > 0) return b * 4 + 2;
        return 255;
    }
};

constexpr int kTerms = 6;  // 1, u, v, u², uv, v²

std::array<double, kTerms> terms(double u, double v) { return {1, u, v, u * u, u * v, v * v}; }

// Least squares over the cells marked in `use`; false when the system is singular.
bool fitSurface(const std::vector<double>& u, const std::vector<double>& v, const std::vector<double>& value,
                const std::vector<char>& use, std::array<double, kTerms>& coef) {
    double a[kTerms][kTerms + 1] = {};
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (!use[i]) continue;
        const auto t = terms(u[i], v[i]);
        for (int r = 0; r < kTerms; ++r) {
            for (int c = 0; c < kTerms; ++c) a[r][c] += t[r] * t[c];
            a[r][kTerms] += t[r] * value[i];
        }
    }
    for (int col = 0; col < kTerms; ++col) {
        int pivot = col;
        for (int r = col + 1; r < kTerms; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-9) return false;
        for (int c = 0; c <= kTerms; ++c) std::swap(a[col][c], a[pivot][c]);
        for (int r = 0; r < kTerms; ++r) {
            if (r == col) continue;
            const double f = a[r][col] / a[col][col];
            for (int c = col; c <= kTerms; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (int r = 0; r < kTerms; ++r) coef[r] = a[r][kTerms] / a[r][r];
    return true;
}

double surfaceAt(const std::array<double, kTerms>& coef, double u, double v) {
    const auto t = terms(u, v);
    double s = 0;
    for (int k = 0; k < kTerms; ++k) s += coef[k] * t[k];
    return s;
}

}  // namespace

void PaperLight::Measure(const ChannelRows& rows, int width, int height, int cell) {
    width_ = width;
    height_ = height;
    uneven_ = false;
    level_.clear();
    cell = std::max(cell, 4);
    cols_ = width / cell;
    rows_ = height / cell;
    if (cols_ < 3 || rows_ < 3) return;

    // Every fourth pixel of every fourth row is enough for a quartile.
    constexpr int kStep = 4;
    const std::size_t cells = static_cast<std::size_t>(cols_) * rows_;
    std::vector<double> value(cells), u(cells), v(cells);
    std::vector<int> colStart(static_cast<std::size_t>(cols_) + 1);
    for (int c = 0; c <= cols_; ++c) colStart[c] = static_cast<int>(static_cast<std::int64_t>(c) * width / cols_);
    for (int r = 0; r < rows_; ++r) {
        const int y0 = static_cast<int>(static_cast<std::int64_t>(r) * height / rows_);
        const int y1 = static_cast<int>(static_cast<std::int64_t>(r + 1) * height / rows_);
        for (int c = 0; c < cols_; ++c) {
            CellCounts counts;
            for (int y = y0; y < y1; y += kStep) {
                const BYTE* p = rows.Row(y);
                for (int x = colStart[c]; x < colStart[c + 1]; x += kStep) counts.Add(p[static_cast<std::ptrdiff_t>(x) * rows.step]);
            }
            const std::size_t i = static_cast<std::size_t>(r) * cols_ + c;
            value[i] = counts.UpperQuarter();
            u[i] = (c + 0.5) / cols_ * 2 - 1;
            v[i] = (r + 0.5) / rows_ * 2 - 1;
        }
    }

    // A smooth surface through the paper: cells well below it hold pictures
    // or dense ink and are left out, and the surface is laid again.
    std::vector<char> paper(cells, 1);
    std::array<double, kTerms> coef{};
    for (int round = 0; round < 5; ++round) {
        if (!fitSurface(u, v, value, paper, coef)) return;
        std::vector<double> residual;
        for (std::size_t i = 0; i < cells; ++i)
            if (paper[i]) residual.push_back(std::fabs(value[i] - surfaceAt(coef, u[i], v[i])));
        std::nth_element(residual.begin(), residual.begin() + residual.size() / 2, residual.end());
        const double spread = 1.4826 * residual[residual.size() / 2];
        const double below = std::max(3 * spread, 4.0);
        std::size_t kept = 0;
        std::vector<char> next(cells);
        for (std::size_t i = 0; i < cells; ++i) {
            next[i] = value[i] >= surfaceAt(coef, u[i], v[i]) - below;
            kept += next[i] != 0;
        }
        if (kept < static_cast<std::size_t>(2 * kTerms)) return;
        if (next == paper) break;
        paper.swap(next);
    }

    // Each cell: the paper cells around it, else the surface.
    std::vector<double> level(cells);
    double brightest = 0;
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < cols_; ++c) {
            double sum = 0;
            int n = 0;
            for (int rr = std::max(r - 1, 0); rr <= std::min(r + 1, rows_ - 1); ++rr)
                for (int cc = std::max(c - 1, 0); cc <= std::min(c + 1, cols_ - 1); ++cc) {
                    const std::size_t j = static_cast<std::size_t>(rr) * cols_ + cc;
                    if (paper[j]) sum += value[j], ++n;
                }
            const std::size_t i = static_cast<std::size_t>(r) * cols_ + c;
            level[i] = std::max(n ? sum / n : surfaceAt(coef, u[i], v[i]), 1.0);
            brightest = std::max(brightest, level[i]);
        }
    level_.resize(cells);
    double darkest = 1;
    for (std::size_t i = 0; i < cells; ++i) {
        // Paper four times darker than the brightest is no longer light
        // falling off but something printed: it is followed no further.
        level_[i] = static_cast<float>(std::max(level[i] / brightest, 0.25));
        darkest = std::min(darkest, static_cast<double>(level_[i]));
    }
    uneven_ = darkest < 7.0 / 8.0;
}

void PaperLight::RowLevels(int y, int x0, int x1, float* out) const {
    if (x1 <= x0) return;
    if (!uneven_) {
        std::fill(out, out + (x1 - x0), 1.0f);
        return;
    }
    // Between the rows of cell centres, then along the row between the
    // columns of centres; beyond the outer centres the level stays.
    const double fy = std::clamp((std::clamp(y, 0, height_ - 1) + 0.5) * rows_ / height_ - 0.5, 0.0, rows_ - 1.0);
    const int r0 = static_cast<int>(fy), r1 = std::min(r0 + 1, rows_ - 1);
    const float a = static_cast<float>(fy - r0);
    auto across = [&](int c) { return CellLevel(c, r0) * (1 - a) + CellLevel(c, r1) * a; };
    // Centre of cell c in pixels.
    auto centre = [&](int c) { return (c + 0.5) * width_ / cols_ - 0.5; };
    int x = x0;
    for (const float first = across(0); x < x1 && x <= centre(0); ++x) out[x - x0] = first;
    for (int c = 0; c + 1 < cols_ && x < x1; ++c) {
        const double from = centre(c), to = centre(c + 1);
        const float l0 = across(c), slope = static_cast<float>((across(c + 1) - l0) / (to - from));
        const int end = std::min(x1, static_cast<int>(std::floor(to)) + 1);
        const float start = l0 + slope * static_cast<float>(x - from);
        for (int k = 0; x + k < end; ++k) out[x - x0 + k] = start + slope * static_cast<float>(k);
        x = std::max(x, end);
    }
    for (const float last = across(cols_ - 1); x < x1; ++x) out[x - x0] = last;
}
