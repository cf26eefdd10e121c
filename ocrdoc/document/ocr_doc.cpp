// The OCR document: construction, open and save, the image save commands, the
// new page from the scanner and the zoom commands it passes to the page view.
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/page_load.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/image_messages.h"
#include "ocrdoc/document_host.h"
#include "ocrdoc/helpers/dbcs.h"
#include "ocrdoc/helpers/path_helpers.h"
#include "platform/win/codepage.h"
#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/handles.h"
#include "platform/win/path.h"

const char* const kMsgSaveImageFailed = "\xB1\xA3\xB4\xE6\xCD\xBC\xCF\xF1\xCE\xC4\xBC\xFE:%s \xCA\xA7\xB0\xDC!";
const char* const kMsgTextLineError = "Text line number error";
const char* const kMsgLineCountMismatch = "Error, dwLen<0 or dwLen != m_dwBkNum";
const char* const kMsgNoFreeScanName = "No free scan file name is left; save the page with Save As.";
const char* const kPlaceholderPath = "C:\\EMPTY$$$.TIF";

namespace {

// Save dialog flags: overwrite prompt, hide read-only, keep the current folder.
constexpr DWORD kSaveDialogFlags = 14;
// The scan counter has three digits.
constexpr int kScanNumbers = 1000;

void ShowDocMessage(const std::string& text) { DocumentHost().MessageBox(text, "", MB_OK | MB_ICONEXCLAMATION); }

void ShowDocString(UINT id) {
    CString text;
    text.LoadString(id);
    ShowDocMessage(text.GetString());
}

// The name with its extension replaced by `ext` (with its dot).
std::string WithExtension(const std::string& name, const char* ext) {
    PathParts parts = SplitPath(name);
    return parts.drive + parts.folder + parts.stem + ext;
}

// A page file name is free when neither it nor a companion of it exists.
bool IsFreePageName(const std::string& name) {
    return !PathFileExistsA(name.c_str()) && !PathFileExistsA((name + ".PST").c_str()) &&
           !PathFileExistsA((name + ".BKI").c_str()) && !PathFileExistsA(ResultTextPath(name).c_str());
}

}  // namespace

std::string DocStringWithPaths(UINT id, const std::string& first, const std::string& second) {
    CString format;
    format.LoadString(id);
    if (format.IsEmpty()) return second.empty() ? first : first + "\n" + second;
    std::vector<char> text(static_cast<std::size_t>(format.GetLength()) + first.size() + second.size() + 1);
    std::snprintf(text.data(), text.size(), format.GetString(), first.c_str(), second.c_str());
    return text.data();
}

IMPLEMENT_DYNCREATE(COcrDoc, CDocument)

BEGIN_MESSAGE_MAP(COcrDoc, CDocument)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, OnUpdateFileSaveAs)
    ON_COMMAND(ID_ZOOM_IN, OnZoomIn)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_IN, OnUpdateZoomIn)
    ON_COMMAND(ID_ZOOM_OUT, OnZoomOut)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_OUT, OnUpdateZoomOut)
    ON_COMMAND(ID_PAGE_FROM_SCANNER, OnPageFromScanner)
    ON_COMMAND(ID_DOC_LAYOUT, OnDocLayout)
    ON_UPDATE_COMMAND_UI(ID_DOC_LAYOUT, OnUpdatePageCommand)
    ON_COMMAND(ID_DOC_CLEAR_LAYOUT, OnDocClearLayout)
    ON_UPDATE_COMMAND_UI(ID_DOC_CLEAR_LAYOUT, OnUpdatePageCommand)
    ON_COMMAND(ID_PAGE_SEGMENT, OnPageSegment)
    ON_UPDATE_COMMAND_UI(ID_PAGE_SEGMENT, OnUpdatePageCommand)
    ON_COMMAND(ID_DOC_RECOGNIZE, OnDocRecognize)
    ON_UPDATE_COMMAND_UI(ID_DOC_RECOGNIZE, OnUpdatePageCommand)
    ON_COMMAND(ID_REGION_IMAGE, OnRegionImage)
    ON_COMMAND(ID_REGION_HTEXT, OnRegionHText)
    ON_COMMAND(ID_REGION_VTEXT, OnRegionVText)
    ON_COMMAND(ID_REGION_TABLE, OnRegionTable)
    ON_COMMAND(ID_REGION_ENGLISH, OnRegionEnglish)
    ON_UPDATE_COMMAND_UI(ID_REGION_IMAGE, OnUpdateRegionType)
    ON_UPDATE_COMMAND_UI(ID_REGION_HTEXT, OnUpdateRegionType)
    ON_UPDATE_COMMAND_UI(ID_REGION_VTEXT, OnUpdateRegionType)
    ON_UPDATE_COMMAND_UI(ID_REGION_TABLE, OnUpdateRegionType)
    ON_UPDATE_COMMAND_UI(ID_REGION_ENGLISH, OnUpdateRegionType)
    ON_COMMAND(ID_REGION_CANCEL, OnRegionCancel)
    ON_UPDATE_COMMAND_UI(ID_REGION_CANCEL, OnUpdateRegionCancel)
    ON_COMMAND(ID_LEARN_PAGE, OnLearnPage)
    ON_UPDATE_COMMAND_UI(ID_LEARN_PAGE, OnUpdateLearnPage)
    ON_COMMAND(ID_LEARN_CHAR, OnLearnChar)
    ON_UPDATE_COMMAND_UI(ID_LEARN_CHAR, OnUpdateLearnChar)
