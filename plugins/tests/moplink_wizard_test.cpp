// The wizard of the DDE export plug-in in the host's window with a tree: its
// pages, the summary items, the input states it posts and its refusals.
#include <cstdlib>
#include <filesystem>
#include <map>

#include "plugins/tests/moplink_host.h"

namespace {

using namespace moplink_test;

std::vector<std::string> Children(CTreeCtrl& tree, HTREEITEM item) {
    std::vector<std::string> out;
    for (HTREEITEM c = tree.GetChildItem(item); c; c = tree.GetNextSiblingItem(c))
        out.emplace_back(static_cast<LPCSTR>(tree.GetItemText(c)));
    return out;
}

std::vector<std::string> Roots(CTreeCtrl& tree) {
    std::vector<std::string> out;
    for (HTREEITEM c = tree.GetRootItem(); c; c = tree.GetNextSiblingItem(c))
        out.emplace_back(static_cast<LPCSTR>(tree.GetItemText(c)));
    return out;
}

std::string TextOf(CWnd* page, int id) {
    CString text;
    page->GetDlgItemText(id, text);
    return static_cast<LPCSTR>(text);
}

bool EnabledOf(CWnd* page, int id) { return page->GetDlgItem(id)->IsWindowEnabled() != FALSE; }

// What a person's click does: the control's state, then its notification.
void Click(CWnd* page, int id, bool check = true) {
    CWnd* control = page->GetDlgItem(id);
    page->CheckDlgButton(id, check ? BST_CHECKED : BST_UNCHECKED);
    page->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control->GetSafeHwnd()));
}

void Choose(CWnd* page, int id, int index) {
    auto* combo = static_cast<CComboBox*>(page->GetDlgItem(id));
    combo->SetCurSel(index);
    page->SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->GetSafeHwnd()));
}

std::vector<std::string> ListOf(CWnd* page) {
    auto* list = static_cast<CListCtrl*>(page->GetDlgItem(1308));
    std::vector<std::string> out;
    for (int i = 0; i < list->GetItemCount(); ++i) out.emplace_back(static_cast<LPCSTR>(list->GetItemText(i, 0)));
    return out;
}

void CheckRows(CWnd* page, std::initializer_list<int> rows) {
    auto* list = static_cast<CListCtrl*>(page->GetDlgItem(1308));
    for (int row : rows) list->SetCheck(row, TRUE);
}

// The registry values of a key, as text.
std::map<std::string, std::string> ValuesOf(HKEY key) {
    std::map<std::string, std::string> out;
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[1024];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        out[name] = type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data))
                                      : std::string(reinterpret_cast<char*>(data));
    }
    return out;
}

class MoplinkWizard : public MoplinkHost {
protected:
    void SetUp() override {
        MoplinkHost::SetUp();
        Install("V10");
        ASSERT_TRUE(wizard.CreateEx(0, "HostWizard", "Export Wizard", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 880, 420,
                                    nullptr, nullptr));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASLINES, CRect(0, 0, 280, 400), &wizard, 100));
        store = RegisterWindowMessage(kExportMessageName);
    }
    void TearDown() override {
        wizard.DestroyWindow();
        MoplinkHost::TearDown();
    }
    const OCREXPORT_INTERFACE* Ready(const std::string& file = plugin_test::PluginFile("Moplink")) {
        const OCREXPORT_INTERFACE* t = Load(file);
        OCREXPORT_INFO info{};
        if (t) t->OcrExportGetInfo(host.get(), &info);
        return info.bFound ? t : nullptr;
    }
    CWnd* Start(const OCREXPORT_INTERFACE* t, UINT code, const char* label) {
        formatItem = tree.InsertItem(label);
        CWnd* page = t->OcrExportWizardStart(&tree, &formatItem, &summary, &wizard, &hasNext, code);
        if (page) page->MoveWindow(290, 0, 580, 400);
        return page;
    }
    CWnd* Next(const OCREXPORT_INTERFACE* t) {
        HTREEITEM left = summary;
        CWnd* page = t->OcrExportWizardNext(&tree, &left, &summary, 0, &hasNext);
        lastSummarised = left;
        if (page) page->MoveWindow(290, 0, 580, 400);
        return page;
    }
    LRESULT Store(CWnd* page) { return page->SendMessage(store, kExportStore, 0); }
    // The page as a picture, kept where $PLUGIN_GRAB_DIR says.
    void Grab(CWnd* page, const std::string& name) {
        AfxPumpMessages();
        std::string file = world.scratch / (name + ".png");
        ASSERT_TRUE(wizard.GrabToFile(file.c_str()));
        EXPECT_GT(std::filesystem::file_size(file), 1000u);
        if (const char* keep = std::getenv("PLUGIN_GRAB_DIR"))
            std::filesystem::copy_file(file, std::string(keep) + "/" + name + ".png",
                                       std::filesystem::copy_options::overwrite_existing);
        (void)page;
    }

    HostWizard wizard;
    CTreeCtrl tree;
    HTREEITEM formatItem = nullptr, summary = nullptr, lastSummarised = nullptr;
    int hasNext = -1;
    UINT store = 0;
};

