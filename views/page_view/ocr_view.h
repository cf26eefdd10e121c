// The page view: a thin window over CPageViewController (state and rules)
// and CPageViewRenderer (drawing). It owns its two scroll bars and the
// one-button strip, forwards messages and commands to the controller and
// blits the renderer's memory bitmap.
#pragma once

#include "ocrdoc/document/ocr_doc.h"
#include "platform/afx/afxwin.h"
#include "views/page_view/page_view_controller.h"
#include "views/page_view/page_view_renderer.h"
#include "views/strip/bitmap_button_strip.h"

class COcrView : public CView, private CPageViewHost {
    DECLARE_DYNCREATE(COcrView)
public:
    static constexpr UINT_PTR kAutoScrollTimer = 1;
    static constexpr UINT_PTR kContextMenuTimer = 2;
    static constexpr UINT kAutoScrollMs = 30;

    COcrView();
    ~COcrView() override;

    COcrDoc* GetDocument() const { return static_cast<COcrDoc*>(m_pDocument); }
    CPageViewController& Controller() { return m_controller; }
    const RECT& ImageArea() const { return m_rcImage; }
    CBitmapButtonStrip& Strip() { return m_wndStrip; }
    CScrollBar& HorizontalBar() { return m_wndHScroll; }
    CScrollBar& VerticalBar() { return m_wndVScroll; }

    // Operations other parts call.
    BOOL UpdateDisplayImage();
    void ResetView();
    void SetZoom(WORD zoom);
    void ZoomIn();
    void ZoomOut();
    void InvalidateImageRect(const RECT& page);
    void ShowCharBox(int left, int top, int right, int bottom);
    void PageLoaded(HGLOBAL block, CPageImage* image);
    // A grey page whose black-and-white plane the brightness dialog may make
    // again (no run holds it); and the dialog itself: on OK the plane made at
    // the chosen threshold replaces the page's plane.
    bool CanAdjustBrightness();
    void AdjustBrightness();
    // Prints the page on the named printer (an unknown name or none: the
    // platform's PDF file printer), without asking.
    void PrintTo(const std::string& printer);
    // Shows the context menu (menu 146, first submenu) at a client point:
    // the image and layout commands, the kinds of the selected region and
    // the learning commands.
    void ShowContextMenu(POINT client);
    // Paints the image area into a memory bitmap and copies it to `dc`.
    void PaintImageArea(CDC* dc);

    void OnDraw(CDC* dc) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CDC*, CPrintInfo*) override {}
    void OnEndPrinting(CDC*, CPrintInfo*) override {}

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnCaptureChanged(CWnd* wnd);
    afx_msg void OnZoom100();
    afx_msg void OnZoom50();
    afx_msg void OnZoom25();
    afx_msg void OnZoom12();
    afx_msg void OnUpdateZoomFixed(CCmdUI* ui);
    afx_msg void OnZoomInCommand();
    afx_msg void OnZoomOutCommand();
    afx_msg void OnUpdateZoomIn(CCmdUI* ui);
    afx_msg void OnUpdateZoomOut(CCmdUI* ui);
    afx_msg void OnUpdateWindowSplit(CCmdUI* ui);
    afx_msg LRESULT OnPageLoaded(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnStripButton(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnImageProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnResultState(WPARAM wParam, LPARAM lParam);
    // WM_USER+1107: the application's scan-done step.
    afx_msg LRESULT OnScanDoneMessage(WPARAM wParam, LPARAM lParam);
    afx_msg void OnMouseNormal();
    afx_msg void OnMouseScissors();
    afx_msg void OnMousePen();
    afx_msg void OnMouseSwitch();
    afx_msg void OnUpdateMouseTool(CCmdUI* ui);
    afx_msg void OnImageSeal();
    afx_msg void OnUpdateImageSeal(CCmdUI* ui);
    afx_msg void OnImageAutoDeskew();
    afx_msg void OnImageManualDeskew();
    afx_msg void OnImageInvert();
    afx_msg void OnImageRotateLeft();
    afx_msg void OnImageRotateRight();
    afx_msg void OnImageResize();
    afx_msg void OnImageRestore();
    afx_msg void OnImageNothing();
    afx_msg void OnEditCopy();
    afx_msg void OnEditCut();
    afx_msg void OnEditPaste();
    afx_msg void OnUpdateEditPaste(CCmdUI* ui);
    afx_msg void OnUpdateImageTool(CCmdUI* ui);
    afx_msg void OnUpdateImageInvert(CCmdUI* ui);
    afx_msg void OnUpdateImageResize(CCmdUI* ui);
    afx_msg void OnUpdateImageRestore(CCmdUI* ui);
    afx_msg void OnUpdateEditCopy(CCmdUI* ui);
    afx_msg void OnUpdateEditCut(CCmdUI* ui);
    DECLARE_MESSAGE_MAP()

public:
    // CPageViewHost, over the document and the shell.
    BOOL DiscardResult() override;
    void SetModified() override;
    void SetLayoutDirty() override;
    bool IsHandwritingPage() const override;
    bool AutoResize() const override;
    void PostCrop() override;
    bool PageHeld() const override;

    // The page list's row of the open page has the type "公文" and the page is 24-bit.
    bool IsOfficialColourPage() const;

private:
    void Rotate(bool left);
    // Takes the document's page and tree into the controller.
    void SyncPage();
    void SetScrollBars();
    void ApplyCursor(POINT client);
    PageViewPaintInput PaintInput() const;

    CPageViewController m_controller;
    CKeptPageDrawing m_keptPage;
    CScrollBar m_wndVScroll, m_wndHScroll;
    // The printer of a running PrintTo; empty otherwise.
    std::string m_printTo;
    bool m_bPrintingTo = false;
    CBitmapButtonStrip m_wndStrip;
    RECT m_rcImage{0, 0, 0, 0};
    CMenu m_menuContext;
    POINT m_ptContextMenu{};  // where the right click that waits for its menu was
    bool m_bRightDoubleClick = false;  // the next right button up ends a double-click
    bool m_bAutoScrolling = false;
};
