// A button set up as a user sets it up: the set-up tool's tree, the running
// program's Button Configuration dialog with the template's panel, Apply, and
// a press that runs the job on SANE's test feeder (ten pages); the files are
// then read back as a reader of them would.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "keyrider/keyrider_app.h"
#include "keyrider/keyrider_dlg.h"
#include "keyrider/keyrider_ids.h"
#include "keyrider/setup/machine_tree.h"
#include "keyrider/tests/loopback_server.h"
#include "keyrider/tests/program_files.h"
#include "outside/button_template/panel_ids.h"
#include "outside/scan/tests/sane_test_device.h"
#include "outside/scan/tests/test_sheets.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/pump_until.h"
#include "platform/win/library.h"
#include "platform/win/registry.h"

namespace fs = std::filesystem;
using namespace button_template;

namespace {

using keyridertest::Bin;
using keyridertest::FilesIn;
using keyridertest::ReadAll;

int PdfPages(const fs::path& pdf, const fs::path& scratch) {
    const std::string out = (scratch / "pdfinfo.txt").string();
    if (std::system(("pdfinfo '" + pdf.string() + "' > '" + out + "' 2>&1").c_str()) != 0) return -1;
    const std::string text = ReadAll(out);
    const std::size_t at = text.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 6);
}

class ButtonPanels : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        char pattern[] = "/tmp/keyrider-panels-XXXXXX";
        root_ = mkdtemp(pattern);
        setenv("SUITE_REGISTRY_USER", (root_ / "user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (root_ / "machine.db").c_str(), 1);
        // The jobs' temporary files go to a folder of this test alone, where
        // what they leave behind is theirs.
        fs::create_directories(root_ / "tmp");
        setenv("SUITE_TEMP_DIR", (root_ / "tmp").c_str(), 1);
        prepareScanner();
        options_.programFolder = Bin().string() + "/";
        options_.productName = "Keyrider Panels " + std::to_string(::getpid());
        options_.scanFolder = (root_ / "Scans").string();
        ASSERT_TRUE(keyrider::WriteMachineTree(options_));
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
        app_ = std::make_unique<keyrider::CKeyriderApp>();
        app_->m_args.emplace_back("/M");
        ASSERT_TRUE(app_->InitInstance());
        ASSERT_NE(app_->Dialog(), nullptr);
    }
    void TearDown() override {
        if (app_) {
            app_->ExitInstance();
            app_.reset();
        }
        AfxTestScript::Enable(false);
        unsetenv("SUITE_TEMP_DIR");
        fs::remove_all(root_);
    }

    virtual void prepareScanner() { scantest::PrepareSaneTestDevice(root_ / "sane"); }
    CWnd* Dialog() { return app_->Dialog(); }
    // Picks the button at `index` of the list, as a click does.
    void Pick(int index) {
        NMLISTVIEW change{};
        change.hdr.code = LVN_ITEMCHANGED;
        change.hdr.idFrom = IDC_BUTTON_LIST;
        change.hdr.hwndFrom = Dialog()->GetDlgItem(IDC_BUTTON_LIST)->GetSafeHwnd();
        change.iItem = index;
        change.uNewState = LVIS_SELECTED;
        Dialog()->SendMessage(WM_NOTIFY, IDC_BUTTON_LIST, reinterpret_cast<LPARAM>(&change));
    }
    CWnd* Panel(int button) { return Dialog()->GetDlgItem(kPanelWindow + button); }
    // Types `text` into a setting of the button's panel.
    void Type(int button, int id, const std::string& text) {
        ASSERT_NE(Panel(button)->GetDlgItem(id), nullptr) << id;
        Panel(button)->SetDlgItemText(id, text.c_str());
    }
    // Chooses the item of a list setting whose text starts with `label`.
    void Choose(int button, int id, const std::string& label) {
        auto* combo = static_cast<CComboBox*>(Panel(button)->GetDlgItem(id));
        ASSERT_NE(combo, nullptr) << id;
        const int at = combo->FindString(-1, label.c_str());
        ASSERT_GE(at, 0) << label;
        combo->SetCurSel(at);
        Panel(button)->SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->GetSafeHwnd()));
    }
    void Tick(int button, int id, bool on) {
        CWnd* box = Panel(button)->GetDlgItem(id);
        ASSERT_NE(box, nullptr) << id;
        Panel(button)->CheckDlgButton(id, on ? BST_CHECKED : BST_UNCHECKED);
        Panel(button)->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(box->GetSafeHwnd()));
    }
    bool ApplyEnabled() { return Dialog()->GetDlgItem(IDC_APPLY)->IsWindowEnabled() != FALSE; }
    void Apply() { Dialog()->SendMessage(WM_COMMAND, IDC_APPLY, 0); }
    // A press of the button: its job runs to its end.
    void Press(int button) { Dialog()->SendMessage(WM_COMMAND, keyrider::ButtonCommandId(button), 0); }
    void Grab(const std::string& name) {
        if (const char* folder = std::getenv("KEYRIDER_GRAB_DIR"))
            Dialog()->GrabToFile((std::string(folder) + "/" + name + ".png").c_str());
    }

    fs::path root_;
    keyrider::MachineTreeOptions options_;
    std::unique_ptr<keyrider::CKeyriderApp> app_;
};

