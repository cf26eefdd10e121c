// Which header movie plays and when the next one is due. Each movie plays
// for ten seconds; one that cannot be played is skipped after a millisecond.
// With no movies there is no timer, and once every movie of the list has been
// found missing in a row the cycling stops (it would only spin).
#pragma once

#include <functional>
#include <string>
#include <vector>

class CHeadAdCycle {
public:
    static constexpr unsigned kShowMs = 10000;
    static constexpr unsigned kSkipMs = 1;

    // What the bar does next: play `movie` (when not empty; the first one
    // also gets the black background), then run its timer for `timerMs`
    // (0: no timer, killed if running).
    struct Step {
        std::string movie;
        bool first = false;
        unsigned timerMs = 0;
    };
    // `play` gives a movie to the player; false when it cannot be played.
    using Player = std::function<bool(const std::string&)>;

    Step Start(std::vector<std::string> movies, const Player& play);
    Step OnTimer(const Player& play);

    int Current() const { return current_; }
    const std::vector<std::string>& Movies() const { return movies_; }
    bool Cycling() const { return cycling_; }

private:
    std::vector<std::string> movies_;
    int current_ = 0;
    int missedInRow_ = 0;
    bool cycling_ = false;
    Step show(const Player& play, bool first);
};
