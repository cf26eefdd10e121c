// The status bar's progress: how much of pane 1 a position in a range fills.
// An empty or reversed range draws nothing, and positions outside the range
// are clamped, so the bar never runs past its pane.
#pragma once

class ProgressPane {
public:
    // No bar: the pane shows its text.
    void Clear() { filled_ = 0; percent_ = 0; active_ = false; }
    // An empty bar (all grey, no figure): a long operation is about to start.
    void Empty() { filled_ = 0; percent_ = -1; active_ = true; }
    // Fills `width` pixels' worth for `current` of [first, last]; FALSE (and
    // nothing drawn) for an empty range.
    bool Set(int first, int last, int current, int width);
    int Filled() const { return filled_; }
    // The share done, 0 to 100; -1 for an empty bar, which shows no figure.
    int Percent() const { return percent_; }
    bool Active() const { return active_; }

private:
    int filled_ = 0;
    int percent_ = 0;
    bool active_ = false;
};
