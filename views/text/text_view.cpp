#include "views/text/text_view.h"

#include <algorithm>

#include "ocrdoc/document/ocr_page.h"
#include "views/page_view/ocr_view.h"
#include "views/view_host.h"

IMPLEMENT_DYNCREATE(CTextView, CView)

BEGIN_MESSAGE_MAP(CTextView, CView)
    ON_WM_SIZE()
    ON_WM_KILLFOCUS()
    ON_WM_SETFOCUS()
    ON_WM_CHAR()
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_CREATE()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEWHEEL()
    ON_WM_RBUTTONDOWN()
    ON_MESSAGE(WM_CANDIDATEBAR, OnCandidateBar)
    ON_COMMAND(ID_EDIT_UNDO, OnEditUndo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateEditUndo)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCut)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditPaste)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateEditSelectAll)
    ON_COMMAND(ID_TEXT_TO_EDITOR, OnTextToEditor)
    ON_COMMAND(ID_SHOW_BLOCK_LINE_COUNT, OnShowBlockLineCount)
    ON_COMMAND_RANGE(ID_CANDIDATE_1, ID_CANDIDATE_10, OnCandidate)
    ON_COMMAND(kNothingCommand, OnNothing)
END_MESSAGE_MAP()

CTextView::CTextView() : m_controller(nullptr, this) { m_controller.ResetView(); }

CTextView::~CTextView() {
    if (ViewHost().TextView() == this) ViewHost().SetTextView(nullptr);
}

BOOL CTextView::PreCreateWindow(CREATESTRUCT& cs) { return CView::PreCreateWindow(cs); }

int CTextView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    m_controller.SetDocument(GetDocument());
    const CRect provisional(0, 0, 10, 10);
    m_wndHScroll.Create(WS_CHILD | WS_VISIBLE | SBS_HORZ, provisional, this, kHScrollId);
    m_wndVScroll.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, provisional, this, kVScrollId);
    m_wndCandidates.Create(provisional, this);
    ViewHost().SetTextView(this);
    return 0;
}

void CTextView::OnInitialUpdate() {
    m_controller.SetDocument(GetDocument());
    CView::OnInitialUpdate();
}

void CTextView::OnUpdate(CView*, LPARAM hint, CObject*) {
    if (hint == kHintRefreshTextView || hint == kHintResetTextView) {
        ResetView(TRUE);
        return;
    }
    Invalidate(FALSE);
}

void CTextView::Layout(int width, int height) {
    const TextViewLayout l = ComputeTextViewLayout(width, height, GetSystemMetrics(SM_CXVSCROLL),
                                                   GetSystemMetrics(SM_CYHSCROLL), m_wndCandidates.IsCompact());
    if (m_wndVScroll.m_hWnd) m_wndVScroll.MoveWindow(&l.vbar);
    if (m_wndHScroll.m_hWnd) m_wndHScroll.MoveWindow(&l.hbar);
    if (m_wndCandidates.m_hWnd) m_wndCandidates.MoveWindow(&l.panel);
    m_controller.SetTextArea(l.text);
    m_rcTextInval = l.text;
}

void CTextView::OnSize(UINT type, int cx, int cy) {
    if (type == SIZE_MINIMIZED) return;
    Layout(cx, cy);
}

void CTextView::RelayoutPanel() {
    CRect client;
    GetClientRect(&client);
    const bool compact = m_wndCandidates.IsCompact();
    const TextViewLayout other = ComputeTextViewLayout(client.Width(), client.Height(), GetSystemMetrics(SM_CXVSCROLL),
                                                       GetSystemMetrics(SM_CYHSCROLL), !compact);
    m_wndCandidates.Place(compact, other.panel);
    m_controller.SetTextArea(other.text);
    m_rcTextInval = other.text;
    m_controller.EnsureCaretVisible();
    m_controller.UpdateCaret(true);
    InvalidateRect(&m_rcTextInval, TRUE);
}

void CTextView::ResetView(BOOL repaint) {
    m_controller.SetDocument(GetDocument());
    m_controller.ResetView();
    m_bCaretDirty = true;
    if (repaint) InvalidateRect(&m_rcTextInval, TRUE);
}

SIZE CTextView::MeasureCell() {
    CClientDC dc(this);
    const SIZE cell = m_renderer.MeasureCell(&dc, ViewHost().SystemLanguageId());
    m_controller.SetCell(cell);
    return cell;
}

void CTextView::MakeCaret() {
    const TextCaretShape shape = m_controller.CaretShape();
    CreateSolidCaret(shape.width, shape.height);
    m_caretSize = SIZE{shape.width, shape.height};
    m_nCaretState = 0;
    m_controller.SetOwnsCaret(true);
}

