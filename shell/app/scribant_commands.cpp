#include "shell/app/scribant_commands.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/page_settings.h"
#include "ocrdoc/task/task.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "shell/shell_services.h"

bool CScribantCommands::HasImages() const { return task_.HasImages() != FALSE; }

bool CScribantCommands::PageHeld() {
    const COcrDoc* doc = ShellServices().CurrentDocument();
    return doc && doc->IsPageHeld();
}

bool CScribantCommands::CanRecognize() const { return HasImages() && !PageHeld(); }

int CScribantCommands::firstSelectedRow() const {
    const std::vector<int> rows = ShellServices().PageListSelectedRows();
    return rows.empty() ? -1 : rows.front();
}

bool CScribantCommands::CanLayout(bool pageHasLayout) const {
    return CanRecognize() && (!pageHasLayout || task_.CountSelected() > 1);
}

bool CScribantCommands::CanCancelLayout(bool pageHasLayout) const {
    return CanRecognize() && (pageHasLayout || task_.CountSelected() > 1);
}

bool CScribantCommands::CanSplitHandwriting() const {
    if (task_.CountSelected() > 1 || PageHeld()) return false;
    const int row = ShellServices().PageListCurrentRow();
    return row >= 0 && ShellServices().PageListItemText(row, kPageListType) == PageSettings::Defaults().typeNames[4];
}

bool CScribantCommands::CanNextPage() const {
    return CanRecognize() && firstSelectedRow() != ShellServices().PageListRowCount() - 1;
}

bool CScribantCommands::CanPrevPage() const { return CanRecognize() && firstSelectedRow() != 0; }

bool CScribantCommands::CanTaskCommandB() const { return HasImages() && task_.m_strName != "Default Task"; }

bool CScribantCommands::SayPageNotRead() {
    CShellServices& shell = ShellServices();
    const COcrDoc* doc = shell.CurrentDocument();
    const std::string path = shell.CurrentDocumentPath();
    // Only a load that has ended without a page: one under way is waited for.
    if (!doc || doc->m_pImage || path.empty() || path == kPlaceholderPath) return false;
    if (doc->m_pLoadThread && !doc->m_pLoadThread->Join(0)) return false;
    // Named as the list shows it.
    const int row = shell.PageListCurrentRow();
    const std::string name = row >= 0 ? shell.PageListItemText(row, kPageListPath) : path;
    shell.MessageBox(DocStringWithPaths(IDS_PAGE_NOT_LOADED, name), "", MB_OK | MB_ICONEXCLAMATION);
    return true;
}

void CScribantCommands::RecognizeStart() {
    if (PageHeld()) return;
    if (task_.CountSelected() > 1) task_.RecognizeSelected();
    else if (!SayPageNotRead()) ShellServices().PostMainCommand(ID_DOC_RECOGNIZE);
}

void CScribantCommands::Layout() {
    if (PageHeld()) return;
    if (task_.CountSelected() > 1) task_.AnalyzeSelected();
    else if (!SayPageNotRead()) ShellServices().PostMainCommand(ID_DOC_LAYOUT);
}

void CScribantCommands::CancelLayout() {
    if (PageHeld()) return;
    if (task_.CountSelected() > 1) {
        if (ShellServices().MessageBox(TaskString(IDS_DISCARD_RESULT), "", MB_YESNO | 0x20u) == IDNO) return;
        task_.ClearLayoutSelected();
        return;
    }
    ShellServices().PostMainCommand(ID_DOC_CLEAR_LAYOUT);
}

void CScribantCommands::SplitHandwriting() {
    if (CanSplitHandwriting()) ShellServices().PostMainCommand(ID_PAGE_SEGMENT);
}

// The page list's next and previous rows: the row becomes the only selection
// and its page is opened.
void CScribantCommands::NextPage() {
    if (PageHeld()) return;
    CShellServices& shell = ShellServices();
    const int row = firstSelectedRow();
    if (row + 1 >= shell.PageListRowCount()) return;
    shell.PageListSelectItem(row + 1);
    task_.SelectImage(row + 1);
}

void CScribantCommands::PrevPage() {
    if (PageHeld()) return;
    CShellServices& shell = ShellServices();
    const int row = firstSelectedRow();
    const int target = row < 0 ? shell.PageListRowCount() - 1 : row - 1;
    if (target < 0) return;
    shell.PageListSelectItem(target);
    task_.SelectImage(target);
}

std::string CScribantCommands::PrepareScanName() {
    CShellServices& shell = ShellServices();
    std::string name = shell.ScanName();
    if (name.empty()) {
        name = shell.DataFolder() + "\\image\\OR001.tif";
        shell.SetScanName(name);
    }
    const std::string folder(suite::PathFolderPart(name));
    if (!folder.empty()) {
        if (!PathIsDirectoryA(folder.c_str())) {
            if (shell.MessageBox(AfxFormatText(TaskString(IDS_CREATE_FOLDER).c_str(), folder.c_str()).str(), "", MB_YESNO) != IDYES)
                return {};
            std::error_code ec;
            std::filesystem::create_directories(suite::NativePathOfEither(folder), ec);
        }
    }
    if (!CTask::IsScanImageFile(name)) {
        shell.MessageBox(TaskString(IDS_SCAN_EXTENSION), "", MB_OK | MB_ICONEXCLAMATION);
        return {};
    }
    if (!CTask::StemEndsInCounter(name)) {
        CTask::AppendCounter(name);
        shell.SetScanName(name);
    }
    return name;
}
