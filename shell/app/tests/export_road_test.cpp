// The main road of the real program: pages chosen in the Open dialog (two
// images and a PDF of three pages, which is split), recognised by the batch
// window over all of them, then written in every format for one page and
// for all of them, and under the same names; each file is read back by a
// reader that is not the writer's (pdftotext, an RTF reader, Qt's HTML and
// XML readers) and must hold every page's words. What cannot be exported is
// named, and the chosen rows stay chosen.
#include <QString>
#include <QTextDocument>
#include <QXmlStreamReader>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "imaging/pdf/pdf_page_access.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/task/task.h"
#include "outside/calvet/tests/pdf_fixtures.h"
#include "outside/calvet/tests/rtf_reader.h"
#include "outside/tests/pages.h"
#include "platform/afx/ui/commdlg.h"
#include "platform/win/codepage.h"
#include "scribant_fixture.h"
#include "shell/app/scribant_ids.h"
#include "shell/batch/dlg_batch_recog.h"
#include "shell/dialogs/save_format_dlg.h"
#include "shell/frame/main_frame.h"

namespace scribanttest {
namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The words of a text (letters only, lower case, at least five letters).
std::set<std::string> WordsOf(const std::string& text) {
    std::set<std::string> words;
    std::string word;
    for (char c : text + " ") {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            continue;
        }
        if (word.size() >= 5) words.insert(word);
        word.clear();
    }
    return words;
}

// How many of a page's words the text holds: a recognised page reads most
// of them back, a page left out none.
double ShareFound(const std::set<std::string>& page, const std::string& text) {
    const std::set<std::string> found = WordsOf(text);
    std::size_t hits = 0;
    for (const std::string& w : page) hits += found.count(w);
    return page.empty() ? 0 : static_cast<double>(hits) / static_cast<double>(page.size());
}

// Readers that are not the writer's.
std::string TextOfUtf16(const fs::path& path) {
    const std::string bytes = ReadFile(path);
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE)
        return {};
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data() + 2),
                              static_cast<qsizetype>((bytes.size() - 2) / 2))
        .toStdString();
}
std::string TextOfRtf(const fs::path& path) {
    std::string all;
    for (const std::string& page : rtftest::Read(ReadFile(path)).pages) all += page + "\n";
    return all;
}
std::string TextOfHtml(const fs::path& path) {
    QTextDocument doc;
    doc.setHtml(QString::fromStdString(suite::AnsiToUtf8(ReadFile(path), 936)));
    return doc.toPlainText().toStdString();
}
std::string TextOfSpreadsheet(const fs::path& path) {
    QXmlStreamReader xml(QByteArray::fromStdString(ReadFile(path)));
    std::string all;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::Characters) all += xml.text().toString().toStdString() + " ";
    return xml.hasError() ? std::string() : all;
}
std::string TextOfPdf(const fs::path& path) {
    const fs::path text = path.string() + ".read.txt";
    const std::string command = "pdftotext -enc UTF-8 '" + path.string() + "' '" + text.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return {};
    std::string all = ReadFile(text);
    fs::remove(text);
    return all;
}
std::string TextOf(const fs::path& path) {
    const std::string ext = Lower(path.extension().string());
    if (ext == ".txt") return TextOfUtf16(path);
    if (ext == ".rtf") return TextOfRtf(path);
    if (ext == ".htm") return TextOfHtml(path);
    if (ext == ".xls") return TextOfSpreadsheet(path);
    if (ext == ".pdf") return TextOfPdf(path);
    return {};
}

// The batch window runs by itself; the script waits for its end and notes
// the pages the page view showed meanwhile.
void WaitForTheBatch(CWnd* dialog, void* shownPages) {
    auto* batch = static_cast<CDlgBatchRecog*>(dialog);
    auto* shown = static_cast<std::set<std::string>*>(shownPages);
    PumpUntil([&] {
        if (COcrDoc* doc = ScribantApp()->CurrentDocument(); doc && doc->m_pImage)
            shown->insert(doc->GetPathName().GetString());
        return batch->Run() && batch->Run()->Ended();
    }, 300000);
}

void ChooseRtf(CWnd* dialog, void*) { dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_FORMAT_RTF, BN_CLICKED), 0); }

