// A shell for the helper tests: records the message boxes shown and answers
// the simplified/traditional question as set.
#pragma once

#include <string>
#include <vector>

#include "shell/shell_services.h"

class RecordingShell final : public CShellServices {
public:
    RecordingShell() { SetShellServices(this); }
    ~RecordingShell() override { SetShellServices(nullptr); }

    std::vector<std::string> messages;
    bool simplified = true;

    std::string CurrentDocumentPath() const override { return {}; }
    int PageListCurrentRow() const override { return -1; }
    int PageListRowCount() const override { return 0; }
    std::string PageListItemText(int, int) const override { return {}; }
    bool IsSimplified() const override { return simplified; }
    WORD SystemLanguageId() const override { return simplified ? 2052 : 1028; }
    std::string DataFolder() const override { return {}; }
    std::string ProgramFolder() const override { return {}; }
    int DefaultResolution() const override { return 300; }
    int MessageBox(const std::string& text, const std::string&, UINT) override {
        messages.push_back(text);
        return IDOK;
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void ClearProgress() override {}
    void DrawProgress(int, int, int) override {}
    void RefreshProgress() override {}
};
