// A button that shows a bitmap in a black frame with an optional shadow to
// the right and below (the splash's picture, without shadow).
#pragma once

#include "platform/afx/afxwin.h"

class CPictureButton : public CButton {
public:
    // Takes bitmap `id` from the resources; FALSE when it is missing.
    BOOL LoadPicture(UINT id, int shadowX = 0, int shadowY = 0);
    // The picture plus the 2-pixel frame each way, plus the shadow.
    CSize FrameSize() const;
    // Draws the frame, the shadow strips and the picture at (2, 2).
    void Draw(CDC& dc, const CRect& client) const;

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

private:
    CBitmap bitmap_;
    int width_ = 0, height_ = 0, shadowX_ = 0, shadowY_ = 0;
};
