// Documents, views, frames, document templates and the application's document calls.
#include <QApplication>

#include "platform/afx/ui/bars.h"
#include "platform/afx/ui/docview.h"
#include "platform/afx/ui/menu.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/ui_private.h"

using namespace afx_detail;

namespace afx_detail {
const CRuntimeClass* FrameClass() { return RUNTIME_CLASS(CFrameWnd); }

void DestroyTemplates(CWinApp* app) {
    for (POSITION pos = app->GetFirstDocTemplatePosition(); pos;) {
        CDocTemplate* t = app->GetNextDocTemplate(pos);
        if (t && t->m_bAutoDelete) delete t;
    }
    app->m_pImpl->templates.clear();
}
}  // namespace afx_detail

namespace {
// Positions in vectors: index + 1, so that 0 means the end.
POSITION PosOf(size_t index) { return reinterpret_cast<POSITION>(index + 1); }
size_t IndexOf(POSITION pos) { return reinterpret_cast<size_t>(pos) - 1; }
}  // namespace

// Documents.
IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
    ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument() {
    for (CView* v : m_viewList) v->m_pDocument = nullptr;
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCTSTR title) {
    m_strTitle = title;
    UpdateFrameCounts();
}

void CDocument::SetPathName(LPCTSTR path, BOOL addToMru) {
    m_strPathName = path;
    CString title(path);
    int cut = title.ReverseFind('\\');
    int cut2 = title.ReverseFind('/');
    if (cut2 > cut) cut = cut2;
    if (cut >= 0) title = title.Mid(cut + 1);
    SetTitle(title);
    if (addToMru && AfxGetApp()) AfxGetApp()->AddToRecentFileList(path);
}

void CDocument::AddView(CView* view) {
    if (!view || std::find(m_viewList.begin(), m_viewList.end(), view) != m_viewList.end()) return;
    m_viewList.push_back(view);
    view->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* view) {
    auto it = std::find(m_viewList.begin(), m_viewList.end(), view);
    if (it == m_viewList.end()) return;
    m_viewList.erase(it);
    view->m_pDocument = nullptr;
    OnChangedViewList();
}

POSITION CDocument::GetFirstViewPosition() const { return m_viewList.empty() ? nullptr : PosOf(0); }

