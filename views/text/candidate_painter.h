// Draws the candidate panel's model into a device context: the grey band
// with its sunken frame, each item's face for its state, the character image
// and the candidate texts in the panel's font.
#pragma once

#include <functional>

#include "platform/afx/afxwin.h"
#include "views/text/candidate_layout.h"

constexpr COLORREF kPanelGrey = RGB(192, 192, 192);
constexpr int kPanelRightStrip = 18;

class CCandidatePainter {
public:
    // face gives the bitmap of a face by its resource id (null: not drawn).
    void Paint(CDC* dc, const CCandidateLayout& layout, const std::function<CBitmap*(int)>& face, CFont* font) const;

private:
    void PaintCharImage(CDC* dc, const CCandidateLayout& layout, const RECT& frame) const;
};