TEST_F(MoplinkWizard, HtmlRunsStartNextFinishWithItsSummaryAndOutputPage) {
    const OCREXPORT_INTERFACE* t = Ready();
    ASSERT_NE(t, nullptr);
    CWnd* page = Start(t, kFormatHtml, "HTML");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(hasNext, 1);
    EXPECT_EQ(Roots(tree), (std::vector<std::string>{"HTML", "OCR Options"}));
    EXPECT_EQ(Children(tree, formatItem), (std::vector<std::string>{"HTML (*.htm)"}));
    // Group a without Thai (its file is missing), then b and c; English chosen.
    auto* combo = static_cast<CComboBox*>(page->GetDlgItem(1307));
    EXPECT_EQ(combo->GetCount(), 8);
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(ListOf(page), (std::vector<std::string>{"German", "French", "Italian", "Spanish", "Greek"}));
    Choose(page, 1307, 5);  // Chinese, of group b
    EXPECT_EQ(ListOf(page), (std::vector<std::string>{"English", "German", "French", "Italian", "Spanish", "Japanese"}));
    Choose(page, 1307, 1);  // German
    EXPECT_EQ(ListOf(page), (std::vector<std::string>{"English", "French", "Italian", "Spanish", "Greek"}));
    CheckRows(page, {1, 4});
    Click(page, 1310, false);
    Grab(page, "moplink_page_271_ocr_settings");
    ASSERT_EQ(Store(page), 1);
    page = Next(t);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(hasNext, 0);
    EXPECT_EQ(Children(tree, lastSummarised),
              (std::vector<std::string>{"Detect Paper Orientation: On", "Page Deskwing: Off", "Primary Language: German",
                                        "Secondary Languages: French,Greek"}));
    EXPECT_EQ(Roots(tree), (std::vector<std::string>{"HTML", "OCR Options", "Output Options"}));
    // The text save page starts empty and incomplete; "Browse..." completes it.
    EXPECT_TRUE(WaitFor([&] { return !wizard.states.empty(); }, 2000));
    EXPECT_EQ(wizard.states.back(), 0);
    EXPECT_EQ(TextOf(page, 1270), "");
    AfxTestScript::QueueFile(Out("result"));
    Click(page, 1271);
    EXPECT_EQ(TextOf(page, 1270), Out("result.htm"));
    EXPECT_TRUE(WaitFor([&] { return wizard.states.back() == 1; }, 2000));
    Grab(page, "moplink_page_274_text_save");
    ASSERT_EQ(Store(page), 1);
    EXPECT_EQ(page->SendMessage(store, 1302, 0), 0);  // any other request: 0
    EXPECT_EQ(Next(t), nullptr);
    t->OcrExportWizardFinish();
    suite::RegKey html(host.get(), "Moplink\\Html");
    auto values = ValuesOf(html.get());
    EXPECT_EQ(values["Primary Language ID"], "2");
    EXPECT_EQ(values["Extra Language"], "2,3,20");
    EXPECT_EQ(values["Page Deskewing"], "0");
    EXPECT_EQ(values.count("File Name"), 0u);

    CStringArray files;
    files.Add("C:\\s\\1.tif");
    t->OcrExportRun(files, kFormatHtml);
    PeerGone();
    EXPECT_EQ(Starting("[OUTPUT]"), (std::vector<std::string>{"[OUTPUT](" + Out("result.htm") + ",NEW)"}));
    EXPECT_TRUE(Starting("[LANGUAGE").empty());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Export finished!"}));
}

TEST_F(MoplinkWizard, TextAndRtfScriptsReachThePeer) {
    const OCREXPORT_INTERFACE* t = Ready();
    ASSERT_NE(t, nullptr);
    struct Case {
        UINT code;
        const char* format;
        const char* file;
    };
    for (const Case& c : {Case{kFormatText, "[FMTTEXT](14,1,0)", "plain.txt"},
                          Case{kFormatRtf, "[FMTTEXT](29,1,0)", "rich.rtf"}}) {
        SCOPED_TRACE(c.format);
        CWnd* page = Start(t, c.code, c.format);
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(Store(page), 1);
        page = Next(t);
        ASSERT_NE(page, nullptr);
        page->SetDlgItemText(1270, Out(c.file).c_str());
        ASSERT_EQ(Store(page), 1);
        t->OcrExportWizardFinish();
        std::remove(record().c_str());
        AfxTestScript::Clear();
        CStringArray files;
        files.Add("C:\\s\\1.tif");
        t->OcrExportRun(files, c.code);
        PeerGone();
        std::vector<std::string> commands = Commands();
        ASSERT_GE(commands.size(), 4u);
        EXPECT_EQ(commands[1], c.format);
        EXPECT_EQ(commands[2], c.format);
        EXPECT_EQ(commands[3], "[PAGEANALYSIS](ON)");
        EXPECT_EQ(Starting("[OUTPUT]"), (std::vector<std::string>{"[OUTPUT](" + Out(c.file) + ",NEW)"}));
        EXPECT_EQ(Starting("[OCR]").size(), 1u);
        EXPECT_TRUE(OutExists(c.file));
        EXPECT_EQ(Messages(), (std::vector<std::string>{"Export finished!"}));
    }
}

