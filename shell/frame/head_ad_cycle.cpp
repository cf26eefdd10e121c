#include "shell/frame/head_ad_cycle.h"

CHeadAdCycle::Step CHeadAdCycle::Start(std::vector<std::string> movies, const Player& play) {
    movies_ = std::move(movies);
    current_ = 0;
    missedInRow_ = 0;
    cycling_ = !movies_.empty();
    if (!cycling_) return {};
    return show(play, true);
}

CHeadAdCycle::Step CHeadAdCycle::OnTimer(const Player& play) {
    if (!cycling_ || movies_.empty()) return {};
    current_ = (current_ + 1) % static_cast<int>(movies_.size());
    return show(play, false);
}

CHeadAdCycle::Step CHeadAdCycle::show(const Player& play, bool first) {
    Step step;
    const std::string& movie = movies_[static_cast<size_t>(current_)];
    if (play && play(movie)) {
        missedInRow_ = 0;
        step.movie = movie;
        step.first = first;
        step.timerMs = kShowMs;
        return step;
    }
    if (++missedInRow_ >= static_cast<int>(movies_.size())) {
        cycling_ = false;
        return step;  // every movie is missing: no timer
    }
    step.timerMs = kSkipMs;
    return step;
}