CView* CDocument::GetNextView(POSITION& pos) const {
    size_t i = IndexOf(pos);
    if (i >= m_viewList.size()) {
        pos = nullptr;
        return nullptr;
    }
    pos = i + 1 < m_viewList.size() ? PosOf(i + 1) : nullptr;
    return m_viewList[i];
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject) {
    std::vector<CView*> views = m_viewList;
    for (CView* v : views)
        if (v != sender && std::find(m_viewList.begin(), m_viewList.end(), v) != m_viewList.end())
            v->OnUpdate(sender, hint, hintObject);
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCTSTR) {
    DeleteContents();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCTSTR) {
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::OnCloseDocument() {
    BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;  // the frames going away must not delete it under us
    // A frame takes all its views with it (a splitter holds several), so the
    // list is read again after each one goes rather than walked as it was.
    while (!m_viewList.empty()) {
        CView* v = m_viewList.front();
        CFrameWnd* f = v->GetParentFrame();
        if (f) {
            PreCloseFrame(f);
            f->DestroyWindow();
        } else {
            v->DestroyWindow();
        }
        // A view that is no window (or outlived its frame) lets go of the document here.
        if (!m_viewList.empty() && m_viewList.front() == v) RemoveView(v);
    }
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

void CDocument::DeleteContents() {}

BOOL CDocument::SaveModified() {
    if (!IsModified()) return TRUE;
    CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
    if (name.IsEmpty()) name = "Untitled";
    CString prompt = CString("Save changes to ") + name + "?";
    switch (AfxMessageBox(prompt, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDCANCEL: return FALSE;
    case IDYES: return DoFileSave();
    default: return TRUE;
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* frame) {
    // Another frame showing this document keeps it open.
    for (CView* v : m_viewList)
        if (v->GetParentFrame() != frame) return TRUE;
    return SaveModified();
}

void CDocument::PreCloseFrame(CFrameWnd*) {}

BOOL CDocument::DoSave(LPCTSTR path, BOOL replace) {
    CString target = path ? CString(path) : m_strPathName;
    if (target.IsEmpty()) {
        // No name yet: the caller picks one through the file dialog.
        if (!SaveAsDialog(this, target)) return FALSE;
    }
    if (!OnSaveDocument(target)) return FALSE;
    if (replace) SetPathName(target);
    return TRUE;
}

BOOL CDocument::DoFileSave() { return DoSave(m_strPathName.IsEmpty() ? nullptr : m_strPathName.GetString()); }

void CDocument::OnChangedViewList() {
    if (m_viewList.empty() && m_bAutoDelete) {
        // The last view went away: the document goes too.
        OnCloseDocument();
        return;
    }
    UpdateFrameCounts();
}

void CDocument::UpdateFrameCounts() {
    for (CView* v : m_viewList)
        if (CFrameWnd* f = v->GetParentFrame()) f->OnUpdateFrameTitle(TRUE);
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) {
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, info);
}

void CDocument::OnFileSave() { DoFileSave(); }
void CDocument::OnFileSaveAs() { DoSave(nullptr); }
void CDocument::OnFileClose() {
    if (SaveModified()) OnCloseDocument();
}

// Views.
IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_SETFOCUS()
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMessage)
    ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
END_MESSAGE_MAP()

CView::CView() = default;

CView::~CView() {
    if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCT& cs) {
    cs.style |= WS_CLIPSIBLINGS;
    return TRUE;
}

int CView::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    auto* ctx = static_cast<CCreateContext*>(cs->lpCreateParams);
    if (ctx && ctx->m_pCurrentDoc) ctx->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::OnDestroy() {
    if (CFrameWnd* f = GetParentFrame(); f && f->m_pViewActive == this) f->SetActiveView(nullptr, FALSE);
    CWnd::OnDestroy();
}

void CView::PostNcDestroy() { delete this; }

void CView::OnPaint() { PaintView(this); }

void CView::OnSetFocus(CWnd*) {
    if (CFrameWnd* f = GetParentFrame()) f->SetActiveView(this, FALSE);
}

void CView::OnLButtonDown(UINT flags, CPoint p) { CWnd::OnLButtonDown(flags, p); }
void CView::OnRButtonDown(UINT flags, CPoint p) { CWnd::OnRButtonDown(flags, p); }

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
    OnInitialUpdate();
    return 0;
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView* sender, LPARAM, CObject*) {
    (void)sender;
    Invalidate(TRUE);
}

void CView::OnActivateView(BOOL, CView*, CView*) {}
void CView::OnActivateFrame(UINT, CFrameWnd*) {}
BOOL CView::OnPreparePrinting(CPrintInfo* info) { return DoPreparePrinting(info); }
void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}
void CView::OnPrepareDC(CDC*, CPrintInfo*) {}
void CView::OnPrint(CDC* dc, CPrintInfo*) { OnDraw(dc); }
void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, info);
}

// Scrolling views.
IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

const SIZE CScrollView::sizeDefault = {0, 0};

CScrollView::CScrollView() = default;

void CScrollView::SetScrollSizes(int mapMode, SIZE total, const SIZE& page, const SIZE& line) {
    m_nMapMode = mapMode;
    m_totalLog = total;
    m_pageDev = page;
    m_lineDev = line;
    UpdateBars();
}

void CScrollView::UpdateBars() {
    if (!m_hWnd) return;
    CRect client;
    GetClientRect(&client);
    CPoint was = m_pos;
    for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
        int total = bar == SB_HORZ ? m_totalLog.cx : m_totalLog.cy;
        int view = bar == SB_HORZ ? client.Width() : client.Height();
        LONG& pos = bar == SB_HORZ ? m_pos.x : m_pos.y;
        int maxPos = total - view;
        if (maxPos < 0) maxPos = 0;
        if (pos > maxPos) pos = maxPos;
        if (pos < 0) pos = 0;
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, total > 0 ? total - 1 : 0,
                      static_cast<UINT>(view > 0 ? view : 0), pos, 0};
        SetScrollInfo(bar, &si, TRUE);
    }
    // A smaller page or a larger window moved the origin: what shows was drawn at the old one.
    if (m_pos != was) Invalidate(TRUE);
}

