// A scripted shell for tests: answers from fields the test sets and records
// the message boxes shown and the wait-cursor calls. Installs itself for its
// lifetime.
#pragma once

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
    HMODULE convertLibrary = nullptr;

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
        messages.push_back(text);
        return messageAnswer;
    }
    void BeginWaitCursor() override { ++waitCursorDepth; ++waitCursorCalls; }
    void EndWaitCursor() override { --waitCursorDepth; }
    void ClearProgress() override { progress.clear(); }
    void DrawProgress(int, int, int current) override { progress.push_back(current); }
    void RefreshProgress() override {}
};
