// The folder browser of the program: the framework's folder dialog with an
// edit box of its own above the folders, in which the user may also type a
// folder; OK checks the typed folder (CBrowseFolderController) and offers to
// create a missing one. The window side only: every decision is the
// controller's.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "shell/dialogs/browse_folder_controller.h"

#define IDC_BROWSE_FOLDER_EDIT 14148

class CBrowseFolderDlg {
public:
    CBrowseFolderDlg(std::string title, std::string prompt, std::string startFolder, CWnd* owner);
    // 1 when a folder was chosen, -1 otherwise.
    int DoModal();
    const std::string& GetFolderPath() const { return path_; }

    // The user's answer to the creation question (a yes/no message box unless replaced).
    CBrowseFolderController::AskFn ask;

private:
    static int Callback(HWND dialog, UINT message, LPARAM data, LPARAM self);
    void onInitialized(HWND dialog);
    void onSelectionChanged(HWND dialog, const char* path);
    int onOk(HWND dialog);

    std::string title_, prompt_, start_;
    CWnd* owner_;
    std::string path_;
    bool chosen_ = false;
    CEdit* edit_ = nullptr;
};
