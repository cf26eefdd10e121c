// What the page image, the document and the views ask of the application
// shell: the open document's path, the page list's current row, settings and
// flags, message boxes, the wait cursor and the status-bar progress bar.
// The shell implements the interface and installs itself with
// SetShellServices; until then a quiet default answers (no document, no page
// list, messages dropped).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win/memory.h"
#include "platform/win/types.h"

class COcrDoc;
class CTextView;
class CTask;
class CPropertySheet;
struct _seg_regioninfo;
struct _regioninfo;

// A page-list row as CFileListCtrl::UpdateItem takes it.
struct FileItemInfo {
    std::string path;
    std::string language;    // column 1
    std::string type;        // column 2
    int status = 0;          // column 3's value
    std::string resolution;  // column 4, decimal
};

// What the application's open-document path did with a path.
enum OpenDocumentResult { kOpenFailed = 0, kOpenStarted = 1, kOpenAlreadyOpen = 2 };

// Status-bar panes the pipeline writes.
enum StatusPane { kStatusPrompt = 0, kStatusCounter = 1, kStatusLanguage = 2, kStatusType = 3,
                  kStatusResolution = 4 };

// Message box styles and answers the callers use.
#ifndef MB_OK
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_YESNO 0x00000004u
#define MB_ICONSTOP 0x00000010u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONINFORMATION 0x00000040u
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#endif

// Page-list columns: path, language, type, status, resolution.
enum PageListColumn { kPageListPath = 0, kPageListLanguage = 1, kPageListType = 2, kPageListStatus = 3,
                      kPageListResolution = 4 };

class CShellServices {
public:
    virtual ~CShellServices() = default;

    // Path of the open OCR document, empty when no document is open.
    virtual std::string CurrentDocumentPath() const = 0;

    // Page list: the first selected row, else the focused row, else -1.
    virtual int PageListCurrentRow() const = 0;
    virtual int PageListRowCount() const = 0;
    // Text of one cell; empty for a row or column that does not exist.
    virtual std::string PageListItemText(int row, int column) const = 0;

    // Settings and flags of the application object.
    virtual bool IsSimplified() const = 0;           // m_bSimplified
    virtual WORD SystemLanguageId() const = 0;       // m_wSysLangID
    virtual std::string DataFolder() const = 0;      // m_strDataDir
    virtual std::string ProgramFolder() const = 0;   // m_strAppDir
    virtual int DefaultResolution() const = 0;       // m_nResolution
    // The conversion library loaded at start-up (m_hConvertDll); NULL when it
    // could not be loaded.
    virtual HMODULE ConvertLibrary() const { return nullptr; }

    // A modal message box; returns the button pressed (IDOK ...).
    virtual int MessageBox(const std::string& text, const std::string& caption, UINT style) = 0;

    // Wait cursor, shown from Begin to the matching End (calls nest).
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // The main frame's status-bar progress bar (pane 1).
    virtual void ClearProgress() = 0;
    virtual void DrawProgress(int first, int last, int current) = 0;
    virtual void RefreshProgress() = 0;

    // --- What the OCR document asks of the application and its main frame.
    // The application's open document (m_pOcrDoc): the document registers
    // itself when made and withdraws when destroyed.
    virtual void SetCurrentDocument(COcrDoc*) {}
    virtual COcrDoc* CurrentDocument() const { return nullptr; }
    // m_bBusy: set by the batch loops before they open a page, cleared when it arrives.
    virtual bool IsBusy() const { return false; }
    virtual void SetBusy(bool) {}
    // m_nBatchMode: 0 outside a batch, else the batch option (2 redoes everything).
    virtual int BatchMode() const { return 0; }
    // m_bSaveAsJpg: grey and colour pages from the scanner are saved as .jpg.
    virtual bool SaveAsJpg() const { return false; }
    // m_bViewText: the text view's pane is shown.
    virtual bool IsTextViewShown() const { return false; }
    virtual void SetTextViewShown(bool) {}
    // The main frame's splitter: whether a column is hidden, and hiding the
    // text view's column (nothing when one is hidden already).
    virtual bool IsSplitterColumnHidden() const { return false; }
    virtual void HideTextColumn() {}
    // The main frame's title update after the document set its path.
    virtual void UpdateFrameTitle(BOOL) {}
    // The scan-name box of the file bar: the next scan file name (at most
    // kScanNameMax characters are read).
    virtual std::string ScanName() const { return {}; }
    virtual void SetScanName(const std::string&) {}
    // The last scanned bitmap, handed over to the caller (NULL when none).
    virtual HDIB TakeScannedDib() { return nullptr; }
    // The page-image file dialog: `name` in and out; FALSE on cancel.
    virtual BOOL PromptImageFileName(BOOL /*open*/, const char* /*defaultExt*/, std::string& /*name*/,
                                     DWORD /*flags*/, UINT /*filterId*/) {
        return FALSE;
    }
    // Page list: number of selected rows, and column 0 of the first selected
    // row set to `path` (its row, -1 when none is selected).
    virtual int PageListSelectedCount() const { return 0; }
    virtual int PageListSetSelectedItemText(const std::string&) { return -1; }
    // Posts a command (WM_COMMAND) to the main window.
    virtual void PostMainCommand(UINT) {}