void CTextView::RecreateCaret() {
    if (!m_controller.HasResult() || m_nCaretState != 0) {
        InvalidateRect(&m_rcTextInval, FALSE);
        return;
    }
    MakeCaret();
    PlaceCaret(m_controller.CaretShape());
    ShowCaret();
    InvalidateRect(&m_rcTextInval, FALSE);
}

void CTextView::PaintTextArea(CDC* dc, const RECT* clip) {
    // The window's paint surface is already an off-screen image: the renderer draws into it directly.
    m_renderer.Paint(dc, m_controller, ViewHost().SystemLanguageId(), ViewHost().IsLegacyPlatform(), clip);
}

void CTextView::OnDraw(CDC* dc) {
    MeasureCell();
    if (!m_controller.HasResult()) {
        if (m_nCaretState == 0) {
            DestroyCaret();
            m_nCaretState = 4;
            m_controller.SetOwnsCaret(false);
        }
        PaintTextArea(dc);
        if (m_wndCandidates.IsCreated()) {
            const BYTE empty[kCharImageBytes] = {};
            m_wndCandidates.SetCharImage(empty);
            m_wndCandidates.SetCandidates(nullptr, 0);
        }
        return;
    }
    if (m_nCaretState != 0 && GetFocus() == this) {
        MakeCaret();
        ShowCaret();
    }
    // Only the rows the paint asks for are drawn again.
    CRect clip;
    const bool clipped = dc->GetClipBox(&clip) != NULLREGION && !clip.IsRectEmpty();
    PaintTextArea(dc, clipped ? &clip : nullptr);
    if (m_bCaretDirty) {
        m_controller.UpdateCaret(true);
        m_bCaretDirty = false;
    }
}

BOOL CTextView::OnEraseBkgnd(CDC* dc) { return CView::OnEraseBkgnd(dc); }

void CTextView::OnSetFocus(CWnd* oldWnd) {
    CView::OnSetFocus(oldWnd);
    if (!m_controller.HasResult()) {
        m_nCaretState = 4;
        return;
    }
    MeasureCell();
    MakeCaret();
    SetCaretPos(CPoint(0, -100));
    if (!m_bCaretDirty) m_controller.EnsureCaretVisible();
    m_bCaretDirty = true;
    InvalidateLines(m_controller.caretRow(), m_controller.caretRow());
    ShowCaret();
}

void CTextView::OnKillFocus(CWnd* newWnd) {
    CView::OnKillFocus(newWnd);
    if (m_nCaretState == 0) DestroyCaret();
    m_nCaretState = 4;
    m_controller.SetOwnsCaret(false);
}

void CTextView::OnChar(UINT ch, UINT, UINT) {
    if (ch < 32 && ch != 0) {
        Default();
        return;
    }
    m_controller.OnChar(static_cast<BYTE>(ch));
}

void CTextView::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
    const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    if (!m_controller.OnKeyDown(ch, shift, ctrl)) CView::OnKeyDown(ch, repeat, flags);
}

void CTextView::OnLButtonDown(UINT flags, CPoint point) {
    m_controller.OnLButtonDown(point, (flags & MK_SHIFT) != 0);
}

void CTextView::OnLButtonDblClk(UINT flags, CPoint point) { OnLButtonDown(flags, point); }

void CTextView::OnLButtonUp(UINT, CPoint) { m_controller.OnLButtonUp(); }

void CTextView::OnMouseMove(UINT, CPoint point) { m_controller.OnMouseMove(point); }

void CTextView::OnHScroll(UINT code, UINT pos, CScrollBar*) { m_controller.OnHScroll(code, static_cast<int>(pos)); }

void CTextView::OnVScroll(UINT code, UINT pos, CScrollBar*) { m_controller.OnVScroll(code, static_cast<int>(pos)); }

BOOL CTextView::OnMouseWheel(UINT, short delta, CPoint) {
    m_controller.OnMouseWheel(delta);
    return TRUE;
}

void CTextView::OnRButtonDown(UINT, CPoint point) {
    CMenu menu;
    if (!menu.LoadMenu(IDR_TEXT_EDIT_MENU)) return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup) return;
    const bool result = m_controller.HasResult();
    auto grey = [popup](UINT id, bool enabled) { popup->EnableMenuItem(id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED)); };
    grey(ID_EDIT_UNDO, result && m_controller.CanUndo());
    grey(ID_EDIT_COPY, result && m_controller.CanCopy());
    grey(ID_EDIT_CUT, result && m_controller.CanCut());
    grey(ID_EDIT_PASTE, result && m_controller.CanPaste());
    grey(ID_EDIT_SELECT_ALL, result);
    ClientToScreen(&point);
    popup->TrackPopupMenu(TPM_RIGHTBUTTON, point.x, point.y, this);
}

