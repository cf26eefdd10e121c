// The scrolling text panel of the batch recognition window, without a
// window: at most 16 lines of at most 79 characters that the recognised
// pieces fill one after the other. A piece that does not fit the current
// line starts the next one, a line-feed piece only ends the line, and when
// the last visible line is full the text moves up by one line. Pieces are
// appended a whole character at a time and never past the line's bound.
#pragma once

#include <array>
#include <string>

class CBatchTextPanel {
public:
    static constexpr int kMaxLines = 16;
    static constexpr int kLineBytes = 80;  // 79 characters and the terminating zero
    static constexpr int kMaxColumns = kLineBytes - 1;

    // What a piece changed, for the window's repaint.
    struct Change {
        bool whole = false;  // several lines moved: repaint the panel
        int line = -1;       // else the one line touched (-1: nothing)
        int fromColumn = 0;  // from this column to the panel's right edge
    };

    CBatchTextPanel() { Clear(); }

    // Lines and characters that fit the panel, bounded to the buffer.
    void SetGeometry(int visibleLines, int columns);
    int VisibleLines() const { return m_nVisible; }
    int Columns() const { return m_nColumns; }

    Change AddText(const char* piece);
    // The current line (-1: nothing shown yet) and its text.
    int CurrentLine() const { return m_nCurrent; }
    void SetCurrentLine(int line) { m_nCurrent = line < -1 ? -1 : (line >= kMaxLines ? kMaxLines - 1 : line); }
    const char* Line(int index) const;
    // Empties every line; the current line becomes -1.
    void Clear();

private:
    // Ends the current line: the next line, or everything up by one line
    // when the last visible line is the current one. True when it moved text.
    bool NextLine();

    std::array<std::array<char, kLineBytes>, kMaxLines> m_lines{};
    int m_nCurrent = -1;
    int m_nVisible = kMaxLines;
    int m_nColumns = kMaxColumns;
};
