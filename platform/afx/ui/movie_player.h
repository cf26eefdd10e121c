// A picture pane that plays a movie file: any picture format of the window
// system, animated ones (GIF) running while it plays, shown centred and
// scaled down to fit over its background colour. The control class is
// "AfxMoviePlayer"; a file it cannot read leaves the pane empty.
#pragma once

#include "platform/afx/ui/wnd.h"

#define MOVIEPLAYER_CLASS "AfxMoviePlayer"

#define MPM_SETMOVIE (WM_USER + 0x3B0)     // lParam: path (ANSI text); TRUE when it could be read
#define MPM_PLAY (WM_USER + 0x3B1)
#define MPM_STOP (WM_USER + 0x3B2)
#define MPM_SETBKCOLOR (WM_USER + 0x3B3)   // lParam: "RRGGBB" (ANSI text)
#define MPM_GETMOVIE (WM_USER + 0x3B4)     // lParam: CString* receiving the path
#define MPM_ISPLAYING (WM_USER + 0x3B5)
#define MPM_GETFRAME (WM_USER + 0x3B6)     // the current frame number (0 for still pictures)

class AFX_UI_API CMoviePlayerCtrl : public CWnd {
    DECLARE_DYNAMIC(CMoviePlayerCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    BOOL SetMovie(LPCTSTR path);
    CString GetMovie() const;
    void Play();
    void StopPlay();
    BOOL IsPlaying() const;
    int CurrentFrame() const;
    void SetBackgroundColor(LPCTSTR rrggbb);
};
