// How a converted menu item looks: the button box at its left with the
// tool-bar image (embossed when disabled) or the check mark, the selection
// band and the text with its accelerator part right-aligned. Paints into a
// device context; the manager hands over the item and its state.
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/frame/cool_menu_model.h"

struct CoolMenuDrawRequest {
    CRect rect;
    const CoolMenuItem* item = nullptr;
    UINT state = 0;   // ODS_ flags
    UINT action = 0;  // ODA_ flags
    // The item's own check-mark bitmaps (MIIM_CHECKMARKS), nullptr when none.
    HBITMAP checked = nullptr;
    HBITMAP unchecked = nullptr;
};

class CoolMenuPainter {
public:
    CoolMenuPainter(CImageList* images, CSize button, CFont* font, bool useDrawState)
        : images_(images), button_(button), font_(font), useDrawState_(useDrawState) {}

    void Draw(CDC& dc, const CoolMenuDrawRequest& request) const;
    // The button box of an item: button-sized, at its left, vertically centred.
    CRect ButtonBox(const CRect& item) const;

private:
    // Returns TRUE when a box (image or check mark) was drawn.
    bool DrawButton(CDC& dc, const CoolMenuDrawRequest& request, const CRect& box) const;
    void DrawImage(CDC& dc, int image, const CRect& box, bool disabled) const;
    void DrawText(CDC& dc, const CoolMenuDrawRequest& request) const;

    CImageList* images_;
    CSize button_;
    CFont* font_;
    bool useDrawState_;
};

// The system's check-mark bitmap, made once.
HBITMAP SystemCheckMark();

// Repaints a radio-check bitmap as the menus show it: white, with a black
// filled dot 4 pixels across at its centre.
void PaintRadioMark(HBITMAP bitmap);
