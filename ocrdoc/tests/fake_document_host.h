// A scripted host for the document layer's tests, on top of the image
// layer's: the application's flags, the page list, the status bar, the file
// dialog answers and the commands sent to the main window. Installs itself
// for its lifetime. The views' fake builds on it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "imaging/tests/fake_image_host.h"
#include "ocrdoc/document_host.h"
#include "platform/win/codepage.h"

template <class Host>
class CFakeDocumentHostOf : public CFakeImageHostOf<Host> {
public:
    CFakeDocumentHostOf() { SetDocumentHost(this); }
    ~CFakeDocumentHostOf() override { SetDocumentHost(nullptr); }

    int rowCount = 0;
    bool simplified = true;
    WORD languageId = 2052;
    std::string dataFolder, programFolder;
    int defaultResolution = 300;

    // What the document asks of the application and its main frame.
    COcrDoc* currentDocument = nullptr;
    bool busy = false;
    int batchMode = 0;
    bool saveAsJpg = false;
    bool textViewShown = true;
    bool columnHidden = false;
    std::string scanName;
    HDIB scannedDib = nullptr;              // handed over by TakeScannedDib
    std::vector<std::string> promptAnswers;  // file dialog answers in order; "" cancels
    std::vector<std::string> promptedNames;  // the names the dialog was opened with
    int selectedCount = 0;
    std::vector<std::string> selectedItemTexts;  // paths set on the selected row
    std::vector<UINT> postedCommands;
    int frameTitleUpdates = 0;

    // The recognition pipeline and the batch task.
    CTask* task = nullptr;
    std::vector<int> batchModes;  // every value SetBatchMode was given
    int ignoredFlag = 0;
    bool autoAdjust = false;
    bool outputToExe = false;
    int langCode = 0, pageType = 0, editFileType = 0;
    bool viewsShown = true;
    int textColumnShows = 0;
    std::map<int, std::string> statusPanes;
    int learnStatusShown = 0;
    std::vector<std::string> openedPaths;  // paths given to the open-document path
    // Answers the open; without it the open fails.
    std::function<int(const std::string& path)> onOpenDocument;
    std::vector<UINT> sentCommands;
    std::function<void(UINT id)> onSendCommand;
    std::vector<std::string> defaultActionPaths;
    std::vector<int> selectedRows;  // in list order
    std::map<int, std::uintptr_t> itemValues;
    std::vector<FileItemInfo> updatedItems;
    int deleteAllCalls = 0;
    std::function<int()> onBatchDialog;
    std::function<int(const std::string&, std::string&)> onDescriptionDialog;
    // Runs after a row was selected.
    std::function<void(int row)> onSelectItem;
    bool readsPdf = true;  // ReadsPdfImages

    std::vector<int> progress;  // current values drawn

    int PageListRowCount() const override { return rowCount; }
    bool IsSimplified() const override { return simplified; }
    WORD SystemLanguageId() const override { return languageId; }
    std::string DataFolder() const override { return dataFolder; }
    std::string ProgramFolder() const override { return programFolder; }
    int DefaultResolution() const override { return defaultResolution; }
    void ClearProgress() override { progress.clear(); }
    void DrawProgress(int, int, int current) override { progress.push_back(current); }
    void RefreshProgress() override {}

    void SetCurrentDocument(COcrDoc* doc) override { currentDocument = doc; }
    COcrDoc* CurrentDocument() const override { return currentDocument; }
    bool IsBusy() const override { return busy; }
    void SetBusy(bool on) override { busy = on; }
    int BatchMode() const override { return batchMode; }
    bool SaveAsJpg() const override { return saveAsJpg; }
    bool IsTextViewShown() const override { return textViewShown; }
    void SetTextViewShown(bool on) override { textViewShown = on; }
    bool IsSplitterColumnHidden() const override { return columnHidden; }
    void HideTextColumn() override { columnHidden = true; }
    void UpdateFrameTitle(BOOL) override { ++frameTitleUpdates; }
    std::string ScanName() const override { return scanName; }
    void SetScanName(const std::string& name) override { scanName = name; }
    HDIB TakeScannedDib() override {
        HDIB dib = scannedDib;
        scannedDib = nullptr;
        return dib;
    }
    BOOL PromptImageFileName(BOOL, const char*, std::string& name, DWORD, UINT) override {
        promptedNames.push_back(name);
        if (promptAnswers.empty()) return FALSE;
        std::string answer = promptAnswers.front();
        promptAnswers.erase(promptAnswers.begin());
        if (answer.empty()) return FALSE;
        name = answer;
        return TRUE;
    }
    int PageListSelectedCount() const override { return selectedCount; }
    int PageListSetSelectedItemText(const std::string& path) override {
        if (selectedCount <= 0) return -1;
        selectedItemTexts.push_back(path);
        return this->currentRow;
    }
    void PostMainCommand(UINT id) override {
        postedCommands.push_back(id);
        // The main frame hides the text column on ID_VIEW_TEXT_WINDOW when none is hidden.
        if (id == 32830 && !columnHidden) {
            columnHidden = true;
            textViewShown = !textViewShown;
        }
    }

