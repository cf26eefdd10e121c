// The PDF commands of Scribant end to end: the page list's selection, the
// conversion dialog answered by a script, the real converters, the log, the
// open-after requests (recorded by a stand-in opener) and the messages.
#include "scribant_fixture.h"

#include "imaging/pdf/pdf_page_access.h"
#include "imaging/pdf/pdf_prompts.h"
#include "imaging/pdf/tests/scripted_pdf_prompts.h"
#include "outside/calvet/tests/pdf_fixtures.h"
#include "outside/calvet/tests/rtf_reader.h"
#include "outside/convert/packed_dib.h"
#include "platform/afx/ui/listctrl.h"
#include "platform/win/codepage.h"
#include "platform/win/memory.h"
#include "shell/app/scribant_commands.h"
#include "shell/dialogs/pdf_password_dlg.h"
#include "shell/dialogs/ui_pdf_prompts.h"
#include "shell/frame/main_frame.h"
#include "shell/pdf/dlg_progress.h"
#include "shell/pdf/pdf_conversion.h"

#include <fstream>
#include <set>
#include <sstream>

namespace scribanttest {
namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> readLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The UTF-16 text with BOM that the text converter writes, as UTF-8.
std::string utf16ToUtf8(const std::string& bytes) {
    std::u16string units;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size()) c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (c < 0x80) out += static_cast<char>(c);
        else if (c < 0x800) out += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        else if (c < 0x10000)
            out += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        else
            out += {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                    static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    return out;
}

pdffixtures::TextPage page(const std::string& word, int n, bool rule = false) {
    pdffixtures::TextPage p;
    p.lines = {word + " page " + std::to_string(n) + " heading", "", "Body text of " + word + " number " + std::to_string(n)};
    p.rule = rule;
    return p;
}

std::vector<pdffixtures::TextPage> pages(const std::string& word, int count) {
    std::vector<pdffixtures::TextPage> out;
    for (int i = 1; i <= count; ++i) out.push_back(page(word, i));
    return out;
}

// What the scripted conversion dialog fills in before OK.
struct DialogInput {
    std::string folder;
    std::string first, last;  // both empty: the whole document
    bool openAfter = false;
    std::vector<int> deselect;
    std::string grab;  // a PNG path to grab the dialog into
    bool enabled = false;  // the dialog took input
};

void fillDialog(CWnd* dialog, void* data) {
    auto* in = static_cast<DialogInput*>(data);
    dialog->SetDlgItemText(1136, in->folder.c_str());
    if (!in->first.empty() || !in->last.empty()) {
        dialog->CheckRadioButton(1131, 1132, 1132);
        dialog->SendMessage(WM_COMMAND, MAKEWPARAM(1132, BN_CLICKED), 0);
        dialog->SetDlgItemText(1133, in->first.c_str());
        dialog->SetDlgItemText(1134, in->last.c_str());
    }
    dialog->CheckDlgButton(1130, in->openAfter ? BST_CHECKED : BST_UNCHECKED);
    if (auto* list = static_cast<CListCtrl*>(dialog->GetDlgItem(1129)))
        for (int row : in->deselect) list->SetItemState(row, 0, LVIS_SELECTED);
    in->enabled = dialog->IsWindowEnabled() && dialog->GetDlgItem(1136)->IsWindowEnabled();
    if (!in->grab.empty()) dialog->GrabToFile(in->grab.c_str());
}

class PdfConversion : public ScribantHome {
protected:
    fs::path in, out, record;
    DialogInput input;
    ScriptedPdfPrompts prompts;

