#include "views/page_view/page_paste.h"

#include <unistd.h>

#include <cstring>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/helpers/path_helpers.h"
#include "ocrdoc/mono_bitmap.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/core/clipboard.h"
#include "platform/win/files.h"
#include "views/page_view/page_view_ids.h"
#include "views/page_view/pasted_dib.h"
#include "views/view_host.h"

namespace {

constexpr std::size_t kNameMax = 255;

std::string LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text.GetString();
}

std::string ReplaceFirst(std::string text, const std::string& mark, const std::string& value) {
    const auto at = text.find(mark);
    if (at != std::string::npos) text.replace(at, mark.size(), value);
    return text;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FolderOf(const std::string& path) {
    char buffer[MAX_PATH * 2] = {};
    std::strncpy(buffer, path.c_str(), sizeof buffer - 1);
    if (ExtractFolder(buffer)) return buffer;
    // A path without a drive letter (a folder of this machine's own form).
    const auto cut = path.find_last_of("\\/");
    return cut == std::string::npos || cut == 0 ? std::string() : path.substr(0, cut + 1);
}

std::string WithJpgExtension(const std::string& name) {
    char buffer[MAX_PATH * 2] = {};
    std::strncpy(buffer, name.c_str(), sizeof buffer - 5);
    RemoveFileExt(buffer);
    return std::string(buffer) + ".jpg";
}

// AddImageToList(name, 0): a new row with the default language, type and
// resolution; refused when the list already holds the name.
int AddImageToList(CViewHost& shell, const std::string& name) {
    for (int r = 0; r < shell.PageListRowCount(); ++r)
        if (CString(shell.PageListItemText(r, kPageListPath).c_str()).CompareNoCase(name.c_str()) == 0) return -1;
    FileItemInfo item;
    item.path = name;
    item.language = LoadText(61211 + static_cast<UINT>(shell.LangCode()));
    item.type = LoadText(61214 + static_cast<UINT>(shell.PageType()));
    item.status = 0;
    item.resolution = std::to_string(shell.DefaultResolution());
    return shell.PageListUpdateItem(item);
}

void ShowRow(CViewHost& shell, int row) {
    shell.PageListSelectItem(row);
    char counter[64];
    std::snprintf(counter, sizeof counter, "%4d  /  %d", row + 1, shell.PageListRowCount());
    shell.SetStatusPaneText(1, counter);
    shell.SetStatusPaneText(2, shell.PageListItemText(row, kPageListLanguage));
    shell.SetStatusPaneText(3, shell.PageListItemText(row, kPageListType));
    shell.SetStatusPaneText(4, shell.PageListItemText(row, kPageListResolution));
}

// Closes the clipboard at the end of every way through the paste.
class CClipboardScope {
public:
    explicit CClipboardScope(HWND owner) : m_open(OpenClipboard(owner) != FALSE) {}
    ~CClipboardScope() {
        if (m_open) CloseClipboard();
    }
    CClipboardScope(const CClipboardScope&) = delete;
    CClipboardScope& operator=(const CClipboardScope&) = delete;
    bool Open() const { return m_open; }

private:
    bool m_open;
};

}  // namespace

PasteOutcome CPagePaste::Run(HWND owner) {
    CClipboardScope clipboard(owner);
    if (!clipboard.Open()) return PasteOutcome::kNothing;
    HGLOBAL data = GetClipboardData(CF_DIB);
    if (!data) return PasteOutcome::kNothing;
    int bitCount = 0;
    HGLOBAL copy = nullptr;
    {
        CBlockLock lock(data);
        copy = lock ? PageDibOfPasted(lock.get(), lock.size(), &bitCount) : nullptr;
    }
    if (!copy) {
        ViewHost().MessageBox(kMsgPastedBitmapUnreadable, "", MB_OK | MB_ICONEXCLAMATION);
        return PasteOutcome::kBadBitmap;
    }
    const PasteOutcome outcome = WithBitmap(copy, bitCount);
    // The copy went to the last-scanned slot only when the command was posted.
    if (outcome != PasteOutcome::kPosted) GlobalFree(copy);
    return outcome;
}

PasteOutcome CPagePaste::WithBitmap(HGLOBAL copy, int bitCount) {
    CViewHost& shell = ViewHost();
    std::string name = shell.ScanName().substr(0, kNameMax);
    if ((bitCount == 24 || bitCount == 8) && shell.SaveAsJpg()) name = WithJpgExtension(name);
    m_name = name;

    const std::string folder = FolderOf(name);
    if (!folder.empty() && !Exists(folder)) {
        const std::string ask = ReplaceFirst(LoadText(IDS_CREATE_FOLDER), "%1", folder);
        if (shell.MessageBox(ask, "", MB_YESNO | MB_ICONQUESTION) != IDYES) return PasteOutcome::kCancelled;
        CreateFolderPath(folder.c_str());
    }
    const int rowsBefore = shell.PageListRowCount();
    bool replace = false, renamed = false;
    if (Exists(name)) {
        const std::string ask = ReplaceFirst(LoadText(IDS_REPLACE_FILE), "%1", name);
        const int answer = shell.MessageBox(ask, "", MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDYES) {
            replace = true;
        } else if (answer == IDNO) {
            std::string chosen = name;
            if (!shell.PromptImageFileName(FALSE, nullptr, chosen, 14, IDS_IMAGE_FILTER)) return PasteOutcome::kCancelled;
            name = chosen.substr(0, kNameMax);
            shell.SetScanName(name);
            renamed = true;
        } else {
            return PasteOutcome::kCancelled;
        }
    }
    m_name = name;
    // No placeholder file is made: the new-page command writes the page. The
    // folder must take it, though.
    const std::string target = FolderOf(name);
    if (name.empty() || (!target.empty() && (!Exists(target) || access(target.c_str(), W_OK) != 0))) {
        char text[1024];
        std::snprintf(text, sizeof text, LoadText(IDS_CANNOT_SAVE_FILE).c_str(), name.c_str());
        shell.MessageBox(text, "", MB_OK | MB_ICONSTOP);
        return PasteOutcome::kCannotSave;
    }
    const int added = AddImageToList(shell, name);
    int row = -1;
    if (replace || (renamed && added < 0)) row = shell.PageListFindItem(name);
    else if (added >= 0) row = rowsBefore;
    if (row >= 0) ShowRow(shell, row);
    if (!replace && !renamed && added < 0) return PasteOutcome::kListRefused;

    AfxPumpMessages();
    // A name confirmed in the file dialog (which asks before overwriting) may replace its file too.
    if (m_doc) m_doc->SetNextNewPageName(name, replace || (renamed && Exists(name)));
    shell.PutScannedDib(copy);
    shell.PostMainCommand(ID_PAGE_FROM_SCANNER);
    return PasteOutcome::kPosted;
}
