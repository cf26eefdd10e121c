#include "views/page_view/ocr_view.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "imaging/image_block.h"
#include "ocrdoc/document/page_load.h"
#include "ocrdoc/regions/text_region.h"
#include "platform/afx/core/clipboard.h"
#include "platform/afx/ui/commdlg.h"
#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/menu.h"
#include "views/dialogs/dlg_brightness.h"
#include "views/dialogs/dlg_manual_deskew.h"
#include "views/page_view/page_image_tools.h"
#include "views/page_view/page_paste.h"
#include "views/page_view/page_view_ids.h"
#include "platform/afx/core/resource.h"
#include "views/view_host.h"

namespace {

constexpr UINT kSizeMaxShow = 3;  // SIZE_MAXSHOW

const char kOfficialGbk[] = "\xB9\xAB\xCE\xC4";  // 公文
const char kOfficialUtf8[] = "公文";

bool IsOfficialPageType(const std::string& type) { return type == kOfficialGbk || type == kOfficialUtf8; }

LPCTSTR StandardCursorOf(PageCursor cursor) {
    switch (cursor) {
    case PageCursor::kSizeNS: return IDC_SIZENS;
    case PageCursor::kSizeWE: return IDC_SIZEWE;
    case PageCursor::kSizeNESW: return IDC_SIZENESW;
    case PageCursor::kSizeNWSE: return IDC_SIZENWSE;
    default: return IDC_ARROW;
    }
}

}  // namespace

IMPLEMENT_DYNCREATE(COcrView, CView)

BEGIN_MESSAGE_MAP(COcrView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_KEYDOWN()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEWHEEL()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
    ON_WM_TIMER()
    ON_WM_CAPTURECHANGED()
    ON_COMMAND(ID_ZOOM_100, OnZoom100)
    ON_COMMAND(ID_ZOOM_50, OnZoom50)
    ON_COMMAND(ID_ZOOM_25, OnZoom25)
    ON_COMMAND(ID_ZOOM_12, OnZoom12)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_100, OnUpdateZoomFixed)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_50, OnUpdateZoomFixed)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_25, OnUpdateZoomFixed)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_12, OnUpdateZoomFixed)
    ON_COMMAND(ID_ZOOM_IN, OnZoomInCommand)
    ON_COMMAND(ID_ZOOM_OUT, OnZoomOutCommand)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_IN, OnUpdateZoomIn)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_OUT, OnUpdateZoomOut)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_SPLIT_CMD, OnUpdateWindowSplit)
    ON_MESSAGE(WM_PAGELOADED, OnPageLoaded)
    ON_MESSAGE(WM_STRIPBUTTON, OnStripButton)
    ON_MESSAGE(WM_IMAGEPROGRESS, OnImageProgress)
    ON_MESSAGE(WM_RESULTSTATE, OnResultState)
    ON_MESSAGE(WM_USER + 1107, OnScanDoneMessage)
    ON_COMMAND(ID_MOUSE_NORMAL, OnMouseNormal)
    ON_COMMAND(ID_MOUSE_SCISSORS, OnMouseScissors)
    ON_COMMAND(ID_MOUSE_PEN, OnMousePen)
    ON_COMMAND(ID_MOUSE_SWITCH, OnMouseSwitch)
    ON_UPDATE_COMMAND_UI(ID_MOUSE_NORMAL, OnUpdateMouseTool)
    ON_UPDATE_COMMAND_UI(ID_MOUSE_SCISSORS, OnUpdateMouseTool)
    ON_UPDATE_COMMAND_UI(ID_MOUSE_PEN, OnUpdateMouseTool)
    ON_UPDATE_COMMAND_UI(ID_MOUSE_SWITCH, OnUpdateMouseTool)
    ON_COMMAND(ID_IMAGE_SEAL, OnImageSeal)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_SEAL, OnUpdateImageSeal)
    ON_COMMAND(ID_IMAGE_AUTO_DESKEW, OnImageAutoDeskew)
    ON_COMMAND(ID_IMAGE_MANUAL_DESKEW, OnImageManualDeskew)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_AUTO_DESKEW, OnUpdateImageTool)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_MANUAL_DESKEW, OnUpdateImageTool)
    ON_COMMAND(ID_IMAGE_INVERT, OnImageInvert)
    ON_COMMAND(ID_IMAGE_ROTATE_LEFT, OnImageRotateLeft)
    ON_COMMAND(ID_IMAGE_ROTATE_RIGHT, OnImageRotateRight)
    ON_COMMAND(ID_IMAGE_RESIZE, OnImageResize)
    ON_COMMAND(ID_IMAGE_RESTORE, OnImageRestore)
    ON_COMMAND(ID_IMAGE_ERASER, OnImageNothing)
    ON_COMMAND(ID_IMAGE_DESPECKLE, OnImageNothing)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditPaste)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_ROTATE_LEFT, OnUpdateImageTool)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_ROTATE_RIGHT, OnUpdateImageTool)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_INVERT, OnUpdateImageInvert)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_RESIZE, OnUpdateImageResize)
    ON_UPDATE_COMMAND_UI(ID_IMAGE_RESTORE, OnUpdateImageRestore)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCut)
