// A job the whole way: rendered pages of every kind are analysed by the
// task, one column is marked English by hand, the pages are recognised by
// four workers (progress seen), stopped midway and run again, and exported
// to every format; the project files then reopen with the results that the
// document's own recognition gives the same pages.
#include <gtest/gtest.h>

#include <cstring>

#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/task/batch_recognizer.h"
#include "ocrdoc/task/task.h"
#include "ocrdoc/task/tests/task_fixtures.h"

using namespace taskfix;

namespace {

class CProgressWindow : public CFrameWnd {
public:
    int pieces = 0, lines = 0, pages = 0, ends = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_BATCH_PIECE: pieces += TakeBatchPiece(lParam) != nullptr; return 0;
        case WM_BATCH_LINES: lines += TakeBatchLines(lParam) != nullptr; return 0;
        case WM_BATCH_PAGE: pages += TakeBatchPage(lParam) != nullptr; return 0;
        case WM_BATCH_END: ++ends; return 0;
        default: return CFrameWnd::WindowProc(message, wParam, lParam);
        }
    }
};

struct JobPage {
    std::string name;
    int language, type;
    testpages::Page page;
};

// The result a document reads back from a page's files.
struct Stored {
    bool hasResult = false;
    std::string text;
    std::vector<RecoCharInfo> records;
    std::vector<int> lines;
};

Stored Reopen(OpenDocument& open, const std::string& path) {
    Stored s;
    EXPECT_TRUE(open.Open(path));
    s.hasResult = open.doc.m_bHasResult;
    s.text = open.doc.Text();
    s.records.assign(open.doc.m_pChars, open.doc.m_pChars + open.doc.RecordCount());
    for (int i = 0; i < open.doc.m_pPageRegion->GetChildCount(); ++i)
        s.lines.push_back(open.doc.m_pPageRegion->GetChild(i)->m_nLines);
    return s;
}

bool SameRecords(const std::vector<RecoCharInfo>& a, const std::vector<RecoCharInfo>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(RecoCharInfo)) == 0);
}

}  // namespace