    // --- What the text view asks of the application and its main frame.
    // m_pTextView: the text view registers itself when its window is made.
    virtual void SetTextView(CTextView*) {}
    virtual CTextView* TextView() const { return nullptr; }
    // m_bInsertMode of the main frame: insert (true) or overwrite.
    virtual bool IsInsertMode() const { return true; }
    // m_strExternEditPath: the external editor's program.
    virtual std::string ExternEditPath() const { return {}; }
    // m_osvi's platform: true on the old consumer platform (strip stretch mode 2).
    virtual bool IsLegacyPlatform() const { return false; }
    // --- What the recognition pipeline and the batch task ask.
    // The application's one batch task (m_task).
    virtual CTask* Task() { return nullptr; }
    // A modified job is offered for saving before it is closed or replaced;
    // TRUE lets the caller go on (saved, or the user chose not to save).
    virtual BOOL OfferToSaveJob() { return TRUE; }
    virtual void SetBatchMode(int) {}
    // m_nIngoredFlag: 0 keep all results, 1 keep the layout, 2 redo all.
    virtual int IgnoredFlag() const { return 0; }
    virtual bool AutoAdjust() const { return false; }    // m_bAutoAdjust
    virtual bool OutputToExe() const { return false; }   // m_bOutputToExe
    virtual int LangCode() const { return 0; }           // m_nLangCode
    virtual int PageType() const { return 0; }           // m_nPageType
    virtual int EditFileType() const { return 0; }       // m_nEditFileType
    virtual bool ViewsShown() const { return true; }     // the main frame's m_bViewsShown
    // Shows the splitter's hidden column (the text view) again.
    virtual void ShowTextColumn() {}
    // Status-bar pane texts.
    virtual std::string StatusPaneText(int) const { return {}; }
    virtual void SetStatusPaneText(int, const std::string&) {}
    // The application's learning step after the learning file was written.
    virtual void ShowLearnStatus() {}
    // The application's open-document path (SaveModified, then the open).
    virtual int OpenDocumentPath(const std::string&) { return kOpenFailed; }
    // Sends a command (WM_COMMAND) to the main window and returns when it ran.
    virtual void SendMainCommand(UINT) {}
    // Opens a file with the shell's default action (SW_RESTORE); FALSE on failure.
    virtual BOOL OpenWithDefaultAction(const std::string&) { return FALSE; }
    // Page list rows.
    virtual void PageListSelectItem(int) {}
    // Selects exactly `rows` (list order), the focus on `focus`, which is one
    // of them; nothing is opened.
    virtual void PageListSelectRows(const std::vector<int>& /*rows*/, int /*focus*/) {}
    virtual int PageListFindItem(const std::string&) { return -1; }
    virtual std::vector<int> PageListSelectedRows() const { return {}; }
    virtual int PageListUpdateItem(const FileItemInfo&) { return -1; }
    virtual void PageListSetItemValue(int, std::uintptr_t) {}
    virtual void PageListSetItemText(int, int, const std::string&) {}
    virtual void PageListDeleteAll() {}
    // The batch recognition dialog (runs the selected pages; its result) and
    // the job description dialog (IDOK with the edited text).
    virtual int RunBatchRecognitionDialog() { return IDCANCEL; }
    virtual int RunProjectDescriptionDialog(const std::string& /*name*/, std::string& /*text*/) { return IDCANCEL; }
    // Edition hooks of the batch recognition window (the defaults are
    // Scribant's): the bytes of its piece buffer (at most 512), the status
    // pane 1 text of a row (counted from 1), the scan target its run
    // rebuilds after each row's folder, the margins of its text panel inside
    // the client area (left, top, right, bottom) and whether the panel
    // writes in the dialog's font rather than the fixed system font.
    virtual std::size_t BatchPieceBytes() const { return 128; }
    virtual std::string BatchCounterText(int row, int rowCount) const {
        char text[64];
        std::snprintf(text, sizeof text, "%6d  /  %d", row, rowCount);
        return text;
    }
    virtual std::string BatchScanTarget() const { return ScanName(); }
    virtual void SetBatchScanTarget(const std::string& name) { SetScanName(name); }
    virtual RECT BatchPanelMargins() const { return RECT{24, 50, 24, 70}; }
    virtual bool BatchPanelUsesDialogFont() const { return SystemLanguageId() == 0x409; }