CPoint CScrollView::GetScrollPosition() const { return m_pos; }
CPoint CScrollView::GetDeviceScrollPosition() const { return m_pos; }

void CScrollView::ScrollToPosition(POINT pt) {
    CSize d(pt.x - m_pos.x, pt.y - m_pos.y);
    OnScrollBy(d, TRUE);
}

void CScrollView::ResizeParentToFit(BOOL) {}

void CScrollView::OnPrepareDC(CDC* dc, CPrintInfo* info) {
    if (dc) SetDCOrigin(dc, -m_pos.x, -m_pos.y);
    CView::OnPrepareDC(dc, info);
}

BOOL CScrollView::OnScrollBy(CSize size, BOOL doScroll) {
    CRect client;
    GetClientRect(&client);
    CPoint next(m_pos.x + size.cx, m_pos.y + size.cy);
    int maxX = m_totalLog.cx - client.Width(), maxY = m_totalLog.cy - client.Height();
    if (next.x > maxX) next.x = maxX;
    if (next.y > maxY) next.y = maxY;
    if (next.x < 0) next.x = 0;
    if (next.y < 0) next.y = 0;
    if (next == m_pos) return FALSE;
    // Without doScroll the caller only asks whether it could scroll: nothing moves.
    if (doScroll) {
        m_pos = next;
        SetScrollPos(SB_HORZ, m_pos.x);
        SetScrollPos(SB_VERT, m_pos.y);
        Invalidate(TRUE);
    }
    return TRUE;
}

void CScrollView::OnSize(UINT type, int cx, int cy) {
    CView::OnSize(type, cx, cy);
    UpdateBars();
}

namespace {
int ScrollDelta(UINT code, UINT pos, int current, int line, int page) {
    switch (code) {
    case SB_LINEUP: return -line;
    case SB_LINEDOWN: return line;
    case SB_PAGEUP: return -page;
    case SB_PAGEDOWN: return page;
    case SB_TOP: return -current;
    case SB_BOTTOM: return 0x3FFFFFFF;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return static_cast<int>(pos) - current;
    default: return 0;
    }
}
}  // namespace

void CScrollView::OnHScroll(UINT code, UINT pos, CScrollBar*) {
    CRect c;
    GetClientRect(&c);
    int line = m_lineDev.cx ? m_lineDev.cx : (m_totalLog.cx / 100 > 0 ? m_totalLog.cx / 100 : 1);
    int page = m_pageDev.cx ? m_pageDev.cx : c.Width();
    OnScrollBy(CSize(ScrollDelta(code, pos, m_pos.x, line, page), 0), TRUE);
}

void CScrollView::OnVScroll(UINT code, UINT pos, CScrollBar*) {
    CRect c;
    GetClientRect(&c);
    int line = m_lineDev.cy ? m_lineDev.cy : (m_totalLog.cy / 100 > 0 ? m_totalLog.cy / 100 : 1);
    int page = m_pageDev.cy ? m_pageDev.cy : c.Height();
    OnScrollBy(CSize(0, ScrollDelta(code, pos, m_pos.y, line, page)), TRUE);
}

BOOL CScrollView::OnMouseWheel(UINT, short delta, CPoint) {
    int line = m_lineDev.cy ? m_lineDev.cy : (m_totalLog.cy / 100 > 0 ? m_totalLog.cy / 100 : 1);
    return OnScrollBy(CSize(0, -delta * 3 * line / WHEEL_DELTA), TRUE);
}

// Frames.
IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_INITMENUPOPUP()
    ON_WM_MENUSELECT()
    ON_WM_DROPFILES()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_MESSAGE(0x0362 /* WM_SETMESSAGESTRING */, OnSetMessageString)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
END_MESSAGE_MAP()

