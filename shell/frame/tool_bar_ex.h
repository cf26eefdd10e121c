// The flat main tool bar: buttons painted by the program (flat until the
// cursor is over them, sunken while checked, embossed while disabled), the
// owner told of every paint by custom-draw notifications, the button under
// the cursor tracked, and a gripper at the bar's leading edge.
#pragma once

#include <vector>

#include "platform/afx/afxwin.h"
#include "shell/frame/tool_bar_look.h"

class CToolBarEx : public CToolBar {
public:
    static constexpr UINT_PTR kHotTimer = 1;
    static constexpr UINT kHotTimerMs = 250;

    CToolBarEx();
    ~CToolBarEx() override;

    // Creates the bar; `parent` also receives the drawing notifications.
    BOOL CreateEx(CWnd* parent, DWORD ctrlStyle = TBSTYLE_FLAT, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                  CRect borders = CRect(0, 0, 0, 0), UINT id = AFX_IDW_TOOLBAR);
    // The tool-bar resource and its bitmap; the images become the bar's image list.
    BOOL LoadToolBar(UINT id);
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;

    bool IsFlat() const { return flat_ != 0; }
    void SetFlat(bool flat) { flat_ = flat ? 1 : 0; Invalidate(); }
    int HotButton() const { return hot_.Hot(); }
    const ToolBarColours& Colours() const { return colours_; }
    CImageList* Images() { return images_.GetImageCount() ? &images_ : nullptr; }
    CFont& Font() { return font_; }
    // Where the bar sits now (docked at the top or bottom, or floating).
    ToolBarPlace Place() const;
    // The items as the painter sees them.
    std::vector<ToolButtonView> Items() const;
    // Paints the bar into `dc` (its client area) as WM_PAINT does.
    void Paint(CDC& dc, const CRect& update);

protected:
    afx_msg void OnPaint();
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnSysColorChange();
    DECLARE_MESSAGE_MAP()

private:
    // The enabled, visible, non-separator button at `point`; -1 for none.
    int ButtonAt(CPoint point) const;
    void RedrawButton(int index);
    LRESULT Notify(NMCUSTOMDRAW& record);
    void BuildImageList();

    int flat_ = 1;
    ToolBarColours colours_;
    ToolBarHotTracker hot_;
    CImageList images_;
    CFont font_;
    CWnd* notifyOwner_ = nullptr;
    UINT bitmapId_ = 0;
};
