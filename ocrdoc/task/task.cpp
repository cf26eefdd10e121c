#include "ocrdoc/task/task.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "ocrdoc/document/message_pump.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/page_settings.h"
#include "ocrdoc/document/project_file.h"
#include "ocrdoc/document_host.h"
#include "ocrdoc/helpers/path_helpers.h"
#include "ocrdoc/helpers/table_grid.h"
#include "platform/afx/afxwin.h"
#include "platform/win/atomic_file.h"
#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/path.h"

namespace {

const char* const kDefaultTaskName = "Default Task";
const char* const kMsgDescriptionFailed = "Create work description file failure";

// The built-in texts of the task's strings (simplified Chinese, UTF-8).
const char* BuiltinString(UINT id) {
    switch (id) {
    case IDS_SAVING_RESULT: return "\u6B63\u5728\u4FDD\u5B58\u8BC6\u522B\u7ED3\u679C...";
    case IDS_READY_PROMPT: return "\u6309TAB\u952E\u8F6C\u6362\u64CD\u4F5C\u7A97\u53E3\uFF0CF1\u952E\u8BF7\u6C42\u7CFB\u7EDF\u5E2E\u52A9";
    case IDS_LAYOUT_PROMPT: return "\u6309ESC\u952E\u7EC8\u6B62\u5206\u5272...";
    case IDS_PATHS_DIFFER: return "\u56FE\u50CF\u8DEF\u5F84\u4E0D\u4E00\u81F4, \u4E0D\u80FD\u6539\u540D";
    case IDS_NAME_EXISTS: return "\u540C\u540D\u56FE\u50CF\u6587\u4EF6%1\u5DF2\u5B58\u5728\uFF0C\u65E0\u6CD5\u7EE7\u7EED\u547D\u540D\u3002";
    case IDS_BATCH_COUNT: return "\u672C\u6B21\u5171 %d \u4E2A\u56FE\u50CF\u6587\u4EF6";
    case IDS_BATCH_CURRENT: return "\u6B63\u5728\u8BC6\u522B\u7B2C %d \u4E2A\u6587\u4EF6:   %s";
    case IDS_EXPORT_LEFT_OUT: return "\u4EE5\u4E0B\u9875\u9762\u6CA1\u6709\u8F93\u51FA\uFF1A";
    case IDS_PAGE_NOT_READ: return "\u56FE\u50CF\u65E0\u6CD5\u8BFB\u53D6";
    case IDS_PAGE_NO_RESULT: return "\u6CA1\u6709\u8BC6\u522B\u7ED3\u679C";
    case IDS_PAGE_NOT_UNICODE: return "\u6587\u5B57\u65E0\u6CD5\u8F6C\u6362\u4E3AUnicode";
    case IDS_OUTPUT_NOT_WRITTEN: return "\u8F93\u51FA\u6587\u4EF6%s\u65E0\u6CD5\u5199\u5165\u3002";
    case IDS_MORE_PAGES: return "\u2026\u2026\u53E6\u6709%d\u9875";
    case IDS_RESULT_NOT_SAVED: return "\u8BC6\u522B\u7ED3\u679C\u65E0\u6CD5\u4FDD\u5B58\uFF08\u5DE5\u7A0B\u6587\u4EF6\u6CA1\u6709\u5199\u5165\uFF09";
    case IDS_LAYOUT_LEFT_OUT: return "\u4EE5\u4E0B\u9875\u9762\u6CA1\u6709\u8FDB\u884C\u7248\u9762\u5206\u6790\uFF1A";
    case IDS_BATCH_FAILED: return "\u4EE5\u4E0B\u9875\u9762\u6CA1\u6709\u8BC6\u522B\u548C\u4FDD\u5B58\uFF1A";
    default: return "";
    }
}

// Reads a whole small file; false when it cannot be read.
bool ReadSmallFile(const std::string& path, std::string& out, DWORD limit) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size <= limit;
    if (ok) {
        out.assign(size, '\0');
        DWORD read = 0;
        ok = size == 0 || (ReadFile(file, out.data(), size, &read, nullptr) && read == size);
    }
    CloseHandle(file);
    return ok;
}

// Exports through a temporary file beside the output, so that a failed
// export never leaves a half-written or emptied output behind.
UINT CodePageOf(WORD language) { return language == 1028 ? 950 : 936; }

}  // namespace