    void SetUp() override {
        ScribantHome::SetUp();
        ASSERT_TRUE(Start());
        in = root_ / "in";
        out = root_ / "out";
        fs::create_directories(in);
        record = root_ / "opened.txt";
        const fs::path opener = root_ / "opener.sh";
        std::ofstream(opener) << "#!/bin/sh\necho \"$1\" >> '" << record.string() << "'\n";
        fs::permissions(opener, fs::perms::owner_all);
        setenv("SUITE_OPEN_COMMAND", opener.c_str(), 1);
        input.folder = out.string();
        SetPdfPrompts(&prompts);
    }
    void TearDown() override {
        SetPdfPrompts(nullptr);
        unsetenv("SUITE_OPEN_COMMAND");
        ScribantHome::TearDown();
    }
    std::string makePdf(const std::string& name, const std::vector<pdffixtures::TextPage>& content) {
        const fs::path path = in / name;
        EXPECT_TRUE(pdffixtures::WriteTextPdf(path.string(), content));
        return path.string();
    }
    // Lists the paths in the page list, all selected.
    void list(const std::vector<std::string>& paths) {
        CFileListCtrl& rows = app_->MainFrame()->PageList();
        for (const std::string& p : paths) {
            FileItemInfo item;
            item.path = p;
            const int row = app_->PageListUpdateItem(item);
            rows.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        }
    }
    BOOL convert(BOOL toRtf) {
        AfxTestScript::QueueDialogAction(fillDialog, &input);
        AfxTestScript::QueueAnswer(IDOK);
        return app_->ConvertSelectedPdfs(toRtf);
    }
    std::vector<AfxShownRecord> messages() const {
        std::vector<AfxShownRecord> shown;
        for (const AfxShownRecord& r : AfxTestScript::Shown())
            if (r.kind == "message") shown.push_back(r);
        return shown;
    }
    std::string text(UINT id) const {
        CString s;
        s.LoadString(id);
        return s.GetString();
    }
    std::vector<std::string> pageTexts(const fs::path& rtf) const {
        return rtftest::Read(readFile(rtf)).pages;
    }
    // Waits for `count` open requests, then a little longer for any stray one.
    std::vector<std::string> opened(std::size_t count) {
        PumpUntil([&] { return readLines(record).size() >= count; }, 5000);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return readLines(record);
    }
};

}  // namespace

TEST_F(PdfConversion, RangesPastTheEndAreCutAndRangesBeyondItSkipTheFileByName) {
    const std::string five = makePdf("report.pdf", pages("Alpha", 5));
    list({five});
    input.first = "3";
    input.last = "10";
    EXPECT_TRUE(convert(TRUE));
    EXPECT_TRUE(input.enabled) << "the dialog takes input over the disabled main window";
    ASSERT_TRUE(fs::exists(out / "report.rtf")) << "report.pdf becomes report.rtf";
    const std::vector<std::string> got = pageTexts(out / "report.rtf");
    ASSERT_EQ(got.size(), 3u) << "pages 3 to 5";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(pdffixtures::WithoutSpaces(got[static_cast<std::size_t>(i)]),
                  pdffixtures::WithoutSpaces(page("Alpha", i + 3).lines));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, text(IDS_PDF_DONE));

    fs::remove(out / "report.rtf");
    AfxTestScript::Clear();
    input.first = "7";
    input.last = "9";
    EXPECT_TRUE(convert(TRUE));
    EXPECT_FALSE(fs::exists(out / "report.rtf"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, text(IDS_PDF_NOT_CONVERTED) + "\r\nreport.pdf")
        << "a skipped file is named, not reported as converted";
}