TEST(PipelineEndToEnd, JobIsAnalysedRecognisedStoppedRerunAndExported) {
    AfxWinInit();
    testpages::ensureGui();
    CFakeDocumentHost shell;
    CSimplifiedStrings strings;
    HMODULE convert = LoadLibraryA("Convert.dll");
    ASSERT_NE(convert, nullptr);
    shell.convertLibrary = convert;
    TempFolder job("pipeline_job"), reference("pipeline_reference");
    shell.dataFolder = job.dir.string();
    const testpages::Style style{40};

    std::vector<JobPage> pages;
    pages.push_back({"simplified.tif", 0, 0, testpages::textPage(testpages::simplifiedText(21, 1), 900, 360, style)});
    pages.push_back({"traditional.tif", 1, 0, testpages::textPage(testpages::traditionalText(22, 1), 900, 360, style)});
    pages.push_back({"english.tif", 2, 0, testpages::textPage(testpages::englishText(23, 1), 900, 360, style)});
    std::vector<std::string> mixed = testpages::simplifiedText(24, 1);
    mixed.push_back(testpages::englishText(25, 1)[0]);
    pages.push_back({"mixed.tif", 0, 2, testpages::textPage(mixed, 1400, 420, style, 2)});
    pages.push_back({"table.tif", 0, 3, testpages::tablePage("价格表", {{"名称", "价格"}, {"苹果", "12"}}, false, style)});
    pages.push_back({"handwriting.tif", 0, 4, testpages::textPage(testpages::simplifiedText(26, 1), 900, 360, style)});
    std::vector<int> rows;
    for (const JobPage& p : pages) {
        ASSERT_TRUE(SavePlaneAsImage(p.page.plane, job / p.name));
        AddRow(shell, job / p.name, p.language, p.type);
        rows.push_back(static_cast<int>(rows.size()));
    }
    SelectRows(shell, rows);

    OpenDocument open(shell);
    CTask task;
    task.AnalyzeSelected();
    // The mixed page's right column is English: marked by hand.
    {
        const std::string path = job / "mixed.tif";
        SelectRows(shell, {3});
        ASSERT_TRUE(open.Open(path));
        CPageRegion& root = *open.doc.m_pPageRegion;
        ASSERT_GE(root.GetChildCount(), 2);
        int right = 0;
        for (int i = 1; i < root.GetChildCount(); ++i)
            if (root.GetChild(i)->left > root.GetChild(right)->left) right = i;
        root.Select(right);
        ASSERT_TRUE(open.doc.SetSelectedColumnType(kRegionEnglish));
        open.doc.OnOpenDocument(kPlaceholderPath);  // leaves the page: its project file is written
        open.doc.SaveModified();
    }
    ASSERT_TRUE(open.doc.SaveModified());
    // The analysed layouts, as the reference recognition starts from them.
    for (const JobPage& p : pages) {
        ASSERT_TRUE(fs::exists(job / (p.name + ".PST"))) << p.name;
        fs::copy_file(job / p.name, reference / p.name);
        fs::copy_file(job / (p.name + ".PST"), reference / (p.name + ".PST"));
    }

    // Four workers, stopped once a page is done, then the whole job again.
    SelectRows(shell, rows);
    CProgressWindow* window = new CProgressWindow;
    ASSERT_TRUE(window->Create(nullptr, "Batch"));
    {
        CBatchRecognizer first(CBatchRecognizer::PlanSelectedRows(), 1);
        ASSERT_TRUE(first.Start(4, window->GetSafeHwnd()));
        ASSERT_TRUE(PumpUntil([&] { return window->pages > 0; }, 60000));
        first.Stop();
        ASSERT_TRUE(PumpUntil([&] { return window->ends > 0; }, 30000));
        EXPECT_LT(window->pages, static_cast<int>(pages.size()) + 1);
    }
    EXPECT_GT(window->pieces, 0);
    {
        CBatchRecognizer again(CBatchRecognizer::PlanSelectedRows(), 1);
        ASSERT_TRUE(again.Start(4, window->GetSafeHwnd()));
        ASSERT_TRUE(PumpUntil([&] { return window->ends > 1; }, 120000));
        for (const BatchPageDone& done : again.Results())
            EXPECT_TRUE(done.outcome == BatchPageOutcome::kRecognised || done.outcome == BatchPageOutcome::kNothingRecognised)
                << done.path;
    }
    EXPECT_GT(window->lines, 0);
    window->DestroyWindow();
    AfxPumpMessages();

    // Every format.
    for (const char* ext : {"txt", "pdf", "htm", "rtf", "xls"}) {
        SelectRows(shell, rows);  // each loop leaves only its last row selected
        const std::string out = job / (std::string("job.") + ext);
        ASSERT_TRUE(task.ExportSelected(out)) << ext;
        EXPECT_GT(fs::file_size(out), 100u) << ext;
    }
    const std::string text = Read(job / "job.txt");
    std::u16string wide(reinterpret_cast<const char16_t*>(text.data() + 2), (text.size() - 2) / 2);
    EXPECT_NE(wide.find(u"苹果"), std::u16string::npos);
    const std::string html = Read(job / "job.htm");
    const std::string firstEnglish = testpages::englishText(23, 1)[0].substr(0, 4);
    EXPECT_NE(html.find(firstEnglish), std::string::npos) << firstEnglish;

    // Page by page: the stored result equals the document's own recognition.
    for (std::size_t i = 0; i < pages.size(); ++i) {
        shell.rowCount = static_cast<int>(pages.size());
        SelectRows(shell, {static_cast<int>(i)});
        const Stored batch = Reopen(open, job / pages[i].name);
        shell.cells[{static_cast<int>(i), kPageListPath}] = reference / pages[i].name;
        ASSERT_TRUE(open.Open(reference / pages[i].name));
        open.doc.RecognizePage();
        ASSERT_TRUE(open.doc.SaveModified());
        const Stored single = Reopen(open, reference / pages[i].name);
        shell.cells[{static_cast<int>(i), kPageListPath}] = job / pages[i].name;
        EXPECT_EQ(batch.hasResult, single.hasResult) << pages[i].name;
        EXPECT_EQ(batch.text, single.text) << pages[i].name;
        EXPECT_TRUE(SameRecords(batch.records, single.records)) << pages[i].name;
        EXPECT_EQ(batch.lines, single.lines) << pages[i].name;
        if (pages[i].type != 4) {
            EXPECT_TRUE(batch.hasResult) << pages[i].name;
        }
    }
    open.doc.OnOpenDocument(kPlaceholderPath);
    shell.convertLibrary = nullptr;
    FreeLibrary(convert);
}