const RECT CFrameWnd::rectDefault = {static_cast<LONG>(0x80000000), static_cast<LONG>(0x80000000), 0, 0};

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
    if (m_hAccelTable) DestroyAcceleratorTable(m_hAccelTable);
    if (m_pMenu) {
        m_pMenu->DestroyMenu();
        delete m_pMenu;
    }
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CFrameWnd::Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                       LPCTSTR menuName, DWORD exStyle, CCreateContext* context) {
    if (menuName) {
        m_pMenu = new CMenu;
        if (!m_pMenu->LoadMenu(menuName)) {
            delete m_pMenu;
            m_pMenu = nullptr;
        }
    }
    m_strTitle = windowName ? windowName : "";
    int cx = rect.right - rect.left, cy = rect.bottom - rect.top;
    if (rect.left == rectDefault.left) cx = cy = static_cast<int>(0x80000000);
    return CreateEx(exStyle, className, windowName, style & ~WS_VISIBLE, rect.left, rect.top, cx, cy,
                    parent ? parent->m_hWnd : nullptr, nullptr, context) &&
           ((style & WS_VISIBLE) ? (ShowWindow(SW_SHOW), TRUE) : TRUE);
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context) {
    m_nIDResource = resourceId;
    CString full;
    AfxLoadString(resourceId, full);
    CString title = full;
    int nl = title.Find('\n');
    if (nl >= 0) title = title.Left(nl);
    if (title.IsEmpty() && AfxGetAppName()) title = AfxGetAppName();
    if (!Create(nullptr, title, style, rectDefault, parent, MAKEINTRESOURCE(resourceId), 0, context)) return FALSE;
    m_hAccelTable = LoadAccelerators(AfxFindResourceHandle(MAKEINTRESOURCE(resourceId), RT_ACCELERATOR), MAKEINTRESOURCE(resourceId));
    if (HICON icon = LoadIconResource(AfxGetResourceHandle(), MAKEINTRESOURCE(resourceId)); icon && m_pWidget)
        m_pWidget->setWindowIcon(QIcon(QPixmap::fromImage(IconImage(icon))));
    if (!context) SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    if (m_pMenu) SetMenu(m_pMenu);
    auto* ctx = static_cast<CCreateContext*>(cs->lpCreateParams);
    if (!OnCreateClient(cs, ctx)) return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
    if (context && context->m_pNewViewClass) return CreateView(context, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id) {
    if (!context || !context->m_pNewViewClass) return nullptr;
    CObject* obj = context->m_pNewViewClass->CreateObject();
    auto* view = dynamic_cast<CWnd*>(obj);
    if (!view) {
        delete obj;
        return nullptr;
    }
    if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this, id, context)) {
        return nullptr;  // a view deletes itself when its window goes
    }
    return view;
}

void CFrameWnd::RecalcLayout(BOOL) {
    if (m_bInRecalc || !m_hWnd) return;
    m_bInRecalc = true;
    // Every bar of the frame, whatever its id (dialog bars often have ids of their own).
    RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST);
    RecalcFloatingFrames();
    m_bInRecalc = false;
}

void CFrameWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::ActivateFrame(int cmdShow) {
    if (cmdShow == -1) cmdShow = IsIconic() ? SW_RESTORE : SW_SHOW;
    ShowWindow(cmdShow);
    BringWindowToTop();
}

void CFrameWnd::InitialUpdateFrame(CDocument* doc, BOOL makeVisible) {
    CView* view = GetActiveView();
    if (!view) {
        // The first view (the first pane, or the first pane of a splitter there) becomes active.
        if (CWnd* w = GetDlgItem(AFX_IDW_PANE_FIRST)) {
            if (w->IsKindOf(RUNTIME_CLASS(CView))) view = static_cast<CView*>(w);
            else if (CWnd* inner = w->GetDlgItem(AFX_IDW_PANE_FIRST); inner && inner->IsKindOf(RUNTIME_CLASS(CView)))
                view = static_cast<CView*>(inner);
        }
        if (view) SetActiveView(view, FALSE);
    }
    SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
    if (makeVisible) {
        int cmd = -1;
        if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) cmd = app->m_nCmdShow;
        ActivateFrame(cmd);
        if (view) view->OnActivateView(TRUE, view, view);
    }
    if (doc) doc->UpdateFrameCounts();
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle) {
    CDocument* doc = GetActiveDocument();
    if (addToTitle && doc) UpdateFrameTitleForDocument(doc->GetTitle());
    else UpdateFrameTitleForDocument(nullptr);
}

