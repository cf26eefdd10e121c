// The header advert bar (dialog bar 277, id 1125): a movie pane (item 1137)
// that cycles through the header movies of the advert settings. The frame
// creates it hidden; loading its movies is a separate step.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/movie_player.h"
#include "shell/frame/head_ad_cycle.h"

class CDlgBarHeadAd : public CDialogBar {
public:
    static constexpr UINT kTemplate = 277;
    static constexpr UINT kBarId = 1125;
    static constexpr UINT kPlayerId = 1137;
    static constexpr UINT_PTR kTimer = 0;

    BOOL Create(CWnd* parent, UINT style = CBRS_TOP, UINT id = kBarId);
    // Reads the movies of the advert settings file of `programFolder` and
    // starts the first one.
    void LoadAds(const std::string& programFolder);

    CMoviePlayerCtrl& Player() { return player_; }
    const CHeadAdCycle& Cycle() const { return cycle_; }
    // The timer's period now, 0 when none runs.
    unsigned TimerPeriod() const { return timerMs_; }
    // The number the window system gave the timer (its WM_TIMER carries it).
    UINT_PTR TimerId() const { return timerId_; }

protected:
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    CMoviePlayerCtrl player_;
    CHeadAdCycle cycle_;
    unsigned timerMs_ = 0;
    UINT_PTR timerId_ = kTimer;
    bool play(const std::string& movie);
    void apply(const CHeadAdCycle::Step& step);
};
