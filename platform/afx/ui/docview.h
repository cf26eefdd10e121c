// Documents, views, frames and document templates. A frame shows views of a
// document; commands go to the active view first, then its document (and the
// document's template), then the frame, then the application.
#pragma once

#include "platform/afx/ui/app.h"

class CDocument;
class CView;
class CFrameWnd;
class CDocTemplate;
class CDC;
class CPrintInfo;
class CControlBar;

#define AFX_IDW_PANE_FIRST 0xE900
#define AFX_IDW_PANE_LAST 0xE9FF
#define AFX_IDW_HSCROLL_FIRST 0xEA00
#define AFX_IDW_SIZE_BOX 0xEA20
#define AFX_IDW_PANE_SAVE 0xEA21
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_PREVIEW_BAR 0xE802
#define AFX_IDW_RESIZE_BAR 0xE803
#define AFX_IDW_DOCKBAR_TOP 0xE81B
#define AFX_IDW_DOCKBAR_LEFT 0xE81C
#define AFX_IDW_DOCKBAR_RIGHT 0xE81D
#define AFX_IDW_DOCKBAR_BOTTOM 0xE81E
#define AFX_IDW_DOCKBAR_FLOAT 0xE81F
#define AFX_IDW_DIALOGBAR 0xE805
#define AFX_IDW_CONTROLBAR_FIRST 0xE800
#define AFX_IDW_CONTROLBAR_LAST 0xE8FF

// What a frame needs to make its views.
struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

#define HINT_UPDATE_ALL 0

class AFX_UI_API CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument();
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCTSTR title);
    const CString& GetPathName() const { return m_strPathName; }
    virtual void SetPathName(LPCTSTR path, BOOL addToMru = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }

    void AddView(CView* view);
    void RemoveView(CView* view);
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& pos) const;
    // Calls OnUpdate of every view but `sender`.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);

    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(LPCTSTR path);
    virtual BOOL OnSaveDocument(LPCTSTR path);
    virtual void OnCloseDocument();
    virtual void DeleteContents();
    // Asks whether to save a modified document: TRUE to go on (saved or not wanted).
    virtual BOOL SaveModified();
    virtual BOOL CanCloseFrame(CFrameWnd* frame);
    virtual void PreCloseFrame(CFrameWnd* frame);
    virtual BOOL DoSave(LPCTSTR path, BOOL replace = TRUE);
    virtual BOOL DoFileSave();
    virtual void OnChangedViewList();
    virtual void UpdateFrameCounts();
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    afx_msg void OnFileSave();
    afx_msg void OnFileSaveAs();
    afx_msg void OnFileClose();

    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_viewList;
    BOOL m_bModified = FALSE;
    BOOL m_bAutoDelete = TRUE;
    BOOL m_bEmbedded = FALSE;

    DECLARE_MESSAGE_MAP()
};

class AFX_UI_API CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    virtual void OnDraw(CDC* dc) = 0;
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);
    virtual void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView);
    virtual void OnActivateFrame(UINT state, CFrameWnd* frame);
    virtual BOOL OnPreparePrinting(CPrintInfo* info);
    virtual void OnBeginPrinting(CDC* dc, CPrintInfo* info);
    virtual void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr);
    virtual void OnPrint(CDC* dc, CPrintInfo* info);
    virtual void OnEndPrinting(CDC* dc, CPrintInfo* info);
    BOOL DoPreparePrinting(CPrintInfo* info);
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void PostNcDestroy() override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnFilePrint();
    afx_msg void OnFilePrintPreview();
    afx_msg LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);

    CDocument* m_pDocument = nullptr;

    DECLARE_MESSAGE_MAP()
};

// A view whose picture is larger than its window: scroll bars move a logical
// origin, and OnDraw paints at that origin.
class AFX_UI_API CScrollView : public CView {
    DECLARE_DYNAMIC(CScrollView)
public:
    CScrollView();
    static const SIZE sizeDefault;
    void SetScrollSizes(int mapMode, SIZE total, const SIZE& page = sizeDefault, const SIZE& line = sizeDefault);
    CPoint GetScrollPosition() const;
    CPoint GetDeviceScrollPosition() const;
    CSize GetTotalSize() const { return m_totalLog; }
    void ScrollToPosition(POINT pt);
    void ResizeParentToFit(BOOL shrinkOnly = TRUE);
    void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr) override;
    virtual BOOL OnScrollBy(CSize size, BOOL doScroll = TRUE);

    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);

    int m_nMapMode = 1;
    CSize m_totalLog, m_pageDev, m_lineDev;
    CPoint m_pos;

protected:
    void UpdateBars();
    DECLARE_MESSAGE_MAP()
};

