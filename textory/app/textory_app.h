// The application object of Textory: the second OCR program, built on
// Scribant's application and main frame. Every run is a job named on the
// command line: the image is opened, recognised, and its text written to the
// output document; then the program closes, its exit status telling how the
// job went (see textory_ids.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/app/scribant_app.h"
#include "textory/app/command_line.h"
#include "textory/app/command_line_job.h"
#include "textory/app/hand_offs.h"
#include "textory/app/side_files.h"
#include "textory/job/job_task.h"
#include "textory/settings/textory_settings.h"
#include "textory/view/recognition_display.h"
#include "textory/settings/word_cfg_page.h"
#include "textory/workflow/path_history.h"
#include "textory/workflow/workflow.h"

class CTextoryApp : public CScribantApp, public CWorkflowHost {
public:
    CTextoryApp();
    ~CTextoryApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    BOOL SaveWorkState() override;

    // The frame's messages of the job.
    void WriteCommandLineOutput(bool recognised);
    void OnMainFrameClosing();
    // WM_CLOSEMAIN: the main window is asked to close.
    virtual void CloseMainWindow();

    // CShellServices: the job's links. Opening the empty-page placeholder
    // (the last page left the list) closes the program.
    void PageArrived(bool attached) override;
    // WM_USER+1107 at the page view: the workflow's scan-done step.
    void PageViewScanDone() override { m_workflow.OnScanDone(); }
    int OpenDocumentPath(const std::string& path) override;
    // The job's page is recognised in the progress window (preview mode):
    // "Segment ...", the page reduced with its regions, the recognised part
    // tinted, the final picture held 1.5 s.
    int RecognizeInProgressWindow(_seg_regioninfo* seg, _regioninfo** result) override;
    void PageRecognitionEnded(bool recognised) override;
    // No PDF pages; the pointer switch waits while the main window is in a
    // mode; the settings sheet (32915) gains the "Word" page, saved with OK.
    bool ReadsPdfImages() const override;
    bool PointerSwitchAllowed() const override;
    // The batch window's counter mode as Textory has it: pieces of 512 bytes,
    // "%6d/%6d" in status pane 1, the scan-to bar's box (1114) as the scan
    // target, and the text panel inside the window's group box, beside the
    // file numbers and the Stop button.
    std::size_t BatchPieceBytes() const override;
    std::string BatchCounterText(int row, int rowCount) const override;
    std::string BatchScanTarget() const override { return m_strScanTarget; }
    void SetBatchScanTarget(const std::string& name) override { SetScanTarget(name); }
    RECT BatchPanelMargins() const override;
    void AddSettingsPages(CPropertySheet& sheet) override;
    void SettingsSheetClosed(bool accepted) override;
    // The user's job, when changed, is offered for saving ("是" saves it
    // under its name or one the user gives, "否" goes on without, "取消"
    // stops); a command-line job never asks.
    BOOL OfferToSaveJob() override;
    // The installed word processor's version into the settings; when none is
    // installed the user is told "系统未安装Word" (version 3).
    int DetectWordVersion();

    std::string m_strListFile;  // the program folder + "\nlist.txt"
    TextorySettings m_textory;   // Textory's own settings
    // The workflow, and task-bar mode with it (its taskMode).
    CTextoryWorkflow m_workflow{*this, m_textory};
    bool TaskMode() const { return m_workflow.taskMode; }
    CPathHistory m_scanHistory;
    std::string m_strScanTarget;  // the scan-to box: the next scan's file
    std::string m_strStepText;    // the task bar's step text

    // CWorkflowHost.
    void SetStepText(UINT stringId) override;
    bool StartScan() override;
    bool AnalyzeLayout() override;
    void PostRecognize() override;
    void RecognizePage() override;
    void RecognizeSelected() override;
    int SelectedRowCount() const override { return PageListSelectedCount(); }
    void OutputToFormat() override;
    void CloseBrightnessDialog() override;
    void EnterRegionMode() override;
    void ShowMessage(const std::string& text) override;

