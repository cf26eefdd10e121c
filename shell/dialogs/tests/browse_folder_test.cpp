// The folder browser: its check of a typed folder (drive roots, invalid
// names, creation asked for, refused and failing, over-long text), the
// choice of a selected folder, and the window over the framework's folder
// dialog driven by the test script.
#include "shell/frame/tests/chrome_fixture.h"
#include "shell/dialogs/browse_folder_dlg.h"
#include "shell/dialogs/tests/dialog_test_fixture.h"

#include <filesystem>
#include <fstream>

#include "platform/win/codepage.h"
#include "platform/win/path.h"

namespace {

namespace fs = std::filesystem;
using Controller = CBrowseFolderController;

class BrowseFolder : public ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/browse-XXXXXX";
        root_ = mkdtemp(pattern.data());
        fs::create_directories(root_ / "drive_c");
        setenv("SUITE_DRIVE_C", (root_ / "drive_c").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("SUITE_DRIVE_C");
        std::error_code ec;
        fs::permissions(root_, fs::perms::owner_all, ec);
        fs::remove_all(root_, ec);
        ShellDialogTest::TearDown();
    }
    // The Windows form of a folder below the scratch root.
    std::string Under(const std::string& relative) { return suite::WindowsPath((root_ / relative).string()); }
    int Check(const std::string& typed, bool answer = true) {
        asked_.clear();
        return Controller::CheckFolder(
            typed,
            [&](const std::string& question) {
                asked_ = question;
                return answer;
            },
            path_, message_);
    }

    fs::path root_;
    std::string asked_, path_, message_;
};

TEST_F(BrowseFolder, ADriveRootIsTakenWithoutAQuestion) {
    EXPECT_EQ(Check("C:\\"), Controller::kFolderReady);
    EXPECT_EQ(path_, "C:\\");
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(Check("C:"), Controller::kFolderInvalid) << "too short";
    EXPECT_EQ(Check("1:\\x"), Controller::kFolderInvalid);
    EXPECT_EQ(Check("relative\\folder"), Controller::kFolderInvalid);
}

TEST_F(BrowseFolder, BadNamesAreInvalidWithTheirMessage) {
    for (const std::string& bad : {std::string("C:\\data\\old."), std::string("C:\\data\\\\old"),
                                   std::string("C:\\da*ta"), std::string("C:\\da?ta"), std::string("C:\\ data"),
                                   std::string("C:\\data\\tab\t"), std::string("C:\\a\\b\\\\")}) {
        EXPECT_EQ(Check(bad), Controller::kFolderInvalid) << bad;
        EXPECT_EQ(message_, "The folder:\n\n" + bad + "\n\nis invalid. Please reenter.") << bad;
        EXPECT_TRUE(asked_.empty()) << bad;
    }
    // A double-byte character whose second byte is a backslash is one name.
    EXPECT_TRUE(Controller::HasValidParts("C:\\\xB1\x5C\\x"));
}

TEST_F(BrowseFolder, AMissingFolderIsCreatedLevelByLevelOnlyWhenTheUserAgrees) {
    const std::string wanted = Under("new\\deeper\\leaf");
    EXPECT_EQ(Check(wanted, false), Controller::kFolderDeclined);
    EXPECT_TRUE(message_.empty());
    EXPECT_EQ(asked_, "The folder:\n\n" + wanted + "\n\ndoes not exist. Do you want the folder to be created?");
    EXPECT_FALSE(fs::exists(root_ / "new"));

    EXPECT_EQ(Check(wanted + "\\", true), Controller::kFolderReady);
    EXPECT_EQ(path_, wanted);
    EXPECT_TRUE(fs::is_directory(root_ / "new" / "deeper" / "leaf"));
    // Now it exists: no question.
    EXPECT_EQ(Check(wanted), Controller::kFolderReady);
    EXPECT_TRUE(asked_.empty());
}

TEST_F(BrowseFolder, AFolderThatCannotBeMadeIsReported) {
    std::ofstream(root_ / "afile") << "in the way";
    const std::string wanted = Under("afile\\sub");
    EXPECT_EQ(Check(wanted, true), Controller::kFolderNotCreated);
    EXPECT_EQ(message_, "The folder:\n\n" + wanted + "\n\ncan not be created. Please double check.");
}

TEST_F(BrowseFolder, TextLongerThanTheFolderFieldIsRefusedNotCut) {
    std::string longer = "C:\\";
    while (longer.size() <= Controller::kMaxPath) longer += "abcdefghi\\";
    longer.pop_back();
    EXPECT_EQ(Check(longer), Controller::kFolderInvalid);
    EXPECT_TRUE(asked_.empty());
    EXPECT_FALSE(fs::exists(root_ / "drive_c" / "abcdefghi"));
}

TEST_F(BrowseFolder, OnlyFoldersOnADriveCanBeChosen) {
    const auto onDrive = Controller::Select("D:\\scans");
    EXPECT_TRUE(onDrive.okEnabled);
    EXPECT_EQ(onDrive.shown, "D:\\scans");
    const auto native = Controller::Select(root_.string());
    EXPECT_TRUE(native.okEnabled) << "a native absolute folder lies on a mapped drive";
    EXPECT_EQ(native.shown, suite::WindowsPath(root_.string()));
    for (const char* network : {"\\\\server\\share", "", "scans"}) {
        const auto s = Controller::Select(network);
        EXPECT_FALSE(s.okEnabled) << network;
        EXPECT_TRUE(s.shown.empty()) << network;
    }
    EXPECT_FALSE(Controller::OkEnabledForText(""));
    EXPECT_TRUE(Controller::OkEnabledForText("C"));
}

struct Typed {
    std::string text;
};

void TypeFolder(CWnd* dialog, void* typed) {
    dialog->SetDlgItemText(IDC_BROWSE_FOLDER_EDIT, static_cast<Typed*>(typed)->text.c_str());
}

TEST_F(BrowseFolder, TheWindowShowsTheSelectionInItsEditAndChecksWhatIsTypedOnOk) {
    fs::create_directories(root_ / "picked");
    // The selection: the edit box shows it; OK takes it.
    AfxTestScript::QueueFile(Under("picked"));
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) { dialog->GrabToFile(chrometest::GrabPath("browse_folder.png").c_str()); }, nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    CBrowseFolderDlg chooser(suite::Utf8ToAnsi("浏览文件夹"), suite::Utf8ToAnsi("选择保存图像的文件夹"), Under(""), nullptr);
    EXPECT_EQ(chooser.DoModal(), 1);
    EXPECT_EQ(chooser.GetFolderPath(), Under("picked"));

    // A typed invalid folder keeps the dialog (the script then cancels it).
    Typed bad{Under("x\\bad.")};
    AfxTestScript::QueueDialogAction(TypeFolder, &bad);
    AfxTestScript::QueueAnswer(IDOK);
    CBrowseFolderDlg refused("", "", "", nullptr);
    EXPECT_EQ(refused.DoModal(), -1);
    ASSERT_FALSE(Messages().empty());
    EXPECT_NE(Messages().back().find("is invalid"), std::string::npos);

    // A typed missing folder, created after Yes.
    Typed fresh{Under("made\\here")};
    AfxTestScript::QueueDialogAction(TypeFolder, &fresh);
    AfxTestScript::QueueAnswer(IDOK);
    CBrowseFolderDlg created("", "", "", nullptr);
    created.ask = [](const std::string&) { return true; };
    EXPECT_EQ(created.DoModal(), 1);
    EXPECT_EQ(created.GetFolderPath(), fresh.text);
    EXPECT_TRUE(fs::is_directory(root_ / "made" / "here"));
}

}  // namespace
