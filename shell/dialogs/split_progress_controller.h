// The state of the split progress window: the bar's range and position, the
// stop the user asked for, and the texts of its two labels.
#pragma once

#include <string>

class CSplitProgressController {
public:
    // The bar runs from 0 to `pages`; position 0.
    void SetRange(int pages);
    // Page `pageIndex` (from 0) of `pageCount` is being split, the bar at
    // `position`. 0 once the user stopped; 1 otherwise, with the bar and the
    // status line (from `format`, "%d" for the count and then the page number)
    // changed only for a position within the range.
    int Step(int position, int pageCount, int pageIndex, const std::string& format);
    void Stop() { stopped_ = true; }
    bool Stopped() const { return stopped_; }

    int Range() const { return range_; }
    int Position() const { return position_; }
    const std::string& StatusLine() const { return status_; }

    // The file line: `prefix` and the name with ".PDF"; a name longer than 32
    // characters is cut to its first 28 and "...", between characters (the
    // name is in the ANSI code page, double-byte characters stay whole).
    static std::string FileLine(const std::string& prefix, const std::string& name);

private:
    int range_ = 0;
    int position_ = 0;
    bool stopped_ = false;
    std::string status_;
};

// `format` with each "%d" replaced by the next of `numbers` (no other
// directive is read; "%d" past the numbers stays).
std::string FormatNumbers(const std::string& format, std::initializer_list<int> numbers);
