// The current job: the page list's images with the operations that run over
// its selected rows (open one, analyse, recognise through the batch dialog,
// export into one file or one file per image, drop layouts, rename to scan
// names). The page list belongs to the shell; the task reads and writes it
// through the shell's services. One task lives as long as the application.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/types.h"

class COcrDoc;

// Strings of the job's commands.
#define IDS_SAVING_RESULT 61239   // "正在保存识别结果..."
#define IDS_READY_PROMPT 61240    // "按TAB键转换操作窗口，F1键请求系统帮助"
#define IDS_LAYOUT_PROMPT 61242   // "按ESC键终止分割..."
#define IDS_PATHS_DIFFER 61252    // "图像路径不一致, 不能改名"
#define IDS_NAME_EXISTS 61253     // "同名图像文件%1已存在，无法继续命名。"
#define IDS_NAME_RULE 61453       // the scan-name rule
#define IDS_BATCH_COUNT 61222     // "本次共 %d 个图像文件"
#define IDS_BATCH_CURRENT 61223   // "正在识别第 %d 个文件:   %s"
#define IDS_EXPORT_LEFT_OUT 61600   // heads the list of pages an export left out
#define IDS_PAGE_NOT_READ 61601     // a page whose image could not be read
#define IDS_PAGE_NO_RESULT 61602    // a page without a recognition result
#define IDS_PAGE_NOT_UNICODE 61603  // a text that does not convert from the code page
#define IDS_OUTPUT_NOT_WRITTEN 61604  // "%s": an output file that could not be written
#define IDS_MORE_PAGES 61605          // "%d": pages beyond the listed ones
#define IDS_RESULT_NOT_SAVED 61612    // a page whose project file could not be written
#define IDS_BATCH_FAILED 61613        // heads the list of pages a batch did not recognise and save
#define IDS_LAYOUT_LEFT_OUT 61619     // heads the list of pages a layout run could not analyse

// A page that a command over the selected rows could not handle, and why
// (one of the IDS_PAGE_ strings, or IDS_OUTPUT_NOT_WRITTEN with its file).
struct PageLeftOut {
    std::string path;
    UINT reason = 0;
    std::string output;
};
// The message naming the pages (at most 20, then how many more), headed by
// `head`, in the language library's words.
std::string LeftOutMessage(const std::string& head, const std::vector<PageLeftOut>& pages);

class CTask {
public:
    CTask();
    virtual ~CTask();

    std::string m_strName;    // "Default Task" at start and after New
    std::string m_strFolder;  // the program folder + "OCRFiles\"
    int m_bJobModified = 0;
    int m_bCancel = 0;

    BOOL AddImageToList(const std::string& path, std::uintptr_t itemValue);
    void SelectImage(int row);
    void New();
    BOOL Save() { return TRUE; }
    // A modified job offered for saving (through the shell); TRUE lets the
    // caller go on.
    BOOL SaveModified();
    BOOL SaveAs(const std::string&) { return TRUE; }
    BOOL Open() { return TRUE; }
    int CountSelected() const;
    BOOL HasImages() const;

    void AnalyzeSelected();
    void RecognizeSelected();
    // All selected pages into one file; FALSE when nothing was written.
    BOOL ExportSelected(const std::string& outputPath);
    // One file per selected page in the data folder's OUTPUT folder; the
    // number of files written.
    int SaveSelectedSameName(int type);
    void ClearLayoutSelected();

    BOOL AllSelectedInScanFolder() const;
    static BOOL StemEndsInCounter(const std::string& path);
    static BOOL IsScanImageFile(const std::string& path);
    static void AppendCounter(std::string& path);
    // The output name of SaveSelectedSameName for an image path and type
    // (empty for a type without an output).
    static std::string SameNameOutput(const std::string& dataFolder, const std::string& imagePath, int type);
    // The export type of a path's extension on a system language (-1 text,
    // -2 unknown); traditional systems take the Big5 variants of HTM and RTF.
    static int ExportTypeFor(const std::string& path, WORD systemLanguage);
    BOOL RenameToScanNames();
    void EditDescription();
    BOOL WriteDescription(const std::string& text);
    // The description file: the job name with its last 3 characters "des".
    std::string DescriptionPath() const;

    // The longest a batch step waits for its page, in milliseconds.
    DWORD m_nLoadTimeoutMs = 120000;

protected:
    // The common step of the batch loops: select the row, show it in the
    // status bar and the scan-name box, open its path as listed and wait
    // (bounded) for the page. TRUE when the row's page is the open page.
    BOOL OpenRowAndWait(int row);
    // Opens the row's page for a command over the selected rows: the
    // document, or nullptr with the reason added to `leftOut`.
    COcrDoc* OpenRowOrSayWhy(int row, std::vector<PageLeftOut>& leftOut);
    void ShowRow(int row);
    // Pumps waiting messages; Esc sets m_bCancel instead of being dispatched.
    void PumpBatchMessages();
    BOOL m_bAlreadyOpen = FALSE;

private:
    void SetPrompt(UINT id);
};

// Exports `page` as `path` in export format `type` through a temporary file
// beside it, so a failed export leaves no file and an old one untouched.
struct SPage;
BOOL ExportViaTemporary(SPage* page, const std::string& path, int type);

// The loaded string, or its built-in simplified text when the language
// library lacks it.
std::string TaskString(UINT id);

