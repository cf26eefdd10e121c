// The conversion progress dialog without its window: the bar's range and
// position, the percentage label that only counts up, the file-name label
// and the stop request.
#pragma once

#include <string>

class CProgressController {
public:
    // Range 0..n, position 0, the remembered percentage 0.
    void SetRange(int n);
    // Moves the bar to `pos` unless it is 0 or less or past the range: true
    // when it moved. When the percentage grew, PercentText changes and
    // *percentChanged is set.
    bool SetPos(int pos, bool* percentChanged);
    // Forgets the shown percentage so that the label counts up again.
    void ResetPercentage() { m_lastPercent = 0; }
    int Range() const { return m_range; }
    int Pos() const { return m_pos; }
    const std::string& PercentText() const { return m_percentText; }

    // The file-name label: `prefix` and `path`, a path longer than 96 bytes
    // cut to at most its first 90 (never inside a double-byte character of
    // the code page) followed by "...".
    static std::string FileLabel(const std::string& prefix, const std::string& path);

    void Stop() { m_stopped = true; }
    void ClearStop() { m_stopped = false; }
    bool Stopped() const { return m_stopped; }

private:
    int m_range = 0;
    int m_pos = 0;
    int m_lastPercent = 0;
    std::string m_percentText = "  0%";
    bool m_stopped = false;
};