END_MESSAGE_MAP()

namespace {
CManualDeskewRunner& ManualDeskewRunner() {
    static CManualDeskewRunner runner;
    return runner;
}
}  // namespace

COcrView::COcrView() { m_controller.SetHost(this); }

COcrView::~COcrView() {
    if (ManualDeskewDialog() == &ManualDeskewRunner()) SetManualDeskewDialog(nullptr);
    m_controller.SetPage(nullptr, nullptr);
    m_menuContext.DestroyMenu();
}

// --- The host: document and shell ----------------------------------------------------------

BOOL COcrView::DiscardResult() {
    COcrDoc* doc = GetDocument();
    return doc ? doc->DiscardResult(TRUE) : TRUE;
}

void COcrView::SetModified() {
    if (COcrDoc* doc = GetDocument()) doc->SetModifiedFlag(TRUE);
}

void COcrView::SetLayoutDirty() {
    if (COcrDoc* doc = GetDocument()) doc->m_bLayoutDirty = 1;
}

bool COcrView::IsHandwritingPage() const { return CurrentPageIsHandwriting(); }

LRESULT COcrView::OnScanDoneMessage(WPARAM, LPARAM) {
    ViewHost().PageViewScanDone();
    return 0;
}

bool COcrView::AutoResize() const { return ViewHost().AutoResize(); }

void COcrView::PostCrop() { PostMessage(WM_COMMAND, ID_IMAGE_RESIZE, 0); }

bool COcrView::PageHeld() const {
    const COcrDoc* doc = GetDocument();
    return doc && doc->IsPageHeld();
}

bool COcrView::IsOfficialColourPage() const {
    const COcrDoc* doc = GetDocument();
    CViewHost& shell = ViewHost();
    const int row = shell.PageListCurrentRow();
    return doc && doc->m_pImage && doc->m_pImage->m_nBitCount == 24 && row >= 0 &&
           IsOfficialPageType(shell.PageListItemText(row, kPageListType));
}

// --- Creation, layout and painting ------------------------------------------------------------

BOOL COcrView::PreCreateWindow(CREATESTRUCT& cs) {
    cs.style |= WS_HSCROLL | WS_VSCROLL;
    return CView::PreCreateWindow(cs);
}

int COcrView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    const CRect small(0, 0, 10, 10);
    m_wndHScroll.Create(WS_CHILD | WS_VISIBLE | SBS_HORZ, small, this, IDC_PAGE_HSCROLL);
    m_wndVScroll.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, small, this, IDC_PAGE_VSCROLL);
    const UINT bitmaps[] = {IDB_PAGE_STRIP};
    m_wndStrip.Create(CRect(0, 0, 18, 16), TRUE, 1, 18, 16, bitmaps, this);
    SetScrollRange(SB_HORZ, 0, 0, FALSE);
    SetScrollRange(SB_VERT, 0, 0, FALSE);
    if (m_menuContext.LoadMenu(IDR_PAGE_CONTEXT_MENU) == FALSE) m_menuContext.m_hMenu = nullptr;
    // The document's manual deskew command reaches the dialog through this.
    SetManualDeskewDialog(&ManualDeskewRunner());
    return 0;
}