TEST_F(MoplinkWizard, PdfTextRunsThroughItsThreePages) {
    const OCREXPORT_INTERFACE* t = Ready();
    ASSERT_NE(t, nullptr);
    CWnd* page = Start(t, kFormatPdfText, "PDF Text");
    ASSERT_NE(page, nullptr);
    Click(page, 1306);  // numeric
    EXPECT_FALSE(EnabledOf(page, 1307));
    EXPECT_FALSE(EnabledOf(page, 1308));
    Click(page, 1306, false);
    EXPECT_TRUE(EnabledOf(page, 1307));
    Click(page, 1306);
    ASSERT_EQ(Store(page), 1);
    page = Next(t);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(hasNext, 1);
    EXPECT_EQ(Children(tree, lastSummarised), (std::vector<std::string>{"Detect Paper Orientation: On",
                                                                        "Page Deskwing: On", "Primary Language: Digits"}));
    EXPECT_EQ(Roots(tree).back(), "PDF Options");

    // Graphics are off for PDF Text: their settings wait for them.
    EXPECT_TRUE(EnabledOf(page, 1295));
    for (int id : {1298, 1300, 1301, 1314, 1243}) EXPECT_FALSE(EnabledOf(page, id)) << id;
    Click(page, 1295);
    for (int id : {1298, 1300, 1301, 1243}) EXPECT_TRUE(EnabledOf(page, id)) << id;
    EXPECT_FALSE(EnabledOf(page, 1314));
    page->CheckRadioButton(1300, 1301, 1301);
    Click(page, 1301);
    EXPECT_TRUE(EnabledOf(page, 1314));
    Click(page, 1298);
    EXPECT_FALSE(EnabledOf(page, 1243));
    Click(page, 1298, false);
    page->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINELEFT, 0), reinterpret_cast<LPARAM>(page->GetDlgItem(1243)->GetSafeHwnd()));
    EXPECT_EQ(TextOf(page, 1223), "7");
    page->SetDlgItemText(1314, "20");
    EXPECT_EQ(Store(page), 0);
    ASSERT_FALSE(Messages().empty());
    EXPECT_NE(Messages().back().find("between 50 and 300"), std::string::npos);
    page->SetDlgItemText(1314, "200");
    Grab(page, "moplink_page_272_pdf_options");
    ASSERT_EQ(Store(page), 1);
    page = Next(t);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(hasNext, 0);
    EXPECT_EQ(Children(tree, lastSummarised),
              (std::vector<std::string>{"Retain colors of text: On", "Create bookmarks: On", "Include Graphics: On",
                                        "Convert to B&W Graphics: Off", "Retain original image resolution: Off",
                                        "Maximum Resolution: 200", "Image Quality: 7%"}));

    // The save page: combining wants a path; automatic names want their fields.
    EXPECT_TRUE(EnabledOf(page, 1280));
    EXPECT_FALSE(EnabledOf(page, 1111));
    EXPECT_FALSE(EnabledOf(page, 1315));
    EXPECT_TRUE(WaitFor([&] { return !wizard.states.empty(); }, 2000));
    EXPECT_EQ(wizard.states.back(), 0);
    page->CheckRadioButton(1285, 1286, 1286);
    Click(page, 1286);
    page->CheckRadioButton(1111, 1112, 1112);
    Click(page, 1112);
    EXPECT_TRUE(EnabledOf(page, 1315));
    EXPECT_FALSE(EnabledOf(page, 1280));
    AfxPumpMessages();
    EXPECT_EQ(wizard.states.back(), 0);  // no folder yet
    EXPECT_EQ(TextOf(page, 1305), "Example:");
    AfxTestScript::QueueFile(suite::WindowsPath(world.scratch / "out"));
    Click(page, 1116);
    EXPECT_EQ(TextOf(page, 1315), Out(""));
    page->SetDlgItemText(1117, "scan");
    AfxPumpMessages();
    EXPECT_EQ(wizard.states.back(), 1);
    EXPECT_EQ(TextOf(page, 1305), "Example: scan0001.pdf; scan0002.pdf");
    page->SetDlgItemText(1311, "9999");
    EXPECT_EQ(TextOf(page, 1305), "Example: scan9999.pdf; ########");
    page->SetDlgItemText(1311, "10000");
    EXPECT_EQ(TextOf(page, 1311), "9999");
    Grab(page, "moplink_page_275_pdf_save");
    ASSERT_EQ(Store(page), 1);
    t->OcrExportWizardFinish();
    suite::RegKey pdf(host.get(), "Moplink\\PDF Text Only");
    auto values = ValuesOf(pdf.get());
    EXPECT_EQ(values.size(), 18u);
    EXPECT_EQ(values["Primary Language ID"], "0");
    EXPECT_EQ(values["Extra Language"], "1,26");
    EXPECT_EQ(values["Max Graphic DPI"], "200");
    EXPECT_EQ(values["Output Method"], "1");
    EXPECT_EQ(values["Folder"], Out(""));
}