TEST_F(PdfConversion, TextOutputHoldsEveryPageAndRepeatedRowsConvertOnce) {
    const std::string path = makePdf("Notes.pdf", pages("Beta", 3));
    std::string upper = path;
    upper.replace(upper.size() - 9, 9, "NOTES.PDF");
    list({path, upper, ""});
    EXPECT_TRUE(convert(FALSE));
    ASSERT_TRUE(fs::exists(out / "Notes.txt"));
    std::string all;
    for (int i = 1; i <= 3; ++i) all += pdffixtures::WithoutSpaces(page("Beta", i).lines);
    EXPECT_EQ(pdffixtures::WithoutSpaces(utf16ToUtf8(readFile(out / "Notes.txt"))), all);
    std::size_t dialogs = 0;
    for (const AfxShownRecord& r : AfxTestScript::Shown())
        if (r.kind == "dialog" && r.type == 279) ++dialogs;
    EXPECT_EQ(dialogs, 1u);
    ASSERT_EQ(messages().size(), 1u) << "one file converted once, named nowhere";
    EXPECT_EQ(messages()[0].text, text(IDS_PDF_DONE));
    EXPECT_FALSE(fs::exists(root_ / "Documents" / "My ORdoc Files" / "Scribant" / "CvtErr.txt.tmp"));
}

TEST_F(PdfConversion, APdfOfPicturesOnlyGivesNoTextFileAndIsNamed) {
    convert::DibBuilder picture;
    ASSERT_TRUE(picture.create(160, 90, 24, 3937, 3937));
    HDIB dib = picture.release();
    const std::string scan = (root_ / "in" / "scan.pdf").string();
    ASSERT_EQ(SaveDibAsPdf(0, dib, scan.c_str()), 0);
    GlobalFree(dib);
    const std::string notes = makePdf("notes.pdf", pages("Gamma", 1));
    list({scan, notes});
    EXPECT_TRUE(convert(FALSE));
    EXPECT_FALSE(fs::exists(out / "scan.txt")) << "no file that holds only its mark";
    EXPECT_TRUE(fs::exists(out / "notes.txt"));
    ASSERT_EQ(messages().size(), 1u) << "no success box either";
    EXPECT_EQ(messages()[0].text, text(IDS_PDF_NO_TEXT) + "\r\nscan.pdf");
}

TEST_F(PdfConversion, OpenAfterStopsAtTheFirstFailureWhichIsNamed) {
    const std::string a = makePdf("a.pdf", pages("One", 1));
    const std::string b = makePdf("b.pdf", pages("Two", 1));
    const std::string c = makePdf("c.pdf", pages("Three", 1));
    fs::create_directories(out / "b.rtf");  // the second output cannot be written
    list({a, b, c});
    input.openAfter = true;
    EXPECT_TRUE(convert(TRUE));
    EXPECT_TRUE(fs::exists(out / "a.rtf"));
    EXPECT_TRUE(fs::exists(out / "c.rtf")) << "a failure does not stop the run";
    const std::vector<std::string> got = opened(1);
    ASSERT_EQ(got.size(), 1u) << "neither the failed file nor any later one is opened";
    EXPECT_EQ(fs::path(got[0]).filename(), "a.rtf");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, text(IDS_PDF_NOT_CONVERTED) + "\r\nb.pdf");
    EXPECT_EQ(app_->m_bAutoOpenRtf, 1) << "the check box is kept";
    EXPECT_EQ(app_->m_strOutputPath, out.string() + "\\");
}

TEST_F(PdfConversion, OutputNamesReplaceTheExtensionAndNeverTheInput) {
    EXPECT_EQ(PdfOutputName("C:\\x\\report.pdf", true), "report.rtf");
    EXPECT_EQ(PdfOutputName("C:\\x\\scan.tiff", false), "scan.txt");
    EXPECT_EQ(PdfOutputName("C:\\x.y\\noext", true), "noext.rtf");
    EXPECT_EQ(PdfOutputName(".pdf", true), ".pdf.rtf");
    // A text file listed with the PDF files, converted to text into its own
    // folder, would be overwritten by its own output.
    const std::string notes = (in / "notes.txt").string();
    std::ofstream(notes) << "keep me";
    list({notes});
    input.folder = in.string();
    EXPECT_TRUE(convert(FALSE));
    EXPECT_EQ(readFile(notes), "keep me");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, text(IDS_PDF_NOT_CONVERTED) + "\r\nnotes.txt");
}