class ExportRoad : public ScribantHome {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        testpages::ensureGui();
        fs::create_directories(root_ / "in");
        fs::create_directories(root_ / "out");
    }
    void command(UINT id) { app_->MainFrame()->SendMessage(WM_COMMAND, id, 0); }
    std::string Row(int row) { return app_->PageListItemText(row, kPageListPath); }
    // Exports the selected rows through the save dialog as `name`.
    void ExportAs(const fs::path& path) {
        AfxTestScript::QueueFile(path.string());
        command(ID_OUTPUT_TO_FORMAT);
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const AfxShownRecord& r : AfxTestScript::Shown())
            if (r.kind == "message") texts.push_back(r.text);
        return texts;
    }
    // The messages shown so far, readable in a failure's report.
    std::string Said() const {
        std::string all;
        for (const std::string& text : Messages()) all += suite::AnsiToUtf8(text, 936) + "\n";
        return all;
    }
};

TEST_F(ExportRoad, PagesChosenInTheOpenDialogAreRecognisedAndEveryFormatHoldsEveryPage) {
    // An English system: new rows are English pages.
    ASSERT_TRUE(Start({}, 0x409));
    app_->m_settings.outputToExe = false;  // no editor is started from the test
    // English pages, each headed by words of its own: a TIFF, a PNG and a
    // PDF of three.
    static const char* const kMarkers[5] = {"Walnut Lantern Canyon Falcon", "Violin Pebble Saddle Meadow",
                                            "Copper Blanket Ribbon Tunnel", "Marble Thunder Pepper Anchor",
                                            "Silver Rocket Candle Dolphin"};
    std::vector<std::set<std::string>> words;
    for (const char* markers : kMarkers) words.push_back(WordsOf(markers));
    std::vector<std::string> chosen;
    for (int i = 0; i < 2; ++i) {
        std::vector<std::string> text = testpages::englishText(static_cast<unsigned>(31 + i), 2);
        text.insert(text.begin(), kMarkers[i]);
        const testpages::Page page = testpages::textPage(text, 1400, 900, testpages::Style{44});
        const std::string path = (root_ / "in" / (i == 0 ? "letter.tif" : "notice.png")).string();
        ASSERT_TRUE(SavePlaneAsImage(page.plane, path));
        chosen.push_back(path);  // as the dialog gives it: a native path
    }
    std::vector<pdffixtures::TextPage> pdfPages;
    for (int i = 0; i < 3; ++i) {
        pdffixtures::TextPage page;
        page.pointSize = 14;
        page.lines = {kMarkers[2 + i], ""};
        for (const std::string& line : testpages::englishText(static_cast<unsigned>(41 + i), 1)) {
            // Short lines: the page keeps its width.
            std::istringstream in(line);
            std::string word, current;
            while (in >> word) {
                if (current.size() + word.size() > 48) {
                    page.lines.push_back(current);
                    current.clear();
                }
                current += (current.empty() ? "" : " ") + word;
            }
            if (!current.empty()) page.lines.push_back(current);
        }
        pdfPages.push_back(page);
    }
    const std::string pdf = (root_ / "in" / "report.pdf").string();
    ASSERT_TRUE(pdffixtures::WriteTextPdf(pdf, pdfPages));
    chosen.push_back(pdf);

    AfxTestScript::QueueFiles(chosen);
    command(ID_FILE_OPEN);
    ASSERT_EQ(app_->PageListRowCount(), 5) << "the PDF's three pages are listed too";
    EXPECT_EQ(Row(0), chosen[0]);
    EXPECT_EQ(Row(1), chosen[1]);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(fs::path(suite::NativePath(Row(2 + i))).filename(), "report_0000" + std::to_string(i + 1) + ".pdf");
    EXPECT_TRUE(Messages().empty()) << Said();

    // F8 over every row: the batch window recognises them all.
    command(ID_FILE_SELECT_ALL);
    std::set<std::string> shown;
    AfxTestScript::QueueDialogAction(WaitForTheBatch, &shown);
    command(ID_RECOG_START);
    ASSERT_TRUE(Messages().empty()) << Said();
    EXPECT_GE(shown.size(), 3u) << "the page view follows the pages being recognised";

    const fs::path out = root_ / "out";
    const std::vector<int> all = {0, 1, 2, 3, 4};
    for (const char* ext : {".txt", ".rtf", ".htm", ".xls", ".pdf"}) {
        // One page (the PDF's second) ...
        app_->MainFrame()->PageList().SelectItem(3);
        const fs::path one = out / (std::string("one") + ext);
        ExportAs(one);
        ASSERT_TRUE(fs::exists(one)) << ext;
        const std::string oneText = TextOf(one);
        EXPECT_GT(ShareFound(words[3], oneText), 0.6) << ext << ": " << oneText;
        EXPECT_LT(ShareFound(words[0], oneText), 0.2) << ext << ": only the chosen page";
        // ... and every page, in list order.
        command(ID_FILE_SELECT_ALL);
        const fs::path every = out / (std::string("all") + ext);
        ExportAs(every);
        ASSERT_TRUE(fs::exists(every)) << ext;
        const std::string everyText = TextOf(every);
        for (std::size_t page = 0; page < words.size(); ++page)
            EXPECT_GT(ShareFound(words[page], everyText), 0.6) << ext << " page " << page << ": " << everyText;
        EXPECT_EQ(app_->PageListSelectedRows(), all) << ext << ": the chosen rows stay chosen";
    }
    EXPECT_TRUE(Messages().empty()) << Said();
    // A bare name takes the extension of the kind chosen (the first, text).
    ExportAs(out / "bare");
    EXPECT_GT(ShareFound(words[4], TextOf(out / "bare.txt")), 0.7);

    // Under the same names, RTF: one file a page in the output folder.
    AfxTestScript::QueueDialogAction(ChooseRtf, nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    command(ID_OUTPUT_SAME_NAME);
    for (int row = 0; row < 5; ++row) {
        const fs::path image(suite::NativePath(Row(row)));
        std::string stem = image.stem().string(), ext = image.extension().string().substr(1);
        for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const fs::path rtf = Data() / "OUTPUT" / (stem + ext + ".RTF");
        ASSERT_TRUE(fs::exists(rtf)) << rtf;
        EXPECT_GT(ShareFound(words[static_cast<std::size_t>(row)], TextOf(rtf)), 0.6) << rtf;
    }

    // A page whose image went away is named, not passed over in silence,
    // and an answer of No keeps an existing file.
    fs::remove(suite::NativePath(Row(1)));
    fs::remove(suite::NativePath(Row(1)) + ".PST");
    AfxTestScript::Clear();
    command(ID_FILE_SELECT_ALL);
    ExportAs(out / "again.txt");
    std::vector<std::string> said = Messages();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find(Row(1)), std::string::npos) << said[0];
    EXPECT_NE(said[0].find(TaskString(IDS_PAGE_NOT_READ)), std::string::npos) << said[0];
    EXPECT_GT(ShareFound(words[0], TextOf(out / "again.txt")), 0.7);
    // Opened from its row it is named at once; F8 and F5 name it again
    // rather than doing nothing.
    AfxTestScript::Clear();
    app_->m_task.SelectImage(1);
    ASSERT_TRUE(PumpUntil([&] { return Messages().size() == 1; }, 20000)) << Said();
    app_->MainFrame()->PageList().SelectItem(1);
    command(ID_RECOG_START);
    app_->MainFrame()->PageList().SelectAll();
    command(ID_RECOG_LAYOUT);
    said = Messages();
    ASSERT_EQ(said.size(), 3u) << Said();
    for (const std::string& text : said) EXPECT_NE(text.find(Row(1)), std::string::npos) << Said();
    // A batch over it runs unattended: only its closing list names the page.
    AfxTestScript::Clear();
    std::set<std::string> shownAgain;
    app_->MainFrame()->PageList().SelectAll();
    AfxTestScript::QueueDialogAction(WaitForTheBatch, &shownAgain);
    command(ID_RECOG_START);
    said = Messages();
    ASSERT_EQ(said.size(), 1u) << Said();
    EXPECT_NE(said[0].find(Row(1)), std::string::npos) << Said();
    const std::string before = ReadFile(out / "all.rtf");
    AfxTestScript::Clear();
    AfxTestScript::QueueFile((out / "all.rtf").string());
    AfxTestScript::QueueAnswer(IDNO);
    command(ID_OUTPUT_TO_FORMAT);
    said = Messages();
    ASSERT_EQ(said.size(), 1u) << "asked before replacing";
    EXPECT_NE(said[0].find("all.rtf"), std::string::npos) << said[0];
    EXPECT_EQ(ReadFile(out / "all.rtf"), before);
}

}  // namespace
}  // namespace scribanttest