void COcrView::SyncPage() {
    COcrDoc* doc = GetDocument();
    CPageImage* image = doc ? doc->m_pImage : nullptr;
    CPageRegion* tree = doc ? doc->m_pPageRegion : nullptr;
    if (image != m_controller.Image() || tree != m_controller.Tree()) m_controller.SetPage(image, tree);
}

void COcrView::SetScrollBars() {
    if (!m_wndHScroll.m_hWnd || !m_wndVScroll.m_hWnd) return;
    m_wndHScroll.SetScrollRange(0, m_controller.HorizontalRange(), FALSE);
    m_wndVScroll.SetScrollRange(0, m_controller.VerticalRange(), FALSE);
    m_wndHScroll.SetScrollPos(m_controller.ScrollX(), TRUE);
    m_wndVScroll.SetScrollPos(m_controller.ScrollY(), TRUE);
}

void COcrView::OnSize(UINT type, int cx, int cy) {
    CView::OnSize(type, cx, cy);
    if (type != SIZE_RESTORED && type != SIZE_MAXIMIZED && type != kSizeMaxShow) return;
    const PageViewLayout layout = CPageViewController::LayoutFor(
        cx, cy, GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL), ViewHost().IsTextViewShown());
    if (m_wndStrip.m_hWnd) {
        m_wndStrip.ShowWindow(layout.stripShown ? SW_SHOW : SW_HIDE);
        if (layout.stripShown) m_wndStrip.MoveWindow(&layout.strip);
    }
    if (m_wndVScroll.m_hWnd) m_wndVScroll.MoveWindow(&layout.vScroll);
    if (m_wndHScroll.m_hWnd) m_wndHScroll.MoveWindow(&layout.hScroll);
    m_rcImage = layout.image;
    SyncPage();
    m_controller.SetImageArea(layout.image.right - layout.image.left, layout.image.bottom - layout.image.top);
    SetScrollBars();
}

PageViewPaintInput COcrView::PaintInput() const {
    PageViewPaintInput input;
    input.handwriting = CurrentPageIsHandwriting();
    input.viewText = ViewHost().IsTextViewShown();
    input.focused = GetFocus() == this;
    return input;
}

void COcrView::PaintImageArea(CDC* dc) {
    SyncPage();
    const int w = m_rcImage.right - m_rcImage.left, h = m_rcImage.bottom - m_rcImage.top;
    if (w <= 0 || h <= 0) return;
    CDC memory;
    memory.CreateCompatibleDC(dc);
    CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(dc, w, h)) return;
    CBitmap* old = memory.SelectObject(&bitmap);
    PageViewPaintInput input = PaintInput();
    input.kept = &m_keptPage;
    CPageViewRenderer::Paint(memory, m_controller, input);
    dc->BitBlt(0, 0, w, h, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
}

void COcrView::OnDraw(CDC* dc) {
    SyncPage();
    if (!m_controller.HasPage()) {
        SetScrollRange(SB_HORZ, 0, 0, FALSE);
        SetScrollRange(SB_VERT, 0, 0, FALSE);
    }
    PaintImageArea(dc);
}

BOOL COcrView::OnEraseBkgnd(CDC* dc) {
    SyncPage();
    if (m_controller.HasPage()) return CView::OnEraseBkgnd(dc);
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, CPageViewRenderer::kGrey);
    return TRUE;
}

BOOL COcrView::OnPreparePrinting(CPrintInfo* info) {
    if (!m_bPrintingTo) return DoPreparePrinting(info);
    info->m_pPD->m_hDC = AfxCreatePrinterDCFor(m_printTo.c_str());
    return info->m_pPD->m_hDC != nullptr;
}

void COcrView::PrintTo(const std::string& printer) {
    m_printTo = printer;
    m_bPrintingTo = true;
    SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
    m_bPrintingTo = false;
    m_printTo.clear();
}

