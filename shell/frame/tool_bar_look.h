// How the flat tool bar looks: its colours, the picture of each button and
// separator, the gripper and the disabled (embossed) images, painted into a
// device context; and the custom-draw conversation with the bar's owner.
// The window (CToolBarEx) only gathers the buttons and hands them over.
#pragma once

#include <functional>
#include <vector>

#include "platform/afx/afxwin.h"

// The four colours of a flat bar, read from the system.
struct ToolBarColours {
    COLORREF face = 0;
    COLORREF highlight = 0;
    COLORREF shadow = 0;
    COLORREF light = 0;
    // When the system's 3D light is the face colour, checked buttons would not
    // stand out: the highlight colour is taken as the light colour then.
    static ToolBarColours FromSystem();
};

// One item of the bar as the painter sees it.
struct ToolButtonView {
    CRect rect;
    UINT id = 0;
    UINT style = 0;  // TBBS_ flags
    int image = -1;
    CString text;
    bool hot = false;      // the cursor is over it
    bool pressed = false;  // the mouse button is down on it
};

// Where the bar sits: the separators and the gripper follow it.
struct ToolBarPlace {
    bool dockedHorizontally = true;  // at the top or bottom of the frame
    bool floating = false;
};

// The owner's custom-draw answers, one call a notification (the record is
// filled in; the answer is CDRF_ flags).
using CustomDrawSink = std::function<LRESULT(NMCUSTOMDRAW&)>;

class ToolBarPainter {
public:
    ToolBarPainter(const ToolBarColours& colours, CImageList* images, CSize imageSize)
        : colours_(colours), images_(images), imageSize_(imageSize) {}

    // The whole bar: background, then every item that meets `update`, with
    // the custom-draw notifications around them when `sink` is given.
    void PaintBar(CDC& dc, const CRect& client, const std::vector<ToolButtonView>& items, const CRect& update,
                  const ToolBarPlace& place, const CustomDrawSink& sink) const;
    void PaintButton(CDC& dc, const ToolButtonView& item) const;
    // A 2-pixel groove: vertical through the middle of a separator of a bar
    // docked at the top or bottom, else horizontal, one button wide, just
    // below it. Wrapped separators of floating bars and separators wider
    // than 8 pixels are not drawn.
    void PaintSeparator(CDC& dc, const ToolButtonView& item, const ToolBarPlace& place, int buttonWidth) const;
    // Two 3-pixel ridges along the bar's short side, 4 pixels in from its
    // edges; nothing for a floating bar.
    void PaintGripper(CDC& dc, const CRect& window, const ToolBarPlace& place) const;
    // The image at `at` in the embossed look of a disabled button.
    void PaintEmbossed(CDC& dc, int image, CPoint at) const;
    // Where the image sits inside a button of `size`.
    CPoint ImageOffset(CSize button, bool hasText) const;

private:
    const ToolBarColours colours_;
    CImageList* images_;
    CSize imageSize_;
};

// Which button is hot: the one under the cursor while it moves over the
// bar; a timer tick with the cursor outside clears it.
class ToolBarHotTracker {
public:
    int Hot() const { return hot_; }
    // `under`: the enabled, visible, non-separator button under the cursor
    // or -1. Returns the buttons to redraw (old and new hot), none when unchanged.
    std::vector<int> MouseMove(int under);
    // Returns the button to redraw when the cursor left the bar (and the
    // timer should stop); -1 while it is still inside or nothing is hot.
    int TimerTick(bool cursorInBar);

private:
    int hot_ = -1;
};

// The colour a tool-bar bitmap was drawn on (its top-left pixel): the
// colour that becomes see-through when its images go into a list.
COLORREF BitmapBackground(CBitmap& bitmap);

// The indexes whose style differs between two copies of the buttons' styles.
std::vector<int> ChangedButtons(const std::vector<UINT>& before, const std::vector<UINT>& after);
