#include "views/page_view/page_paste.h"

#include <unistd.h>

#include <cstring>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/helpers/path_helpers.h"
#include "ocrdoc/mono_bitmap.h"
#include "ocrdoc/task/task.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/core/clipboard.h"
#include "platform/win/files.h"
#include "views/page_view/page_view_ids.h"
#include "views/page_view/pasted_dib.h"
#include "platform/afx/core/resource.h"
#include "views/view_host.h"

namespace {

constexpr std::size_t kNameMax = 255;

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

// The job's own AddImageToList(name, 0): a new row with the default
// language, type and resolution; -1 when the list already holds the name.
int AddImageToList(CViewHost& shell, const std::string& name) {
    CTask* task = shell.Task();
    const int rowsBefore = shell.PageListRowCount();
    if (!task || !task->AddImageToList(name, 0) || shell.PageListRowCount() != rowsBefore + 1) return -1;
    return rowsBefore;
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
    if (!folder.empty() && !PathFileExistsA(folder.c_str())) {
        const std::string ask = AfxFormatText(AfxLoadString(IDS_CREATE_FOLDER), folder.c_str()).str();
        if (shell.MessageBox(ask, "", MB_YESNO | MB_ICONQUESTION) != IDYES) return PasteOutcome::kCancelled;
        CreateFolderPath(folder.c_str());
    }
    const int rowsBefore = shell.PageListRowCount();
    bool replace = false, renamed = false;
    if (PathFileExistsA(name.c_str())) {
        const std::string ask = AfxFormatText(AfxLoadString(IDS_REPLACE_FILE), name.c_str()).str();
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
    if (name.empty() || (!target.empty() && (!PathFileExistsA(target.c_str()) || access(target.c_str(), W_OK) != 0))) {
        char text[1024];
        std::snprintf(text, sizeof text, AfxLoadString(IDS_CANNOT_SAVE_FILE).str().c_str(), name.c_str());
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
    if (m_doc) m_doc->SetNextNewPageName(name, replace || (renamed && PathFileExistsA(name.c_str())));
    shell.PutScannedDib(copy);
    shell.PostMainCommand(ID_PAGE_FROM_SCANNER);
    return PasteOutcome::kPosted;
}