void COcrView::OnUpdate(CView*, LPARAM hint, CObject* hintObject) {
    SyncPage();
    switch (hint) {
    case kHintResetPageView: ResetView(); return;
    case kHintPageImageChanged:
        m_controller.DropZoomImage();
        UpdateDisplayImage();
        Invalidate(FALSE);
        return;
    case kHintInvalidateRegion:
        if (auto* rect = dynamic_cast<CRegionRectHint*>(hintObject)) InvalidateImageRect(rect->rect);
        return;
    case kHintClearDragRect:
        if (GetCapture() == this) ReleaseCapture();
        m_controller.CancelDrag();
        KillTimer(kAutoScrollTimer);
        Invalidate(FALSE);
        return;
    default: Invalidate(FALSE); return;
    }
}

// --- Operations ----------------------------------------------------------------------------------

BOOL COcrView::UpdateDisplayImage() {
    SyncPage();
    const BOOL built = m_controller.UpdateDisplayImage();
    SetScrollBars();
    return built;
}

void COcrView::ResetView() {
    SyncPage();
    m_controller.ResetView();
    SetScrollBars();
    Invalidate(FALSE);
}

void COcrView::SetZoom(WORD zoom) {
    SyncPage();
    if (!m_controller.SetZoom(zoom)) return;
    SetScrollBars();
    Invalidate(FALSE);
}

void COcrView::ZoomIn() {
    SyncPage();
    if (!m_controller.ZoomIn()) return;
    SetScrollBars();
    Invalidate(FALSE);
}

void COcrView::ZoomOut() {
    SyncPage();
    if (!m_controller.ZoomOut()) return;
    SetScrollBars();
    Invalidate(FALSE);
}

void COcrView::InvalidateImageRect(const RECT& page) {
    const RECT client = m_controller.ClientRectOfPage(page);
    InvalidateRect(&client, FALSE);
}

void COcrView::ShowCharBox(int left, int top, int right, int bottom) {
    SyncPage();
    m_controller.ShowCharBox(RECT{left, top, right, bottom});
    SetScrollBars();
    InvalidateRect(&m_rcImage, FALSE);
    UpdateWindow();
}

void COcrView::PageLoaded(HGLOBAL block, CPageImage* image) {
    OnPageLoaded(reinterpret_cast<WPARAM>(block), reinterpret_cast<LPARAM>(image));
}

LRESULT COcrView::OnPageLoaded(WPARAM wParam, LPARAM lParam) {
    m_controller.EndSealMode();
    m_controller.CancelDrag();
    COcrDoc* doc = GetDocument();
    const BOOL attached = doc ? doc->AttachLoadedPage(reinterpret_cast<HGLOBAL>(wParam),
                                                      reinterpret_cast<CPageImage*>(lParam))
                              : FALSE;
    if (!doc) FreePageLoadedPayload(wParam, lParam);
    if (attached) {
        ResetView();
    } else {
        if (doc) doc->RefreshTextView();
        SyncPage();
        InvalidateRect(&m_rcImage, TRUE);
    }
    ::SetCursor(AfxGetApp() ? AfxGetApp()->LoadStandardCursor(IDC_ARROW) : nullptr);
    return 1;
}

void COcrView::ShowContextMenu(POINT client) {
    if (!m_menuContext.m_hMenu) return;
    CMenu* popup = m_menuContext.GetSubMenu(0);
    if (!popup) return;
    ClientToScreen(&client);
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, client.x, client.y, AfxGetMainWnd());
}

// --- Scrolling, wheel, keys, zoom ------------------------------------------------------------

void COcrView::OnHScroll(UINT code, UINT pos, CScrollBar*) {
    SyncPage();
    if (!m_controller.Scroll(false, code, static_cast<int>(pos))) return;
    SetScrollBars();
    Invalidate(FALSE);
    UpdateWindow();
}

void COcrView::OnVScroll(UINT code, UINT pos, CScrollBar*) {
    SyncPage();
    if (!m_controller.Scroll(true, code, static_cast<int>(pos))) return;
    SetScrollBars();
    Invalidate(FALSE);
    UpdateWindow();
}

BOOL COcrView::OnMouseWheel(UINT flags, short delta, CPoint point) {
    SyncPage();
    if (m_controller.Wheel(delta)) {
        SetScrollBars();
        Invalidate(FALSE);
    }
    return CView::OnMouseWheel(flags, delta, point);
}