LRESULT CTextView::OnCandidateBar(WPARAM wParam, LPARAM lParam) {
    m_controller.OnCandidateBar(static_cast<WORD>(wParam), static_cast<int>(lParam));
    return 1;
}

void CTextView::OnEditUndo() { m_controller.Undo(); }
void CTextView::OnEditCopy() { m_controller.Copy(); }
void CTextView::OnEditCut() { m_controller.Cut(); }
void CTextView::OnEditPaste() { m_controller.Paste(); }
void CTextView::OnEditSelectAll() { m_controller.SelectAll(); }
void CTextView::OnUpdateEditUndo(CCmdUI* ui) { ui->Enable(m_controller.CanUndo()); }
void CTextView::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(m_controller.CanCopy()); }
void CTextView::OnUpdateEditCut(CCmdUI* ui) { ui->Enable(m_controller.CanCut()); }
void CTextView::OnUpdateEditPaste(CCmdUI* ui) { ui->Enable(m_controller.CanPaste()); }
void CTextView::OnUpdateEditSelectAll(CCmdUI* ui) { ui->Enable(m_controller.CanSelectAll()); }
void CTextView::OnTextToEditor() { m_controller.TextToEditor(); }
void CTextView::OnShowBlockLineCount() { m_controller.ShowBlockLineCount(); }
void CTextView::OnCandidate(UINT id) { m_controller.TakeCandidate(static_cast<int>(id - ID_CANDIDATE_1) + 1); }
void CTextView::OnNothing() {}

// --- CTextViewHost.

void CTextView::InvalidateLines(int first, int last) {
    if (!m_hWnd) return;
    const SIZE cell = m_controller.Cell();
    const RECT& area = m_controller.TextArea();
    const int top = m_controller.topRow();
    // Rows below the caret line move down by the strip: take the strip's rows in.
    RECT rc = area;
    rc.top = std::clamp<LONG>(area.top + std::max(first - top, 0) * cell.cy, area.top, area.bottom);
    if (last >= 0) {
        rc.bottom = std::clamp<LONG>(area.top + (last - top + 1 + kTextStripRows) * cell.cy, rc.top, area.bottom);
    }
    if (rc.bottom > rc.top) InvalidateRect(&rc, FALSE);
}

void CTextView::InvalidateText(bool erase) {
    if (m_hWnd) InvalidateRect(&m_rcTextInval, erase ? TRUE : FALSE);
}

void CTextView::PlaceCaret(const TextCaretShape& caret) {
    if (m_nCaretState != 0 || !m_hWnd) return;
    if (caret.width != m_caretSize.cx || caret.height != m_caretSize.cy) {
        CreateSolidCaret(caret.width, caret.height);
        m_caretSize = SIZE{caret.width, caret.height};
        ShowCaret();
    }
    SetCaretPos(CPoint(caret.x, caret.y));
}

void CTextView::ShowCharImage(const BYTE* image128) {
    if (m_wndCandidates.IsCreated()) m_wndCandidates.SetCharImage(image128);
}

void CTextView::ShowCandidates(const WORD* codes, int count) {
    if (m_wndCandidates.IsCreated()) m_wndCandidates.SetCandidates(codes, count);
}

WORD CTextView::PanelCandidate(int k) const {
    const CCandidateLayout& layout = m_wndCandidates.Layout();
    if (k < 1 || k > 10 || layout.Item(k).nKind != kItemCandidate) return kBlankCandidate;
    return layout.ItemText(k);
}

void CTextView::FrameCharBox(const RECT& box) {
    COcrDoc* doc = GetDocument();
    if (!doc) return;
    // The page view is the document's first view.
    if (auto* page = dynamic_cast<COcrView*>(doc->GetPageView())) page->ShowCharBox(box.left, box.top, box.right, box.bottom);
}

void CTextView::SetScrollBars(int lastLine, int topRow, int firstCol) {
    if (m_wndVScroll.m_hWnd) {
        m_wndVScroll.SetScrollRange(0, lastLine, FALSE);
        m_wndVScroll.SetScrollPos(topRow);
    }
    if (m_wndHScroll.m_hWnd) {
        m_wndHScroll.SetScrollRange(0, kTextLineCapacity - 1, FALSE);
        m_wndHScroll.SetScrollPos(firstCol);
    }
}

void CTextView::TakeFocus() {
    if (m_hWnd) SetFocus();
}

void CTextView::CaptureMouse(bool capture) {
    if (!m_hWnd) return;
    if (capture) {
        SetCapture();
    } else {
        ReleaseCapture();
    }
}

HWND CTextView::ClipboardOwner() const { return m_hWnd; }

bool CTextView::ExportForEditor(std::string* path) {
    COcrDoc* doc = GetDocument();
    return doc && path && doc->ExportRecognizedText(*path);
}
