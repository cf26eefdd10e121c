// What the OCR document, its regions, the recognition pipeline and the batch
// task ask of the program around them: settings and flags, the page list,
// the status bar and its progress bar, the text view's pane, the scan name,
// the file dialogs and the hooks where an edition goes its own way. It
// extends what the image layer asks. The program installs its answers with
// SetDocumentHost (which answers for the image layer too); until then a quiet
// default answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/image_host.h"
#include "platform/win/memory.h"
#include "platform/win/types.h"

class COcrDoc;
class CTask;
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

// At most this many characters of the scan-name box are read.
constexpr std::size_t kScanNameMax = 256;

class CDocumentHost : public CImageHost {
public:
    virtual int PageListRowCount() const = 0;

    // Settings and flags of the application object.
    virtual bool IsSimplified() const = 0;           // m_bSimplified
    virtual WORD SystemLanguageId() const = 0;       // m_wSysLangID
    virtual std::string DataFolder() const = 0;      // m_strDataDir
    virtual std::string ProgramFolder() const = 0;   // m_strAppDir
    virtual int DefaultResolution() const = 0;       // m_nResolution

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

    // --- Where the second edition of the program goes its own way; the
    // defaults are Scribant's (nothing more happens).
    // A loaded page reached the document (`attached`: it is the open page now,
    // else the image could not be read).
    virtual void PageArrived(bool /*attached*/) {}
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
};

// The document layer's quiet answers on top of any host interface.
template <class Host>
class CQuietDocumentHost : public CQuietImageHost<Host> {
public:
    int PageListRowCount() const override { return 0; }
    bool IsSimplified() const override { return true; }
    WORD SystemLanguageId() const override { return 2052; }
    std::string DataFolder() const override { return {}; }
    std::string ProgramFolder() const override { return {}; }
    int DefaultResolution() const override { return 300; }
    void ClearProgress() override {}
    void DrawProgress(int, int, int) override {}
    void RefreshProgress() override {}
};

// Installs the document layer's host, which answers for the image layer as
// well (nullptr goes back to the quiet defaults). Not owned.
inline void SetDocumentHost(CDocumentHost* host) {
    host_detail::Installed<CDocumentHost>() = host;
    SetImageHost(host);
}

inline CDocumentHost& DocumentHost() {
    return host_detail::InstalledOrQuiet<CDocumentHost, CQuietDocumentHost<CDocumentHost>>();
}