void CFrameWnd::UpdateFrameTitleForDocument(LPCTSTR docName) {
    CString title = m_strTitle;
    if ((m_dwStyle & FWS_ADDTOTITLE) && docName && *docName) {
        if (m_dwStyle & FWS_PREFIXTITLE) title = CString(docName) + " - " + title;
        else title = title + " - " + docName;
    }
    CString current;
    GetWindowText(current);
    if (current != title) SetWindowText(title);
}

CView* CFrameWnd::GetActiveView() const { return m_pViewActive; }

void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
    CView* old = m_pViewActive;
    if (view == old) return;
    m_pViewActive = view;
    if (notify && old) old->OnActivateView(FALSE, view, old);
    if (notify && view) {
        view->OnActivateView(TRUE, view, old);
        view->SetFocus();
    }
}

CDocument* CFrameWnd::GetActiveDocument() {
    CView* v = GetActiveView();
    return v ? v->GetDocument() : nullptr;
}

void CFrameWnd::SetMessageText(LPCTSTR text) {
    if (CWnd* bar = GetMessageBar()) bar->SetWindowText(text);
}

void CFrameWnd::SetMessageText(UINT id) {
    CString s;
    GetMessageString(id, s);
    SetMessageText(s);
}

CWnd* CFrameWnd::GetMessageBar() { return GetDlgItem(AFX_IDW_STATUS_BAR); }

void CFrameWnd::GetMessageString(UINT id, CString& message) const {
    message.Empty();
    CString s;
    if (AfxLoadString(id, s)) {
        int nl = s.Find('\n');
        message = nl >= 0 ? s.Left(nl) : s;
    }
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
    if (lParam) SetMessageText(reinterpret_cast<LPCTSTR>(lParam));
    else if (wParam) SetMessageText(static_cast<UINT>(wParam));
    return 0;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) {
    // The active view (and through it the document) first, then the frame, then the application.
    if (CView* v = GetActiveView(); v && v->OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode, pExtra, info);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hAccelTable)
        return TranslateAccelerator(m_hWnd, m_hAccelTable, msg);
    return FALSE;
}

namespace {
// Asks every document of the application but `asked` (which its frame asked
// already) whether it may close; FALSE as soon as one refuses.
BOOL SaveOtherDocuments(CWinApp* app, CDocument* asked) {
    for (POSITION tp = app->GetFirstDocTemplatePosition(); tp;) {
        CDocTemplate* tmpl = app->GetNextDocTemplate(tp);
        if (!tmpl) continue;
        for (POSITION dp = tmpl->GetFirstDocPosition(); dp;)
            if (CDocument* d = tmpl->GetNextDoc(dp); d && d != asked && !d->SaveModified()) return FALSE;
    }
    return TRUE;
}
}  // namespace

void CFrameWnd::OnClose() {
    if (m_cModalStack > 0) return;
    CWinApp* app = AfxGetApp();
    CDocument* doc = GetActiveDocument();
    if (doc && !doc->CanCloseFrame(this)) return;
    if (app && app->m_pMainWnd == this) {
        // The active document has had its say; the others are asked once each.
        if (!SaveOtherDocuments(app, doc)) return;
        app->CloseAllDocuments(FALSE);
        // Closing the documents may have destroyed this frame (and deleted it):
        // nothing of it may be touched then. Its WM_DESTROY posted the quit.
        if (!app->m_pMainWnd) return;
    }
    DestroyWindow();
}

void CFrameWnd::OnDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        PostQuitMessage(0);
    }
    CWnd::OnDestroy();
}

void CFrameWnd::PostNcDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
    delete this;
}

void CFrameWnd::OnSetFocus(CWnd* old) {
    if (CView* v = GetActiveView()) v->SetFocus();
    else CWnd::OnSetFocus(old);
}

