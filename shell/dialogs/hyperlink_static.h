// A label that opens a link when clicked: a thin window over
// CHyperlinkController (state) and CHyperlinkRenderer (drawing).
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "shell/dialogs/hyperlink_renderer.h"

class CHyperlinkStatic : public CStatic {
public:
    CHyperlinkStatic();

    void SetCaption(const std::string& caption);
    void SetLinkTarget(const std::string& target);
    // 1 hover, 2 visited, other values normal.
    void SetColour(int which, COLORREF colour);
    void SetLinkFont(int which, const LOGFONTA& font);
    void SetNormalUnderline(bool on);
    void SetNormalItalic(bool on);

    CHyperlinkController& Controller() { return controller_; }

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg LRESULT OnMouseLeave(WPARAM, LPARAM);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    void repaintNow();
    CHyperlinkController controller_;
    HyperlinkFonts fonts_;
};
