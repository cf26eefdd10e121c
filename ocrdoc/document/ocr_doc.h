// The OCR document: the one open page with its page image, its layout-region
// tree, its recognition result (the second base) and the per-region text-line
// counts, and the background thread that brings a page in.
//
// Opening a page never loads it on the user-interface thread: OnOpenDocument
// starts the page-load thread and returns FALSE at once; the page arrives
// later as WM_PAGELOADED at the page view, which hands it to AttachLoadedPage.
// The project file beside the image (image path + ".PST") is written when the
// page is left (SaveModified), never by asking the user.
//
// The views are reached only through the framework: UpdateAllViews with the
// hints below, messages to the page view's window, and commands routed to the
// first view. Everything here runs on the user-interface thread except
// ProjectLoadThread, which touches only m_loadParam and m_csLoad.
#pragma once

#include "imaging/page_image.h"
#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/regions/layout_region.h"
#include "ocrdoc/result/reco_result.h"
#include "platform/afx/afxwin.h"
#include "platform/win/sync.h"
#include "platform/win/types.h"

#include <string>

// The program's private window messages (2033 to 2038).
#define WM_PAGELOADED (WM_USER + 1009)    // wParam project block or 0, lParam CPageImage* or 0
#define WM_CANDIDATEBAR (WM_USER + 1010)  // candidate panel to the text view
#define WM_STRIPBUTTON (WM_USER + 1011)   // button strip to its parent, lParam the button
#ifndef WM_IMAGEPROGRESS
#define WM_IMAGEPROGRESS (WM_USER + 1013)  // wParam rows done, lParam total rows
#endif
#define WM_RESULTSTATE (WM_USER + 1014)   // show or hide the text view's pane
#define WM_PRIVATE_FIRST WM_PAGELOADED
#define WM_PRIVATE_LAST WM_RESULTSTATE

// Commands of the document and the ones it sends on.
#define ID_VIEW_TEXT_WINDOW 32830
#define ID_PAGE_FROM_SCANNER 32836
#define ID_ZOOM_IN 32848
#define ID_ZOOM_OUT 32849

// Commands of the recognition pipeline.
#define ID_REGION_IMAGE 32789
#define ID_REGION_HTEXT 32790
#define ID_REGION_VTEXT 32791
#define ID_REGION_TABLE 32792
#define ID_REGION_CANCEL 32801
#define ID_LEARN_PAGE 32806
#define ID_LEARN_CHAR 32807
#define ID_DOC_LAYOUT 32841
#define ID_DOC_CLEAR_LAYOUT 32842
#define ID_PAGE_SEGMENT 32843
#define ID_DOC_RECOGNIZE 32844
#define ID_REGION_ENGLISH 32866

// Hints of UpdateAllViews from the document.
enum : LPARAM {
    kHintResetPageView = 0x5101,    // the page view starts afresh on the new page (ResetView)
    kHintRefreshTextView = 0x5102,  // the text view fetches its lines again
};

// Strings of the language libraries the document shows.
#define IDS_OLD_PROJECT_FILE 61247  // "旧版本的PST文件, 不能处理"
#define IDS_WORK_KEPT 61616         // "%s" the image, "%s" its copy keeping the page's work
#define IDS_WORK_NOT_SAVED 61617    // "%s" the image whose work could not be saved anywhere
#define IDS_PAGE_NOT_LOADED 61618   // "%s" an image opened from the list that could not be read

// A string of the language library with its "%s" filled by the paths in
// order (the paths alone when the library lacks it).
std::string DocStringWithPaths(UINT id, const std::string& first, const std::string& second = {});
#define IDS_IMAGE_READ_ONLY 61255   // "图像文件属性为'只读', 不能保存"
#define IDS_NO_BINARY_JPG 61257     // "二值图像不能另存为jpg"
#define IDS_IMAGE_FILTER 61205      // the page-image file dialog's filter
#define IDS_PAGE_TYPE_OFFICIAL 61215  // "公文"

// Fixed texts of the document.
extern const char* const kMsgSaveImageFailed;     // "保存图像文件:%s 失败!" in GBK
extern const char* const kMsgTextLineError;       // "Text line number error"
extern const char* const kMsgLineCountMismatch;   // "Error, dwLen<0 or dwLen != m_dwBkNum"
extern const char* const kMsgNoFreeScanName;      // no free scan file name left
extern const char* const kPlaceholderPath;        // "C:\EMPTY$$$.TIF": open no page

class COcrDoc;

// The rectangle passed with kHintInvalidateRegion and kHintClearDragRect.
class CRegionRectHint : public CObject {
public:
    RECT rect{};
};

// The page-load thread's parameter block; it lives inside the document.
struct LoadThreadParam {
    COcrDoc* pDoc;
    char szPath[256];  // image path, at most 255 characters
    HWND hTarget;      // the page view's window
    HANDLE hStopEvent;
    HANDLE hAckEvent;
};

// Both bases have a modified flag: CDocument::m_bModified (the page image was
// edited; IsModified / SetModifiedFlag) and CRecoResult::m_bModified (the
// result text was edited). Name them qualified.
class COcrDoc : public CDocument, public COcrPage {
    DECLARE_DYNCREATE(COcrDoc)
public:
    COcrDoc();
    ~COcrDoc() override;

