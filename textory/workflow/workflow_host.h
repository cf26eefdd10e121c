// What the workflow asks of the program around it: the task bar's step text,
// the scanner, the document's steps, the main window's modes and messages.
// The program implements it with its frame and document; tests record.
#pragma once

#include <string>

#include "platform/win/types.h"

class CWorkflowHost {
public:
    virtual ~CWorkflowHost() = default;
    // The task bar's step text (a string id of Textory's table).
    virtual void SetStepText(UINT stringId) = 0;
    // Readies the scan target (folder made, ".jpg", a 3-digit counter) and
    // starts the scanner's acquisition; FALSE when it could not start.
    virtual bool StartScan() = 0;
    // Layout analysis of the open page; TRUE when regions were found.
    virtual bool AnalyzeLayout() = 0;
    // Posts the document's page recognition (ID_DOC_RECOGNIZE).
    virtual void PostRecognize() = 0;
    // Recognises the open page at once.
    virtual void RecognizePage() = 0;
    // Batch recognition over the selected page-list rows.
    virtual void RecognizeSelected() = 0;
    virtual int SelectedRowCount() const = 0;
    // The output-to-format command.
    virtual void OutputToFormat() = 0;
    // An open brightness dialog applies its value and closes.
    virtual void CloseBrightnessDialog() = 0;
    // Region designation: the main window in its region mode, the task bar hidden.
    virtual void EnterRegionMode() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
};
