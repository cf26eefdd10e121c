#include "ocrdoc/task/batch_recognizer.h"

#include <algorithm>
#include <chrono>

#include "imaging/image_messages.h"
#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/document/page_load.h"
#include "ocrdoc/document_host.h"
#include "platform/afx/afxwin.h"
#include "platform/win/memory.h"

namespace {

// A worker's page: the pipeline's page with the path it was loaded from.
class CBatchPage : public COcrPage {
public:
    CBatchPage(const BatchPagePlan& plan) {
        m_settings = plan.settings;
        m_strPagePath = plan.path;
    }
};

// What a worker's engines report goes to the window as posted messages.
class CWorkerSink : public CRecoProgressSink {
public:
    CWorkerSink(std::atomic<bool>& stop, HWND window, int page) : m_stop(stop), m_window(window), m_page(page) {}
    void OnText(const char* piece) override {
        if (!m_window) return;
        auto* payload = new BatchPiece{m_page, piece ? piece : ""};
        if (!::PostMessage(m_window, WM_BATCH_PIECE, 0, reinterpret_cast<LPARAM>(payload))) delete payload;
    }
    void OnProgress(int first, int last, int current) override {
        if (!m_window || last < first) return;
        auto* payload = new BatchLines{m_page, current, last - first + 1};
        if (!::PostMessage(m_window, WM_BATCH_LINES, 0, reinterpret_cast<LPARAM>(payload))) delete payload;
    }
    bool OnPump() override { return m_stop.load(); }

private:
    std::atomic<bool>& m_stop;
    HWND m_window;
    int m_page;
};

}  // namespace

std::unique_ptr<BatchPiece> TakeBatchPiece(LPARAM lParam) {
    return std::unique_ptr<BatchPiece>(reinterpret_cast<BatchPiece*>(lParam));
}
std::unique_ptr<BatchPageDone> TakeBatchPage(LPARAM lParam) {
    return std::unique_ptr<BatchPageDone>(reinterpret_cast<BatchPageDone*>(lParam));
}
std::unique_ptr<BatchLines> TakeBatchLines(LPARAM lParam) {
    return std::unique_ptr<BatchLines>(reinterpret_cast<BatchLines*>(lParam));
}

std::vector<BatchPagePlan> CBatchRecognizer::PlanSelectedRows() {
    std::vector<BatchPagePlan> plan;
    CDocumentHost& shell = DocumentHost();
    for (int row : shell.PageListSelectedRows()) {
        BatchPagePlan page;
        page.row = row;
        page.path = shell.PageListItemText(row, kPageListPath);
        page.settings = PageSettings::FromRow(row);
        plan.push_back(std::move(page));
    }
    return plan;
}

int CBatchRecognizer::DefaultWorkers() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 8u));
}

CBatchRecognizer::CBatchRecognizer(std::vector<BatchPagePlan> pages, int batchOption)
    : m_pages(std::move(pages)), m_nOption(batchOption) {
    m_results.resize(m_pages.size());
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        m_results[i].page = static_cast<int>(i);
        m_results[i].row = m_pages[i].row;
        m_results[i].path = m_pages[i].path;
    }
}

CBatchRecognizer::~CBatchRecognizer() {
    Stop();
    for (std::thread& t : m_workers)
        if (t.joinable()) t.join();
}

BOOL CBatchRecognizer::Start(int workers, HWND window) {
    if (m_bStarted) return FALSE;
    m_bStarted = true;
    m_hWindow = window;
    const int count = std::clamp(workers, 1, std::max(1, static_cast<int>(m_pages.size())));
    m_nRunning = count;
    try {
        for (int i = 0; i < count; ++i) m_workers.emplace_back([this] { WorkerMain(); });
    } catch (const std::system_error&) {
        m_nRunning -= count - static_cast<int>(m_workers.size());
        if (m_workers.empty()) return FALSE;
    }
    return TRUE;
}

void CBatchRecognizer::Stop() { m_bStop = true; }

bool CBatchRecognizer::IsRunning() const { return m_nRunning.load() > 0; }

bool CBatchRecognizer::Wait(DWORD ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (IsRunning()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (std::thread& t : m_workers)
        if (t.joinable()) t.join();
    return true;
}

std::vector<BatchPageDone> CBatchRecognizer::Results() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_results;
}

void CBatchRecognizer::Post(UINT message, WPARAM wParam, void* payload, void (*release)(void*)) {
    if (!m_hWindow || !::PostMessage(m_hWindow, message, wParam, reinterpret_cast<LPARAM>(payload))) {
        if (payload) release(payload);
    }
}

BatchPageDone CBatchRecognizer::RunPage(int index) {
    BatchPageDone done;
    done.page = index;
    if (index < 0 || index >= static_cast<int>(m_pages.size())) return done;
    const BatchPagePlan& plan = m_pages[static_cast<std::size_t>(index)];
    done.row = plan.row;
    done.path = plan.path;
    if (m_bStop) return done;

    // A worker never shows a box: a page the codecs cannot read is a failed
    // page of the run, which its window and closing message name.
    CImageMessageCatcher said;
    HGLOBAL block = nullptr;
    CPageImage* image = nullptr;
    UINT notice = 0;
    if (LoadPageAndProject(plan.path.c_str(), nullptr, nullptr, &block, &image, &notice) != PageLoadOutcome::kLoaded) {
        done.outcome = BatchPageOutcome::kLoadFailed;
        return done;
    }
    CBatchPage page(plan);
    if (!page.TakeLoadedPage(image, block, m_nOption)) {
        done.outcome = BatchPageOutcome::kLoadFailed;
        return done;
    }
    CWorkerSink sink(m_bStop, m_hWindow, index);
    RecoProgress& progress = ThreadRecoProgress();
    progress = RecoProgress{};
    progress.pSink = &sink;
    char buffer[kBatchTextBytes] = {};
    BYTE cancel = 0;
    const int recognised = page.RecognizePageBatch(nullptr, buffer, &cancel);
    progress = RecoProgress{};
    if (cancel || m_bStop) {
        // Stopped inside the page: its old project file stays as it was.
        done.outcome = BatchPageOutcome::kStopped;
        return done;
    }
    done.lines = page.m_bHasResult ? static_cast<int>(page.m_nLineCount) : 0;
    if (!page.WriteProjectFile()) done.outcome = BatchPageOutcome::kWriteFailed;
    else done.outcome = recognised ? BatchPageOutcome::kRecognised : BatchPageOutcome::kNothingRecognised;
    return done;
}

void CBatchRecognizer::WorkerMain() {
    for (;;) {
        if (m_bStop) break;
        const int index = m_nNext.fetch_add(1);
        if (index >= static_cast<int>(m_pages.size())) break;
        BatchPageDone done = RunPage(index);
        if (done.outcome == BatchPageOutcome::kRecognised) ++m_nRecognised;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_results[static_cast<std::size_t>(index)] = done;
        }
        ++m_nEnded;
        Post(WM_BATCH_PAGE, 0, new BatchPageDone(done), [](void* p) { delete static_cast<BatchPageDone*>(p); });
    }
    // The last worker out tells the window the run has ended.
    if (--m_nRunning == 0) Post(WM_BATCH_END, static_cast<WPARAM>(m_nRecognised.load()), nullptr, [](void*) {});
}
