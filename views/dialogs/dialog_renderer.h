// Drawing of the brightness and manual skew dialogs' client areas: the
// preview picture, its frame, and the skew line with its handles and guide.
#pragma once

#include "platform/afx/afxwin.h"
#include "views/dialogs/brightness_controller.h"
#include "views/dialogs/manual_skew_controller.h"

class CDialogRenderer {
public:
    static constexpr COLORREF kFrame = RGB(90, 89, 88);
    static constexpr COLORREF kLine = RGB(255, 0, 0);

    static void DrawBrightness(CDC& dc, const CBrightnessController& c);
    static void DrawManualSkew(CDC& dc, const CManualSkewController& c);
    // A one-pixel outline in the given colour with R2_COPYPEN: MoveTo the
    // first corner, then lines through the other three and back.
    static void DrawTracker(CDC& dc, POINT topLeft, POINT bottomRight, COLORREF color);

private:
    static void DrawPicture(CDC& dc, const CPreviewWindow& w, int left, int top);
};
