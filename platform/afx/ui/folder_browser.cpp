#include "platform/afx/ui/folder_browser.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/win/codepage.h"
#include "platform/win/path.h"

namespace afx_detail {
namespace {

namespace fs = std::filesystem;

constexpr WORD kPromptId = 14146;
constexpr WORD kStatusId = 14147;
constexpr WORD kFoldersId = 14145;

CDialogTemplate browserTemplate(const BROWSEINFO& info) {
    CDialogTemplate t;
    t.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.cx = 240;
    t.cy = 224;
    t.caption = "Browse for Folder";
    auto item = [&](WORD id, const char* cls, const char* text, DWORD style, SHORT x, SHORT y, SHORT cx, SHORT cy) {
        CDialogItemTemplate i;
        i.id = id;
        i.className = cls;
        i.text = text;
        i.style = WS_CHILD | WS_VISIBLE | style;
        i.x = x;
        i.y = y;
        i.cx = cx;
        i.cy = cy;
        t.items.push_back(i);
    };
    item(kPromptId, "Static", info.lpszTitle ? info.lpszTitle : "", 0, 7, 6, 226, 16);
    if (info.ulFlags & BIF_STATUSTEXT) item(kStatusId, "Static", "", 0, 7, 24, 226, 10);
    // The strip between the status line and the folders is left free for
    // controls the caller adds.
    item(kFoldersId, "ListBox", "", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 7, 56, 226, 140);
    item(IDOK, "Button", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 129, 203, 50, 14);
    item(IDCANCEL, "Button", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 183, 203, 50, 14);
    return t;
}

class CFolderBrowserDlg : public CDialog {
public:
    explicit CFolderBrowserDlg(BROWSEINFO& info) : info_(info) {
        m_template = browserTemplate(info);
        m_pParentWnd = CWnd::FromHandlePermanent(info.hwndOwner);
    }

    std::string chosen;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        std::error_code ec;
        showFolder(fs::current_path(ec).string());
        callBack(BFFM_INITIALIZED, 0);
        std::vector<std::string> scripted;
        if (AfxTestScript::Enabled() && AfxTestScript::TakeFiles(&scripted) && !scripted.empty())
            SendMessage(BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(scripted[0].c_str()));
        return TRUE;
    }

    void OnOK() override {
        // The caller's own check of the choice (a nonzero answer keeps the dialog).
        if (callBack(BFFM_OKPRESSED, reinterpret_cast<LPARAM>(selected_.c_str())) != 0) return;
        chosen = selected_;
        CDialog::OnOK();
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case BFFM_SETSTATUSTEXTA:
            SetDlgItemText(kStatusId, reinterpret_cast<const char*>(lParam));
            return 0;
        case BFFM_ENABLEOK:
            if (CWnd* ok = GetDlgItem(IDOK)) ok->EnableWindow(lParam != 0);
            return 0;
        case BFFM_SETSELECTIONA:
            if (lParam) select(reinterpret_cast<const char*>(lParam), true);
            return 0;
        default:
            break;
        }
        if (message == WM_COMMAND && LOWORD(wParam) == kFoldersId) {
            if (HIWORD(wParam) == LBN_SELCHANGE) onListSelection(false);
            else if (HIWORD(wParam) == LBN_DBLCLK) onListSelection(true);
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }

private:
    int callBack(UINT message, LPARAM data) {
        return info_.lpfn ? info_.lpfn(m_hWnd, message, data, info_.lParam) : 0;
    }

    CListBox* folders() { return static_cast<CListBox*>(GetDlgItem(kFoldersId)); }

    // Lists ".." and the folders of `native`.
    void showFolder(const std::string& native) {
        current_ = native;
        CListBox* list = folders();
        if (!list) return;
        list->ResetContent();
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(native, fs::directory_options::skip_permission_denied, ec))
            if (entry.is_directory(ec)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        if (fs::path(native).has_relative_path()) list->AddString("..");
        for (const std::string& n : names) list->AddString(suite::WindowsPath(n).c_str());
    }

    // Makes `path` (Windows form or native) the selection and tells the callback.
    void select(const std::string& path, bool enter) {
        std::string native = suite::NativePathOfEither(path);
        if (native.empty()) return;
        selected_ = suite::WindowsPath(native);
        std::error_code ec;
        if (enter && fs::is_directory(native, ec)) showFolder(native);
        callBack(BFFM_SELCHANGED, reinterpret_cast<LPARAM>(selected_.c_str()));
    }

    void onListSelection(bool enter) {
        CListBox* list = folders();
        const int row = list ? list->GetCurSel() : -1;
        if (row < 0) return;
        CString name;
        list->GetText(row, name);
        const fs::path here(current_);
        const fs::path target = std::string(name.GetString()) == ".." ? here.parent_path()
                                                                      : here / suite::AnsiToUtf8(name.GetString());
        select(target.string(), enter);
    }

    BROWSEINFO& info_;
    std::string current_;   // native folder whose folders are listed
    std::string selected_;  // Windows form of the selection
};

}  // namespace

std::string RunFolderBrowser(BROWSEINFO& info) {
    CFolderBrowserDlg dialog(info);
    if (dialog.DoModal() != IDOK) return {};
    return dialog.chosen;
}

}  // namespace afx_detail
