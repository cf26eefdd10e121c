// Control bars of frames: tool bars, status bars, dialog bars and dock bars,
// laid out along the frame's edges by RecalcLayout, their item states kept
// current by update handlers while the application is idle.
#pragma once

#include <vector>

#include "platform/afx/ui/docview.h"

#define CBRS_ALIGN_LEFT 0x1000u
#define CBRS_ALIGN_TOP 0x2000u
#define CBRS_ALIGN_RIGHT 0x4000u
#define CBRS_ALIGN_BOTTOM 0x8000u
#define CBRS_ALIGN_ANY 0xF000u
#define CBRS_BORDER_LEFT 0x0100u
#define CBRS_BORDER_TOP 0x0200u
#define CBRS_BORDER_RIGHT 0x0400u
#define CBRS_BORDER_BOTTOM 0x0800u
#define CBRS_BORDER_ANY 0x0F00u
#define CBRS_TOOLTIPS 0x0010u
#define CBRS_FLYBY 0x0020u
#define CBRS_FLOAT_MULTI 0x0040u
#define CBRS_BORDER_3D 0x0080u
#define CBRS_HIDE_INPLACE 0x0008u
#define CBRS_SIZE_DYNAMIC 0x0004u
#define CBRS_SIZE_FIXED 0x0002u
#define CBRS_FLOATING 0x0001u
#define CBRS_GRIPPER 0x00400000u
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_ORIENT_ANY (CBRS_ORIENT_HORZ | CBRS_ORIENT_VERT)
#define CBRS_ALL 0x0040FFFFu
#define CBRS_NOALIGN 0x00000000u
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define TBSTYLE_FLAT 0x0800u
#define TBSTYLE_TRANSPARENT 0x8000u
#define TBSTYLE_TOOLTIPS 0x0100u
#define TBSTYLE_WRAPABLE 0x0200u
#define TBSTYLE_LIST 0x1000u
#define TBBS_BUTTON 0x0000u
#define TBBS_SEPARATOR 0x0001u
#define TBBS_CHECKBOX 0x0002u
#define TBBS_GROUP 0x0004u
#define TBBS_CHECKGROUP (TBBS_GROUP | TBBS_CHECKBOX)
#define TBBS_CHECKED 0x0100u
#define TBBS_PRESSED 0x0200u
#define TBBS_DISABLED 0x0400u
#define TBBS_INDETERMINATE 0x0800u
#define TBBS_HIDDEN 0x1000u
// A button that ends a row of a wrapped (floating) bar.
#define TBBS_WRAPPED 0x00010000u
#define TB_SETBUTTONSIZE 0x041Fu
#define TB_SETBITMAPSIZE 0x0420u
// A button's rectangle by its command id (lParam a RECT*); FALSE when absent.
#define TB_GETRECT 0x0433u
#define TB_SETEXTENDEDSTYLE 0x0454u
#define TB_GETEXTENDEDSTYLE 0x0455u
// Drop-down buttons get an arrow part of their own; a click on it tells the
// owner TBN_DROPDOWN instead of sending the button's command.
#define TBSTYLE_EX_DRAWDDARROWS 0x00000001u
#define TBSTYLE_DROPDOWN 0x0008u
#define TBN_DROPDOWN (0u - 710u)
#define TBDDRET_DEFAULT 0
// The drop-down notification of a tool-bar button: iItem is its command id.
struct NMTOOLBARA {
    NMHDR hdr;
    int iItem;
    RECT rcButton;
};
#define SBPS_NORMAL 0x0000u
#define SBPS_NOBORDERS 0x0100u
#define SBPS_POPOUT 0x0200u
#define SBPS_OWNERDRAW 0x1000u
#define SBPS_DISABLED 0x04000000u
#define SBPS_STRETCH 0x08000000u
#define LM_STRETCH 0x01
#define LM_HORZ 0x02
#define LM_MRUWIDTH 0x04
#define LM_HORZDOCK 0x08
#define LM_VERTDOCK 0x10
#define LM_LENGTHY 0x20
#define LM_COMMIT 0x40

class CDockBar;

