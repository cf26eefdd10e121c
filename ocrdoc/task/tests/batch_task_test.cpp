// The batch task: the rows it opens (as listed), the layout run with its
// batch mode and Esc, the exports into one file and one file per page with
// their names and failures, the layout drop in the project files, the
// bounded wait for a page, and renaming to scan names.
#include <gtest/gtest.h>

#include <chrono>

#include "ocrdoc/document/project_file.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/task/task.h"
#include "ocrdoc/task/tests/task_fixtures.h"
#include "platform/afx/ui/thread.h"
#include "platform/win/sync.h"

using namespace taskfix;

namespace {

int ScriptedExportFails(SPage*, char*, int) { return 0; }

class BatchTask : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        testpages::ensureGui();
        shell.dataFolder = folder.dir.string();
        shell.scanName = folder / "scan001.tif";
        convert = LoadLibraryA("Convert.dll");
        ASSERT_NE(convert, nullptr);
        shell.convertLibrary = convert;
    }
    void TearDown() override {
        shell.convertLibrary = nullptr;
        if (convert) FreeLibrary(convert);
    }
    // Saves a rendered page of text as name and adds its row.
    std::string AddPage(const std::string& name, int language, unsigned seed) {
        const std::vector<std::string> text =
            language == 2 ? testpages::englishText(seed, 1) : testpages::simplifiedText(seed, 1);
        testpages::Page page = testpages::textPage(text, 900, 360, testpages::Style{40});
        const std::string path = folder / name;
        EXPECT_TRUE(SavePlaneAsImage(page.plane, path));
        AddRow(shell, path, language, 0);
        return path;
    }

    CFakeDocumentHost shell;
    CSimplifiedStrings strings;
    TempFolder folder{"batch_task"};
    HMODULE convert = nullptr;
};

}  // namespace

TEST_F(BatchTask, AnalyseOpensEachRowAsListedAndRunsTheLayout) {
    OpenDocument open(shell);
    const std::string a = AddPage("Page_a.tif", 0, 1), b = AddPage("page_B.tif", 0, 2);
    SelectRows(shell, {0, 1});
    shell.ignoredFlag = 1;
    CTask task;
    task.AnalyzeSelected();
    EXPECT_EQ(shell.openedPaths, (std::vector<std::string>{a, b}));
    EXPECT_EQ(shell.sentCommands, (std::vector<UINT>{ID_DOC_LAYOUT, ID_DOC_LAYOUT}));
    EXPECT_EQ(shell.batchModes, (std::vector<int>{1, 0}));
    EXPECT_EQ(shell.statusPanes[kStatusPrompt], CSimplifiedStrings::Get(IDS_READY_PROMPT));
    EXPECT_EQ(shell.statusPanes[kStatusCounter], "     2  /  2");
    EXPECT_GT(open.doc.m_pPageRegion->GetChildCount(), 0);
    // The first page's regions went to its project file when the second opened.
    EXPECT_TRUE(fs::exists(a + ".PST"));
    EXPECT_FALSE(shell.busy);
}