BOOL ExportViaTemporary(SPage* page, const std::string& path, int type) {
    const std::string temporary = path + ".part";
    DeleteFileA(temporary.c_str());
    if (!CallExportToFile(page, temporary, type)) {
        DeleteFileA(temporary.c_str());
        return FALSE;
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temporary.c_str());
        return FALSE;
    }
    return TRUE;
}

std::string TaskString(UINT id) {
    CString text;
    if (AfxLoadString(id, text) && !text.IsEmpty()) return std::string(text.GetString());
    return suite::Utf8ToAnsi(BuiltinString(id), 936);
}

CTask::CTask() : m_strName(kDefaultTaskName) {
    m_strFolder = DocumentHost().ProgramFolder();
    if (!m_strFolder.empty() && m_strFolder.back() != '\\' && m_strFolder.back() != '/') m_strFolder += '\\';
    m_strFolder += "OCRFiles\\";
}

CTask::~CTask() = default;

BOOL CTask::SaveModified() { return m_bJobModified ? DocumentHost().OfferToSaveJob() : TRUE; }

void CTask::SetPrompt(UINT id) { DocumentHost().SetStatusPaneText(kStatusPrompt, TaskString(id)); }

BOOL CTask::AddImageToList(const std::string& path, std::uintptr_t itemValue) {
    CDocumentHost& shell = DocumentHost();
    const PageSettings names = PageSettings::Defaults();
    FileItemInfo item;
    item.path = path;
    const int lang = shell.LangCode(), type = shell.PageType();
    item.language = lang >= 0 && lang < 3 ? names.languageNames[lang] : std::string();
    item.type = type >= 0 && type < 5 ? names.typeNames[type] : std::string();
    item.resolution = std::to_string(shell.DefaultResolution());
    const int row = shell.PageListUpdateItem(item);
    if (row < 0) return FALSE;
    shell.PageListSetItemValue(row, itemValue);
    return TRUE;
}

void CTask::ShowRow(int row) {
    CDocumentHost& shell = DocumentHost();
    const std::string path = shell.PageListItemText(row, kPageListPath);
    const PathParts rowParts = SplitPath(path);
    const PathParts box = SplitPath(shell.ScanName());
    shell.SetScanName(rowParts.drive + rowParts.folder + box.stem + box.ext);
    char counter[64];
    std::snprintf(counter, sizeof counter, "%6d  /  %d", row + 1, shell.PageListRowCount());
    shell.SetStatusPaneText(kStatusCounter, counter);
    shell.SetStatusPaneText(kStatusLanguage, shell.PageListItemText(row, kPageListLanguage));
    shell.SetStatusPaneText(kStatusType, shell.PageListItemText(row, kPageListType));
    shell.SetStatusPaneText(kStatusResolution, shell.PageListItemText(row, kPageListResolution));
}

void CTask::SelectImage(int row) {
    CDocumentHost& shell = DocumentHost();
    if (row < 0) {
        shell.OpenDocumentPath(kPlaceholderPath);
        for (int pane = kStatusCounter; pane <= kStatusResolution; ++pane) shell.SetStatusPaneText(pane, " ");
        return;
    }
    // The path as the list holds it: an upper-cased name may be another file here.
    shell.OpenDocumentPath(shell.PageListItemText(row, kPageListPath));
    ShowRow(row);
}

void CTask::New() {
    CDocumentHost& shell = DocumentHost();
    if (shell.PageListRowCount() > 0) {
        if (m_bJobModified && !SaveModified()) return;
        m_strName = kDefaultTaskName;
        shell.PageListDeleteAll();
        SelectImage(-1);
        return;
    }
    m_strName = kDefaultTaskName;
}

int CTask::CountSelected() const { return static_cast<int>(DocumentHost().PageListSelectedRows().size()); }

BOOL CTask::HasImages() const { return DocumentHost().PageListRowCount() > 0; }

void CTask::PumpBatchMessages() {
    if (DispatchPendingMessages(true)) m_bCancel = 1;
}