void CFrameWnd::OnInitMenuPopup(CMenu* popup, UINT, BOOL sysMenu) {
    if (sysMenu || !popup) return;
    CCmdUI state;
    state.m_pMenu = popup;
    state.m_nIndexMax = popup->GetMenuItemCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = popup->GetMenuItemID(static_cast<int>(state.m_nIndex));
        if (state.m_nID == 0) continue;
        if (state.m_nID == static_cast<UINT>(-1)) {
            // A popup: its state follows its first item.
            CMenu* sub = popup->GetSubMenu(static_cast<int>(state.m_nIndex));
            if (!sub || sub->GetMenuItemCount() == 0) continue;
            state.m_pSubMenu = sub;
            state.m_nID = sub->GetMenuItemID(0);
            if (state.m_nID == 0 || state.m_nID == static_cast<UINT>(-1)) {
                state.m_pSubMenu = nullptr;
                continue;
            }
            state.DoUpdate(this, FALSE);
            state.m_pSubMenu = nullptr;
        } else {
            state.DoUpdate(this, m_bAutoMenuEnable && state.m_nID < 0xF000);
        }
        // The handler may have added or removed items (the recent-file list).
        UINT count = popup->GetMenuItemCount();
        if (count < state.m_nIndexMax) {
            state.m_nIndex -= (state.m_nIndexMax - count);
            while (state.m_nIndex < count && popup->GetMenuItemID(static_cast<int>(state.m_nIndex)) == state.m_nID) ++state.m_nIndex;
        }
        state.m_nIndexMax = count;
    }
}

void CFrameWnd::OnMenuSelect(UINT itemId, UINT flags, HMENU menu) {
    if (flags == 0xFFFF && !menu) {
        // The menu closed: the prompt of its last item gives way to the idle message.
        SetMessageText(AFX_IDS_IDLEMESSAGE);
    } else if (itemId == 0 || (flags & (MF_POPUP | MF_SEPARATOR))) {
        SetMessageText("");
    } else if (itemId < 0xF000) {
        SetMessageText(itemId);
    }
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM) {
    OnUpdateFrameTitle(TRUE);
    // Floating bars are not among the frame's descendants; they follow it here.
    std::vector<CControlBar*> bars = m_listControlBars;
    for (CControlBar* bar : bars)
        if (bar->m_hWnd && bar->IsFloating()) bar->SendMessage(WM_IDLEUPDATECMDUI, wParam, 0);
    return 0;
}

void CFrameWnd::OnDropFiles(HDROP drop) {
    UINT n = DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
    CWinApp* app = AfxGetApp();
    for (UINT i = 0; i < n && app; ++i) {
        char path[4096];
        DragQueryFile(drop, i, path, sizeof path);
        app->OpenDocumentFile(path);
    }
    DragFinish(drop);
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* dc) {
    // The views cover the client area; erasing under them would only flicker.
    if (GetActiveView()) return TRUE;
    return CWnd::OnEraseBkgnd(dc);
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* ui) {
    UINT vk = ui->m_nID == ID_INDICATOR_CAPS ? VK_CAPITAL : ui->m_nID == ID_INDICATOR_NUM ? VK_NUMLOCK : VK_SCROLL;
    ui->Enable((::GetKeyState(static_cast<int>(vk)) & 1) != 0);
}

void CFrameWnd::BeginModalState() {
    if (m_cModalStack++ == 0) EnableWindow(FALSE);
}

void CFrameWnd::EndModalState() {
    if (m_cModalStack > 0 && --m_cModalStack == 0) EnableWindow(TRUE);
}

// Templates.
IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)

CDocTemplate::CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass, const CRuntimeClass* viewClass)
    : m_nIDResource(resourceId), m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass) {}

CDocTemplate::~CDocTemplate() = default;

void CDocTemplate::LoadTemplate() {
    if (m_strDocStrings.IsEmpty()) AfxLoadString(m_nIDResource, m_strDocStrings);
}

BOOL CDocTemplate::GetDocString(CString& out, DocStringIndex index) const {
    const_cast<CDocTemplate*>(this)->LoadTemplate();
    out.Empty();
    CString rest = m_strDocStrings;
    for (int i = 0; i < index; ++i) {
        int nl = rest.Find('\n');
        if (nl < 0) return FALSE;
        rest = rest.Mid(nl + 1);
    }
    int nl = rest.Find('\n');
    out = nl >= 0 ? rest.Left(nl) : rest;
    return !out.IsEmpty();
}