TEST_F(PdfConversion, TheLogNamesPagesThatCannotBeConvertedInTheCodePage) {
    std::vector<pdffixtures::TextPage> content = pages("Gamma", 4);
    content[2].rule = true;  // pdf page 3: a drawn line beside the text
    const std::string mixed = makePdf("mixed.pdf", content);
    const std::string clean = makePdf("clean.pdf", pages("Delta", 2));
    list({mixed, clean});
    input.first = "2";
    input.last = "4";
    input.openAfter = true;
    EXPECT_TRUE(convert(TRUE));
    const fs::path log = Data() / "CvtErr.txt";
    const std::string source = "\xD4\xAD" "PDF" "\xCE\xC4\xBC\xFE\xA3\xBA";  // "原PDF文件："
    const std::string target = "\xD7\xAA\xBB\xBB\xBA\xF3\xCE\xC4\xB5\xB5\xA3\xBA";  // "转换后文档："
    const std::string pageLine = "\xCE\xC4\xB5\xB5\xB5\xDA" "  2" "\xD2\xB3\xD6\xD0\xB0\xFC\xBA\xAC\xCE\xDE\xB7\xA8"
                                 "\xD7\xAA\xBB\xBB\xB5\xC4\xC4\xDA\xC8\xDD, \xB6\xD4\xD3\xA6" "pdf"
                                 "\xCE\xC4\xBC\xFE\xB5\xDA" "  3" "\xD2\xB3";
    const std::string complete = "\xCE\xC4\xBC\xFE\xCD\xEA\xC8\xAB\xD7\xAA\xBB\xBB";  // "文件完全转换"
    const std::string outFolder = out.string() + "\\";
    EXPECT_EQ(readFile(log), source + mixed + "\r\n" + target + outFolder + "mixed.rtf\r\n\r\n" + pageLine +
                                 "\r\n\r\n" + source + clean + "\r\n" + target + outFolder + "clean.rtf\r\n\r\n" +
                                 complete + "\r\n\r\n");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, text(IDS_PDF_PARTLY_CONVERTED));
    const std::vector<std::string> got = opened(3);
    // The openers run as programs of their own: their records may come in any order.
    std::set<std::string> names;
    for (const std::string& path : got) names.insert(fs::path(path).filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"mixed.rtf", "clean.rtf", "CvtErr.txt"})) << "both outputs and the log";
    // A new run starts a new log.
    AfxTestScript::Clear();
    app_->MainFrame()->PageList().DeleteAllItems();
    list({clean});
    input.first.clear();
    input.last.clear();
    EXPECT_TRUE(convert(TRUE));
    EXPECT_EQ(readFile(log), source + clean + "\r\n" + target + outFolder + "clean.rtf\r\n\r\n" + complete + "\r\n\r\n");
}

TEST_F(PdfConversion, ProtectedFilesAskForTheirPasswordAndCancelledOnesAreNamed) {
    const std::string open = makePdf("open.pdf", pages("Open", 2));
    const std::string locked = (in / "locked.pdf").string();
    ASSERT_EQ(std::system(("qpdf --encrypt secret owner 256 -- '" + open + "' '" + locked + "' >/dev/null 2>&1").c_str()), 0);
    list({locked});
    prompts.answers = {"secret"};
    EXPECT_TRUE(convert(TRUE));
    EXPECT_EQ(prompts.asked, 1);
    ASSERT_TRUE(fs::exists(out / "locked.rtf"));
    EXPECT_EQ(pageTexts(out / "locked.rtf").size(), 2u);
    EXPECT_TRUE(convert(FALSE));
    EXPECT_FALSE(fs::exists(out / "locked.txt")) << "the password dialog was cancelled";
    EXPECT_EQ(prompts.asked, 2);
    EXPECT_EQ(messages().back().text, text(IDS_PDF_NOT_CONVERTED) + "\r\nlocked.pdf");
}