BOOL CTask::OpenRowAndWait(int row) {
    CDocumentHost& shell = DocumentHost();
    shell.PageListSelectItem(row);
    ShowRow(row);
    const std::string path = shell.PageListItemText(row, kPageListPath);
    shell.SetBusy(true);
    const int opened = shell.OpenDocumentPath(path);
    m_bAlreadyOpen = opened == kOpenAlreadyOpen;
    if (opened != kOpenStarted) {
        shell.SetBusy(false);
        return m_bAlreadyOpen;
    }
    // Waits for the page with a bound: it also ends when the load thread has
    // ended without a page arriving.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_nLoadTimeoutMs);
    int drainsAfterEnd = 0;
    while (shell.IsBusy()) {
        // Esc is noted here; the page that is on its way is still waited for.
        PumpBatchMessages();
        if (!shell.IsBusy()) break;
        COcrDoc* doc = shell.CurrentDocument();
        CWinThread* thread = doc ? doc->m_pLoadThread : nullptr;
        // The framework's threads carry no handle: Join(0) tells whether it has ended.
        const bool ended = !thread || thread->Join(0) != FALSE;
        // The thread's last post may still be queued: a few more pumps first.
        if (ended && ++drainsAfterEnd > 50) break;
        if (std::chrono::steady_clock::now() > deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const bool arrived = !shell.IsBusy();
    shell.SetBusy(false);
    COcrDoc* doc = shell.CurrentDocument();
    return arrived && doc && doc->m_pImage;
}

void CTask::AnalyzeSelected() {
    CDocumentHost& shell = DocumentHost();
    SetPrompt(IDS_LAYOUT_PROMPT);
    m_bCancel = 0;
    shell.SetBatchMode(shell.IgnoredFlag());
    std::vector<PageLeftOut> leftOut;
    for (int row : shell.PageListSelectedRows()) {
        if (OpenRowOrSayWhy(row, leftOut)) {
            if (m_bAlreadyOpen && shell.BatchMode() == 2) shell.SendMainCommand(ID_DOC_CLEAR_LAYOUT);
            shell.SendMainCommand(ID_DOC_LAYOUT);
        }
        if (m_bCancel) break;
    }
    shell.SetBatchMode(0);
    SetPrompt(IDS_READY_PROMPT);
    // A page that could not be read is named, not passed over.
    if (!leftOut.empty())
        shell.MessageBox(LeftOutMessage(TaskString(IDS_LAYOUT_LEFT_OUT), leftOut), "", MB_OK | MB_ICONEXCLAMATION);
}

void CTask::RecognizeSelected() {
    CDocumentHost& shell = DocumentHost();
    shell.SetBatchMode(shell.IgnoredFlag());
    shell.RunBatchRecognitionDialog();
    shell.SetBatchMode(0);
}

int CTask::ExportTypeFor(const std::string& path, WORD systemLanguage) {
    const int type = GetExportFormat(path.c_str());
    if (systemLanguage == 1028) {
        // The export library has Big5 variants of HTML and RTF only; a
        // spreadsheet stays a spreadsheet.
        if (type == OSTREL_FORMAT_HTML) return OSTREL_FORMAT_BIG5_HTML;
        if (type == OSTREL_FORMAT_RTF) return OSTREL_FORMAT_BIG5_RTF;
    }
    return type;
}

COcrDoc* CTask::OpenRowOrSayWhy(int row, std::vector<PageLeftOut>& leftOut) {
    CDocumentHost& shell = DocumentHost();
    const std::string path = shell.PageListItemText(row, kPageListPath);
    COcrDoc* doc = OpenRowAndWait(row) ? shell.CurrentDocument() : nullptr;
    if (!doc || !doc->m_pImage) {
        leftOut.push_back({path, IDS_PAGE_NOT_READ, {}});
        return nullptr;
    }
    return doc;
}

namespace {

// A string of the table with its one "%s" filled.
std::string StringWithText(UINT id, const std::string& text) {
    const std::string format = TaskString(id);
    std::vector<char> buffer(format.size() + text.size() + 1);
    std::snprintf(buffer.data(), buffer.size(), format.c_str(), text.c_str());
    return buffer.data();
}

// The text of one page for a text file: FALSE, with the reason, when it has none.
BOOL AppendPageText(COcrDoc& doc, UINT codePage, std::u16string& text, UINT* whyNot) {
    if (!doc.m_bHasResult) {
        *whyNot = IDS_PAGE_NO_RESULT;
        return FALSE;
    }
    std::u16string page;
    if (!doc.TextToUnicode(codePage, page)) {
        *whyNot = IDS_PAGE_NOT_UNICODE;
        return FALSE;
    }
    // Pages follow each other on lines of their own.
    if (!text.empty() && text.back() != u'\n') text += u"\r\n";
    text += page;
    return TRUE;
}

}  // namespace

std::string LeftOutMessage(const std::string& head, const std::vector<PageLeftOut>& pages) {
    constexpr std::size_t kListed = 20;
    std::string text = head;
    for (std::size_t i = 0; i < pages.size() && i < kListed; ++i) {
        const PageLeftOut& page = pages[i];
        const std::string reason =
            page.reason == IDS_OUTPUT_NOT_WRITTEN ? StringWithText(page.reason, page.output) : TaskString(page.reason);
        text += "\n" + page.path + ": " + reason;
    }
    if (pages.size() > kListed) {
        char more[128];
        std::snprintf(more, sizeof more, TaskString(IDS_MORE_PAGES).c_str(), static_cast<int>(pages.size() - kListed));
        text += "\n" + std::string(more);
    }
    return text;
}

BOOL CTask::ExportSelected(const std::string& outputPath) {
    CDocumentHost& shell = DocumentHost();
    SetPrompt(IDS_SAVING_RESULT);
    shell.SetBatchMode(0);
    m_bCancel = 0;
    const WORD language = shell.SystemLanguageId();
    const int type = ExportTypeFor(outputPath, language);
    const std::vector<int> rows = shell.PageListSelectedRows();
    std::vector<PageLeftOut> leftOut;
    BOOL written = FALSE;
    if (type != -2) {
        std::u16string text;
        int pages = 0;
        SPage* first = nullptr;
        SPage* last = nullptr;
        for (int row : rows) {
            // Esc is taken from the queue here but does not end the export.
            COcrDoc* doc = OpenRowOrSayWhy(row, leftOut);
            if (!doc) continue;
            UINT whyNot = IDS_PAGE_NO_RESULT;
            if (type == -1) {
                if (AppendPageText(*doc, CodePageOf(language), text, &whyNot)) ++pages;
                else leftOut.push_back({shell.PageListItemText(row, kPageListPath), whyNot, {}});
            } else if (SPage* page = doc->BuildExportPage()) {
                if (last) last->next = page;
                else first = page;
                last = page;
                ++pages;
            } else {
                leftOut.push_back({shell.PageListItemText(row, kPageListPath), whyNot, {}});
            }
        }
        // A file with none of the pages is no output.
        if (pages > 0) {
            if (type == -1) written = WriteUnicodeTextFile(outputPath, text);
            else written = ExportViaTemporary(first, outputPath, type);
        }
        FreeSPage(first, 1);
    }
    // The rows chosen stay chosen; the last one opened keeps the focus.
    if (!rows.empty()) shell.PageListSelectRows(rows, shell.PageListCurrentRow() >= 0 ? shell.PageListCurrentRow() : rows.back());
    // The work has ended before anything is said of it.
    SetPrompt(IDS_READY_PROMPT);
    if (!written) {
        const std::string head = StringWithText(IDS_OUTPUT_NOT_WRITTEN, outputPath);
        const std::string message =
            leftOut.empty() ? head : LeftOutMessage(head + "\n" + TaskString(IDS_EXPORT_LEFT_OUT), leftOut);
        shell.MessageBox(message, "", MB_OK | MB_ICONEXCLAMATION);
    } else {
        if (!leftOut.empty())
            shell.MessageBox(LeftOutMessage(TaskString(IDS_EXPORT_LEFT_OUT), leftOut), "", MB_OK | MB_ICONEXCLAMATION);
        if (shell.OutputToExe()) shell.OpenWithDefaultAction(outputPath);
    }
    return written;
}

std::string CTask::SameNameOutput(const std::string& dataFolder, const std::string& imagePath, int type) {
    const char* ext = nullptr;
    switch (type) {
    case -1: ext = ".TXT"; break;
    case 0: ext = ".PDF"; break;
    case 1: case 4: ext = ".HTM"; break;
    case 2: case 3: ext = ".RTF"; break;
    case 5: ext = ".XLS"; break;
    default: return {};
    }
    const PathParts parts = SplitPath(suite::AnsiToUpper(imagePath));
    std::string letters = parts.ext.size() > 1 ? parts.ext.substr(1, 3) : std::string();
    return dataFolder + "\\OUTPUT\\" + parts.stem + letters + ext;
}

int CTask::SaveSelectedSameName(int type) {
    CDocumentHost& shell = DocumentHost();
    SetPrompt(IDS_SAVING_RESULT);
    shell.SetBatchMode(0);
    m_bCancel = 0;
    const WORD language = shell.SystemLanguageId();
    int written = 0;
    std::vector<PageLeftOut> leftOut;
    const std::string folder = shell.DataFolder() + "\\OUTPUT\\";
    CreateFolderPath(folder.c_str());
    const std::vector<int> rows = shell.PageListSelectedRows();
    for (int row : rows) {
        const std::string path = shell.PageListItemText(row, kPageListPath);
        const std::string name = SameNameOutput(shell.DataFolder(), path, type);
        if (name.empty()) continue;
        COcrDoc* doc = OpenRowOrSayWhy(row, leftOut);
        if (!doc) continue;
        BOOL ok = FALSE;
        UINT whyNot = IDS_PAGE_NO_RESULT;
        if (type == -1) {
            std::u16string text;
            ok = AppendPageText(*doc, CodePageOf(language), text, &whyNot);
            if (ok && !WriteUnicodeTextFile(name, text)) {
                ok = FALSE;
                whyNot = IDS_OUTPUT_NOT_WRITTEN;
            }
        } else {
            int format = type;
            if (language == 1028 && format == OSTREL_FORMAT_HTML) format = OSTREL_FORMAT_BIG5_HTML;
            if (language == 1028 && format == OSTREL_FORMAT_RTF) format = OSTREL_FORMAT_BIG5_RTF;
            SPage* page = doc->BuildExportPage();
            if (page) {
                ok = ExportViaTemporary(page, name, format);
                if (!ok) whyNot = IDS_OUTPUT_NOT_WRITTEN;
            }
            FreeSPage(page, 1);
        }
        if (ok) ++written;
        else leftOut.push_back({path, whyNot, name});
    }
    if (!rows.empty()) shell.PageListSelectRows(rows, shell.PageListCurrentRow() >= 0 ? shell.PageListCurrentRow() : rows.back());
    SetPrompt(IDS_READY_PROMPT);
    if (!leftOut.empty())
        shell.MessageBox(LeftOutMessage(TaskString(IDS_EXPORT_LEFT_OUT), leftOut), "", MB_OK | MB_ICONEXCLAMATION);
    return written;
}

void CTask::ClearLayoutSelected() {
    CDocumentHost& shell = DocumentHost();
    // A run reads the open page now: its regions stay until it has ended.
    if (const COcrDoc* doc = shell.CurrentDocument(); doc && doc->IsPageHeld()) return;
    const int focused = shell.PageListCurrentRow();
    shell.SetBatchMode(shell.IgnoredFlag());
    for (int row : shell.PageListSelectedRows()) {
        shell.PageListSelectItem(row);
        const std::string project = shell.PageListItemText(row, kPageListPath) + kProjectSuffix;
        std::string head;
        // Only a project file is cut, and only through a whole rewrite: the
        // header stays, the record count becomes 0.
        if (!ReadSmallFile(project, head, kProjectMaxFileBytes) || head.size() < kProjectHeaderBytes ||
            head.compare(0, kProjectMagicBytes, kProjectMagic, kProjectMagicBytes) != 0)
            continue;
        head.resize(kProjectHeaderBytes);
        head[24] = head[25] = head[26] = head[27] = '\0';
        SuiteWriteFileAtomically(project.c_str(), head.data(), head.size());
    }
    if (COcrDoc* doc = shell.CurrentDocument()) doc->ClearLayout(FALSE);
    shell.SetBatchMode(0);
    if (focused >= 0) shell.PageListSelectItem(focused);
}

BOOL CTask::AllSelectedInScanFolder() const {
    CDocumentHost& shell = DocumentHost();
    const PathParts box = SplitPath(shell.ScanName());
    const std::string boxFolder = suite::AnsiToLower(box.drive + box.folder);
    for (int row : shell.PageListSelectedRows()) {
        const PathParts parts = SplitPath(shell.PageListItemText(row, kPageListPath));
        if (suite::AnsiToLower(parts.drive + parts.folder) != boxFolder) return FALSE;
    }
    return TRUE;
}

BOOL CTask::StemEndsInCounter(const std::string& path) {
    const std::string stem = SplitPath(path).stem;
    if (stem.size() <= 2) return FALSE;
    return std::all_of(stem.end() - 3, stem.end(), [](char c) { return c >= '0' && c <= '9'; });
}

BOOL CTask::IsScanImageFile(const std::string& path) {
    const std::string ext = suite::AnsiToLower(SplitPath(path).ext);
    return ext == ".tif" || ext == ".bmp" || ext == ".jpg";
}

void CTask::AppendCounter(std::string& path) {
    const PathParts parts = SplitPath(path);
    path = parts.drive + parts.folder + parts.stem + "001" + parts.ext;
}

BOOL CTask::RenameToScanNames() {
    CDocumentHost& shell = DocumentHost();
    if (!AllSelectedInScanFolder()) {
        shell.MessageBox(TaskString(IDS_PATHS_DIFFER), "", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    const std::string box = shell.ScanName();
    if (!StemEndsInCounter(box)) {
        shell.MessageBox(TaskString(IDS_NAME_RULE), "", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    const PathParts boxParts = SplitPath(box);
    const std::string prefix = boxParts.stem.substr(0, boxParts.stem.size() - 3);
    int counter = std::stoi(boxParts.stem.substr(boxParts.stem.size() - 3));
    static const char* const kOld[4] = {".pst", ".bki", ".dat", ".txt"};
    static const char* const kTemp[4] = {".pss", ".bkk", ".daa", ".txx"};
    struct Move {
        int row;
        std::string oldPath, temp, final;
    };
    std::vector<Move> moves;
    for (int row : shell.PageListSelectedRows()) {
        const std::string oldPath = shell.PageListItemText(row, kPageListPath);
        const PathParts parts = SplitPath(oldPath);
        char number[8];
        std::snprintf(number, sizeof number, "%03d", counter);
        counter = (counter + 1) % 1000;
        const std::string stem = prefix + number;
        moves.push_back({row, oldPath, parts.drive + parts.folder + stem + ".OR$", parts.drive + parts.folder + stem + parts.ext});
    }
    // Phase 1: images to their temporary names, companions to their temporary ones.
    for (const Move& m : moves) {
        DeleteFileA(m.temp.c_str());
        MoveFileA(m.oldPath.c_str(), m.temp.c_str());
        for (int k = 0; k < 4; ++k) {
            const std::string target = m.final + kTemp[k];
            DeleteFileA(target.c_str());
            MoveFileA((m.oldPath + kOld[k]).c_str(), target.c_str());
        }
    }
    // Phase 2: a final name taken by another file puts every name back.
    for (const Move& m : moves) {
        if (!PathFileExistsA(m.final.c_str())) continue;
        for (const Move& back : moves) {
            MoveFileA(back.temp.c_str(), back.oldPath.c_str());
            for (int k = 0; k < 4; ++k) MoveFileA((back.final + kTemp[k]).c_str(), (back.oldPath + kOld[k]).c_str());
        }
        shell.MessageBox(AfxFormatText(TaskString(IDS_NAME_EXISTS).c_str(), m.final.c_str()).str(), "",
                         MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    // Phase 3: the final names.
    COcrDoc* doc = shell.CurrentDocument();
    const std::string open = doc ? std::string(doc->GetPathName().GetString()) : std::string();
    for (const Move& m : moves) {
        MoveFileA(m.temp.c_str(), m.final.c_str());
        for (int k = 0; k < 4; ++k) MoveFileA((m.final + kTemp[k]).c_str(), (m.final + kOld[k]).c_str());
        shell.PageListSetItemText(m.row, kPageListPath, m.final);
        if (doc && suite::AnsiCompareNoCase(open, m.oldPath) == 0) doc->SetPathName(m.final.c_str(), FALSE);
    }
    // The box goes on to the next free number.
    std::string next = box;
    for (int tries = 0; tries < 1000; ++tries) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", counter);
        next = boxParts.drive + boxParts.folder + prefix + number + boxParts.ext;
        if (!PathFileExistsA(next.c_str())) break;
        counter = (counter + 1) % 1000;
    }
    shell.SetScanName(next);
    if (m_strName != kDefaultTaskName) Save();
    return TRUE;
}

std::string CTask::DescriptionPath() const {
    if (m_strName.size() < 3) return m_strName + "des";
    return m_strName.substr(0, m_strName.size() - 3) + "des";
}

void CTask::EditDescription() {
    std::string text;
    ReadSmallFile(DescriptionPath(), text, 1u << 20);
    const std::string stem = SplitPath(m_strName).stem;
    if (DocumentHost().RunProjectDescriptionDialog(stem, text) == IDOK) WriteDescription(text);
}

BOOL CTask::WriteDescription(const std::string& text) {
    if (!SuiteWriteFileAtomically(DescriptionPath().c_str(), text.data(), text.size())) {
        DocumentHost().MessageBox(kMsgDescriptionFailed, "", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}