void COcrView::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
    SyncPage();
    switch (m_controller.KeyDown(ch, (GetKeyState(VK_CONTROL) & 0x8000) != 0)) {
    case KeyAnswer::kDefault: CView::OnKeyDown(ch, repeat, flags); return;
    case KeyAnswer::kHandled: return;
    case KeyAnswer::kRepaint:
        SetScrollBars();
        Invalidate(FALSE);
        return;
    case KeyAnswer::kPostRegionCancel: PostMessage(WM_COMMAND, ID_REGION_CANCEL, 0); return;
    }
}

void COcrView::OnLButtonDblClk(UINT flags, CPoint point) {
    CView::OnLButtonDblClk(flags, point);
    ZoomIn();
}

void COcrView::OnRButtonDown(UINT flags, CPoint point) {
    CView::OnRButtonDown(flags, point);
    SyncPage();
    // The menu's region commands act on the region under the pointer.
    if (m_controller.SelectRegionAt(point)) Invalidate(FALSE);
}

// The menu waits for the double-click time: a second click within it is the
// right double-click that zooms out, and no menu comes up.
void COcrView::OnRButtonUp(UINT flags, CPoint point) {
    CView::OnRButtonUp(flags, point);
    SyncPage();
    const bool endsDoubleClick = std::exchange(m_bRightDoubleClick, false);
    if (endsDoubleClick || !m_controller.HasPage() || m_controller.Dragging()) return;
    m_ptContextMenu = point;
    SetTimer(kContextMenuTimer, ::GetDoubleClickTime());
}

void COcrView::OnRButtonDblClk(UINT flags, CPoint point) {
    KillTimer(kContextMenuTimer);
    m_bRightDoubleClick = true;
    CView::OnRButtonDblClk(flags, point);
    ZoomOut();
}

void COcrView::OnZoom100() { SetZoom(256); }
void COcrView::OnZoom50() { SetZoom(128); }
void COcrView::OnZoom25() { SetZoom(64); }
void COcrView::OnZoom12() { SetZoom(32); }
void COcrView::OnZoomInCommand() { ZoomIn(); }
void COcrView::OnZoomOutCommand() { ZoomOut(); }

void COcrView::OnUpdateZoomFixed(CCmdUI* ui) {
    SyncPage();
    const WORD zoom = ui->m_nID == ID_ZOOM_100 ? 256 : ui->m_nID == ID_ZOOM_50 ? 128 : ui->m_nID == ID_ZOOM_25 ? 64 : 32;
    ui->Enable(ViewHost().ViewsShown() && m_controller.HasPage());
    ui->SetCheck(m_controller.Zoom() == zoom ? 1 : 0);
}

void COcrView::OnUpdateZoomIn(CCmdUI* ui) {
    SyncPage();
    ui->Enable(ViewHost().ViewsShown() && m_controller.CanZoomIn());
}

void COcrView::OnUpdateZoomOut(CCmdUI* ui) {
    SyncPage();
    ui->Enable(ViewHost().ViewsShown() && m_controller.CanZoomOut());
}

void COcrView::OnUpdateWindowSplit(CCmdUI* ui) {
    CViewHost& shell = ViewHost();
    CRect parent(0, 0, 0, 0);
    if (CWnd* p = GetParent()) p->GetClientRect(&parent);
    ui->Enable(!shell.IsSplitterColumnHidden() && !shell.IsSplitterSecondFlagSet() && parent.Width() >= 7);
}

// --- Private messages -------------------------------------------------------------------------

LRESULT COcrView::OnStripButton(WPARAM, LPARAM lParam) {
    if (lParam == 0) ViewHost().PostMainCommand(ID_VIEW_TEXT_WINDOW);
    return 1;
}

LRESULT COcrView::OnImageProgress(WPARAM wParam, LPARAM lParam) {
    // A total of 0 (or less) says nothing about progress.
    if (lParam > 0) ViewHost().DrawProgress(1, static_cast<int>(lParam), static_cast<int>(wParam));
    return 1;
}