// A bar along an edge of a frame. A bar its frame lets dock (EnableDocking on
// both) sits in one of the frame's dock bars, or floats in a small frame of its
// own: a double click on the bar outside its items, or a drag of it by that
// area, moves it between the two.
class AFX_UI_API CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    CControlBar();
    ~CControlBar() override;

    virtual CSize CalcFixedLayout(BOOL stretch, BOOL horz);
    virtual CSize CalcDynamicLayout(int length, DWORD mode);
    // Brings the items' states up to date through `target`'s update handlers.
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) = 0;
    virtual void DoPaint(CDC* dc);
    virtual void DelayShow(BOOL show);
    virtual BOOL IsVisible() const;
    void SetBarStyle(DWORD style);
    DWORD GetBarStyle() const { return m_dwBarStyle; }
    void EnableDocking(DWORD dockStyle);
    // Floating in a frame of its own rather than docked at an edge.
    BOOL IsFloating() const;
    CFrameWnd* GetDockingFrame() const { return m_pDockSite; }
    // Floats a docked bar where it last floated; docks a floating one at the edge it last left.
    void ToggleDocking();
    int GetCount() const;
    BOOL IsHorz() const { return (m_dwBarStyle & CBRS_ORIENT_HORZ) != 0; }
    void CalcInsideRect(CRect& rect, BOOL horz) const;
    void SetBorders(int left = 0, int top = 0, int right = 0, int bottom = 0);
    void PostNcDestroy() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    afx_msg LRESULT OnIdleUpdateCmdUIMessage(WPARAM wParam, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);

    DWORD m_dwBarStyle = 0;
    DWORD m_dwDockStyle = 0;
    CFrameWnd* m_pDockSite = nullptr;
    CDockBar* m_pDockBar = nullptr;
    BOOL m_bAutoDelete = FALSE;
    int m_cxLeftBorder = 6, m_cxRightBorder = 6, m_cyTopBorder = 2, m_cyBottomBorder = 2;
    int m_nCount = 0;
    int m_nMRUWidth = 32767;
    CSize m_sizeDefault;
    // Where the bar goes back to: the dock bar it last left, the screen point it last floated at.
    UINT m_nLastDockID = 0;
    CPoint m_ptLastFloat{static_cast<int>(0x80000000), 0};

protected:
    BOOL CreateBar(CWnd* parent, DWORD style, UINT id, LPCTSTR name);
    // Widens (horizontal) or lengthens `size` to the parent's client area.
    void StretchToParent(CSize& size, BOOL horz) const;
    // Lays out again whatever holds the bar: its frame, or its floating frame.
    void RecalcHolderLayout();
    BOOL m_bDragging = FALSE;
    CPoint m_ptDragStart;  // screen point where a drag of the bar began
    DECLARE_MESSAGE_MAP()
};

// The bars docked at one edge of a frame, one row (top, bottom) or column
// (left, right) each; or the one bar of a floating frame. A dock bar without
// visible bars takes no room.
class AFX_UI_API CDockBar : public CControlBar {
    DECLARE_DYNAMIC(CDockBar)
public:
    explicit CDockBar(BOOL floating = FALSE);
    ~CDockBar() override;
    using CWnd::Create;
    BOOL Create(CWnd* parent, DWORD style, UINT id);
    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
    // Takes `bar` from wherever it is; `rect` (screen) picks its place among the bars here.
    void DockControlBar(CControlBar* bar, LPCRECT rect = nullptr);
    // Lets `bar` go; a floating frame left empty goes too. FALSE when it was not here.
    BOOL RemoveControlBar(CControlBar* bar);
    int GetDockedVisibleCount() const;
    // Places the docked bars inside the dock bar's client area.
    void LayoutBars();
    std::vector<CControlBar*> m_arrBars;
    BOOL m_bFloating;

protected:
    CSize BarSize(CControlBar* bar) const;
};

// A small frame with a tool-window caption.
class AFX_UI_API CMiniFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMiniFrameWnd)
public:
    CMiniFrameWnd() = default;
    BOOL Create(LPCTSTR className, LPCTSTR title, DWORD style, const RECT& rect, CWnd* parent = nullptr, UINT id = 0);
};

// The frame a floating bar lives in: one floating dock bar, the frame sized to
// fit it. Closing it hides the bar; the bar's commands still go to the frame
// it belongs to.
class AFX_UI_API CMiniDockFrameWnd : public CMiniFrameWnd {
    DECLARE_DYNCREATE(CMiniDockFrameWnd)
public:
    CMiniDockFrameWnd();
    // `barStyle` CBRS_ALIGN_TOP or _BOTTOM lays the bar out horizontally, _LEFT or _RIGHT vertically.
    virtual BOOL Create(CWnd* parent, DWORD barStyle);
    void RecalcLayout(BOOL notify = TRUE) override;
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    CDockBar m_wndDockBar;
    BOOL m_bDestroying = FALSE;
    DECLARE_MESSAGE_MAP()
};