// What each password dialog said, answered with the password.
void ReadTheLineAndTypeThePassword(CWnd* dialog, void* data) {
    auto* lines = static_cast<std::vector<std::string>*>(data);
    CString line;
    dialog->GetDlgItemText(IDC_PDF_PROTECTED_LINE, line);
    lines->push_back(suite::AnsiToUtf8(line.GetString()));
    if (const char* grabs = std::getenv("SCRIBANT_GRAB_DIR"); grabs && lines->size() == 1)
        dialog->GrabToFile((std::string(grabs) + "/pdf_password.png").c_str());
    dialog->SetDlgItemText(IDC_PDF_PASSWORD, "secret");
    static_cast<CDialog*>(dialog)->OnOK();
}

TEST_F(PdfConversion, EachPasswordDialogOfAConversionNamesItsFile) {
    CUiPdfPrompts dialogs;
    SetPdfPrompts(&dialogs);
    const std::string open = makePdf("open.pdf", pages("Open", 1));
    std::vector<std::string> locked;
    for (const char* name : {"first.pdf", "second.pdf"}) {
        locked.push_back((in / name).string());
        ASSERT_EQ(std::system(("qpdf --encrypt secret owner 256 -- '" + open + "' '" + locked.back() + "' >/dev/null 2>&1").c_str()), 0);
    }
    list(locked);
    std::vector<std::string> lines;
    AfxTestScript::QueueDialogAction(fillDialog, &input);
    AfxTestScript::QueueAnswer(IDOK);
    AfxTestScript::QueueDialogAction(ReadTheLineAndTypeThePassword, &lines);
    AfxTestScript::QueueDialogAction(ReadTheLineAndTypeThePassword, &lines);
    EXPECT_TRUE(app_->ConvertSelectedPdfs(FALSE));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("文件\"", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("first.pdf\"被保护"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("second.pdf\"被保护"), std::string::npos) << lines[1];
    EXPECT_TRUE(fs::exists(out / "first.txt"));
    EXPECT_TRUE(fs::exists(out / "second.txt"));
    SetPdfPrompts(&prompts);
}

TEST_F(PdfConversion, NothingSelectedOrCancelledConvertsNothing) {
    EXPECT_FALSE(app_->ConvertSelectedPdfs(TRUE));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, text(IDS_PDF_NONE_SELECTED));
    const std::string a = makePdf("a.pdf", pages("Eps", 1));
    list({a});
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(IDCANCEL);
    EXPECT_FALSE(app_->ConvertSelectedPdfs(TRUE));
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(fs::exists(out));
    // A refused OK (here a bad range) keeps the dialog, and converts nothing.
    input.first = "5";
    input.last = "3";
    EXPECT_FALSE(convert(TRUE));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, text(IDS_PDF_RANGE_ERROR));
}

TEST_F(PdfConversion, ProgressTextsFollowTheConvertersTwoPhases) {
    CDlgProgress& progress = ConversionProgress();
    CWnd* main = app_->m_pMainWnd;
    ASSERT_TRUE(progress.Create(main));
    EXPECT_FALSE(main->IsWindowEnabled()) << "the main window waits while the dialog is up";
    progress.SetRange(4);
    const fs::path log = root_ / "log.txt";
    SetConversionLog(log.string());
    BeginConversionProgress(4);
    CString label;
    EXPECT_EQ(PdfConvertProgress(8, 3, 1), 0);
    EXPECT_EQ(readFile(log), suite::Utf8ToAnsi("文档第  3页中包含无法转换的内容, 对应pdf文件第  7页\r\n\r\n"));
    progress.GetDlgItemText(1129, label);
    EXPECT_EQ(std::string(label.GetString()), suite::Utf8ToAnsi("本次转换共4页,正在解析第3页"));
    progress.GetDlgItemText(1132, label);
    EXPECT_EQ(std::string(label.GetString()), "75%");
    EXPECT_EQ(PdfConvertProgress(8, 6, 0), 0);
    progress.GetDlgItemText(1129, label);
    EXPECT_EQ(std::string(label.GetString()), suite::Utf8ToAnsi("本次转换共4页, 正在转换第2页"));
    progress.GetDlgItemText(1132, label);
    EXPECT_EQ(std::string(label.GetString()), "50%") << "the writing phase counts up again";
    EXPECT_EQ(PdfConvertProgress(8, 9, 0), 1) << "past the total";
    progress.SendMessage(WM_COMMAND, MAKEWPARAM(1131, BN_CLICKED), 0);
    EXPECT_EQ(PdfConvertProgress(8, 7, 0), 1) << "stop pressed";
    EXPECT_TRUE(progress.IsWindowVisible()) << "stop does not close the window";
    progress.Destroy();
    EXPECT_TRUE(main->IsWindowEnabled());
}