LRESULT COcrView::OnResultState(WPARAM, LPARAM) {
    CViewHost& shell = ViewHost();
    const COcrDoc* doc = GetDocument();
    if (doc && doc->m_bHasResult) {
        shell.SetTextViewShown(true);
        shell.ShowTextColumn();
    } else {
        shell.SetTextViewShown(false);
        shell.HideTextColumn();
    }
    return 1;
}

// --- Mouse: region editing, tools, cursors ----------------------------------------------------

void COcrView::OnLButtonDown(UINT flags, CPoint point) {
    SyncPage();
    if (!m_controller.HasPage()) return;
    if (m_controller.ButtonDown(point)) {
        UpdateWindow();
        SetCapture();
        Invalidate(FALSE);
        return;
    }
    CView::OnLButtonDown(flags, point);
}

void COcrView::OnMouseMove(UINT flags, CPoint point) {
    SyncPage();
    if (m_controller.Dragging()) {
        bool pastEdge = false;
        if (m_controller.MouseMove(point, &pastEdge)) Invalidate(FALSE);
        if (pastEdge && !m_bAutoScrolling) {
            m_bAutoScrolling = true;
            SetTimer(kAutoScrollTimer, kAutoScrollMs);
        }
        return;
    }
    ApplyCursor(point);
    CView::OnMouseMove(flags, point);
}

void COcrView::OnTimer(UINT_PTR id) {
    if (id == kContextMenuTimer) {
        KillTimer(kContextMenuTimer);
        if (m_controller.HasPage()) ShowContextMenu(m_ptContextMenu);
        return;
    }
    if (id != kAutoScrollTimer) {
        CView::OnTimer(id);
        return;
    }
    if (m_controller.Dragging() && m_controller.AutoScrollStep()) {
        SetScrollBars();
        Invalidate(FALSE);
        return;
    }
    KillTimer(kAutoScrollTimer);
    m_bAutoScrolling = false;
}

void COcrView::OnLButtonUp(UINT flags, CPoint point) {
    SyncPage();
    if (!m_controller.Dragging()) {
        CView::OnLButtonUp(flags, point);
        return;
    }
    KillTimer(kAutoScrollTimer);
    m_bAutoScrolling = false;
    const RECT changed = m_controller.ButtonUp(point);
    if (GetCapture() == this) ReleaseCapture();
    SetScrollBars();
    if (changed.right >= changed.left) InvalidateImageRect(changed);
    Invalidate(FALSE);
}

void COcrView::OnCaptureChanged(CWnd* wnd) {
    // Another window took the mouse: the drag cannot finish.
    if (wnd != this && m_controller.Dragging()) {
        m_controller.CancelDrag();
        KillTimer(kAutoScrollTimer);
        m_bAutoScrolling = false;
        Invalidate(FALSE);
    }
    CView::OnCaptureChanged(wnd);
}

void COcrView::ApplyCursor(POINT client) {
    if (!m_controller.HasPage()) return;
    CWinApp* app = AfxGetApp();
    if (!app) return;
    const PageCursor cursor = m_controller.CursorAt(client);
    HCURSOR handle = nullptr;
    if (cursor == PageCursor::kScissors) handle = app->LoadCursor(IDC_CURSOR_SCISSORS);
    else if (cursor == PageCursor::kPen) handle = app->LoadCursor(IDC_CURSOR_PEN);
    if (!handle) handle = app->LoadStandardCursor(StandardCursorOf(cursor));
    ::SetCursor(handle);
}

BOOL COcrView::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    const BOOL done = CView::OnSetCursor(wnd, hitTest, message);
    SyncPage();
    if (!m_controller.HasPage()) return done;
    POINT p;
    if (GetCursorPos(&p)) {
        ScreenToClient(&p);
        ApplyCursor(p);
        return TRUE;
    }
    return done;
}

void COcrView::OnMouseNormal() {
    m_controller.SetMouseTool(kToolNormal);
    if (CWinApp* app = AfxGetApp()) ::SetCursor(app->LoadStandardCursor(IDC_ARROW));
}

void COcrView::OnMouseScissors() {
    m_controller.SetMouseTool(kToolScissors);
    if (CWinApp* app = AfxGetApp()) ::SetCursor(app->LoadCursor(IDC_CURSOR_SCISSORS));
}

