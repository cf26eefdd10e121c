// The candidate panel: a thin child window of the text view over the panel's
// model (CCandidateLayout) and painter. It shows the caret character's image
// and candidates and turns clicks into WM_CANDIDATEBAR requests to its parent.
#pragma once

#include <map>
#include <memory>

#include "platform/afx/afxwin.h"
#include "views/text/candidate_layout.h"
#include "views/text/candidate_painter.h"

class CCandidateBar : public CWnd {
public:
    static constexpr UINT_PTR kHoverTimer = 2000;
    static constexpr UINT kHoverTimerMs = 200;

    CCandidateBar();
    ~CCandidateBar() override;

    using CWnd::Create;
    // Loads the faces and makes the child window; FALSE when a face is missing
    // or the window cannot be made.
    BOOL Create(const RECT& rect, CWnd* parent);
    // 128 bytes (32 x 32, 1 bit a pixel); null shows "Image pointer is null!".
    void SetCharImage(const BYTE* image);
    void SetCandidates(const WORD* codes, int count);
    // Moves to `rect` and flips the layout when currentCompact is the panel's state.
    void Place(bool currentCompact, const RECT& rect);
    void Reset();
    bool IsCompact() const { return m_layout.IsCompact(); }
    bool IsCreated() const { return m_bCreated; }
    const CCandidateLayout& Layout() const { return m_layout; }
    // The panel as it paints itself, into dc at the origin.
    void PaintTo(CDC* dc);

    void PostNcDestroy() override {}

protected:
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnClose();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);

private:
    CBitmap* Face(int id);
    SIZE FaceSize(int id);

    std::map<int, std::unique_ptr<CBitmap>> m_faces;
    CFont m_font;
    CCandidateLayout m_layout;
    CCandidatePainter m_painter;
    bool m_bCreated = false;

    DECLARE_MESSAGE_MAP()
};

extern const char* const kMsgImagePointerNull;  // "Image pointer is null!"