TEST_F(BatchTask, EscEndsTheLayoutRunAfterTheCurrentPage) {
    OpenDocument open(shell);
    AddPage("one.tif", 0, 1);
    AddPage("two.tif", 0, 2);
    SelectRows(shell, {0, 1});
    ::PostMessage(open.window.view->GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    CTask task;
    task.AnalyzeSelected();
    EXPECT_EQ(shell.openedPaths.size(), 1u);
    EXPECT_EQ(shell.sentCommands.size(), 1u);
    EXPECT_TRUE(task.m_bCancel);
    EXPECT_GT(open.doc.m_pPageRegion->GetChildCount(), 0);
}

TEST_F(BatchTask, SecondLayoutRunOnTheOpenPageWithRedoClearsFirst) {
    OpenDocument open(shell);
    AddPage("one.tif", 0, 1);
    SelectRows(shell, {0});
    ASSERT_TRUE(open.Open(shell.cells[{0, kPageListPath}]));
    shell.ignoredFlag = 2;
    CTask task;
    task.AnalyzeSelected();
    EXPECT_EQ(shell.sentCommands, (std::vector<UINT>{ID_DOC_CLEAR_LAYOUT, ID_DOC_LAYOUT}));
}

TEST_F(BatchTask, WaitForAPageThatNeverComesIsBounded) {
    AddPage("lost.tif", 0, 1);
    SelectRows(shell, {0});
    shell.onOpenDocument = [](const std::string&) { return int(kOpenStarted); };  // nothing ever arrives
    CTask task;
    task.m_nLoadTimeoutMs = 300;
    const auto start = std::chrono::steady_clock::now();
    task.AnalyzeSelected();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(shell.sentCommands.empty());
    EXPECT_FALSE(shell.busy);

    // A load thread that stays alive and never delivers: the bound alone ends the wait.
    COcrDoc doc;
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    doc.m_pLoadThread = AfxBeginThread(
        [](LPVOID event) -> UINT {
            WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
            return 0;
        },
        release);
    ASSERT_NE(doc.m_pLoadThread, nullptr);
    doc.m_pLoadThread->m_bAutoDelete = FALSE;
    const auto again = std::chrono::steady_clock::now();
    task.AnalyzeSelected();
    const auto waited = std::chrono::steady_clock::now() - again;
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_TRUE(shell.sentCommands.empty());
    EXPECT_FALSE(shell.busy);
    SetEvent(release);
    EXPECT_TRUE(doc.m_pLoadThread->Join(5000));
    delete doc.m_pLoadThread;
    doc.m_pLoadThread = nullptr;
    CloseHandle(release);
}

TEST_F(BatchTask, TextExportHoldsEveryPageInOneUtf16File) {
    OpenDocument open(shell);
    const std::string a = AddPage("a.tif", 2, 3), b = AddPage("b.tif", 2, 4);
    // Recognise both pages once, so that their project files hold results.
    for (const std::string& path : {a, b}) {
        shell.currentRow = path == a ? 0 : 1;
        ASSERT_TRUE(open.Open(path));
        open.doc.RecognizePage();
        ASSERT_TRUE(open.doc.m_bHasResult);
    }
    SelectRows(shell, {0, 1});
    CTask task;
    const std::string out = folder / "all.txt";
    ASSERT_TRUE(task.ExportSelected(out));
    const std::string bytes = Read(out);
    ASSERT_GT(bytes.size(), 20u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    std::u16string text(reinterpret_cast<const char16_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    EXPECT_GE(std::count(text.begin(), text.end(), u'\n'), 2);
    EXPECT_EQ(shell.statusPanes[kStatusPrompt], CSimplifiedStrings::Get(IDS_READY_PROMPT));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(shell.defaultActionPaths.empty());
    shell.outputToExe = true;
    ASSERT_TRUE(task.ExportSelected(folder / "again.TXT"));
    EXPECT_EQ(shell.defaultActionPaths, std::vector<std::string>{folder / "again.TXT"});
    shell.outputToExe = false;

    // A page whose text does not convert from the code page is left out and
    // named; alone, it makes no file at all (never one of only the mark).
    shell.currentRow = 1;
    ASSERT_TRUE(open.Open(b));
    const std::string broken = "\x81\x20\x81\x20\r\n";
    ASSERT_TRUE(open.doc.LoadSaved(1, reinterpret_cast<const BYTE*>(broken.data()), static_cast<UINT>(broken.size()),
                                   nullptr, 0));
    open.doc.CRecoResult::m_bModified = 1;
    ASSERT_TRUE(open.doc.WriteProjectFile());
    ASSERT_TRUE(task.ExportSelected(folder / "some.txt"));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].find(b + ": " + TaskString(IDS_PAGE_NOT_UNICODE)), std::string::npos) << shell.messages[0];
    EXPECT_EQ(shell.selectedRows, (std::vector<int>{0, 1})) << "the chosen rows stay chosen";
    shell.messages.clear();
    SelectRows(shell, {1});
    EXPECT_FALSE(task.ExportSelected(folder / "none.txt"));
    EXPECT_FALSE(fs::exists(folder / "none.txt"));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].find(TaskString(IDS_PAGE_NOT_UNICODE)), std::string::npos) << shell.messages[0];
}

