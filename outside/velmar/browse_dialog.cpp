// CSHBrowseDlg: the folder browser over the platform's folder dialog.
#include "outside/include/velmar.h"
#include "platform/afx/afxwin.h"

CSHBrowseDlg::CSHBrowseDlg(CWnd* owner) : owner_(owner) {}

int CSHBrowseDlg::DoModal(LPCSTR startFolder, LPCSTR text, HICON, UINT flags, int) {
    char display[MAX_PATH] = {};
    BROWSEINFO info{};
    info.hwndOwner = owner_ ? owner_->GetSafeHwnd() : nullptr;
    info.pszDisplayName = display;
    info.lpszTitle = text ? text : "";
    info.ulFlags = flags;
    (void)startFolder;
    LPITEMIDLIST chosen = SHBrowseForFolder(&info);
    if (!chosen) return 0;
    char path[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDList(chosen, path);
    CoTaskMemFree(chosen);
    if (!ok) return 0;
    path_ = path;
    return 1;
}