END_MESSAGE_MAP()

COcrDoc::COcrDoc()
    : m_pLoadThread(nullptr),
      m_loadParam{},
      m_hStopEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      m_hAckEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      m_csLoad{} {
    m_loadParam.pDoc = this;
    m_loadParam.hStopEvent = m_hStopEvent;
    m_loadParam.hAckEvent = m_hAckEvent;
    InitializeCriticalSection(&m_csLoad);
    DocumentHost().SetCurrentDocument(this);
}

COcrDoc::~COcrDoc() {
    // The load thread reads the parameter block inside this object: it must
    // be gone before anything here is freed.
    StopLoadThread();
    delete m_pLoadThread;
    m_pLoadThread = nullptr;
    if (m_bDeferredPage)
        FreePageLoadedPayload(reinterpret_cast<WPARAM>(m_hDeferredBlock), reinterpret_cast<LPARAM>(m_pDeferredImage));
    m_bDeferredPage = false;
    FreePage();
    if (m_hStopEvent) CloseHandle(m_hStopEvent);
    if (m_hAckEvent) CloseHandle(m_hAckEvent);
    DeleteCriticalSection(&m_csLoad);
    if (DocumentHost().CurrentDocument() == this) DocumentHost().SetCurrentDocument(nullptr);
}

// --- Framework overrides -----------------------------------------------------

void COcrDoc::SetPathName(LPCTSTR path, BOOL) {
    m_bEmbedded = FALSE;
    // The placeholder names no page: the document keeps no path for it.
    if (!path || !*path || std::strcmp(path, kPlaceholderPath) == 0) {
        m_strPathName.Empty();
        SetTitle("Untitled");
        return;
    }
    std::string full = suite::FullWindowsPath(path);
    m_strPathName = full.c_str();
    SetTitle(("[" + full + "]").c_str());
}

BOOL COcrDoc::IsModified() { return CDocument::m_bModified; }

void COcrDoc::SetModifiedFlag(BOOL modified) { CDocument::m_bModified = modified; }

BOOL COcrDoc::OnNewDocument() { return CDocument::OnNewDocument(); }

BOOL COcrDoc::OnOpenDocument(LPCTSTR path) {
    // An engine reads this page right now (its callbacks dispatch messages):
    // nothing may replace the page until the run ends.
    if (IsPageHeld()) return FALSE;
    if (path && std::strcmp(path, kPlaceholderPath) == 0) {
        StopLoadThread();
        delete m_pLoadThread;
        m_pLoadThread = nullptr;
        FreePage();
        RebuildLineCounts();
        m_strPathName.Empty();
        SetTitle("Untitled");
        Reset();
        CDocumentHost& shell = DocumentHost();
        shell.SetTextViewShown(false);
        shell.HideTextColumn();
        return TRUE;
    }
    if (!path || !*path) return FALSE;
    // The load thread may take the path from the framework's string; keep our own.
    std::string own(path);
    StartPageLoad(own.c_str());
    Reset();
    SetModifiedFlag(FALSE);
    m_bLayoutDirty = 0;
    SetPathName(own.c_str(), TRUE);
    DocumentHost().UpdateFrameTitle(TRUE);
    // FALSE: the framework neither sets the path nor runs its after-open
    // steps; the page reaches the views through WM_PAGELOADED.
    return FALSE;
}

