#include "imaging/otsu_threshold.h"

int BetweenClassThreshold(const DWORD* hist, int first, int last) {
    double totalCount = 0, totalSum = 0;
    for (int k = first; k <= last; ++k) {
        totalCount += hist[k];
        totalSum += static_cast<double>(k) * hist[k];
    }
    double w0 = 0, sum0 = 0, best = -1;
    int bestT = first;
    for (int t = first; t <= last; ++t) {
        w0 += hist[t];
        sum0 += static_cast<double>(t) * hist[t];
        const double w1 = totalCount - w0;
        const double mu0 = w0 > 0 ? sum0 / w0 : 0;
        const double mu1 = w1 > 0 ? (totalSum - sum0) / w1 : 0;
        const double sigma = w0 * w1 * (mu0 - mu1) * (mu0 - mu1);
        if (sigma > best) {
            best = sigma;
            bestT = t;
        }
    }
    return bestT;
}

int OtsuThreshold(const DWORD hist[256], DWORD n) {
    if (n == 0) return 0;
    return BetweenClassThreshold(hist, 0, 255);
}