TEST_F(MoplinkWizard, FiveSecondariesAreRefusedAndPdfImageKeepsItsThreePages) {
    const OCREXPORT_INTERFACE* t = Ready();
    ASSERT_NE(t, nullptr);
    CWnd* page = Start(t, kFormatRtf, "RTF");
    ASSERT_NE(page, nullptr);
    CheckRows(page, {0, 1, 2, 3, 4});
    EXPECT_EQ(Store(page), 0);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("Up to 4 secondary languages can be selected.", 0), 0u);
    EXPECT_TRUE(::IsWindow(page->GetSafeHwnd()));
    t->OcrExportWizardCancel();

    page = Start(t, kFormatPdfImage, "PDF Image");
    ASSERT_NE(page, nullptr);
    for (int id : {1306, 1307, 1308}) EXPECT_FALSE(EnabledOf(page, id)) << id;
    page = Next(t);
    ASSERT_NE(page, nullptr);
    for (int id : {1295, 1296, 1297}) EXPECT_FALSE(EnabledOf(page, id)) << id;
    EXPECT_TRUE(EnabledOf(page, 1298));
    page = Next(t);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(hasNext, 0);
    t->OcrExportWizardCancel();
    // Cancel writes nothing.
    suite::RegKey image(host.get(), "Moplink\\PDF Image Only");
    EXPECT_FALSE(image);
}

TEST_F(MoplinkWizard, FinishThenReloadGivesEqualSettingsAlsoWithoutTheResourceLibrary) {
    HKEY k = SettingsKey("PDF Text Only");
    SetString(k, "File Name", Out("all.pdf"));
    SetDword(k, "Primary Language ID", 3);
    SetString(k, "Extra Language", "2,1,20");
    SetDword(k, "Include Graphics", 1);
    SetDword(k, "Keep Original Resolution", 0);
    SetDword(k, "Max Graphic DPI", 120);
    SetDword(k, "Image Quality", 4);
    const OCREXPORT_INTERFACE* first = Ready();
    ASSERT_NE(first, nullptr);
    auto walk = [&](const OCREXPORT_INTERFACE* t) {
        CWnd* page = Start(t, kFormatPdfText, "PDF Text");
        ASSERT_NE(page, nullptr);
        for (int step = 0; step < 3; ++step) {
            ASSERT_NE(page, nullptr);
            if (step == 2) page->SetDlgItemText(1280, Out("all.pdf").c_str());
            ASSERT_EQ(Store(page), 1) << step;
            if (step < 2) page = Next(t);
        }
        t->OcrExportWizardFinish();
    };
    walk(first);
    suite::RegKey pdf(host.get(), "Moplink\\PDF Text Only");
    auto saved = ValuesOf(pdf.get());
    EXPECT_EQ(saved["Max Graphic DPI"], "120");
    EXPECT_EQ(saved["Extra Language"], "2,1,20");
    CStringArray files;
    files.Add("C:\\s\\1.tif");
    first->OcrExportRun(files, kFormatPdfText);
    PeerGone();
    std::vector<std::string> firstScript = Commands();
    std::remove(record().c_str());

    // A second copy of the plug-in, alone in its folder: its own resources serve.
    std::filesystem::create_directories(world.scratch / "alone");
    std::filesystem::copy_file(plugin_test::PluginFile("Moplink"), world.scratch / "alone/libMoplink.so");
    const OCREXPORT_INTERFACE* second = Ready(world.scratch / "alone/libMoplink.so");
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    OCREXPORT_INFO a{}, b{};
    first->OcrExportGetInfo(host.get(), &a);
    second->OcrExportGetInfo(host.get(), &b);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    walk(second);
    EXPECT_EQ(ValuesOf(pdf.get()), saved);
    second->OcrExportRun(files, kFormatPdfText);
    PeerGone();
    EXPECT_EQ(Commands(), firstScript);
    EXPECT_GT(firstScript.size(), 15u);
}

}  // namespace