BOOL COcrDoc::OnSaveDocument(LPCTSTR path) {
    if (!WriteImageFile(path, TRUE)) return FALSE;
    SetPathName(path, TRUE);
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL COcrDoc::SaveModified() {
    // The project file lies beside the image: without a path there is no
    // place for it (a scanned page that could not be saved yet).
    if (!m_strPathName.IsEmpty()) WriteProjectFile();
    return TRUE;
}

// --- Views -------------------------------------------------------------------

CView* COcrDoc::GetPageView() const {
    POSITION pos = GetFirstViewPosition();
    return pos ? GetNextView(pos) : nullptr;
}

HWND COcrDoc::GetPageViewWindow() const {
    CView* view = GetPageView();
    return view ? view->GetSafeHwnd() : nullptr;
}

void COcrDoc::ResetPageView() { UpdateAllViews(nullptr, kHintResetPageView); }

void COcrDoc::RefreshTextView() { UpdateAllViews(nullptr, kHintRefreshTextView); }

// --- Image save commands -----------------------------------------------------

void COcrDoc::OnFileSave() {
    if (!m_pImage) return;
    if (m_strPathName.IsEmpty()) {
        OnFileSaveAs();
        return;
    }
    // Only a file that exists can be read-only; a missing one is written anew.
    DWORD attributes = GetFileAttributesA(m_strPathName.GetString());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        ShowDocString(IDS_IMAGE_READ_ONLY);
        return;
    }
    DoFileSave();
}

void COcrDoc::OnFileSaveAs() {
    if (!m_pImage) return;
    CDocumentHost& shell = DocumentHost();
    std::string name = m_strPathName.GetString();
    if (!shell.PromptImageFileName(FALSE, nullptr, name, kSaveDialogFlags, IDS_IMAGE_FILTER) || name.empty()) return;
    PathParts chosen = SplitPath(name);
    chosen.ext = suite::AnsiToLower(chosen.ext);
    name = chosen.drive + chosen.folder + chosen.stem + chosen.ext;
    if (m_pImage->m_nBitCount == 1 && chosen.ext == ".jpg") {
        ShowDocString(IDS_NO_BINARY_JPG);
        return;
    }
    // The document and its row take the new name only once the file is written.
    if (!OnSaveDocument(name.c_str())) return;
    shell.PageListSetSelectedItemText(m_strPathName.GetString());
    PathParts box = SplitPath(BoundScanName(shell.ScanName()));
    shell.SetScanName(chosen.drive + chosen.folder + box.stem + box.ext);
}

void COcrDoc::OnUpdateFileSave(CCmdUI* ui) { ui->Enable(IsModified()); }

void COcrDoc::OnUpdateFileSaveAs(CCmdUI* ui) {
    ui->Enable(m_pImage != nullptr && DocumentHost().PageListSelectedCount() < 2);
}

// --- New page from the scanner -----------------------------------------------

std::string COcrDoc::BoundScanName(const std::string& text) {
    // Whole characters only: a lead byte whose trail was cut goes too.
    std::size_t limit = std::min(text.size(), kScanNameMax);
    std::size_t end = 0;
    while (end < limit) {
        std::size_t step = dochelpers::IsLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1;
        if (end + step > limit) break;
        end += step;
    }
    return text.substr(0, end);
}

std::string COcrDoc::AdvanceScanName(const std::string& name, int step) {
    PathParts parts = SplitPath(name);
    const std::string& stem = parts.stem;
    // The counter is the last 3 bytes of the stem, but never half a character.
    std::size_t cut = stem.size() > 3 ? stem.size() - 3 : 0;
    std::size_t at = 0;
    while (at < cut) at += dochelpers::IsLeadByte(static_cast<BYTE>(stem[at])) && at + 1 < stem.size() ? 2 : 1;
    cut = at;
    int number = 0;
    for (std::size_t i = cut; i < stem.size() && stem[i] >= '0' && stem[i] <= '9'; ++i) number = number * 10 + (stem[i] - '0');
    int next = ((number + step) % kScanNumbers + kScanNumbers) % kScanNumbers;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", next);
    return parts.drive + parts.folder + stem.substr(0, cut) + digits + parts.ext;
}

void COcrDoc::SetNextNewPageName(const std::string& name, bool replace) {
    m_strNextNewPage = name;
    m_bNextNewPageReplaces = replace;
}

