// The Confirm Prefix Name dialog: a prefix that cannot name files is refused
// with message 10 and the last good one comes back; the folder list keeps the
// chosen folder on top within its bound; OK hands back prefix and check box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "keyrider/confirm_prefix_dlg.h"
#include "keyrider/keyrider_ids.h"
#include "keyrider/save_name_dialog.h"
#include "platform/afx/ui/commdlg.h"
#include "platform/win/library.h"

namespace fs = std::filesystem;
using namespace keyrider;

namespace {

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("ConfirmPrefixTests") {}
    BOOL InitInstance() override { return TRUE; }
};
TestApp theTestApp;

TEST(ConfirmPrefixModel, RefusedPrefixesLeaveTheLastGoodOne) {
    ConfirmPrefixModel m("Image", "C:\\Scans");
    EXPECT_EQ(m.Folders(), std::vector<std::string>{"C:\\Scans\\"});
    EXPECT_FALSE(m.Edit("Ima/ge"));
    EXPECT_FALSE(m.Edit("a:b"));
    EXPECT_EQ(m.Prefix(), "Image");
    EXPECT_TRUE(m.Edit("Invoice "));
    EXPECT_EQ(m.Prefix(), "Invoice ");
    // A stored prefix that could not name files does not come in.
    EXPECT_EQ(ConfirmPrefixModel("..\\up", "").Prefix(), "");
}

TEST(ConfirmPrefixModel, TheChosenFolderGoesOnTopOnceWithinTheBound) {
    ConfirmPrefixModel m("Image", "C:\\Scans\\");
    for (int i = 0; i < 15; ++i) m.ChooseFolder("C:\\F" + std::to_string(i));
    EXPECT_EQ(m.Folders().size(), ConfirmPrefixModel::kMaxFolders);
    EXPECT_EQ(m.Folders().front(), "C:\\F14\\");
    m.ChooseFolder("c:\\f10\\");
    EXPECT_EQ(m.Folders().front(), "c:\\f10\\");
    EXPECT_EQ(std::count_if(m.Folders().begin(), m.Folders().end(),
                            [](const std::string& f) { return f == "C:\\F10\\"; }),
              0);
}

TEST(ConfirmPrefixDialog, ASlashIsRefusedWithMessage10AndOkTakesTheRest) {
    AfxWinInit();
    const std::string bin = fs::path(suite::ModuleNativePath(GetModuleHandleA(nullptr))).parent_path().string();
    HMODULE resources = LoadLibraryA((bin + "/KeyriderRes.dll").c_str());
    ASSERT_NE(resources, nullptr);
    AfxSetResourceHandle(resources);
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    static std::string afterSlash;
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            dialog->SetDlgItemText(IDC_PREFIX_EDIT, "Scan/2026");
            CString text;
            dialog->GetDlgItemText(IDC_PREFIX_EDIT, text);
            afterSlash = text.GetString();
            dialog->SetDlgItemText(IDC_PREFIX_EDIT, "Scan 2026 ");
            dialog->CheckDlgButton(IDC_PREFIX_ASK, BST_UNCHECKED);
            if (const char* grab = std::getenv("KEYRIDER_GRAB_DIR"))
                dialog->GrabToFile((std::string(grab) + "/confirm_prefix.png").c_str());
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDOK);  // the box of message 10
    AfxTestScript::QueueAnswer(IDOK);  // the dialog
    ConfirmPrefixModel model("Image", "/tmp/scans");
    CConfirmPrefixDlg dialog(model, "The prefix cannot hold \\ / : * ? \" < > | , ;", "Keyrider");
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(afterSlash, "Image");
    EXPECT_EQ(model.Prefix(), "Scan 2026 ");
    EXPECT_FALSE(model.keepAsking);
    bool message10 = false;
    for (const AfxShownRecord& r : AfxTestScript::Shown())
        if (r.kind == "message" && r.text.find("cannot hold") != std::string::npos) message10 = true;
    EXPECT_TRUE(message10);
    AfxTestScript::Enable(false);
    AfxSetResourceHandle(nullptr);
    FreeLibrary(resources);
}

// The save-file dialog of "Prompt for Filename": where it starts, the
// filter of the format, and what a choice or Cancel gives back.
TEST(SaveNameDialog, StartsInTheFolderWithTheFormatsFilterAndHandsBackTheChoice) {
    AfxWinInit();
    EXPECT_EQ(SaveDialogFilter("jpg"), "JPEG File (*.jpg)|*.jpg||");
    EXPECT_EQ(SaveDialogFilter("PDF"), "Image Only PDF (*.pdf)|*.pdf||");
    EXPECT_EQ(SaveDialogFilter("tif"), "Tagged Image File Format (*.tif)|*.tif||");
    EXPECT_EQ(SaveDialogFilter(""), "");
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    AfxTestScript::QueueFile("/tmp/scans/letter.jpg");
    std::string path = "/tmp/scans/";
    EXPECT_TRUE(AskSaveName(path, "jpg", nullptr));
    EXPECT_EQ(path, "/tmp/scans/letter.jpg");
    ASSERT_EQ(AfxTestScript::Shown().size(), 1u);
    const AfxShownRecord shown = AfxTestScript::Shown()[0];
    EXPECT_EQ(shown.kind, "file");
    EXPECT_EQ(shown.folder.rfind("/tmp/scans", 0), 0u) << shown.folder;
    const DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    EXPECT_EQ(shown.type & flags, flags);
    EXPECT_EQ(shown.name, "");
    AfxTestScript::QueueFile("");
    path = "/tmp/scans/old.pdf";
    EXPECT_FALSE(AskSaveName(path, "pdf", nullptr));
    EXPECT_EQ(AfxTestScript::Shown().back().name, "old.pdf");
    AfxTestScript::Enable(false);
}

}  // namespace