    // --- Framework overrides (ocr_doc.cpp).
    void SetPathName(LPCTSTR path, BOOL addToMru = TRUE) override;
    BOOL IsModified() override;
    void SetModifiedFlag(BOOL modified = TRUE) override;
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(LPCTSTR path) override;
    BOOL OnSaveDocument(LPCTSTR path) override;
    BOOL SaveModified() override;


    // Commands (ocr_doc.cpp).
    afx_msg void OnFileSave();
    afx_msg void OnFileSaveAs();
    afx_msg void OnUpdateFileSave(CCmdUI* ui);
    afx_msg void OnUpdateFileSaveAs(CCmdUI* ui);
    afx_msg void OnPageFromScanner();
    // The next page from the last-scanned slot is saved under `name` (a file
    // there replaced only with `replace`, the user's Yes) instead of the next
    // free scan name; used once.
    void SetNextNewPageName(const std::string& name, bool replace);
    afx_msg void OnZoomIn();
    afx_msg void OnZoomOut();
    afx_msg void OnUpdateZoomIn(CCmdUI* ui);
    afx_msg void OnUpdateZoomOut(CCmdUI* ui);

    // The first view (the page view) and its window; NULL when none.
    CView* GetPageView() const;
    HWND GetPageViewWindow() const;
    // Tells the views through UpdateAllViews.
    void ResetPageView();
    void RefreshTextView();
    // The scan name after `name`: the last 3 characters of the stem read as a
    // number (non-digits as 0), plus `step`, modulo 1000, padded to 3 digits.
    static std::string AdvanceScanName(const std::string& name, int step = 1);
    // The scan-name box's text as the document uses it: at most kScanNameMax
    // bytes, never ending in half a double-byte character.
    static std::string BoundScanName(const std::string& text);

    // --- The pipeline's hooks to the views and the shell (ocr_doc_pipeline.cpp).
    bool ReadPageSettings() override;
    void UpdateViews(LPARAM hint, const RECT* rect = nullptr) override;
    void ShowTextColumn() override;
    void SetViewText(bool shown) override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void SetPageEdited(BOOL edited) override { SetModifiedFlag(edited); }
    BOOL IsPageEdited() override { return IsModified(); }
    std::string PagePath() const override;
    HWND TextWindow() const override { return GetPageViewWindow(); }
    void PumpPending() override;
    void BeginWait() override;
    void EndWait() override;

    // A page that arrived while a run held the page waits here (a scanned or
    // pasted one in the shell's slot) and is taken when the run has ended.
    void AttachDeferredPage();

    // Pipeline commands (ocr_doc_pipeline.cpp).
    afx_msg void OnDocLayout();
    afx_msg void OnDocClearLayout();
    afx_msg void OnPageSegment();
    afx_msg void OnDocRecognize();
    afx_msg void OnUpdatePageCommand(CCmdUI* ui);
    afx_msg void OnRegionImage();
    afx_msg void OnRegionHText();
    afx_msg void OnRegionVText();
    afx_msg void OnRegionTable();
    afx_msg void OnRegionEnglish();
    afx_msg void OnUpdateRegionType(CCmdUI* ui);
    afx_msg void OnRegionCancel();
    afx_msg void OnUpdateRegionCancel(CCmdUI* ui);
    afx_msg void OnLearnPage();
    afx_msg void OnLearnChar();
    afx_msg void OnUpdateLearnPage(CCmdUI* ui);
    afx_msg void OnUpdateLearnChar(CCmdUI* ui);
    // The column type command's flags by its id, 0 for another id.
    static int RegionTypeFlags(UINT id);

    // --- Text-line counts (line_counts.cpp).
    int AdjustRegionLineCount(int line, int delta);
    int OnTextPasted(HGLOBAL hText, int line);
    int GetRegionLineCountAt(int line);
    BOOL SetAllLineCounts(int n, const WORD* values);
    int Undo(UINT* outRow, UINT* outCol);
    int RestoreOriginalImage();

    // --- Project file (project_file.cpp).
    void ParseProject(HGLOBAL block);

    // --- Page load (page_load.cpp).
    void StartPageLoad(LPCTSTR path);  // the start steps, called by OnOpenDocument
    BOOL StopLoadThread();             // bounded; FALSE when the thread was let go unanswered
    BOOL AttachLoadedPage(HGLOBAL block, CPageImage* image);
    BOOL OpenPageNow(LPCTSTR path);
    int ReadProjectFile(LPCTSTR path, HGLOBAL* outBlock, CPageImage** outImage);

    CWinThread* m_pLoadThread;
    LoadThreadParam m_loadParam;
    HANDLE m_hStopEvent;
    HANDLE m_hAckEvent;
    CRITICAL_SECTION m_csLoad;
    unsigned m_nLoadStops = 0;  // stops begun; tells a stop that another ran while it waited

private:
    std::string m_strNextNewPage;
    bool m_bNextNewPageReplaces = false;
    bool m_bForwardingZoom = false;  // a zoom command on its way to the page view
    bool m_bDeferredPage = false;
    bool m_bDeferredScan = false;
    HGLOBAL m_hDeferredBlock = nullptr;
    CPageImage* m_pDeferredImage = nullptr;

    DECLARE_MESSAGE_MAP()
};
