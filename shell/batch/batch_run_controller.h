// The run of the batch recognition window over the page list's selected
// rows, without a window. The pipeline's batch runner recognises the pages
// on worker threads; its reports arrive here in the order they were posted.
// The window shows one page at a time, in list order: the page shown gets
// its row selected, the scan target rebuilt after its folder, the status
// panes and the current-file text, and its text pieces go to the panel.
// Pieces of pages further down the list wait (a bounded tail) until their
// page is shown. Stop ends the shown page soon and shows no further page;
// the run ends when the runner reports that every worker has ended.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ocrdoc/task/batch_recognizer.h"
#include "ocrdoc/task/task.h"

class CBatchRunController {
public:
    // What the window does next, in this order.
    struct Step {
        enum Kind { kShowPage, kPiece } kind = kPiece;
        int page = -1;
        std::string text;  // kShowPage: the current-file text; kPiece: the piece
    };

    // Text a page may hold back while an earlier page is shown.
    static constexpr std::size_t kHeldBytesPerPage = 8192;
    static constexpr std::size_t kCountTextMax = 80;

    explicit CBatchRunController(std::vector<BatchPagePlan> plan, int batchOption);
    ~CBatchRunController();

    // The count text of the window's first line (at most 80 characters).
    std::string CountText() const;
    int PageCount() const { return static_cast<int>(m_plan.size()); }

    // Starts the runner with `workers` threads reporting to `window`; the
    // steps for the first page. FALSE when there is nothing to run or no
    // worker could start (the run has ended then).
    BOOL Start(HWND window, int workers, std::vector<Step>& steps);
    // A piece of a page (from the runner's report).
    std::vector<Step> OnPiece(int page, std::string text);
    // A page ended: the steps of the pages shown next. A page that could not
    // be read or whose project file could not be written says so in its text.
    std::vector<Step> OnPageEnded(const BatchPageDone& done);
    // Every worker has ended.
    void OnRunEnded() { m_bEnded = true; }

    // Stop button, Esc and the close box: the runner's flag.
    void Stop();
    bool StopRequested() const { return m_bStop; }
    bool Ended() const { return m_bEnded; }
    int ShownPage() const { return m_nShown; }
    // The row of the last page shown (-1: none).
    int LastShownRow() const;
    std::vector<BatchPageDone> Results() const;
    // The closing message that names every page that could not be read or
    // whose result could not be saved; empty when there was none.
    std::string FailureMessage() const;
    CBatchRecognizer* Runner() { return m_runner.get(); }

    // The scan target rebuilt for a row's file: its drive and
    // folder with the file name of `target`.
    static std::string RebuildScanTarget(const std::string& rowFile, const std::string& target);

private:
    void ShowPage(int page, std::vector<Step>& steps);
    void Advance(std::vector<Step>& steps);

    std::vector<BatchPagePlan> m_plan;
    int m_nOption;
    std::unique_ptr<CBatchRecognizer> m_runner;
    std::vector<bool> m_ended;
    std::vector<std::deque<std::string>> m_held;
    std::vector<std::size_t> m_heldBytes;
    std::vector<std::pair<int, PageLeftOut>> m_failures;  // page, why
    int m_nShown = -1;
    bool m_bStop = false;
    bool m_bEnded = false;
};

// printf-style text of a resource format with one number (and one text).
std::string FormatBatchText(const std::string& format, int number);
std::string FormatBatchText(const std::string& format, int number, const std::string& text);