    CTask* Task() override { return task; }
    void SetBatchMode(int mode) override {
        batchMode = mode;
        batchModes.push_back(mode);
    }
    int IgnoredFlag() const override { return ignoredFlag; }
    bool AutoAdjust() const override { return autoAdjust; }
    bool OutputToExe() const override { return outputToExe; }
    int LangCode() const override { return langCode; }
    int PageType() const override { return pageType; }
    int EditFileType() const override { return editFileType; }
    bool ViewsShown() const override { return viewsShown; }
    void ShowTextColumn() override {
        ++textColumnShows;
        columnHidden = false;
    }
    std::string StatusPaneText(int pane) const override {
        auto it = statusPanes.find(pane);
        return it == statusPanes.end() ? std::string() : it->second;
    }
    void SetStatusPaneText(int pane, const std::string& text) override { statusPanes[pane] = text; }
    void ShowLearnStatus() override { ++learnStatusShown; }
    int OpenDocumentPath(const std::string& path) override {
        openedPaths.push_back(path);
        return onOpenDocument ? onOpenDocument(path) : kOpenFailed;
    }
    void SendMainCommand(UINT id) override {
        sentCommands.push_back(id);
        if (onSendCommand) onSendCommand(id);
    }
    BOOL OpenWithDefaultAction(const std::string& path) override {
        defaultActionPaths.push_back(path);
        return TRUE;
    }
    // Selecting a row makes it the only selected and the focused row.
    void PageListSelectItem(int row) override {
        this->currentRow = row;
        selectedRows = {row};
        selectedCount = 1;
        if (onSelectItem) onSelectItem(row);
    }
    void PageListSelectRows(const std::vector<int>& rows, int focus) override {
        selectedRows = rows;
        selectedCount = static_cast<int>(rows.size());
        this->currentRow = focus;
    }
    int PageListFindItem(const std::string& path) override {
        for (int r = 0; r < rowCount; ++r)
            if (suite::AnsiCompareNoCase(this->PageListItemText(r, kPageListPath), path) == 0) {
                PageListSelectItem(r);
                return r;
            }
        return -1;
    }
    std::vector<int> PageListSelectedRows() const override { return selectedRows; }
    int PageListUpdateItem(const FileItemInfo& item) override {
        updatedItems.push_back(item);
        // As the page list: a listed file (any letter case) keeps its row.
        for (int r = 0; r < rowCount; ++r)
            if (suite::AnsiCompareNoCase(this->PageListItemText(r, kPageListPath), item.path) == 0) return -1;
        const int row = rowCount++;
        auto& cells = this->cells;
        cells[{row, kPageListPath}] = item.path;
        cells[{row, kPageListLanguage}] = item.language;
        cells[{row, kPageListType}] = item.type;
        cells[{row, kPageListStatus}] = std::to_string(item.status);
        cells[{row, kPageListResolution}] = item.resolution;
        return row;
    }
    void PageListSetItemValue(int row, std::uintptr_t value) override { itemValues[row] = value; }
    void PageListSetItemText(int row, int column, const std::string& text) override {
        this->cells[{row, column}] = text;
    }
    void PageListDeleteAll() override {
        ++deleteAllCalls;
        this->cells.clear();
        rowCount = 0;
        selectedRows.clear();
        selectedCount = 0;
        this->currentRow = -1;
    }
    int RunBatchRecognitionDialog() override { return onBatchDialog ? onBatchDialog() : IDCANCEL; }
    int RunProjectDescriptionDialog(const std::string& name, std::string& text) override {
        return onDescriptionDialog ? onDescriptionDialog(name, text) : IDCANCEL;
    }
    bool ReadsPdfImages() const override { return readsPdf; }
};

using CFakeDocumentHost = CFakeDocumentHostOf<CDocumentHost>;