CDocument* CDocTemplate::CreateNewDocument() {
    if (!m_pDocClass) return nullptr;
    auto* doc = dynamic_cast<CDocument*>(m_pDocClass->CreateObject());
    if (doc) AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* doc, CFrameWnd* other) {
    CCreateContext ctx;
    ctx.m_pCurrentFrame = other;
    ctx.m_pCurrentDoc = doc;
    ctx.m_pNewViewClass = m_pViewClass;
    ctx.m_pNewDocTemplate = this;
    if (!m_pFrameClass) return nullptr;
    auto* frame = dynamic_cast<CFrameWnd*>(m_pFrameClass->CreateObject());
    if (!frame) return nullptr;
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &ctx)) return nullptr;
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible) {
    frame->InitialUpdateFrame(doc, makeVisible);
}

void CDocTemplate::AddDocument(CDocument* doc) { doc->m_pDocTemplate = this; }
void CDocTemplate::RemoveDocument(CDocument* doc) { doc->m_pDocTemplate = nullptr; }

CDocTemplate::Confidence CDocTemplate::MatchDocType(LPCTSTR path, CDocument*& match) {
    match = nullptr;
    // No path names no file: it is never the one an untitled document holds.
    if (!path || !*path) return yesAttemptNative;
    for (POSITION pos = GetFirstDocPosition(); pos;) {
        CDocument* d = GetNextDoc(pos);
        if (d && d->GetPathName().CompareNoCase(path) == 0) {
            match = d;
            return yesAlreadyOpen;
        }
    }
    return yesAttemptNative;
}

BOOL CDocTemplate::SaveAllModified() {
    for (POSITION pos = GetFirstDocPosition(); pos;)
        if (CDocument* d = GetNextDoc(pos); d && !d->SaveModified()) return FALSE;
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL) {
    for (POSITION pos = GetFirstDocPosition(); pos;)
        if (CDocument* d = GetNextDoc(pos)) d->OnCloseDocument();
}

IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CSingleDocTemplate::CSingleDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                                       const CRuntimeClass* viewClass)
    : CDocTemplate(resourceId, docClass, frameClass, viewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    if (m_pOnlyDoc) {
        m_pOnlyDoc->m_pDocTemplate = nullptr;
    }
}

void CSingleDocTemplate::AddDocument(CDocument* doc) {
    CDocTemplate::AddDocument(doc);
    m_pOnlyDoc = doc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* doc) {
    CDocTemplate::RemoveDocument(doc);
    if (m_pOnlyDoc == doc) m_pOnlyDoc = nullptr;
}

POSITION CSingleDocTemplate::GetFirstDocPosition() const { return m_pOnlyDoc ? reinterpret_cast<POSITION>(1) : nullptr; }

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& pos) const {
    CDocument* d = pos ? m_pOnlyDoc : nullptr;
    pos = nullptr;
    return d;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* doc) {
    CString name;
    if (!GetDocString(name, docName) || name.IsEmpty()) name = "Untitled";
    doc->SetTitle(name);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCTSTR path, BOOL makeVisible) {
    CDocument* doc = m_pOnlyDoc;
    CFrameWnd* frame = nullptr;
    bool created = false;
    if (doc) {
        // One document at a time: the current one may be replaced if it agrees.
        if (!doc->SaveModified()) return nullptr;
        if (POSITION p = doc->GetFirstViewPosition()) frame = doc->GetNextView(p)->GetParentFrame();
    } else {
        doc = CreateNewDocument();
        created = true;
    }
    if (!doc) return nullptr;
    if (created) {
        BOOL autoDelete = doc->m_bAutoDelete;
        doc->m_bAutoDelete = FALSE;
        frame = CreateNewFrame(doc, nullptr);
        doc->m_bAutoDelete = autoDelete;
        if (!frame) {
            delete doc;
            return nullptr;
        }
    }
    if (!path) {
        SetDefaultTitle(doc);
        if (!doc->OnNewDocument()) {
            if (created && frame) frame->DestroyWindow();
            return nullptr;
        }
    } else {
        // The document agreed to be replaced: what it held is no longer a
        // change of the file about to be read.
        doc->SetModifiedFlag(FALSE);
        BOOL ok = doc->OnOpenDocument(path);
        if (!ok) {
            // A failed (or deferred) open leaves the frame as it is; a new one is
            // shown all the same, as the application's main window when it has none.
            if (created && frame && !frame->IsWindowVisible()) {
                if (CWinApp* app = AfxGetApp(); app && !app->m_pMainWnd) app->m_pMainWnd = frame;
                InitialUpdateFrame(frame, doc, makeVisible);
            }
            return nullptr;
        }
        doc->SetPathName(path);
    }
    if (CWinApp* app = AfxGetApp(); app && created && !app->m_pMainWnd) app->m_pMainWnd = frame;
    if (frame) InitialUpdateFrame(frame, doc, makeVisible);
    return doc;
}