    // --- What the page view asks of the application and its main frame.
    // m_bAutoResize: the page view crops after the page rectangle was dragged.
    virtual bool AutoResize() const { return false; }
    // The splitter's second state flag (ID_WINDOW_SPLIT is enabled only while clear).
    virtual bool IsSplitterSecondFlagSet() const { return false; }
    // Puts a bitmap in the last-scanned slot, which owns it from then on (one
    // left there is freed).
    virtual void PutScannedDib(HDIB dib) { GlobalFree(dib); }

    // --- Where the second edition of the program goes its own way; the
    // defaults are Scribant's (nothing more happens).
    // A loaded page reached the document (`attached`: it is the open page now,
    // else the image could not be read).
    virtual void PageArrived(bool /*attached*/) {}
    // WM_USER+1107 reached the page view: a scan another program made is done.
    virtual void PageViewScanDone() {}
    // The document's page recognition (ID_DOC_RECOGNIZE) has ended, whatever
    // the outcome; `recognised` when the page holds a result.
    virtual void PageRecognitionEnded(bool /*recognised*/) {}
    // The page's Chinese regions recognised in the program's progress window
    // (their segmentation given, the result handed back through `result`):
    // 1 recognised, 0 failed; -1 (the default) when the page recognises them
    // itself.
    virtual int RecognizeInProgressWindow(_seg_regioninfo* /*seg*/, _regioninfo** /*result*/) { return -1; }
    // Whether PDF files are page images to open and write (the default), or
    // refused as having no image codec (the second edition reads none).
    virtual bool ReadsPdfImages() const { return true; }
    // Whether the pointer switch (F9) cycles the page view's mouse tool now;
    // the second edition ignores it while its main window is in one of its modes.
    virtual bool PointerSwitchAllowed() const { return true; }
    // The settings sheet: the pages an edition adds after the common ones,
    // and the sheet's end (`accepted`: closed with OK, the common values
    // taken and saved).
    virtual void AddSettingsPages(CPropertySheet& /*sheet*/) {}
    virtual void SettingsSheetClosed(bool /*accepted*/) {}
};

// At most this many characters of the scan-name box are read.
constexpr std::size_t kScanNameMax = 256;

// The answers given while no shell is installed.
class CNoShellServices final : public CShellServices {
public:
    std::string CurrentDocumentPath() const override { return {}; }
    int PageListCurrentRow() const override { return -1; }
    int PageListRowCount() const override { return 0; }
    std::string PageListItemText(int, int) const override { return {}; }
    bool IsSimplified() const override { return true; }
    WORD SystemLanguageId() const override { return 2052; }
    std::string DataFolder() const override { return {}; }
    std::string ProgramFolder() const override { return {}; }
    int DefaultResolution() const override { return 300; }
    int MessageBox(const std::string&, const std::string&, UINT) override { return IDOK; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void ClearProgress() override {}
    void DrawProgress(int, int, int) override {}
    void RefreshProgress() override {}
};

namespace shell_detail {
inline CShellServices*& InstalledServices() {
    static CShellServices* installed = nullptr;
    return installed;
}
}  // namespace shell_detail

// Installs the shell (nullptr goes back to the quiet default). Not owned.
inline void SetShellServices(CShellServices* services) { shell_detail::InstalledServices() = services; }

inline CShellServices& ShellServices() {
    static CNoShellServices quiet;
    CShellServices* installed = shell_detail::InstalledServices();
    return installed ? *installed : quiet;
}

// Shows the wait cursor for the life of the object.
class CShellWaitCursor {
public:
    CShellWaitCursor() { ShellServices().BeginWaitCursor(); }
    ~CShellWaitCursor() { ShellServices().EndWaitCursor(); }
    CShellWaitCursor(const CShellWaitCursor&) = delete;
    CShellWaitCursor& operator=(const CShellWaitCursor&) = delete;
};
