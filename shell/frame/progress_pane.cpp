#include "shell/frame/progress_pane.h"

#include <algorithm>

bool ProgressPane::Set(int first, int last, int current, int width) {
    if (last < first || width <= 0) {
        Clear();
        return false;
    }
    const long long span = static_cast<long long>(last) - first + 1;
    const long long done = std::clamp(static_cast<long long>(current) - first + 1, 0LL, span);
    filled_ = static_cast<int>(done * width / span);
    percent_ = static_cast<int>(done * 100 / span);
    active_ = true;
    return true;
}
