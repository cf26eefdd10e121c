// Thresholds that maximise the between-class variance of a histogram.
#pragma once

#include "platform/win/types.h"

// Over levels first..last: the t in first..last maximising
// w0 * w1 * (mean0 - mean1)^2 with class 0 = first..t and class 1 = t+1..last.
// Sums in double precision; the lowest t wins among equal maxima.
int BetweenClassThreshold(const DWORD* hist, int first, int last);

// The threshold over all 256 levels of a histogram of n pixels (0 when n is 0).
int OtsuThreshold(const DWORD hist[256], DWORD n);
