// Batch recognition of the selected pages, side by side: each page is
// recognised on a worker thread on a page of its own (the engines keep one
// instance per thread), from rows and settings read on the user-interface
// thread before the run. A worker loads the page and its project file,
// applies the batch option, analyses a page without regions, recognises it
// and writes its project and text files atomically, exactly as the open
// page's code does. What the workers report reaches the window as posted
// messages that own their payloads. Stop sets a flag that every engine pump
// reads: running pages end soon, later ones never start, finished ones keep
// their results and stopped ones their old project file.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ocrdoc/document/page_settings.h"
#include "platform/win/types.h"

// Posted to the run's window; lParam owns the payload (take it with the
// Take functions below, which free it when the message is dropped).
#define WM_BATCH_PIECE (WM_USER + 1030)  // BatchPiece*: a text piece of a page
#define WM_BATCH_PAGE (WM_USER + 1031)   // BatchPageDone*: a page ended
#define WM_BATCH_LINES (WM_USER + 1032)  // BatchLines*: lines recognised so far on a page
#define WM_BATCH_END (WM_USER + 1033)    // wParam pages recognised: every worker has ended

struct BatchPagePlan {
    int row = -1;
    std::string path;
    PageSettings settings;
};

struct BatchPiece {
    int page = 0;
    std::string text;
};

struct BatchLines {
    int page = 0;
    int lines = 0;
    int total = 0;
};

enum class BatchPageOutcome { kNotStarted, kRecognised, kNothingRecognised, kLoadFailed, kStopped, kWriteFailed };

struct BatchPageDone {
    int page = 0;
    int row = -1;
    std::string path;
    BatchPageOutcome outcome = BatchPageOutcome::kNotStarted;
    int lines = 0;  // text lines of the result
};

std::unique_ptr<BatchPiece> TakeBatchPiece(LPARAM lParam);
std::unique_ptr<BatchPageDone> TakeBatchPage(LPARAM lParam);
std::unique_ptr<BatchLines> TakeBatchLines(LPARAM lParam);

class CBatchRecognizer {
public:
    // The selected rows in list order with their settings (user-interface thread).
    static std::vector<BatchPagePlan> PlanSelectedRows();
    // Workers for a machine: its cores, at most 8.
    static int DefaultWorkers();

    CBatchRecognizer(std::vector<BatchPagePlan> pages, int batchOption);
    ~CBatchRecognizer();  // stops and waits for the workers
    CBatchRecognizer(const CBatchRecognizer&) = delete;
    CBatchRecognizer& operator=(const CBatchRecognizer&) = delete;

    // Starts `workers` threads (at least 1); reports go to `window` (NULL:
    // none). FALSE when already started or no thread could be made.
    BOOL Start(int workers, HWND window);
    // Asks every worker to stop; returns at once.
    void Stop();
    bool StopRequested() const { return m_bStop.load(); }
    // Waits up to `ms` for the workers to end; true when they all have.
    bool Wait(DWORD ms);
    bool IsRunning() const;
    int PagesEnded() const { return m_nEnded.load(); }
    // The outcome of every page (valid once the run has ended).
    std::vector<BatchPageDone> Results() const;

    // Recognises page `index` of the plan on the calling thread.
    BatchPageDone RunPage(int index);

private:
    void WorkerMain();
    void Post(UINT message, WPARAM wParam, void* payload, void (*release)(void*));

    std::vector<BatchPagePlan> m_pages;
    int m_nOption;
    HWND m_hWindow = nullptr;
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_nNext{0};
    std::atomic<int> m_nEnded{0};
    std::atomic<int> m_nRecognised{0};
    std::atomic<int> m_nRunning{0};
    std::vector<std::thread> m_workers;
    mutable std::mutex m_lock;
    std::vector<BatchPageDone> m_results;
    bool m_bStarted = false;
};