class AFX_UI_API CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)
public:
    CToolBar();
    ~CToolBar() override;
    using CWnd::Create;
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CWnd* parent, DWORD ctrlStyle = TBSTYLE_FLAT, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                  CRect borders = CRect(0, 0, 0, 0), UINT id = AFX_IDW_TOOLBAR);
    // The tool-bar resource's buttons and its bitmap of the same id.
    BOOL LoadToolBar(LPCTSTR name);
    BOOL LoadToolBar(UINT id) { return LoadToolBar(MAKEINTRESOURCE(id)); }
    BOOL LoadBitmap(LPCTSTR name);
    BOOL LoadBitmap(UINT id) { return LoadBitmap(MAKEINTRESOURCE(id)); }
    BOOL SetBitmap(HBITMAP bitmap);
    BOOL SetButtons(const UINT* ids, int count);
    void SetSizes(SIZE button, SIZE image);
    void SetHeight(int height);
    int CommandToIndex(UINT id) const;
    UINT GetItemID(int index) const;
    void GetItemRect(int index, LPRECT rect) const;
    UINT GetButtonStyle(int index) const;
    void SetButtonStyle(int index, UINT style);
    void GetButtonInfo(int index, UINT& id, UINT& style, int& image) const;
    void SetButtonInfo(int index, UINT id, UINT style, int image);
    BOOL SetButtonText(int index, LPCTSTR text);
    CString GetButtonText(int index) const;
    // TBSTYLE_EX_ bits (TB_SETEXTENDEDSTYLE / TB_GETEXTENDEDSTYLE).
    DWORD GetExtendedStyle() const { return m_dwExtendedStyle; }
    void SetExtendedStyle(DWORD style);
    // The arrow part of a drop-down button (empty for other buttons, or while
    // the bar draws no arrows); it lies at the right end of GetItemRect's.
    void GetDropDownArrowRect(int index, LPRECT rect) const;
    static constexpr int kDropDownArrowWidth = 12;
    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    // A click on a check button: it flips, or, in a group, becomes the checked one.
    void ToggleCheck(int index);

    struct Button {
        UINT id = 0;
        UINT style = 0;
        int image = -1;
        CString text;
    };
    std::vector<Button> m_buttons;
    CSize m_sizeButton{23, 22};
    CSize m_sizeImage{16, 15};
    HBITMAP m_hbmImageWell = nullptr;
    DWORD m_dwExtendedStyle = 0;
    int m_nPressed = -1;
    int m_nHot = -1;

    DECLARE_MESSAGE_MAP()
};

// Paints the small down arrow of a drop-down button into `arrow` of `dc`.
AFX_UI_API void AfxDrawDropDownArrow(HDC dc, const RECT& arrow, BOOL disabled);

class AFX_UI_API CStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CStatusBar)
public:
    CStatusBar();
    ~CStatusBar() override;
    using CWnd::Create;
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
    BOOL CreateEx(CWnd* parent, DWORD ctrlStyle = 0, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                  UINT id = AFX_IDW_STATUS_BAR);
    // One pane an id; a pane's text is the string of its id (ID_SEPARATOR: empty, stretching).
    BOOL SetIndicators(const UINT* ids, int count);
    int CommandToIndex(UINT id) const;
    UINT GetItemID(int index) const;
    void GetItemRect(int index, LPRECT rect) const;
    void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    UINT GetPaneStyle(int index) const;
    void SetPaneStyle(int index, UINT style);
    CString GetPaneText(int index) const;
    void GetPaneText(int index, CString& text) const;
    BOOL SetPaneText(int index, LPCTSTR text, BOOL update = TRUE);
    // Owner-drawn panes (SBPS_OWNERDRAW) are drawn here; itemData is the pane's text.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnPaint();
    afx_msg void OnSize(UINT type, int cx, int cy);

    struct Pane {
        UINT id = 0;
        UINT style = 0;
        int width = 0;
        CString text;
    };
    std::vector<Pane> m_panes;

protected:
    void Layout(std::vector<CRect>* rects) const;
    DECLARE_MESSAGE_MAP()
};

// A bar made from a dialog template; its controls' states follow update handlers.
class AFX_UI_API CDialogBar : public CControlBar {
    DECLARE_DYNAMIC(CDialogBar)
public:
    CDialogBar();
    ~CDialogBar() override;
    using CWnd::Create;
    BOOL Create(CWnd* parent, LPCTSTR templateName, UINT style, UINT id);
    BOOL Create(CWnd* parent, UINT templateId, UINT style, UINT id) {
        return Create(parent, MAKEINTRESOURCE(templateId), style, id);
    }
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    DECLARE_MESSAGE_MAP()
};