    // A scanned page: saved under the scan target (in task-bar mode settled
    // without questions, dropped with a message when every counter name is
    // taken), listed and opened; then the next target is made, and the
    // workflow goes on (WM_SCANDONE) or back to idle. FALSE when dropped.
    bool TakeScannedPage(HDIB dib);

    // The scan target made ready for the next page: the data folder's
    // "image\OR001.jpg" when empty, its folder made, ".jpg", a 3-digit counter.
    std::string PrepareScanTarget();
    // The scan target set, shown in the scan-to bar with the recent targets.
    void SetScanTarget(const std::string& target);

    const textory::CCommandLineJob& Job() const { return job_; }
    // Started without a job: the task bar drives the run.
    bool IdleStart() const { return idleStart_; }
    textory::CHandOffs& HandOffs() { return *handOffs_; }
    textory::CJobFiles& JobFiles() { return jobFiles_; }

    // Commands Textory adds.
    afx_msg void OnOpenJob();
    afx_msg void OnOpenRecentJob(UINT id);
    // ID_FILE_SAVE_PROJECT: the job saved to its job file.
    afx_msg void OnSaveJob();
    afx_msg void OnStartReader();
    afx_msg void OnCharacterInput();
    afx_msg void OnOutputToFile();
    afx_msg void OnExitCommand();
    afx_msg void OnShowMainWindow();
    afx_msg void OnUpdateShowMainWindow(CCmdUI* ui);
    // 32943: the scanner chosen (the glue bound first when needed).
    afx_msg void OnSelectScannerCommand();
    // The task bar's scan settings: resolution (32957-32959), image type
    // (32960, 32961) and the page language (32962-32964), each checked while
    // it is the setting; the bar's captions follow.
    afx_msg void OnScanResolution(UINT id);
    afx_msg void OnUpdateScanResolution(CCmdUI* ui);
    afx_msg void OnScanImageType(UINT id);
    afx_msg void OnUpdateScanImageType(CCmdUI* ui);
    afx_msg void OnLanguageCode(UINT id);
    afx_msg void OnUpdateLanguageCode(CCmdUI* ui);
    // 32918: the about box.
    afx_msg void OnAboutCommand();
    // The page list's focused row shows the language code in its column 1
    // ("简体", "简繁", "英文").
    void UpdateListLanguage();
    // The task bar shows the settings as they are now.
    void RefreshTaskBar();
    // Opens a job file, or hands a job prepared for proofreading (its
    // companion file exists) to the proofreading program and closes; when
    // that program cannot be started Textory says so and stays.
    BOOL OpenJobPath(const std::string& path);
    // The hand-off of a job prepared for proofreading; FALSE, after telling
    // the user, when the proofreading program cannot be started.
    BOOL HandOffJob(const std::string& path);
    // The status the program ends with.
    int ExitStatus() const { return exitStatus_; }

protected:
    // A line on the error stream for a start that ends without a window.
    virtual void ErrorLine(const std::string& text);
    // Starts the scanner glue's acquisition for the page to be saved under
    // `target` (the glue bound at the first scan); FALSE, after telling the
    // user, when no scanner answers.
    virtual bool AcquireScan(const std::string& target);

    DECLARE_MESSAGE_MAP()

private:
    BOOL failStart(int status, const std::string& errorLine);
    bool ensureScanner();
    bool loadResources();
    void postToFrame(UINT message, WPARAM wParam = 0);
    // A TIFF of several pages: the user is told that only the first is read.
    void tellOfFurtherPages(const std::string& input);

    // The page view shows the whole page while the page is recognised.
    void showRecognition(int position, int value);
    textory::CRecognitionDisplay recognitionDisplay_;
    textory::CCommandLineJob job_;
    textory::CSideFiles sideFiles_;
    std::unique_ptr<textory::CHandOffs> handOffs_;
    std::unique_ptr<CWordCfgPage> wordPage_;  // while the settings sheet is open
    textory::CJobFiles jobFiles_{m_task, [this](const std::string& path) { AddToRecentFileList(path.c_str()); }};
    HMODULE ownResources_ = nullptr;
    HMODULE languageResources_ = nullptr;
    int exitStatus_ = textory::kExitStartFailed;
    bool idleStart_ = false;
};

CTextoryApp* TextoryApp();