TEST_F(BatchTask, FailedExportIsReportedAndLeavesNoFile) {
    OpenDocument open(shell);
    AddPage("a.tif", 0, 3);
    SelectRows(shell, {0});
    CScopedEntry exporter(OSTREL_DLL, "ExportToFile", &ScriptedExportFails);
    CTask task;
    const std::string out = folder / "all.rtf";
    Write(out, "old");
    EXPECT_FALSE(task.ExportSelected(out));
    EXPECT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(Read(out), "old");  // the old output is not emptied
    EXPECT_FALSE(fs::exists(out + ".part"));
    EXPECT_EQ(shell.statusPanes[kStatusPrompt], CSimplifiedStrings::Get(IDS_READY_PROMPT));
    EXPECT_FALSE(task.ExportSelected(folder / "all.doc"));  // no such format
}

TEST_F(BatchTask, ExportTypesAndSameNameOutputs) {
    EXPECT_EQ(CTask::ExportTypeFor("x.htm", 1028), OSTREL_FORMAT_BIG5_HTML);
    EXPECT_EQ(CTask::ExportTypeFor("x.rtf", 1028), OSTREL_FORMAT_BIG5_RTF);
    EXPECT_EQ(CTask::ExportTypeFor("x.xls", 1028), OSTREL_FORMAT_XLS);  // the library has no other spreadsheet
    EXPECT_EQ(CTask::ExportTypeFor("x.htm", 2052), OSTREL_FORMAT_HTML);
    EXPECT_EQ(CTask::ExportTypeFor("x.txt", 1028), -1);
    EXPECT_EQ(CTask::SameNameOutput("D", "C:\\img\\page.tif", 0), "D\\OUTPUT\\PAGETIF.PDF");
    EXPECT_EQ(CTask::SameNameOutput("D", "C:\\img\\page.tif", 3), "D\\OUTPUT\\PAGETIF.RTF");
    EXPECT_EQ(CTask::SameNameOutput("D", "C:\\img\\page.tif", 4), "D\\OUTPUT\\PAGETIF.HTM");
    EXPECT_EQ(CTask::SameNameOutput("D", "C:\\img\\page.tif", 5), "D\\OUTPUT\\PAGETIF.XLS");
    EXPECT_EQ(CTask::SameNameOutput("D", "C:\\img\\page.tif", -1), "D\\OUTPUT\\PAGETIF.TXT");
    EXPECT_EQ(CTask::SameNameOutput("D", "C:\\img\\page.tif", 9), "");
}

TEST_F(BatchTask, SameNameExportWritesOneFilePerPage) {
    OpenDocument open(shell);
    AddPage("page.tif", 0, 5);
    SelectRows(shell, {0});
    CTask task;
    EXPECT_EQ(task.SaveSelectedSameName(0), 1);
    EXPECT_TRUE(fs::exists(folder.dir / "OUTPUT" / "PAGETIF.PDF"));
    // Text only where the page holds a result.
    EXPECT_EQ(task.SaveSelectedSameName(-1), 0);
    EXPECT_FALSE(fs::exists(folder.dir / "OUTPUT" / "PAGETIF.TXT"));
}

TEST_F(BatchTask, LayoutDropCutsOnlyProjectFilesAndKeepsTheirHeader) {
    OpenDocument open(shell);
    const std::string a = AddPage("a.tif", 0, 1), b = AddPage("b.tif", 0, 2), c = AddPage("c.tif", 0, 3);
    std::string project = std::string(kProjectMagic, kProjectMagicBytes) + "tif";
    for (int i = 0; i < 16; ++i) project.push_back(static_cast<char>(i));
    project += std::string("\x05\0\0\0", 4) + std::string(72, 'r');
    Write(a + ".PST", project);
    Write(b + ".PST", "not a project file but long enough to be cut by mistake");
    Write(c + ".PST", "PST10short");
    SelectRows(shell, {0, 1, 2});
    shell.currentRow = 1;
    shell.ignoredFlag = 1;
    CTask task;
    task.ClearLayoutSelected();
    const std::string cut = Read(a + ".PST");
    ASSERT_EQ(cut.size(), 28u);
    EXPECT_EQ(cut.substr(0, 24), project.substr(0, 24));
    EXPECT_EQ(cut.substr(24), std::string(4, '\0'));
    EXPECT_EQ(Read(b + ".PST"), "not a project file but long enough to be cut by mistake");
    EXPECT_EQ(Read(c + ".PST"), "PST10short");
    EXPECT_EQ(shell.batchModes, (std::vector<int>{1, 0}));
    EXPECT_EQ(shell.currentRow, 1);  // the row that had the focus
}

