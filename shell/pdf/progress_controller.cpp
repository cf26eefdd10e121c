#include "shell/pdf/progress_controller.h"

#include "platform/win/codepage.h"

#include <cstdint>

void CProgressController::SetRange(int n) {
    m_range = n;
    m_pos = 0;
    m_lastPercent = 0;
}

bool CProgressController::SetPos(int pos, bool* percentChanged) {
    if (percentChanged) *percentChanged = false;
    if (pos <= 0 || pos > m_range) return false;
    m_pos = pos;
    const int percent = static_cast<int>(static_cast<std::int64_t>(pos) * 100 / m_range);
    if (percent > m_lastPercent) {
        m_lastPercent = percent;
        m_percentText = std::to_string(percent) + "%";
        if (percentChanged) *percentChanged = true;
    }
    return true;
}

std::string CProgressController::FileLabel(const std::string& prefix, const std::string& path) {
    constexpr std::size_t kLongest = 96, kKept = 90;
    if (path.size() <= kLongest) return prefix + path;
    std::size_t cut = 0;
    while (cut < kKept) {
        const bool lead = IsDBCSLeadByte(static_cast<BYTE>(path[cut])) && cut + 1 < path.size();
        const std::size_t width = lead ? 2 : 1;
        if (cut + width > kKept) break;
        cut += width;
    }
    return prefix + path.substr(0, cut) + "...";
}
