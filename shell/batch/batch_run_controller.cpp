#include "shell/batch/batch_run_controller.h"

#include <algorithm>
#include <cstdio>

#include "ocrdoc/task/task.h"
#include "platform/win/codepage.h"
#include "platform/win/path.h"
#include "shell/shell_services.h"

std::string FormatBatchText(const std::string& format, int number) {
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, format.c_str(), number);
    return n < 0 ? std::string() : std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1));
}

std::string FormatBatchText(const std::string& format, int number, const std::string& text) {
    std::vector<char> buffer(format.size() + text.size() + 64);
    const int n = std::snprintf(buffer.data(), buffer.size(), format.c_str(), number, text.c_str());
    return n < 0 ? std::string() : std::string(buffer.data(), std::min<std::size_t>(static_cast<std::size_t>(n), buffer.size() - 1));
}

CBatchRunController::CBatchRunController(std::vector<BatchPagePlan> plan, int batchOption)
    : m_plan(std::move(plan)), m_nOption(batchOption), m_ended(m_plan.size(), false), m_held(m_plan.size()),
      m_heldBytes(m_plan.size(), 0) {}

CBatchRunController::~CBatchRunController() = default;

std::string CBatchRunController::CountText() const {
    std::string text = FormatBatchText(TaskString(IDS_BATCH_COUNT), PageCount());
    if (text.size() > kCountTextMax) {
        // Cut at a whole character.
        std::size_t keep = 0;
        while (keep < text.size()) {
            const std::size_t unit = static_cast<unsigned char>(text[keep]) >= 0x81 && keep + 1 < text.size() ? 2 : 1;
            if (keep + unit > kCountTextMax) break;
            keep += unit;
        }
        text.resize(keep);
    }
    return text;
}

std::string CBatchRunController::RebuildScanTarget(const std::string& rowFile, const std::string& target) {
    const std::string_view rowName = suite::PathLastPart(rowFile);
    const std::string folder = rowFile.substr(0, rowFile.size() - rowName.size());
    return folder + std::string(suite::PathLastPart(target));
}

BOOL CBatchRunController::Start(HWND window, int workers, std::vector<Step>& steps) {
    if (m_plan.empty()) {
        m_bEnded = true;
        return FALSE;
    }
    m_runner = std::make_unique<CBatchRecognizer>(m_plan, m_nOption);
    ShowPage(0, steps);
    if (!m_runner->Start(workers, window)) {
        m_bEnded = true;
        return FALSE;
    }
    return TRUE;
}

void CBatchRunController::ShowPage(int page, std::vector<Step>& steps) {
    m_nShown = page;
    CShellServices& shell = ShellServices();
    const BatchPagePlan& plan = m_plan[static_cast<std::size_t>(page)];
    const int row = plan.row;
    const std::string file = shell.PageListItemText(row, kPageListPath);
    shell.PageListSelectItem(row);
    shell.SetBatchScanTarget(RebuildScanTarget(file, shell.BatchScanTarget()));
    shell.SetStatusPaneText(kStatusCounter, shell.BatchCounterText(row + 1, shell.PageListRowCount()));
    shell.SetStatusPaneText(kStatusLanguage, shell.PageListItemText(row, kPageListLanguage));
    shell.SetStatusPaneText(kStatusType, shell.PageListItemText(row, kPageListType));
    shell.SetStatusPaneText(kStatusResolution, shell.PageListItemText(row, kPageListResolution));
    Step show;
    show.kind = Step::kShowPage;
    show.page = page;
    // The page's file as the user knows it.
    show.text = FormatBatchText(TaskString(IDS_BATCH_CURRENT), page + 1, suite::ShownPath(file));
    steps.push_back(std::move(show));
    auto& held = m_held[static_cast<std::size_t>(page)];
    for (std::string& piece : held) steps.push_back(Step{Step::kPiece, page, std::move(piece)});
    held.clear();
    m_heldBytes[static_cast<std::size_t>(page)] = 0;
}

std::vector<CBatchRunController::Step> CBatchRunController::OnPiece(int page, std::string text) {
    std::vector<Step> steps;
    if (page < 0 || page >= PageCount()) return steps;
    if (page == m_nShown) {
        steps.push_back(Step{Step::kPiece, page, std::move(text)});
    } else if (page > m_nShown && !m_bStop) {
        // Held back for later; only the tail is kept, as the panel shows only
        // its last lines anyway.
        auto& held = m_held[static_cast<std::size_t>(page)];
        std::size_t& bytes = m_heldBytes[static_cast<std::size_t>(page)];
        bytes += text.size();
        held.push_back(std::move(text));
        while (bytes > kHeldBytesPerPage && !held.empty()) {
            bytes -= held.front().size();
            held.pop_front();
        }
    }
    return steps;
}

void CBatchRunController::Advance(std::vector<Step>& steps) {
    while (!m_bStop && m_nShown >= 0 && m_ended[static_cast<std::size_t>(m_nShown)] && m_nShown + 1 < PageCount()) {
        // A page ends its text with a line end before the next one starts.
        steps.push_back(Step{Step::kPiece, m_nShown, "\n"});
        ShowPage(m_nShown + 1, steps);
    }
}

std::vector<CBatchRunController::Step> CBatchRunController::OnPageEnded(const BatchPageDone& done) {
    std::vector<Step> steps;
    if (done.page < 0 || done.page >= PageCount()) return steps;
    if (done.outcome == BatchPageOutcome::kLoadFailed || done.outcome == BatchPageOutcome::kWriteFailed) {
        // The page's text says so where its text goes, and the run's end lists it.
        const UINT why = done.outcome == BatchPageOutcome::kLoadFailed ? IDS_PAGE_NOT_READ : IDS_RESULT_NOT_SAVED;
        const std::string& path = m_plan[static_cast<std::size_t>(done.page)].path;
        m_failures.emplace_back(done.page, PageLeftOut{path, why, {}});
        const std::string line = path + ": " + TaskString(why);
        // A line of its own: the panel takes a piece that starts a line as the line end alone.
        for (std::string piece : {std::string("\n"), line, std::string("\n")}) {
            std::vector<Step> said = OnPiece(done.page, std::move(piece));
            steps.insert(steps.end(), said.begin(), said.end());
        }
    }
    m_ended[static_cast<std::size_t>(done.page)] = true;
    // A page that ended before its turn keeps its held text for then.
    Advance(steps);
    return steps;
}

std::string CBatchRunController::FailureMessage() const {
    if (m_failures.empty()) return {};
    // In list order, whichever worker reported first.
    std::vector<std::pair<int, PageLeftOut>> failures = m_failures;
    std::stable_sort(failures.begin(), failures.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<PageLeftOut> pages;
    for (auto& failure : failures) pages.push_back(std::move(failure.second));
    return LeftOutMessage(TaskString(IDS_BATCH_FAILED), pages);
}

void CBatchRunController::Stop() {
    m_bStop = true;
    if (m_runner) m_runner->Stop();
    for (auto& held : m_held) held.clear();
}

int CBatchRunController::LastShownRow() const {
    return m_nShown >= 0 && m_nShown < PageCount() ? m_plan[static_cast<std::size_t>(m_nShown)].row : -1;
}

std::vector<BatchPageDone> CBatchRunController::Results() const {
    return m_runner ? m_runner->Results() : std::vector<BatchPageDone>{};
}
