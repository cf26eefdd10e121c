// The page-load thread: it reads the project file beside an image and the
// image itself, and hands both to the page view with WM_PAGELOADED (wParam
// the project block or 0, lParam the new CPageImage or 0; the receiver owns
// both). The page view passes them to COcrDoc::AttachLoadedPage on the
// user-interface thread.
//
// Each start makes one CPageLoadJob, which the thread reads instead of the
// document: the document may stop waiting for a thread that does not answer
// (a message box of a codec, a slow outside reader) and let it go; the job
// and the thread object then outlive the document's interest, the thread
// posts nothing more, and both are deleted once the thread has ended.
//
// The thread itself never shows a message box: a project file it cannot
// use is reported with the page (CPageLoadJob::m_nNotice) and shown by the
// user-interface thread when the page arrives.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "ocrdoc/document/ocr_doc.h"

// What one load works from. The thread touches nothing else.
struct CPageLoadJob {
    LoadThreadParam m_param{};            // path, target window, stop and acknowledge events
    std::atomic<bool> m_bStopRequested{false};
    std::atomic<int> m_nAcks{0};          // times the acknowledge event was set (always 1 at the end)
    std::atomic<UINT> m_nNotice{0};       // string to show with the page (IDS_OLD_PROJECT_FILE), 0 none
    std::mutex m_startGate;               // held by the opener until the thread object is stored
    std::mutex m_postLock;                // orders the thread's last post against a stop request
    bool m_bOwnsEvents = false;           // the events were handed over when the document let the job go
    bool m_bReadsPdf = true;              // PDF files are pages (the shell's answer when the load started)
    std::string m_strImageMessages;       // what the codecs said on the thread, shown with the page

    CPageLoadJob() = default;
    CPageLoadJob(const CPageLoadJob&) = delete;
    CPageLoadJob& operator=(const CPageLoadJob&) = delete;
    ~CPageLoadJob();

    // Sets the flag and the stop event. Under m_postLock, so that once it
    // returns the thread cannot post any more.
    void RequestStop();
    // The flag, or the stop event found set (tested, never waited on).
    bool StopRequested();
    // Sets the acknowledge event; the thread calls it once on its way out.
    void Acknowledge();
};

// The thread procedure; `param` is the CPageLoadJob made by StartPageLoad
// (or by a test). Returns 0.
UINT ProjectLoadThread(LPVOID param);

// Frees what a WM_PAGELOADED carries: the page image (emptied, then deleted)
// and the project block. Used for messages that never reach their receiver.
void FreePageLoadedPayload(WPARAM block, LPARAM image);

// How a load on the calling thread ended.
enum class PageLoadOutcome { kLoaded, kNoCodec, kFailed, kStopped };

// Reads the project file and the image of `imagePath` as the load thread
// does: `job` (may be NULL: never stopped) gives the stop requests, progress
// goes to `progressWindow`. On kLoaded, *outImage is the new page (never
// NULL) and *outBlock the project block or NULL; on any other outcome both
// are NULL and nothing is held. *outNotice is the string to show (0 none).
PageLoadOutcome LoadPageAndProject(const char* imagePath, CPageLoadJob* job, HWND progressWindow,
                                   HGLOBAL* outBlock, CPageImage** outImage, UINT* outNotice);

// The longest the user-interface thread waits for a load thread to
// acknowledge a stop, in milliseconds (10 seconds unless set); it keeps
// painting and answering sent messages while it waits.
void SetPageLoadStopTimeout(DWORD milliseconds);
DWORD PageLoadStopTimeout();

// Load threads that were let go after a stop went unanswered: deletes those
// that have ended since (with their jobs), waiting up to `waitMs` for the
// others, and returns how many still run.
int ReapAbandonedLoadThreads(DWORD waitMs);
