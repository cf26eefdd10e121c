#include "textory/job/job_task.h"

#include <charconv>
#include <utility>

#include "ocrdoc/task/task.h"
#include "shell/shell_services.h"
#include "textory/job/job_file.h"

namespace textory {
namespace {

constexpr UINT kJobFilter = 61206;  // "识别工作[*.OCR] |*.OCR|"
constexpr DWORD kSaveFlags = 0x00000002u | 0x00000004u | 0x00000008u;  // overwrite prompt, no read-only box, folder kept
constexpr const char* kDefaultTaskName = "Default Task";

std::uint32_t statusOf(const std::string& text) {
    std::uint32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

const char* const kTaskFileCreateError = "Task file create error!";
const char* const kTaskFileOpenError = "Task file open error!";

std::string CompanionPath(const std::string& jobPath) {
    if (jobPath.size() < 3) return jobPath + "con";
    return jobPath.substr(0, jobPath.size() - 3) + "con";
}

CJobFiles::CJobFiles(CTask& task, std::function<void(const std::string&)> addRecent)
    : task_(task), addRecent_(std::move(addRecent)) {}

BOOL CJobFiles::Save() {
    CShellServices& shell = ShellServices();
    std::string name = task_.m_strName;
    if (name == kDefaultTaskName) {
        name.clear();
        if (!shell.PromptImageFileName(FALSE, ".OCR", name, kSaveFlags, kJobFilter) || name.empty()) return FALSE;
    }
    std::vector<JobRow> rows;
    const int count = shell.PageListRowCount();
    for (int row = 0; row < count; ++row) {
        rows.push_back({shell.PageListItemText(row, kPageListPath), shell.PageListItemText(row, kPageListLanguage),
                        shell.PageListItemText(row, kPageListType),
                        statusOf(shell.PageListItemText(row, kPageListStatus)),
                        shell.PageListItemText(row, kPageListResolution)});
    }
    if (WriteJobFile(name, rows, shell.PageListCurrentRow()) != JobFileError::kNone) {
        shell.MessageBox(kTaskFileCreateError, "", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    task_.m_strName = name;
    task_.m_bJobModified = 0;
    shell.UpdateFrameTitle(TRUE);
    if (addRecent_) addRecent_(name);
    return TRUE;
}

BOOL CJobFiles::Open(const std::string& path) {
    if (path == task_.m_strName) return TRUE;
    if (!task_.SaveModified()) return FALSE;
    CShellServices& shell = ShellServices();
    JobFileContent content;
    if (ReadJobFile(path, content) != JobFileError::kNone) {
        shell.MessageBox(kTaskFileOpenError, "", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    shell.PageListDeleteAll();
    shell.ClearProgress();
    const int total = static_cast<int>(content.rows.size());
    for (int i = 0; i < total; ++i) {
        const JobRow& row = content.rows[i];
        shell.PageListUpdateItem(
            FileItemInfo{row.path, row.language, row.type, static_cast<int>(row.status), row.resolution});
        shell.DrawProgress(1, total, i + 1);
    }
    shell.RefreshProgress();
    task_.m_bJobModified = 0;
    task_.m_strName = path;
    if (total > 0) {
        const int marked = content.focusedRow >= 0 ? content.focusedRow : 0;
        task_.SelectImage(marked);
        shell.PageListSelectItem(marked);
    }
    if (addRecent_) addRecent_(path);
    shell.UpdateFrameTitle(TRUE);
    return TRUE;
}

}  // namespace textory