TEST_F(ButtonPanels, FilingAndPdfButtonsSetUpInTheirPanelsFileTheFeedersPages) {
    // Every kind of action has a panel of its own (grabbed for a look).
    const char* kinds[] = {"copy", "filing", "pdf", "e-mail", "custom", "ftp", "capture", "ocr", "card"};
    for (int i = 0; i < 9; ++i) {
        Pick(i);
        ASSERT_NE(Panel(i + 1), nullptr) << kinds[i];
        EXPECT_TRUE(Panel(i + 1)->IsWindowVisible()) << kinds[i];
        Grab(std::string("template-") + kinds[i]);
    }
    // Filing, button 2: a folder of its own, one multi-page TIFF, gray.
    const fs::path tiffs = root_ / "tiffs";
    Pick(1);
    ASSERT_TRUE(Panel(2)->IsWindowVisible());
    EXPECT_FALSE(ApplyEnabled());
    Type(2, kPanelFolder, tiffs.string());
    EXPECT_TRUE(ApplyEnabled());
    Choose(2, kPanelFormat, "Multi-page TIFF");
    Choose(2, kPanelResolution, "100 dpi");
    Grab("panel-filing");
    Apply();
    Press(2);
    std::vector<fs::path> files = FilesIn(tiffs);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].extension(), ".tif");
    TIFF* tiff = TIFFOpen(files[0].c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    EXPECT_EQ(TIFFNumberOfDirectories(tiff), 10);
    uint16_t samples = 0;
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    EXPECT_EQ(samples, 1);  // gray, as the panel says
    TIFFClose(tiff);

    // PDF, button 3: all pages in one PDF file made by the PDF library.
    const fs::path pdfs = root_ / "pdfs";
    Pick(2);
    EXPECT_FALSE(Panel(2)->IsWindowVisible());
    Type(3, kPanelFolder, pdfs.string());
    Choose(3, kPanelResolution, "100 dpi");
    Tick(3, kPanelSingleFile, true);
    Grab("panel-pdf");
    Apply();

    Press(3);
    files = FilesIn(pdfs);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(PdfPages(files[0], root_), 10);

    // Black and white, button 2 again: the pages stay 1-bit, as Group 4 fax pages.
    Pick(1);
    Choose(2, kPanelMode, "Black and white");
    Type(2, kPanelFolder, (root_ / "bw").string());
    Apply();
    Press(2);
    files = FilesIn(root_ / "bw");
    ASSERT_EQ(files.size(), 1u);
    tiff = TIFFOpen(files[0].c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    EXPECT_EQ(TIFFNumberOfDirectories(tiff), 10);
    uint16_t bits = 0, compression = 0;
    TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    EXPECT_EQ(bits, 1);
    EXPECT_EQ(compression, COMPRESSION_CCITTFAX4);
    TIFFClose(tiff);
}

TEST_F(ButtonPanels, CopyButtonPrintsOnThePrinterItsPanelNames) {
    const fs::path printed = root_ / "copy.pdf";
    setenv("SUITE_PRINT_PDF", printed.c_str(), 1);
    Pick(0);
    Choose(1, kPanelPrinter, "PDF File");
    Choose(1, kPanelResolution, "100 dpi");
    Type(1, kPanelCopies, "1");
    Grab("panel-copy");
    Apply();
    Press(1);
    unsetenv("SUITE_PRINT_PDF");
    EXPECT_EQ(PdfPages(printed, root_), 10);
}

void SetString(HKEY root, const std::string& path, const char* name, const std::string& value) {
    HKEY k = nullptr;
    RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(k);
}

TEST_F(ButtonPanels, MailAndFtpButtonsSendThePagesToLoopbackServers) {
    // E-mail, button 4: to an address, through the mail library's SMTP server.
    const fs::path inbox = root_ / "inbox", served = root_ / "served";
    fs::create_directories(inbox);
    fs::create_directories(served);
    keyridertest::Server smtp(SMTP_SERVER_SCRIPT, inbox), ftp(FTP_SERVER_SCRIPT, served);
    ASSERT_NE(smtp.port(), 0);
    ASSERT_NE(ftp.port(), 0);
    SetString(HKEY_CURRENT_USER, "Software\\Mapi32", "SMTP Server", "smtp://127.0.0.1:" + std::to_string(smtp.port()));
    SetString(HKEY_CURRENT_USER, "Software\\Mapi32", "From", "scanner@example.test");
    Pick(3);
    Type(4, kPanelMailTo, "desk@example.test");
    Type(4, kPanelMailSubject, "Pages of today");
    Choose(4, kPanelFormat, "Multi-page TIFF");
    Choose(4, kPanelResolution, "100 dpi");
    Grab("panel-e-mail");
    Apply();
    Press(4);
    const fs::path mail = inbox / "0";
    ASSERT_TRUE(fs::exists(mail / "envelope"));
    EXPECT_EQ(ReadAll(mail / "envelope"), "scanner@example.test\ndesk@example.test\nPages of today\n");
    std::vector<fs::path> attached;
    for (const fs::path& f : FilesIn(mail))
        if (f.filename() != "envelope") attached.push_back(f);
    ASSERT_EQ(attached.size(), 1u);
    TIFF* tiff = TIFFOpen(attached[0].c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    EXPECT_EQ(TIFFNumberOfDirectories(tiff), 10);
    TIFFClose(tiff);

    // FTP, button 6: every page a JPEG file in the server's folder.
    Pick(5);
    Type(6, kPanelHost, "127.0.0.1");
    Type(6, kPanelPort, std::to_string(ftp.port()));
    Type(6, kPanelUser, "scan");
    Type(6, kPanelPassword, "secret");
    Type(6, kPanelRemoteFolder, "/incoming");
    Choose(6, kPanelResolution, "100 dpi");
    Grab("panel-ftp");
    Apply();
    Press(6);
    const std::vector<fs::path> uploaded = FilesIn(served / "incoming");
    ASSERT_EQ(uploaded.size(), 10u);
    for (const fs::path& f : uploaded) EXPECT_EQ(f.extension(), ".jpg") << f;
    // Neither button has a folder of its own: nothing they sent stays behind.
    for (const fs::path& f : FilesIn(root_ / "tmp")) EXPECT_NE(f.filename().string().rfind("keyrider-job-", 0), 0u) << f;
}

TEST_F(ButtonPanels, AButtonWithoutItsFolderSaysWhatIsMissingAndScansNothing) {
    Pick(1);
    Type(2, kPanelFolder, "");
    Apply();
    Press(2);
    std::string shown;
    for (const AfxShownRecord& r : AfxTestScript::Shown()) shown += r.text + "\n";
    EXPECT_NE(shown.find("set the folder to save the pages in"), std::string::npos) << shown;
    EXPECT_TRUE(FilesIn(root_ / "Scans").empty());
}

// The width, height and page count of a TIFF file.
struct TiffShape {
    uint32_t width = 0, height = 0;
    int pages = 0;
};
TiffShape ShapeOf(const fs::path& file) {
    TiffShape shape;
    if (TIFF* tiff = TIFFOpen(file.c_str(), "r")) {
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &shape.width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &shape.height);
        shape.pages = TIFFNumberOfDirectories(tiff);
        TIFFClose(tiff);
    }
    return shape;
}

TEST_F(ButtonPanels, SerialNamesKeepAnExistingFileAndTheFrontIsTurnedAsThePanelSays) {
    const fs::path tiffs = root_ / "serial";
    Pick(1);
    Type(2, kPanelFolder, tiffs.string());
    // The panel offers only what means something with the format and the names chosen.
    CWnd* single = Panel(2)->GetDlgItem(kPanelSingleFile);
    Choose(2, kPanelFormat, "Image PDF (*.pdf)");
    EXPECT_TRUE(single->IsWindowVisible());
    Choose(2, kPanelFormat, "Multi-page TIFF");
    EXPECT_FALSE(single->IsWindowVisible());
    EXPECT_FALSE(Panel(2)->GetDlgItem(kPanelPrefix)->IsWindowEnabled());
    EXPECT_FALSE(Panel(2)->GetDlgItem(kPanelOverwrite)->IsWindowVisible());
    Tick(2, kPanelDateNames, false);
    EXPECT_TRUE(Panel(2)->GetDlgItem(kPanelPrefix)->IsWindowEnabled());
    EXPECT_TRUE(Panel(2)->GetDlgItem(kPanelOverwrite)->IsWindowVisible());
    EXPECT_EQ(Panel(2)->IsDlgButtonChecked(kPanelOverwrite), BST_CHECKED);
    Choose(2, kPanelResolution, "100 dpi");
    Grab("panel-filing-serial");
    Apply();
    Press(2);
    const TiffShape upright = ShapeOf(tiffs / "Image00.tif");
    ASSERT_EQ(upright.pages, 10);
    ASSERT_NE(upright.width, upright.height);

    // The next run's first name is taken. The job's own process has nobody to
    // ask here, so its question closes as No: the file stays, and the new one
    // bears the page's own number with the time after it.
    Choose(2, kPanelRotateFront, "A quarter right");
    Apply();
    Press(2);
    std::vector<fs::path> files = FilesIn(tiffs);
    ASSERT_EQ(files.size(), 2u);
    const fs::path stamped = files[0].filename() == "Image00.tif" ? files[1] : files[0];
    EXPECT_EQ(stamped.filename().string().rfind("Image00-", 0), 0u) << stamped;
    const TiffShape turned = ShapeOf(stamped);
    EXPECT_EQ(turned.pages, 10);
    EXPECT_EQ(turned.width, upright.height);
    EXPECT_EQ(turned.height, upright.width);
    EXPECT_EQ(ShapeOf(tiffs / "Image00.tif").width, upright.width);
}

TEST_F(ButtonPanels, CancelAfterATemplateSwitchGivesTheButtonItsOldTemplateAndEnterClosesNothing) {
    const fs::path typed = root_ / "typed";
    Pick(1);
    Type(2, kPanelFolder, typed.string());
    ASSERT_TRUE(ApplyEnabled());
    // Enter in a setting of the panel and in the list neither applies nor closes.
    CWnd* folder = Panel(2)->GetDlgItem(kPanelFolder);
    folder->SetFocus();
    AfxTestKey(folder, VK_RETURN);
    CWnd* list = Dialog()->GetDlgItem(IDC_BUTTON_LIST);
    list->SetFocus();
    AfxTestKey(list, VK_RETURN);
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(Dialog()->IsWindowVisible());
    EXPECT_TRUE(ApplyEnabled());
    // The filing button becomes an e-mail button, then Cancel.
    auto* combo = static_cast<CComboBox*>(Dialog()->GetDlgItem(IDC_TEMPLATE_COMBO));
    const int filing = combo->GetCurSel();
    const int mail = combo->FindString(-1, "E-mail");
    ASSERT_GE(mail, 0);
    combo->SetCurSel(mail);
    Dialog()->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEMPLATE_COMBO, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(combo->GetSafeHwnd()));
    ASSERT_NE(Panel(2)->GetDlgItem(kPanelMailTo), nullptr);
    Dialog()->SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(Dialog()->IsWindowVisible());
    // Opened again: the filing panel with the folder it had; a press files there.
    Dialog()->SendMessage(WM_COMMAND, ID_BUTTON_CONFIGURATION, 0);
    Pick(1);
    EXPECT_EQ(combo->GetCurSel(), filing);
    ASSERT_NE(Panel(2), nullptr);
    EXPECT_EQ(Panel(2)->GetDlgItem(kPanelMailTo), nullptr);
    CString shown;
    Panel(2)->GetDlgItemText(kPanelFolder, shown);
    EXPECT_EQ(shown.GetString(), options_.scanFolder);
    EXPECT_FALSE(ApplyEnabled());
    Press(2);
    EXPECT_FALSE(FilesIn(options_.scanFolder).empty());
    EXPECT_FALSE(fs::exists(typed));
}

