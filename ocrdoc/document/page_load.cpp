// The page-load thread and the document's side of it: starting and stopping
// the thread, attaching the page it delivers, and the synchronous twin.
#include "ocrdoc/document/page_load.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/image_messages.h"
#include "ocrdoc/document/project_file.h"
#include "ocrdoc/document_host.h"
#include "platform/win/files.h"
#include "platform/win/memory.h"

namespace {

// The slice of a stop wait between two looks at the message queue.
constexpr DWORD kStopWaitSlice = 10;

std::atomic<DWORD> g_stopTimeout{10000};

// Load threads let go by their documents, with their jobs, until they end.
std::mutex g_abandonedMu;
std::vector<std::pair<CWinThread*, CPageLoadJob*>> g_abandoned;

std::string ProjectPathOf(const std::string& imagePath) { return imagePath + kProjectSuffix; }
std::string EditedImagePathOf(const std::string& imagePath) { return imagePath + kEditedPageSuffix; }

bool ReadExactly(HANDLE file, void* buffer, DWORD count) {
    DWORD read = 0;
    return ReadFile(file, buffer, count, &read, nullptr) && read == count;
}

// The project file beside an image while a load reads it.
class ProjectFile {
public:
    explicit ProjectFile(const std::string& imagePath) {
        file_ = CreateFileA(ProjectPathOf(imagePath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) return;
        DWORD high = 0;
        const DWORD low = GetFileSize(file_, &high);
        // Shorter than the header: no project at all.
        if (high == 0 && low != INVALID_FILE_SIZE && low < kProjectHeaderBytes) {
            Close();
            return;
        }
        present_ = true;
        if (high != 0 || low > kProjectMaxFileBytes) {
            ignored_ = true;
            return;
        }
        length_ = low;
    }
    ~ProjectFile() { Close(); }
    ProjectFile(const ProjectFile&) = delete;
    ProjectFile& operator=(const ProjectFile&) = delete;

    void Close() {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
    // Closes the file and forgets it was there.
    void Drop() {
        Close();
        present_ = false;
    }
    void Ignore() { ignored_ = true; }

    bool Present() const { return present_; }
    bool Usable() const { return present_ && !ignored_ && file_ != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return file_; }
    DWORD Length() const { return length_; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    DWORD length_ = 0;
    bool present_ = false;
    bool ignored_ = false;
};

// The stop test of a load; a load without a job is never stopped.
bool Stopped(CPageLoadJob* job) { return job && job->StopRequested(); }
HANDLE StopEventOf(CPageLoadJob* job) { return job ? job->m_param.hStopEvent : nullptr; }

void DeletePage(CPageImage* image) {
    if (!image) return;
    image->Empty();
    delete image;
}

// Looks at the queue without taking anything from it: the window system's
// events are processed (the windows keep painting) and messages that other
// threads send are answered, while posted and input messages wait. Only 2036,
// which nothing posts, is asked for.
void KeepWindowsAlive() {
    MSG msg;
    PeekMessage(&msg, nullptr, WM_PAGELOADED + 3, WM_PAGELOADED + 3, PM_NOREMOVE);
}

using Clock = std::chrono::steady_clock;

DWORD MillisecondsLeft(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

// Waits for `event` until `end`, keeping the windows alive; gives up early
// once `overtaken` says that something the windows did has made the wait moot.
template <typename Overtaken>
bool WaitPumping(HANDLE event, Clock::time_point end, Overtaken overtaken) {
    for (;;) {
        const DWORD left = MillisecondsLeft(end);
        const DWORD slice = left < kStopWaitSlice ? left : kStopWaitSlice;
        const DWORD r = WaitForSingleObject(event, slice);
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) return true;
        if (r == WAIT_FAILED || left == 0) return false;
        KeepWindowsAlive();
        if (overtaken()) return false;
    }
}

CPageLoadJob* JobOf(CWinThread* thread) {
    return thread ? static_cast<CPageLoadJob*>(thread->m_pThreadParams) : nullptr;
}

bool ThreadEnded(CWinThread* thread) { return thread->Join(0) != FALSE; }

// A page the load posted and the view has not taken yet is dropped (and
// freed): nothing of a stopped load may arrive later, not even at a view
// that outlives its document.
void RemoveQueuedPages(const CPageLoadJob* job) {
    if (job && job->m_param.hTarget) AfxRemovePostedMessages(job->m_param.hTarget, WM_PAGELOADED, WM_PAGELOADED);
}

// Deletes an ended load thread and its job.
void DropLoad(CWinThread* thread, CPageLoadJob* job) {
    RemoveQueuedPages(job);
    delete thread;
    delete job;
}

// The official-document page type as the page list shows it.
std::string OfficialPageType() {
    CString text;
    if (AfxLoadString(IDS_PAGE_TYPE_OFFICIAL, text) && !text.IsEmpty()) return std::string(text);
    return "\xB9\xAB\xCE\xC4";  // "公文" in GBK
}

// A grey or colour page is binarised again by its regions, with the page
// type of the page list's first selected row. Without a selected row a page
// with regions keeps the binarisation it got when its bitmap was attached.
void BinarizeLoadedPage(COcrDoc& doc) {
    CPageImage* image = doc.m_pImage;
    CPageRegion* page = doc.m_pPageRegion;
    if (image->m_nBitCount == 1) return;
    const int row = DocumentHost().PageListCurrentRow();
    const bool official = row >= 0 && image->m_nBitCount == 24 &&
                          DocumentHost().PageListItemText(row, kPageListType) == OfficialPageType();
    if (page->GetChildCount() > 0) {
        if (row < 0) return;
        if (official) {
            RECT red{};
            image->BinarizeOfficial(&red);
            return;
        }
        for (int i = 0; i < page->GetChildCount(); ++i) {
            const CLayoutRegion* region = page->GetChild(i);
            image->BinarizeRect(region->left, region->top, region->right, region->bottom);
        }
        return;
    }
    if (row < 0) {
        image->BinarizeRect(page->left, page->top, page->right - 1, page->bottom - 1);
    } else if (official) {
        RECT red{};
        image->BinarizeOfficial(&red);
        const bool found = red.left || red.top || red.right || red.bottom;
        if (found && !page->m_pSealRect) page->SetSealRect(&red);
    }
}

// The document's own message boxes go through the shell.
void ShowDocString(UINT id) {
    CString text;
    text.LoadString(id);
    DocumentHost().MessageBox(text.GetString(), "", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

// ---------------------------------------------------------------------------
// The job and the thread.

CPageLoadJob::~CPageLoadJob() {
    if (!m_bOwnsEvents) return;
    if (m_param.hStopEvent) CloseHandle(m_param.hStopEvent);
    if (m_param.hAckEvent) CloseHandle(m_param.hAckEvent);
}

void CPageLoadJob::RequestStop() {
    std::lock_guard<std::mutex> lock(m_postLock);
    m_bStopRequested = true;
    if (m_param.hStopEvent) SetEvent(m_param.hStopEvent);
}

bool CPageLoadJob::StopRequested() {
    if (m_bStopRequested) return true;
    // The event alone may be set too (a caller that knows only the event).
    if (m_param.hStopEvent && WaitForSingleObject(m_param.hStopEvent, 0) == WAIT_OBJECT_0) m_bStopRequested = true;
    return m_bStopRequested;
}

void CPageLoadJob::Acknowledge() {
    ++m_nAcks;
    if (m_param.hAckEvent) SetEvent(m_param.hAckEvent);
}

void FreePageLoadedPayload(WPARAM block, LPARAM image) {
    DeletePage(reinterpret_cast<CPageImage*>(image));
    if (block) GlobalFree(reinterpret_cast<HGLOBAL>(block));
}

PageLoadOutcome LoadPageAndProject(const char* imagePath, CPageLoadJob* job, HWND progressWindow, HGLOBAL* outBlock,
                                   CPageImage** outImage, UINT* outNotice) {
    *outBlock = nullptr;
    *outImage = nullptr;
    *outNotice = 0;
    if (!imagePath || !*imagePath) return PageLoadOutcome::kNoCodec;
    const std::string opened(imagePath);

    // The project file decides which image to load.
    ProjectFile project(opened);
    std::string loadPath = opened;
    bool fromEdited = false;
    if (project.Usable()) {
        char magic[kProjectMagicBytes];
        char tag[kProjectTagBytes];
        if (!ReadExactly(project.Handle(), magic, kProjectMagicBytes) ||
            std::memcmp(magic, kProjectMagic, kProjectMagicBytes) != 0) {
            *outNotice = IDS_OLD_PROJECT_FILE;
            project.Ignore();
        } else if (!ReadExactly(project.Handle(), tag, kProjectTagBytes)) {
            project.Ignore();
        } else if (std::memcmp(tag, kProjectEditedTag, kProjectTagBytes) == 0) {
            if (suite::FileExists(EditedImagePathOf(opened))) {
                loadPath = EditedImagePathOf(opened);
                fromEdited = true;
            } else {
                project.Ignore();
            }
        }
    } else if (project.Present()) {
        *outNotice = IDS_OLD_PROJECT_FILE;  // far too large to be a project file
    }
    if (Stopped(job)) return PageLoadOutcome::kStopped;

    int type = IMGTYPE_UNKNOWN;
    const bool readsPdf = job ? job->m_bReadsPdf : DocumentHost().ReadsPdfImages();
    if (!GetImageFileType(loadPath.c_str(), &type, readsPdf)) return PageLoadOutcome::kNoCodec;
    CImageCodec* codec = CreateImageCodec(loadPath.c_str(), type);
    if (!codec && project.Present()) {
        // Back to the image that was opened, without the project.
        project.Drop();
        loadPath = opened;
        fromEdited = false;
        if (GetImageFileType(loadPath.c_str(), &type, readsPdf)) codec = CreateImageCodec(loadPath.c_str(), type);
    }
    if (!codec) return PageLoadOutcome::kNoCodec;
    if (Stopped(job)) {
        delete codec;
        return PageLoadOutcome::kStopped;
    }

    CPageImage* image = new (std::nothrow) CPageImage;
    if (!image) {
        delete codec;
        return PageLoadOutcome::kFailed;
    }
    const int loaded = codec->Load(image, StopEventOf(job), progressWindow);
    delete codec;
    // A reader that saw the stop may report it as a failure.
    if (loaded == IMAGE_LOAD_STOPPED || Stopped(job)) {
        DeletePage(image);
        return PageLoadOutcome::kStopped;
    }
    if (loaded != IMAGE_LOAD_DONE) {
        DeletePage(image);
        return PageLoadOutcome::kFailed;
    }
    // The edited copy was saved as it was shown; only fresh images are turned
    // to black ink on white.
    if (!fromEdited) image->AutoInvert();
    if (Stopped(job)) {
        DeletePage(image);
        return PageLoadOutcome::kStopped;
    }

    HGLOBAL block = nullptr;
    if (project.Usable()) {
        block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, std::size_t{project.Length()} + kProjectBlockExtra);
        // Out of memory: the page comes without its project.
        if (block && ReadProjectBody(project.Handle(), block, StopEventOf(job), project.Length()) == kProjectBodyStopped) {
            GlobalFree(block);
            block = nullptr;
        }
    }
    project.Close();
    if (Stopped(job)) {
        if (block) GlobalFree(block);
        DeletePage(image);
        return PageLoadOutcome::kStopped;
    }
    *outBlock = block;
    *outImage = image;
    return PageLoadOutcome::kLoaded;
}

UINT ProjectLoadThread(LPVOID param) {
    auto* job = static_cast<CPageLoadJob*>(param);
    if (!job) return 0;
    // The opener stores the thread object before the thread goes on.
    { std::lock_guard<std::mutex> gate(job->m_startGate); }

    HGLOBAL block = nullptr;
    CPageImage* image = nullptr;
    UINT notice = 0;
    // No box on this thread: what the codecs say goes with the page.
    CImageMessageCatcher said;
    const PageLoadOutcome outcome =
        LoadPageAndProject(job->m_param.szPath, job, job->m_param.hTarget, &block, &image, &notice);
    for (const std::string& text : said.Messages())
        job->m_strImageMessages += (job->m_strImageMessages.empty() ? "" : "\n") + text;
    if (outcome != PageLoadOutcome::kStopped) {
        std::lock_guard<std::mutex> lock(job->m_postLock);
        if (job->StopRequested()) {
            FreePageLoadedPayload(reinterpret_cast<WPARAM>(block), reinterpret_cast<LPARAM>(image));
        } else {
            job->m_nNotice = notice;
            // The message owns the page and the block until it is taken; a
            // message removed or undeliverable frees them.
            AfxPostMessageOwned(job->m_param.hTarget, WM_PAGELOADED, reinterpret_cast<WPARAM>(block),
                                reinterpret_cast<LPARAM>(image), FreePageLoadedPayload);
        }
    }
    job->Acknowledge();
    return 0;
}

void SetPageLoadStopTimeout(DWORD milliseconds) { g_stopTimeout = milliseconds; }
DWORD PageLoadStopTimeout() { return g_stopTimeout; }

int ReapAbandonedLoadThreads(DWORD waitMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(waitMs);
    std::lock_guard<std::mutex> lock(g_abandonedMu);
    for (auto it = g_abandoned.begin(); it != g_abandoned.end();) {
        if (it->first->Join(MillisecondsLeft(end))) {
            delete it->first;
            delete it->second;
            it = g_abandoned.erase(it);
        } else {
            ++it;
        }
    }
    return static_cast<int>(g_abandoned.size());
}

// ---------------------------------------------------------------------------
// The document's side.

BOOL COcrDoc::StopLoadThread() {
    ReapAbandonedLoadThreads(0);
    if (!m_pLoadThread) return TRUE;
    CWinThread* thread = m_pLoadThread;
    CPageLoadJob* job = JobOf(thread);
    if (!ThreadEnded(thread)) {
        const auto end = Clock::now() + std::chrono::milliseconds(PageLoadStopTimeout());
        if (job) job->RequestStop();
        // The wait pumps messages, and one of them may open another page
        // (a hand-off from a second start): that open stops this thread
        // itself and may start a new one. The thread and job above are then
        // gone; whatever loads now is stopped afresh.
        const unsigned stopsBefore = ++m_nLoadStops;
        const auto overtaken = [&] { return m_nLoadStops != stopsBefore; };
        const bool acknowledged = job && WaitPumping(job->m_param.hAckEvent, end, overtaken);
        if (overtaken()) return StopLoadThread();
        // After the acknowledgement the thread only returns.
        const bool ended = acknowledged ? thread->Join(MillisecondsLeft(end) + 1000) != FALSE : ThreadEnded(thread);
        if (!ended) {
            // Let it go: it has been asked to stop and cannot post any more.
            // It keeps its job and the events it polls, the document takes
            // fresh ones, and both are deleted once the thread ends.
            if (job) job->m_bOwnsEvents = true;
            m_hStopEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
            m_hAckEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
            m_loadParam.hStopEvent = m_hStopEvent;
            m_loadParam.hAckEvent = m_hAckEvent;
            {
                std::lock_guard<std::mutex> lock(g_abandonedMu);
                g_abandoned.emplace_back(thread, job);
            }
            RemoveQueuedPages(job);
            m_pLoadThread = nullptr;
            return FALSE;
        }
    }
    DropLoad(thread, job);
    m_pLoadThread = nullptr;
    return TRUE;
}

// The steps before every open: the progress bar starts empty, a batch that
// redoes everything drops the project, the running load is stopped and the
// messages it left for the page view are removed. Returns the page view's window.
HWND StopAndFlush(COcrDoc& doc, const std::string& imagePath) {
    const HWND target = doc.GetPageViewWindow();
    DocumentHost().ClearProgress();
    if (DocumentHost().BatchMode() == 2 && !imagePath.empty()) DeleteFileA(ProjectPathOf(imagePath).c_str());
    doc.StopLoadThread();
    if (target) AfxRemovePostedMessages(target, WM_PRIVATE_FIRST, WM_PRIVATE_LAST);
    return target;
}

void COcrDoc::StartPageLoad(LPCTSTR path) {
    const std::string imagePath = path ? path : "";
    const HWND target = StopAndFlush(*this, imagePath);

    // Paths longer than the parameter block holds are not cut: that would
    // open another file. The page cannot be loaded then.
    if (imagePath.empty() || imagePath.size() >= sizeof m_loadParam.szPath) {
        if (target) ::PostMessage(target, WM_PAGELOADED, 0, 0);
        return;
    }
    std::memcpy(m_loadParam.szPath, imagePath.c_str(), imagePath.size() + 1);
    m_loadParam.pDoc = this;
    m_loadParam.hTarget = target;
    if (!m_hStopEvent) m_hStopEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m_hAckEvent) m_hAckEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_loadParam.hStopEvent = m_hStopEvent;
    m_loadParam.hAckEvent = m_hAckEvent;
    // A stop or an acknowledgement left from an earlier load must not count.
    ResetEvent(m_hStopEvent);
    ResetEvent(m_hAckEvent);

    auto* job = new (std::nothrow) CPageLoadJob;
    if (!job) {
        if (target) ::PostMessage(target, WM_PAGELOADED, 0, 0);
        return;
    }
    job->m_param = m_loadParam;
    job->m_bReadsPdf = DocumentHost().ReadsPdfImages();
    EnterCriticalSection(&m_csLoad);
    {
        std::lock_guard<std::mutex> gate(job->m_startGate);
        CWinThread* thread = AfxBeginThread(ProjectLoadThread, job, THREAD_PRIORITY_NORMAL, 0, 0, nullptr);
        if (thread) thread->m_bAutoDelete = FALSE;
        m_pLoadThread = thread;
    }
    LeaveCriticalSection(&m_csLoad);
    if (!m_pLoadThread) {
        delete job;
        if (target) ::PostMessage(target, WM_PAGELOADED, 0, 0);
    }
}

BOOL COcrDoc::AttachLoadedPage(HGLOBAL block, CPageImage* image) {
    // A page of a load that was asked to stop never reaches the document.
    CPageLoadJob* job = JobOf(m_pLoadThread);
    if (job && job->m_bStopRequested) {
        FreePageLoadedPayload(reinterpret_cast<WPARAM>(block), reinterpret_cast<LPARAM>(image));
        return FALSE;
    }
    // A run reads the page now (its engine pumps messages): the new page
    // waits until the run has ended instead of freeing the plane under it.
    if (IsPageHeld()) {
        if (m_bDeferredPage) FreePageLoadedPayload(reinterpret_cast<WPARAM>(m_hDeferredBlock),
                                                   reinterpret_cast<LPARAM>(m_pDeferredImage));
        m_bDeferredPage = true;
        m_hDeferredBlock = block;
        m_pDeferredImage = image;
        return FALSE;
    }
    const UINT notice = job ? job->m_nNotice.exchange(0) : 0;
    // A command's loop that waits for this page names a page it could not
    // read itself, at its end; otherwise what the codecs said is shown now.
    std::string said;
    if (job && !DocumentHost().IsBusy()) {
        said.swap(job->m_strImageMessages);
        // A page that did not come is named, with what its reader said.
        if (!image) {
            const std::string line = DocStringWithPaths(IDS_PAGE_NOT_LOADED, job->m_param.szPath);
            said = said.empty() ? line : line + "\n" + said;
        }
    }

    DocumentHost().SetBusy(false);
    DocumentHost().RefreshProgress();
    FreePage();
    Reset();
    SetModifiedFlag(FALSE);
    m_bLayoutDirty = 0;
    m_bHasLayout = 0;

    BOOL attached = FALSE;
    if (!image) {
        // The page could not be loaded: the document has no page.
        if (block) GlobalFree(block);
        RebuildLineCounts();
        RefreshTextView();
    } else {
        m_pImage = image;
        m_pPageRegion = new (std::nothrow) CPageRegion(CPageRegion::WholePage(image->m_nWidth, image->m_nHeight));
        if (!m_pPageRegion) {
            m_pImage = nullptr;
            FreePageLoadedPayload(reinterpret_cast<WPARAM>(block), reinterpret_cast<LPARAM>(image));
            RebuildLineCounts();
        } else {
            m_nTextLen = 0;
            if (block) {
                ParseProject(block);
                GlobalFree(block);
            } else {
                RefreshTextView();
            }
            RebuildLineCounts();
            BinarizeLoadedPage(*this);
            attached = TRUE;
        }
    }
    if (notice) ShowDocString(notice);
    if (!said.empty()) DocumentHost().MessageBox(said, "", MB_OK | MB_ICONEXCLAMATION);
    DocumentHost().PageArrived(attached != FALSE);
    return attached;
}

void COcrDoc::AttachDeferredPage() {
    if (IsPageHeld()) return;
    if (m_bDeferredPage) {
        m_bDeferredPage = false;
        HGLOBAL block = m_hDeferredBlock;
        CPageImage* image = m_pDeferredImage;
        m_hDeferredBlock = nullptr;
        m_pDeferredImage = nullptr;
        if (AttachLoadedPage(block, image)) ResetPageView();
    }
    // A scanned or pasted page that arrived meanwhile waited in the shell's slot.
    if (m_bDeferredScan) {
        m_bDeferredScan = false;
        OnPageFromScanner();
    }
}

BOOL COcrDoc::OpenPageNow(LPCTSTR path) {
    const std::string imagePath = path ? path : "";
    const HWND target = StopAndFlush(*this, imagePath);
    Reset();
    SetModifiedFlag(FALSE);
    m_bLayoutDirty = 0;
    if (!imagePath.empty()) {
        SetPathName(imagePath.c_str(), TRUE);
        DocumentHost().UpdateFrameTitle(TRUE);
    }

    HGLOBAL block = nullptr;
    CPageImage* image = nullptr;
    const int result = ReadProjectFile(imagePath.c_str(), &block, &image);
    // Straight to the page view's handler, or to the document when there is no view.
    if (target && IsWindow(target))
        ::SendMessage(target, WM_PAGELOADED, reinterpret_cast<WPARAM>(block), reinterpret_cast<LPARAM>(image));
    else
        AttachLoadedPage(block, image);
    return result == 0;
}

int COcrDoc::ReadProjectFile(LPCTSTR path, HGLOBAL* outBlock, CPageImage** outImage) {
    HGLOBAL block = nullptr;
    CPageImage* image = nullptr;
    UINT notice = 0;
    const PageLoadOutcome outcome = LoadPageAndProject(path, nullptr, nullptr, &block, &image, &notice);
    // On the calling thread, so the message is shown here.
    if (notice) ShowDocString(notice);
    if (outBlock) *outBlock = block;
    else if (block) GlobalFree(block);
    if (outImage) *outImage = image;
    else DeletePage(image);
    switch (outcome) {
    case PageLoadOutcome::kLoaded: return 0;
    case PageLoadOutcome::kNoCodec: return 1;
    default: return 2;
    }
}