void COcrView::OnMousePen() {
    m_controller.SetMouseTool(kToolPen);
    if (CWinApp* app = AfxGetApp()) ::SetCursor(app->LoadCursor(IDC_CURSOR_PEN));
}

void COcrView::OnMouseSwitch() {
    // The second edition keeps the tool while its main window is in a mode.
    if (!ViewHost().PointerSwitchAllowed()) return;
    m_controller.SwitchMouseTool();
}

void COcrView::OnUpdateMouseTool(CCmdUI* ui) {
    SyncPage();
    ui->Enable(ViewHost().ViewsShown() && m_controller.HasPage());
}

void COcrView::OnImageSeal() {
    SyncPage();
    if (!IsOfficialColourPage()) return;
    m_controller.ToggleSealMode();
    Invalidate(FALSE);
}

void COcrView::OnUpdateImageSeal(CCmdUI* ui) {
    const bool enabled = IsOfficialColourPage();
    ui->Enable(enabled);
    ui->SetCheck(enabled && m_controller.SealMode() ? 1 : 0);
}

// --- Image tools and the clipboard --------------------------------------------------------------

void COcrView::OnImageNothing() {}

void COcrView::OnImageInvert() {
    COcrDoc* doc = GetDocument();
    if (!doc) return;
    SyncPage();
    CPageImageTools tools(m_controller, *this, doc->m_pImage, doc->m_pPageRegion);
    if (tools.Invert()) {
        SetScrollBars();
        Invalidate(FALSE);
    }
}

void COcrView::Rotate(bool left) {
    COcrDoc* doc = GetDocument();
    if (!doc) return;
    SyncPage();
    CHostWaitCursor wait;
    CViewHost& shell = ViewHost();
    const int row = shell.PageListCurrentRow();
    CPageImageTools tools(m_controller, *this, doc->m_pImage, doc->m_pPageRegion);
    if (!tools.CanChangePage() || row < 0) return;
    shell.SetStatusPaneText(0, AfxLoadString(IDS_ROTATING).GetString());
    const bool official = IsOfficialPageType(shell.PageListItemText(row, kPageListType));
    if (tools.Rotate(left, official, true)) {
        SetScrollBars();
        Invalidate(FALSE);
    }
    shell.SetStatusPaneText(0, AfxLoadString(IDS_READY_PROMPT).GetString());
}

void COcrView::OnImageRotateLeft() { Rotate(true); }

void COcrView::OnImageRotateRight() { Rotate(false); }

void COcrView::OnImageResize() {
    COcrDoc* doc = GetDocument();
    if (!doc) return;
    SyncPage();
    CPageImageTools tools(m_controller, *this, doc->m_pImage, doc->m_pPageRegion);
    if (tools.Crop()) {
        SetScrollBars();
        Invalidate(FALSE);
    }
}

void COcrView::OnImageRestore() {
    COcrDoc* doc = GetDocument();
    if (doc && doc->m_pImage && !PageHeld() && doc->RestoreOriginalImage()) Invalidate(FALSE);
}

bool COcrView::CanAdjustBrightness() {
    COcrDoc* doc = GetDocument();
    SyncPage();
    const CPageImage* image = doc ? doc->m_pImage : nullptr;
    return image && image->m_hDib && image->m_hBits && image->m_nBitCount == 8 && !PageHeld();
}

void COcrView::AdjustBrightness() {
    if (!CanAdjustBrightness()) return;
    CPageImage* image = GetDocument()->m_pImage;
    CDlgBrightness dialog(this, 127, image->m_hDib);
    const bool confirmed = dialog.DoModal() == IDOK && dialog.BuildWorkImage(FALSE);
    HGLOBAL plane = dialog.TakePlane();
    // Asked only now: the dialog may have been cancelled.
    if (confirmed && plane && CanAdjustBrightness() && DiscardResult()) {
        CBlockLock from(plane);
        CBlockLock to(image->m_hBits);
        const std::size_t fromRow = static_cast<std::size_t>(dialog.Width()) / 8, toRow = image->RowBytes();
        const std::size_t rows = static_cast<std::size_t>(std::min(dialog.Height(), image->m_nHeight));
        if (from && to && fromRow >= toRow && from.size() >= fromRow * rows && to.size() >= toRow * rows) {
            for (std::size_t y = 0; y < rows; ++y) std::memcpy(to.get() + y * toRow, from.get() + y * fromRow, toRow);
            m_controller.DropZoomImage();
            m_controller.UpdateDisplayImage();
            SetModified();
            Invalidate(FALSE);
        }
    }
    if (plane) GlobalFree(plane);
}