TEST_F(PdfConversion, TheProgressWindowTakesNoOwnerFromAnEarlierConversion) {
    CDlgProgress& progress = ConversionProgress();
    ASSERT_TRUE(progress.Create(app_->m_pMainWnd));
    progress.Destroy();
    // The program starts again: the first frame is gone.
    ASSERT_TRUE(Start());
    ASSERT_TRUE(progress.Create(nullptr));
    ASSERT_NE(progress.GetOwner(), nullptr);
    EXPECT_EQ(progress.GetOwner()->GetSafeHwnd(), app_->m_pMainWnd->GetSafeHwnd()) << "the running frame owns it";
    progress.Destroy();
}

TEST_F(PdfConversion, ProgressDialogShowsAShortenedPathAndEachPercentageOnce) {
    CDlgProgress& progress = ConversionProgress();
    ASSERT_TRUE(progress.Create(nullptr));
    std::string path = "C:\\";
    while (path.size() < 100) path += "folder\\";
    path.resize(96);
    path += "x.pdf";
    ASSERT_EQ(path.size(), 101u);
    progress.SetFileName(path.c_str());
    CString label;
    progress.GetDlgItemText(1119, label);
    EXPECT_EQ(std::string(label.GetString()), text(IDS_PROGRESS_FILE) + path.substr(0, 90) + "...");
    progress.SetRange(4);
    EXPECT_EQ(progress.SetPos(3), 1);
    progress.GetDlgItemText(1132, label);
    EXPECT_EQ(std::string(label.GetString()), "75%");
    EXPECT_EQ(progress.SetPos(3), 1);
    EXPECT_EQ(progress.PercentWrites(), 1) << "75% is written once";
    if (const char* grabs = std::getenv("SUITE_GRAB_DIR")) progress.GrabToFile((std::string(grabs) + "/pdf_progress.png").c_str());
    progress.Destroy();
    EXPECT_EQ(progress.SetPos(4), 1) << "a destroyed dialog changes nothing";
}

TEST_F(PdfConversion, ConversionDialogGrab) {
    const char* grabs = std::getenv("SUITE_GRAB_DIR");
    if (!grabs) GTEST_SKIP() << "SUITE_GRAB_DIR names where grabs go";
    const std::string a = makePdf("report.pdf", pages("Zeta", 1));
    list({a, (in / "second.pdf").string()});
    input.first = "2";
    input.last = "4";
    input.deselect = {1};
    input.grab = std::string(grabs) + "/pdf_convert_rtf.png";
    AfxTestScript::QueueDialogAction(fillDialog, &input);
    AfxTestScript::QueueAnswer(IDCANCEL);
    app_->ConvertSelectedPdfs(TRUE);
    EXPECT_TRUE(input.enabled);
    input.grab = std::string(grabs) + "/pdf_convert_txt.png";
    input.first.clear();
    input.last.clear();
    AfxTestScript::QueueDialogAction(fillDialog, &input);
    AfxTestScript::QueueAnswer(IDCANCEL);
    app_->ConvertSelectedPdfs(FALSE);
}

}  // namespace scribanttest