class AFX_UI_API CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    static const RECT rectDefault;
    using CWnd::Create;
    BOOL Create(LPCTSTR className, LPCTSTR windowName, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCTSTR menuName = nullptr,
                DWORD exStyle = 0, CCreateContext* context = nullptr);
    // Makes the frame from the resources with id `resourceId`: its menu,
    // accelerators, title (the string of that id, up to the first '\n') and icon.
    virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* parent = nullptr, CCreateContext* context = nullptr);
    virtual BOOL OnCreateClient(LPCREATESTRUCT cs, CCreateContext* context);
    CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);
    // Places the control bars along the edges and the client (view or splitter) in what is left.
    virtual void RecalcLayout(BOOL notify = TRUE);
    virtual void ActivateFrame(int cmdShow = -1);
    void InitialUpdateFrame(CDocument* doc, BOOL makeVisible);
    virtual void OnUpdateFrameTitle(BOOL addToTitle);
    void UpdateFrameTitleForDocument(LPCTSTR docName);
    virtual CView* GetActiveView() const;
    void SetActiveView(CView* view, BOOL notify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame() { return this; }
    void SetMessageText(LPCTSTR text);
    void SetMessageText(UINT id);
    CWnd* GetMessageBar();
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void PostNcDestroy() override;
    virtual void GetMessageString(UINT id, CString& message) const;
    void SetTitle(LPCTSTR title) { m_strTitle = title; }
    CString GetTitle() const { return m_strTitle; }
    void BeginModalState();
    void EndModalState();
    BOOL InModalState() const { return m_cModalStack > 0; }

    // Control bars. EnableDocking makes a dock bar for each edge of the mask
    // (CBRS_ALIGN_*) that has none yet; DockControlBar puts a bar into the dock
    // bar of that id (0: the first edge, in the order top, bottom, left, right,
    // that the bar allows), or along the edge itself when the frame has no such
    // dock bar; FloatControlBar moves it into a floating frame at screen point
    // `point`, laid out horizontally unless `style` is CBRS_ALIGN_LEFT or _RIGHT.
    void EnableDocking(DWORD dockStyle);
    void DockControlBar(CControlBar* bar, UINT dockBarId = 0, LPCRECT rect = nullptr);
    void FloatControlBar(CControlBar* bar, CPoint point, DWORD style = 0);
    void ShowControlBar(CControlBar* bar, BOOL show, BOOL delay);
    // The dock bar (of this frame, allowed by `dockStyle`) whose edge takes a bar dropped at screen point `point`; 0 for none.
    UINT DockBarFromPoint(CPoint point, DWORD dockStyle);
    CControlBar* GetControlBar(UINT id);
    void AddControlBar(CControlBar* bar);
    void RemoveControlBar(CControlBar* bar);
    void RecalcLayoutLater();
    // Sizes the floating frames of this frame's bars to their bars.
    void RecalcFloatingFrames();
    void OnUpdateControlBarMenu(CCmdUI* ui);
    BOOL OnBarCheck(UINT id);

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu);
    afx_msg void OnMenuSelect(UINT itemId, UINT flags, HMENU menu);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
    afx_msg LRESULT OnSetMessageString(WPARAM, LPARAM);
    afx_msg void OnDropFiles(HDROP drop);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnUpdateKeyIndicator(CCmdUI* ui);

    HACCEL m_hAccelTable = nullptr;
    UINT m_nIDHelp = 0;
    UINT m_nIdleFlags = 0;
    BOOL m_bAutoMenuEnable = TRUE;
    CString m_strTitle;
    CView* m_pViewActive = nullptr;
    std::vector<CControlBar*> m_listControlBars;
    DWORD m_dwDockStyle = 0;
    // The frame class that floating bars are put in (set by EnableDocking).
    const CRuntimeClass* m_pFloatingFrameClass = nullptr;
    int m_cModalStack = 0;
    CMenu* m_pMenu = nullptr;
    UINT m_nIDResource = 0;
    bool m_bInRecalc = false;

    DECLARE_MESSAGE_MAP()
};

class AFX_UI_API CDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CDocTemplate)
public:
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
    enum Confidence { noAttempt, maybeAttemptForeign, maybeAttemptNative, yesAttemptForeign, yesAttemptNative, yesAlreadyOpen };

    CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass, const CRuntimeClass* viewClass);
    ~CDocTemplate() override;

    virtual BOOL GetDocString(CString& out, DocStringIndex index) const;
    virtual CDocument* CreateNewDocument();
    virtual CFrameWnd* CreateNewFrame(CDocument* doc, CFrameWnd* other);
    virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible = TRUE);
    virtual CDocument* OpenDocumentFile(LPCTSTR path, BOOL makeVisible = TRUE) = 0;
    virtual void AddDocument(CDocument* doc);
    virtual void RemoveDocument(CDocument* doc);
    virtual POSITION GetFirstDocPosition() const = 0;
    virtual CDocument* GetNextDoc(POSITION& pos) const = 0;
    virtual Confidence MatchDocType(LPCTSTR path, CDocument*& match);
    virtual void SetDefaultTitle(CDocument* doc) = 0;
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL endSession);
    void LoadTemplate();

    UINT m_nIDResource;
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;
    BOOL m_bAutoDelete = TRUE;
};

class AFX_UI_API CSingleDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CSingleDocTemplate)
public:
    CSingleDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass, const CRuntimeClass* viewClass);
    ~CSingleDocTemplate() override;
    CDocument* OpenDocumentFile(LPCTSTR path, BOOL makeVisible = TRUE) override;
    void AddDocument(CDocument* doc) override;
    void RemoveDocument(CDocument* doc) override;
    POSITION GetFirstDocPosition() const override;
    CDocument* GetNextDoc(POSITION& pos) const override;
    void SetDefaultTitle(CDocument* doc) override;

    CDocument* m_pOnlyDoc = nullptr;
};

class AFX_UI_API CCommandLineInfo : public CObject {
public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister, FileNothing = -1 } m_nShellCommand = FileNew;
    CCommandLineInfo() = default;
    ~CCommandLineInfo() override = default;
    virtual void ParseParam(LPCTSTR param, BOOL flag, BOOL last);
    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    CString m_strFileName;
    CString m_strPrinterName;
};