void COcrView::OnEditCopy() {
    COcrDoc* doc = GetDocument();
    if (!doc) return;
    SyncPage();
    CPageImageTools tools(m_controller, *this, doc->m_pImage, doc->m_pPageRegion);
    tools.Copy(*doc, GetSafeHwnd());
}

void COcrView::OnEditCut() {
    COcrDoc* doc = GetDocument();
    if (!doc) return;
    SyncPage();
    CPageImageTools tools(m_controller, *this, doc->m_pImage, doc->m_pPageRegion);
    if (tools.Cut(*doc, GetSafeHwnd())) Invalidate(FALSE);
}

void COcrView::OnUpdateImageTool(CCmdUI* ui) {
    SyncPage();
    ui->Enable(ViewHost().ViewsShown() && m_controller.HasPage() && !PageHeld());
}

void COcrView::OnUpdateImageInvert(CCmdUI* ui) {
    SyncPage();
    ui->Enable(ViewHost().ViewsShown() && m_controller.HasPage() && m_controller.Image()->m_nBitCount == 1 &&
               !PageHeld());
}

void COcrView::OnUpdateImageResize(CCmdUI* ui) {
    COcrDoc* doc = GetDocument();
    SyncPage();
    bool enable = false;
    if (doc && ViewHost().ViewsShown()) {
        CPageImageTools tools(m_controller, *this, doc->m_pImage, doc->m_pPageRegion);
        enable = tools.CanCrop();
    }
    ui->Enable(enable);
}

void COcrView::OnUpdateImageRestore(CCmdUI* ui) {
    COcrDoc* doc = GetDocument();
    ui->Enable(doc && doc->m_pImage && doc->IsModified() && !PageHeld());
}

void COcrView::OnUpdateEditCopy(CCmdUI* ui) {
    COcrDoc* doc = GetDocument();
    ui->Enable(doc && doc->m_pImage && doc->m_pPageRegion && doc->m_pPageRegion->GetSelectedChild());
}

void COcrView::OnUpdateEditCut(CCmdUI* ui) {
    OnUpdateEditCopy(ui);
    if (PageHeld()) ui->Enable(FALSE);
}

void COcrView::OnImageAutoDeskew() {
    COcrDoc* doc = GetDocument();
    if (!doc || !doc->m_pImage || !doc->m_pPageRegion || PageHeld()) return;
    doc->m_pPageRegion->m_nCursor = 0;
    // A page that already has regions is never deskewed from here.
    if (doc->m_pPageRegion->GetChildCount() != 0 || doc->m_bHasLayout) return;
    doc->AutoDeskew();
    SyncPage();
    m_controller.DropZoomImage();
    UpdateDisplayImage();
    Invalidate(FALSE);
}

void COcrView::OnImageManualDeskew() {
    COcrDoc* doc = GetDocument();
    if (!doc || !doc->m_pImage || PageHeld()) return;
    if (!doc->DiscardResult(TRUE)) return;
    doc->ManualDeskew(GetSafeHwnd());
    SyncPage();
    m_controller.DropZoomImage();
    UpdateDisplayImage();
    Invalidate(FALSE);
}

void COcrView::OnEditPaste() {
    // The pasted page would replace this one.
    if (PageHeld()) return;
    CWnd* main = AfxGetMainWnd();
    CPagePaste paste(GetDocument());
    paste.Run(main ? main->GetSafeHwnd() : GetSafeHwnd());
}

void COcrView::OnUpdateEditPaste(CCmdUI* ui) { ui->Enable(IsClipboardFormatAvailable(CF_DIB) && !PageHeld()); }