// Command lines.
void CCommandLineInfo::ParseParam(LPCTSTR param, BOOL flag, BOOL) {
    if (flag) {
        CString p(param);
        if (p.CompareNoCase("Embedding") == 0) m_bRunEmbedded = TRUE;
        else if (p.CompareNoCase("Automation") == 0) m_bRunAutomated = TRUE;
        else if (p.CompareNoCase("p") == 0) m_nShellCommand = FilePrint;
        else if (p.CompareNoCase("pt") == 0) m_nShellCommand = FilePrintTo;
        else if (p.CompareNoCase("dde") == 0) m_nShellCommand = FileDDE;
        else if (p.CompareNoCase("Unregister") == 0 || p.CompareNoCase("Unregserver") == 0) m_nShellCommand = AppUnregister;
        return;
    }
    if (m_strFileName.IsEmpty()) {
        m_strFileName = param;
        if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
    } else if (m_nShellCommand == FilePrintTo && m_strPrinterName.IsEmpty()) {
        // "/pt file printer [driver [port]]": the printer's name; driver and port are not used.
        m_strPrinterName = param;
    }
}

// The application's documents.
void CWinApp::AddDocTemplate(CDocTemplate* tmpl) {
    if (tmpl) m_pImpl->templates.push_back(tmpl);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const { return m_pImpl->templates.empty() ? nullptr : PosOf(0); }

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const {
    size_t i = IndexOf(pos);
    auto& t = m_pImpl->templates;
    if (i >= t.size()) {
        pos = nullptr;
        return nullptr;
    }
    pos = i + 1 < t.size() ? PosOf(i + 1) : nullptr;
    return t[i];
}

CDocument* CWinApp::OpenDocumentFile(LPCTSTR path) {
    auto& t = m_pImpl->templates;
    if (t.empty()) return nullptr;
    CDocument* match = nullptr;
    for (CDocTemplate* tmpl : t)
        if (tmpl->MatchDocType(path, match) == CDocTemplate::yesAlreadyOpen) {
            // Already open: bring its frame up.
            if (POSITION p = match->GetFirstViewPosition())
                if (CFrameWnd* f = match->GetNextView(p)->GetParentFrame()) f->ActivateFrame();
            return match;
        }
    return t.front()->OpenDocumentFile(path);
}

BOOL CWinApp::SaveAllModified() {
    for (CDocTemplate* tmpl : m_pImpl->templates)
        if (!tmpl->SaveAllModified()) return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL endSession) {
    for (CDocTemplate* tmpl : m_pImpl->templates) tmpl->CloseAllDocuments(endSession);
}

void CWinApp::OnFileNew() {
    if (!m_pImpl->templates.empty()) m_pImpl->templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
    CString path;
    if (OpenDialog(path)) OpenDocumentFile(path);
}

void CWinApp::OnFilePrintSetup() {}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    for (size_t i = 0; i < m_args.size(); ++i) {
        const CString& a = m_args[i];
        BOOL flag = a.GetLength() > 1 && (a[0] == '/' || a[0] == '-');
        info.ParseParam(flag ? a.Mid(1).GetString() : a.GetString(), flag, i + 1 == m_args.size());
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(info.m_strFileName) != nullptr || m_pMainWnd != nullptr;
    case CCommandLineInfo::FileNothing:
        return TRUE;
    default:
        return TRUE;
    }
}