TEST_F(BatchTask, SelectingRowsAndTheirStatus) {
    const std::string a = AddPage("Mixed_Case.tif", 0, 1);
    AddPage("other.tif", 0, 2);
    shell.scanName = folder / "Scan001.TIF";
    CTask task;
    task.SelectImage(0);
    EXPECT_EQ(shell.openedPaths.back(), a);
    EXPECT_EQ(shell.statusPanes[kStatusCounter], "     1  /  2");
    EXPECT_EQ(shell.statusPanes[kStatusResolution], "300");
    // The row's folder as it is spelled: a path is never case-folded.
    EXPECT_EQ(shell.scanName, folder / "Scan001.TIF");
    task.SelectImage(-1);
    EXPECT_EQ(shell.openedPaths.back(), kPlaceholderPath);
    EXPECT_EQ(shell.statusPanes[kStatusLanguage], " ");

    EXPECT_TRUE(CTask::StemEndsInCounter("C:\\a\\scan001.tif"));
    EXPECT_FALSE(CTask::StemEndsInCounter("C:\\a\\01.tif"));
    EXPECT_FALSE(CTask::StemEndsInCounter("C:\\a\\scan01x.tif"));
    EXPECT_TRUE(CTask::IsScanImageFile("a.JpG"));
    EXPECT_FALSE(CTask::IsScanImageFile("a.png"));
    std::string name = "C:\\a\\scan.tif";
    CTask::AppendCounter(name);
    EXPECT_EQ(name, "C:\\a\\scan001.tif");

    // New drops the rows and opens no page.
    task.m_strName = "job.tsk";
    task.New();
    EXPECT_EQ(task.m_strName, "Default Task");
    EXPECT_EQ(shell.rowCount, 0);
    EXPECT_FALSE(task.HasImages());
}

TEST_F(BatchTask, AddImageUsesTheDefaultsOfNewRows) {
    shell.langCode = 2;
    shell.pageType = 3;
    shell.defaultResolution = 200;
    CTask task;
    ASSERT_TRUE(task.AddImageToList(folder / "x.tif", 77));
    ASSERT_EQ(shell.updatedItems.size(), 1u);
    EXPECT_EQ(shell.updatedItems[0].language, CSimplifiedStrings::Get(61213));
    EXPECT_EQ(shell.updatedItems[0].type, CSimplifiedStrings::Get(61217));
    EXPECT_EQ(shell.updatedItems[0].resolution, "200");
    EXPECT_EQ(shell.itemValues[0], 77u);
}

TEST_F(BatchTask, RenamingToScanNamesMovesCompanionsOrPutsEverythingBack) {
    Write(folder / "x.tif", "X");
    Write(folder / "x.tif.pst", "XP");
    Write(folder / "y.tif", "Y");
    AddRow(shell, folder / "x.tif", 0, 0);
    AddRow(shell, folder / "y.tif", 0, 0);
    SelectRows(shell, {0, 1});
    shell.scanName = folder / "scan005.tif";
    CTask task;
    ASSERT_TRUE(task.RenameToScanNames());
    EXPECT_EQ(Read(folder / "scan005.tif"), "X");
    EXPECT_EQ(Read(folder / "scan005.tif.pst"), "XP");
    EXPECT_EQ(Read(folder / "scan006.tif"), "Y");
    EXPECT_EQ(shell.cells[std::make_pair(1, int(kPageListPath))], folder / "scan006.tif");
    EXPECT_EQ(shell.scanName, folder / "scan007.tif");

    // A final name that is taken: message, and every file keeps its name.
    Write(folder / "scan008.tif", "taken");
    shell.scanName = folder / "scan007.tif";
    EXPECT_FALSE(task.RenameToScanNames());
    EXPECT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(Read(folder / "scan005.tif"), "X");
    EXPECT_EQ(Read(folder / "scan006.tif"), "Y");
    EXPECT_EQ(Read(folder / "scan008.tif"), "taken");

    // A box name without a counter, or rows from another folder, are refused.
    shell.scanName = folder / "scan.tif";
    EXPECT_FALSE(task.RenameToScanNames());
    shell.scanName = "/elsewhere/scan001.tif";
    EXPECT_FALSE(task.RenameToScanNames());
    EXPECT_EQ(shell.messages.size(), 3u);
}
