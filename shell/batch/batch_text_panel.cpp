#include "shell/batch/batch_text_panel.h"

#include <algorithm>
#include <cstring>

#include "ocrdoc/helpers/dbcs.h"

void CBatchTextPanel::SetGeometry(int visibleLines, int columns) {
    m_nVisible = std::clamp(visibleLines, 1, kMaxLines);
    m_nColumns = std::clamp(columns, 1, kMaxColumns);
}

const char* CBatchTextPanel::Line(int index) const {
    if (index < 0 || index >= kMaxLines) return "";
    return m_lines[static_cast<std::size_t>(index)].data();
}

void CBatchTextPanel::Clear() {
    for (auto& line : m_lines) line.fill('\0');
    m_nCurrent = -1;
}

bool CBatchTextPanel::NextLine() {
    if (m_nCurrent < m_nVisible - 1) {
        ++m_nCurrent;
        return false;
    }
    // The panel is full (or became smaller than the text): move everything
    // up so that the current line is the last visible one, then clear it.
    const int shift = m_nCurrent - (m_nVisible - 1) + 1;
    for (int i = 0; i < kMaxLines; ++i) {
        auto& target = m_lines[static_cast<std::size_t>(i)];
        if (i + shift < kMaxLines) target = m_lines[static_cast<std::size_t>(i + shift)];
        else target.fill('\0');
    }
    m_nCurrent = m_nVisible - 1;
    m_lines[static_cast<std::size_t>(m_nCurrent)].fill('\0');
    return true;
}

CBatchTextPanel::Change CBatchTextPanel::AddText(const char* piece) {
    Change change;
    if (m_nCurrent < 0) m_nCurrent = 0;
    if (!piece) return change;
    if (piece[0] == '\n') {
        change.whole = NextLine();
        return change;
    }
    // Control characters (the carriage return of a line end) are not drawn.
    std::string text;
    for (const char* p = piece; *p; ++p)
        if (static_cast<unsigned char>(*p) >= 0x20) text += *p;
    if (text.empty()) return change;

    auto length = [this] { return static_cast<int>(std::strlen(m_lines[static_cast<std::size_t>(m_nCurrent)].data())); };
    if (length() > 0 && length() + static_cast<int>(text.size()) > m_nColumns) change.whole = NextLine() || change.whole;
    change.line = m_nCurrent;
    change.fromColumn = length();
    std::size_t at = 0;
    bool severalLines = false;
    while (at < text.size()) {
        char* line = m_lines[static_cast<std::size_t>(m_nCurrent)].data();
        int used = length();
        // Whole characters that fit the rest of the line.
        std::size_t take = 0;
        while (at + take < text.size()) {
            const std::size_t unit = dochelpers::CharBytes(text.data(), at + take, text.size());
            if (used + static_cast<int>(take + unit) > m_nColumns) break;
            take += unit;
        }
        // A double-byte character in a one-column panel still goes whole.
        if (take == 0 && used == 0) take = dochelpers::CharBytes(text.data(), at, text.size());
        if (take > 0) {
            std::memcpy(line + used, text.data() + at, take);
            line[used + static_cast<int>(take)] = '\0';
            at += take;
        }
        if (at < text.size()) {
            // A piece longer than a whole line goes on over the next lines.
            if (NextLine()) change.whole = true;
            severalLines = true;
        }
    }
    if (severalLines) change.whole = true;
    return change;
}
