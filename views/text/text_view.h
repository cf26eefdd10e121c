// The proofreading text view: a thin window over CTextViewController (state
// and handlers) and CTextViewRenderer (drawing), with its two scroll bars and
// the candidate panel. It registers itself with the shell when made.
#pragma once

#include "ocrdoc/document/ocr_doc.h"
#include "platform/afx/afxwin.h"
#include "views/text/candidate_bar.h"
#include "views/text/text_view_controller.h"
#include "views/text/text_view_renderer.h"

class CTextView : public CView, private CTextViewHost {
    DECLARE_DYNCREATE(CTextView)
public:
    static constexpr UINT kVScrollId = 1047;
    static constexpr UINT kHScrollId = 1048;
    static constexpr UINT kNothingCommand = 32860;

    CTextView();
    ~CTextView() override;

    COcrDoc* GetDocument() const { return static_cast<COcrDoc*>(m_pDocument); }
    CTextViewController& Controller() { return m_controller; }
    CTextViewRenderer& Renderer() { return m_renderer; }
    CCandidateBar& Panel() { return m_wndCandidates; }
    CScrollBar& VerticalBar() { return m_wndVScroll; }
    CScrollBar& HorizontalBar() { return m_wndHScroll; }
    bool OwnsCaret() const { return m_nCaretState == 0; }
    // The caret's size as last made.
    SIZE CaretSize() const { return m_caretSize; }

    // After a page was loaded and after recognition: the caret to the start.
    void ResetView(BOOL repaint);
    // After the insert mode changed: the caret takes its new shape.
    void RecreateCaret();
    // The panel moves to its other layout; the text area follows.
    void RelayoutPanel() override;
    // The text area as the view paints it, into dc (client coordinates); rows
    // outside clip are left alone.
    void PaintTextArea(CDC* dc, const RECT* clip = nullptr);

    void OnDraw(CDC* dc) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    void OnInitialUpdate() override;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnKillFocus(CWnd* newWnd);
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg LRESULT OnCandidateBar(WPARAM wParam, LPARAM lParam);
    afx_msg void OnEditUndo();
    afx_msg void OnEditCopy();
    afx_msg void OnEditCut();
    afx_msg void OnEditPaste();
    afx_msg void OnEditSelectAll();
    afx_msg void OnUpdateEditUndo(CCmdUI* ui);
    afx_msg void OnUpdateEditCopy(CCmdUI* ui);
    afx_msg void OnUpdateEditCut(CCmdUI* ui);
    afx_msg void OnUpdateEditPaste(CCmdUI* ui);
    afx_msg void OnUpdateEditSelectAll(CCmdUI* ui);
    afx_msg void OnTextToEditor();
    afx_msg void OnShowBlockLineCount();
    afx_msg void OnCandidate(UINT id);
    afx_msg void OnNothing();

private:
    // CTextViewHost.
    void InvalidateLines(int first, int last) override;
    void InvalidateText(bool erase) override;
    void PlaceCaret(const TextCaretShape& caret) override;
    void ShowCharImage(const BYTE* image128) override;
    void ShowCandidates(const WORD* codes, int count) override;
    WORD PanelCandidate(int k) const override;
    void FrameCharBox(const RECT& box) override;
    void SetScrollBars(int lastLine, int topRow, int firstCol) override;
    void TakeFocus() override;
    void CaptureMouse(bool capture) override;
    HWND ClipboardOwner() const override;
    bool ExportForEditor(std::string* path) override;

    void Layout(int width, int height);
    void MakeCaret();
    SIZE MeasureCell();

    CTextViewController m_controller;
    CTextViewRenderer m_renderer;
    CScrollBar m_wndVScroll;
    CScrollBar m_wndHScroll;
    CCandidateBar m_wndCandidates;
    CMenu m_menu;
    RECT m_rcTextInval{0, 0, 0, 0};
    int m_nCaretState = 4;  // 0 while the view owns a caret
    SIZE m_caretSize{0, 0};
    bool m_bCaretDirty = true;

    DECLARE_MESSAGE_MAP()
};