void COcrDoc::OnPageFromScanner() {
    if (IsPageHeld()) {
        m_bDeferredScan = true;
        return;
    }
    CDocumentHost& shell = DocumentHost();
    HDIB dib = shell.TakeScannedDib();
    if (!dib) return;

    SaveModified();
    Reset();
    FreePage();
    RebuildLineCounts();
    m_bLayoutDirty = 0;
    m_bHasLayout = 0;

    m_pImage = new (std::nothrow) CPageImage;
    if (!m_pImage) {
        GlobalFree(dib);
    } else if (m_pImage->AttachDib(dib) != 0) {
        delete m_pImage;  // the refused bitmap was freed by AttachDib
        m_pImage = nullptr;
    }
    if (!m_pImage) {
        m_strPathName.Empty();
        SetTitle("Untitled");
        SetModifiedFlag(FALSE);
        ResetPageView();
        return;
    }

    // The save name: the box's name, or the first later number whose image
    // and companions do not exist yet, so that no earlier scan is replaced.
    const std::string chosen = std::exchange(m_strNextNewPage, std::string());
    const bool replaceChosen = std::exchange(m_bNextNewPageReplaces, false);
    const std::string box = chosen.empty() ? BoundScanName(shell.ScanName()) : chosen;
    const bool asJpg = (m_pImage->m_nBitCount == 8 || m_pImage->m_nBitCount == 24) && shell.SaveAsJpg();
    std::string saveName;
    int used = -1;
    // A name the user chose to replace is taken as it is.
    if (!chosen.empty() && replaceChosen) saveName = chosen, used = 0;
    for (int step = 0; used < 0 && !box.empty() && step < kScanNumbers; ++step) {
        std::string candidate = step == 0 ? box : AdvanceScanName(box, step);
        if (asJpg) candidate = WithExtension(candidate, ".jpg");
        if (IsFreePageName(candidate)) {
            saveName = candidate;
            used = step;
            break;
        }
    }

    BOOL saved = FALSE;
    m_pImage->AutoInvert();
    if (used >= 0) {
        DeleteFileA((saveName + ".PST").c_str());
        DeleteFileA((saveName + ".BKI").c_str());
        saved = OnSaveDocument(saveName.c_str());
        if (saved) shell.SetScanName(AdvanceScanName(box, used + 1));
    } else {
        ShowDocMessage(kMsgNoFreeScanName);
    }
    if (!saved) {
        // The page is kept, unsaved and under no name: the previous page's
        // path must not receive it, and Save asks for a name.
        m_strPathName.Empty();
        SetTitle("Untitled");
        SetModifiedFlag(TRUE);
    }

    m_pPageRegion = new (std::nothrow) CPageRegion(CPageRegion::WholePage(m_pImage->m_nWidth, m_pImage->m_nHeight));
    if (!m_pPageRegion) {
        FreePage();
        SetModifiedFlag(FALSE);
        ResetPageView();
        return;
    }
    ResetPageView();
    UpdateAllViews(nullptr);
    if (!shell.IsSplitterColumnHidden()) shell.PostMainCommand(ID_VIEW_TEXT_WINDOW);
    m_nTextLen = 0;
}

// --- Zoom, handled by the page view ------------------------------------------

namespace {

// Hands a command or its update to the page view. The view's own routing
// comes back to the document when the view has no handler: the guard ends
// that round.
void ForwardToView(CView* view, bool& guard, UINT id, int code, void* extra) {
    if (!view || guard) return;
    guard = true;
    view->OnCmdMsg(id, code, extra, nullptr);
    guard = false;
}

}  // namespace

void COcrDoc::OnZoomIn() { ForwardToView(GetPageView(), m_bForwardingZoom, ID_ZOOM_IN, CN_COMMAND, nullptr); }

void COcrDoc::OnZoomOut() { ForwardToView(GetPageView(), m_bForwardingZoom, ID_ZOOM_OUT, CN_COMMAND, nullptr); }

void COcrDoc::OnUpdateZoomIn(CCmdUI* ui) {
    ForwardToView(GetPageView(), m_bForwardingZoom, ID_ZOOM_IN, CN_UPDATE_COMMAND_UI, ui);
}

void COcrDoc::OnUpdateZoomOut(CCmdUI* ui) {
    ForwardToView(GetPageView(), m_bForwardingZoom, ID_ZOOM_OUT, CN_UPDATE_COMMAND_UI, ui);
}
