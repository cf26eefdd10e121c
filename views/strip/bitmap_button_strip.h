// A child strip of flat bitmap buttons: raised while the cursor is over a
// button, sunken while it is pressed; a click is sent to the parent as
// WM_STRIPBUTTON (wParam 0, lParam the button index).
#pragma once

#include <array>
#include <memory>

#include "platform/afx/afxwin.h"
#include "views/strip/strip_buttons.h"

#ifndef WM_STRIPBUTTON
#define WM_STRIPBUTTON (WM_USER + 1011)
#endif

class CBitmapButtonStrip : public CWnd {
public:
    static constexpr UINT_PTR kHoverTimer = 2001;
    static constexpr UINT kHoverMs = 200;

    CBitmapButtonStrip() = default;
    ~CBitmapButtonStrip() override;

    using CWnd::Create;
    // FALSE without a parent, for a count outside 1 to 24, when the window cannot be made or a bitmap is
    // missing ("Load Bmp Fail.").
    BOOL Create(const RECT& rect, BOOL horizontal, int count, int itemWidth, int itemHeight, const UINT* bitmapIds,
                CWnd* parent);
    const CStripButtons& Buttons() const { return m_buttons; }

    // Paints the strip into a device context of its client size.
    void Draw(CDC& dc, const RECT& client);

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    void Report(int item);
    CStripButtons m_buttons;
    std::array<std::unique_ptr<CBitmap>, CStripButtons::kMaxItems> m_bitmaps{};
};
