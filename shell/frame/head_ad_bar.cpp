#include "shell/frame/head_ad_bar.h"

#include "shell/frame/ad_settings.h"

BEGIN_MESSAGE_MAP(CDlgBarHeadAd, CDialogBar)
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CDlgBarHeadAd::Create(CWnd* parent, UINT style, UINT id) {
    if (!CDialogBar::Create(parent, MAKEINTRESOURCE(kTemplate), style, id)) return FALSE;
    // The template's item 1137 is the movie pane; the bar keeps it.
    return player_.SubclassDlgItem(kPlayerId, this);
}

void CDlgBarHeadAd::LoadAds(const std::string& programFolder) {
    apply(cycle_.Start(CAdSettings(programFolder).HeadMovies(), [this](const std::string& m) { return play(m); }));
}

bool CDlgBarHeadAd::play(const std::string& movie) {
    player_.StopPlay();
    if (!player_.SetMovie(movie.c_str())) return false;
    player_.Play();
    return true;
}

void CDlgBarHeadAd::apply(const CHeadAdCycle::Step& step) {
    if (step.first) player_.SetBackgroundColor("000000");
    if (!GetSafeHwnd()) return;
    if (step.timerMs == 0) {
        if (timerMs_) KillTimer(timerId_);
        timerMs_ = 0;
        return;
    }
    // The window system may number timer 0 otherwise; its ticks carry the number it gave.
    timerId_ = SetTimer(kTimer, step.timerMs, nullptr);
    timerMs_ = step.timerMs;
}

void CDlgBarHeadAd::OnTimer(UINT_PTR id) {
    if (id != timerId_) {
        CDialogBar::OnTimer(id);
        return;
    }
    apply(cycle_.OnTimer([this](const std::string& m) { return play(m); }));
}

void CDlgBarHeadAd::OnDestroy() {
    if (timerMs_) KillTimer(timerId_);
    timerMs_ = 0;
    CDialogBar::OnDestroy();
}
