// A scripted shell for tests: answers from fields the test sets and records
// the message boxes shown and the wait-cursor calls. Installs itself for its
// lifetime.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "shell/shell_services.h"

class CFakeShellServices final : public CShellServices {
public:
    CFakeShellServices() { SetShellServices(this); }
    ~CFakeShellServices() override { SetShellServices(nullptr); }

    std::string documentPath;
    int currentRow = -1;
    std::map<std::pair<int, int>, std::string> cells;  // (row, column) -> text
    int rowCount = 0;
    bool simplified = true;
    WORD languageId = 2052;
    std::string dataFolder, programFolder;
    int defaultResolution = 300;
    int messageAnswer = IDOK;
    // When set, message boxes go to it instead of being recorded (it may be
    // called from another thread, where the record would race the test).
    std::function<int(const std::string& text)> onMessageBox;
    HMODULE convertLibrary = nullptr;

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

    std::vector<std::string> messages;
    int waitCursorDepth = 0;
    int waitCursorCalls = 0;
    std::vector<int> progress;  // current values drawn

    std::string CurrentDocumentPath() const override { return documentPath; }
    int PageListCurrentRow() const override { return currentRow; }
    int PageListRowCount() const override { return rowCount; }
    std::string PageListItemText(int row, int column) const override {
        auto it = cells.find({row, column});
        return it == cells.end() ? std::string() : it->second;
    }
    bool IsSimplified() const override { return simplified; }
    WORD SystemLanguageId() const override { return languageId; }
    std::string DataFolder() const override { return dataFolder; }
    std::string ProgramFolder() const override { return programFolder; }
    int DefaultResolution() const override { return defaultResolution; }
    HMODULE ConvertLibrary() const override { return convertLibrary; }
    int MessageBox(const std::string& text, const std::string&, UINT) override {
        if (onMessageBox) return onMessageBox(text);
        messages.push_back(text);
        return messageAnswer;
    }
    void BeginWaitCursor() override { ++waitCursorDepth; ++waitCursorCalls; }
    void EndWaitCursor() override { --waitCursorDepth; }
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
        return currentRow;
    }
    // What the page view asks.
    bool viewsShown = true;
    bool autoResize = false;
    bool splitterSecondFlag = false;
    int columnsShown = 0;
    std::map<int, std::string> statusTexts;  // pane -> last text
    bool ViewsShown() const override { return viewsShown; }
    bool AutoResize() const override { return autoResize; }
    bool IsSplitterSecondFlagSet() const override { return splitterSecondFlag; }
    void ShowTextColumn() override {
        ++columnsShown;
        columnHidden = false;
    }
    void PutScannedDib(HDIB dib) override {
        if (scannedDib) GlobalFree(scannedDib);
        scannedDib = dib;
    }
    void SetStatusText(int pane, const std::string& text) override { statusTexts[pane] = text; }

    void PostMainCommand(UINT id) override {
        postedCommands.push_back(id);
        // The main frame hides the text column on ID_VIEW_TEXT_WINDOW when none is hidden.
        if (id == 32830 && !columnHidden) {
            columnHidden = true;
            textViewShown = !textViewShown;
        }
    }
};