// The feeder holds tilted sheets and a blank one.
class ButtonPanelsOnTiltedSheets : public ButtonPanels {
protected:
    void prepareScanner() override {
        const unsigned seed = std::random_device{}();
        std::printf("sheet seed %u\n", seed);
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> tilt(0.8, 4.5);
        fs::create_directories(root_ / "sheets");
        for (int i = 0; i < 4; ++i)
            scantest::WriteTurnedSheet(root_ / "sheets" / ("sheet" + std::to_string(i) + ".pgm"),
                                       i == 2 ? std::vector<BYTE>(std::size_t(scantest::kSheetWidth) * scantest::kSheetHeight, 255)
                                              : scantest::TextSheet(random),
                                       i % 2 ? -tilt(random) : tilt(random));
        scantest::PreparePageFeeder(root_ / "sane", root_ / "sheets");
    }
};

TEST_F(ButtonPanelsOnTiltedSheets, StraightenAndDropBlankPagesTickedInThePanelFileStraightPagesOnly) {
    const fs::path tiffs = root_ / "tiffs";
    Pick(1);
    Type(2, kPanelFolder, tiffs.string());
    Choose(2, kPanelFormat, "Multi-page TIFF");
    Tick(2, kPanelDeskew, true);
    Tick(2, kPanelDropBlank, true);
    Apply();
    Press(2);
    std::vector<fs::path> files = FilesIn(tiffs);
    ASSERT_EQ(files.size(), 1u);
    TIFF* tiff = TIFFOpen(files[0].c_str(), "r");
    ASSERT_NE(tiff, nullptr);
    EXPECT_EQ(TIFFNumberOfDirectories(tiff), 3);  // the blank sheet is gone
    int page = 0;
    do {
        uint32_t width = 0, height = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        std::vector<uint32_t> rgba(std::size_t(width) * height);
        ASSERT_TRUE(TIFFReadRGBAImageOriented(tiff, width, height, rgba.data(), ORIENTATION_TOPLEFT, 0));
        IL_IMAGEHEADER h{sizeof(IL_IMAGEHEADER), LONG(width), LONG(height), width, 8, 0, 150, 150};
        std::vector<BYTE> grey(rgba.size());
        for (std::size_t i = 0; i < rgba.size(); ++i) grey[i] = BYTE(TIFFGetG(rgba[i]));
        const double tilt = scantest::TextTilt(h, grey);
        EXPECT_LT(std::fabs(tilt), 0.1) << "page " << page;
        ++page;
    } while (TIFFReadDirectory(tiff));
    TIFFClose(tiff);
}

}  // namespace
