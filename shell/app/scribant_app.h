// The application object of Scribant: its folders, the single-instance rule
// with the hand-off of image paths through the queue file, the language
// library, the document template, the command-line file, the settings and the
// clean-up at exit. It is also the shell the document, the task and the views
// ask for settings and for the main frame's parts.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "ocrdoc/task/task.h"
#include "platform/afx/afxwin.h"
#include "shell/app/pdf_split.h"
#include "shell/app/queue_file.h"
#include "shell/app/scribant_commands.h"
#include "shell/app/scanner_glue.h"
#include "shell/app/scribant_settings.h"
#include "shell/app/shell_dde_server.h"
#include "shell/dialogs/splash_dlg.h"
#include "shell/outside/character_input.h"
#include "shell/shell_services.h"

class CMainFrame;
class CUiPdfPrompts;

class CScribantApp : public CWinApp, public CShellServices {
public:
    CScribantApp();
    ~CScribantApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    // The recent-file list of the File menu (`count` entries, none for 0)
    // and "Settings"/"PreviewPages".
    void LoadStdProfileSettings(UINT count);
    BOOL OnIdle(LONG count) override;
    // A key or mouse press takes the start-up picture away.
    BOOL PreTranslateMessage(MSG* msg) override;
    bool SplashShown() const;

    // Opens the paths of the queue file (the frame's ID_OPEN_QUEUED_IMAGES).
    void OpenQueuedImages();
    // What the frame's close keeps of the work: the scan name and the file
    // bar's side; then the job's save question.
    virtual BOOL SaveWorkState();
    // The one way in for files the user chose (the Open dialog, the command
    // line, a hand-off from a second start): an image of a kind the codecs
    // read is listed, a PDF file of several pages is split into one-page
    // files listed one row a page, and anything else is refused in a message
    // that names the file and why (pages of a PDF that could not be split
    // likewise). The first row listed, or the row of the first file that was
    // listed already, is opened. FALSE when no row was opened.
    BOOL ListChosenFiles(const std::vector<std::string>& paths);
    // What is said of a chosen file that is not listed: its name, then the
    // reason (a string of the table).
    static std::string ChosenFileRefusal(const std::string& path, UINT why);
    BOOL OpenImagePath(const std::string& path) { return ListChosenFiles({path}); }
    BOOL OpenPdfFile(const std::string& path) { return ListChosenFiles({path}); }

    // The PDF commands: the selected rows' files (no empty paths, no repeats)
    // converted to RTF or text; FALSE when the dialog was cancelled.
    BOOL ConvertSelectedPdfs(BOOL toRtf);
    BOOL ConvertPdfFiles(std::vector<std::string>& paths, BOOL toRtf);
    // Whether a selected row's file ends in "pdf" (any case).
    bool PdfSelected() const;
    // The update check's mode (0: the user asked) and folder.
    int m_pUpdateParam = 0;
    virtual std::string UpdateFolder() const;

    CMainFrame* MainFrame() const;
    CQueueFile& Queue() { return *queue_; }
    // Hands the program's identity, the main window, the temporary file and
    // the page message to the scanner glue.
    void InitTwain();
    CScannerGlue& Scanner() { return m_scanner; }

    CTask m_task;
    ScribantSettings m_settings;
    std::string m_strAppDir;
    std::string m_strDataDir;
    std::string m_strQueueFile;
    WORD m_wSysLangID = 0;
    int m_bSimplified = 1;
    HMODULE m_hResDll = nullptr;
    HMODULE m_hConvertDll = nullptr;
    HANDLE m_hInstanceMutex = nullptr;
    CScannerGlue m_scanner;
    // OR_CHN40_Init was called, so exit ends the engine.
    bool m_bEngineStarted = false;
    int m_bAutoOpenRtf = 0;
    int m_bAutoOpenTxt = 0;
    std::string m_strOutputPath;
    int m_nBatchMode = 0;
    bool m_bBusy = false;
    // The name of the single-instance mutex (the queue lock adds " Queue").
    std::string m_strInstanceName = "Scribant";

    // CShellServices.
    std::string CurrentDocumentPath() const override;
    int PageListCurrentRow() const override;
    int PageListRowCount() const override;
    std::string PageListItemText(int row, int column) const override;
    bool IsSimplified() const override { return m_bSimplified != 0; }
    WORD SystemLanguageId() const override { return m_wSysLangID; }
    std::string DataFolder() const override { return m_strDataDir; }
    std::string ProgramFolder() const override { return m_strAppDir; }
    int DefaultResolution() const override { return m_settings.resolution; }
    HMODULE ConvertLibrary() const override { return m_hConvertDll; }
    int MessageBox(const std::string& text, const std::string& caption, UINT style) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void ClearProgress() override;
    void DrawProgress(int first, int last, int current) override;
    void RefreshProgress() override;
    void SetCurrentDocument(COcrDoc* doc) override { document_ = doc; }
    COcrDoc* CurrentDocument() const override { return document_; }
    bool IsBusy() const override { return m_bBusy; }
    void SetBusy(bool on) override { m_bBusy = on; }
    int BatchMode() const override { return m_nBatchMode; }
    void SetBatchMode(int mode) override { m_nBatchMode = mode; }
    bool SaveAsJpg() const override { return m_settings.saveAsJpg; }
    bool IsTextViewShown() const override { return m_settings.viewText; }
    void SetTextViewShown(bool on) override { m_settings.viewText = on; }
    bool IsSplitterColumnHidden() const override;
    void HideTextColumn() override;
    void ShowTextColumn() override;
    void UpdateFrameTitle(BOOL addToTitle) override;
    std::string ScanName() const override;
    void SetScanName(const std::string& name) override;
    HDIB TakeScannedDib() override;
    void PutScannedDib(HDIB dib) override;
    int PageListSelectedCount() const override;
    int PageListSetSelectedItemText(const std::string& path) override;
    void PostMainCommand(UINT id) override;
    void SendMainCommand(UINT id) override;
    void SetTextView(CTextView* view) override { textView_ = view; }
    CTextView* TextView() const override { return textView_; }
    bool IsInsertMode() const override;
    std::string ExternEditPath() const override { return m_settings.externEditPath; }
    CTask* Task() override { return &m_task; }
    int IgnoredFlag() const override { return m_settings.ignoredFlag; }
    bool AutoAdjust() const override { return m_settings.autoAdjust; }
    bool OutputToExe() const override { return m_settings.outputToExe; }
    int LangCode() const override { return m_settings.langCode; }
    int PageType() const override { return m_settings.pageType; }
    int EditFileType() const override { return m_settings.editFileType; }
    bool ViewsShown() const override;
    std::string StatusPaneText(int pane) const override;
    void SetStatusPaneText(int pane, const std::string& text) override;
    void ShowLearnStatus() override;
    int OpenDocumentPath(const std::string& path) override;
    BOOL OpenWithDefaultAction(const std::string& path) override;
    void PageListSelectItem(int row) override;
    void PageListSelectRows(const std::vector<int>& rows, int focus) override;
    int PageListFindItem(const std::string& path) override;
    std::vector<int> PageListSelectedRows() const override;
    int PageListUpdateItem(const FileItemInfo& item) override;
    void PageListSetItemValue(int row, std::uintptr_t value) override;
    void PageListSetItemText(int row, int column, const std::string& text) override;
    void PageListDeleteAll() override;
    bool AutoResize() const override { return m_settings.autoResize; }
    BOOL PromptImageFileName(BOOL open, const char* defaultExt, std::string& name, DWORD flags,
                             UINT filterId) override;
    int RunBatchRecognitionDialog() override;

protected:
    // The Chinese engine's start with the program folder, and its end at exit
    // (only when it was started).
    void StartEngine();
    void EndEngine();
    // The folder of the language libraries and outside libraries.
    virtual std::string ModuleFolder() const;
    // The system language (tests and SUITE_LANGID pick it).
    virtual WORD ReadSystemLanguage() const;
    // A start-up message: a message box in the program.
    virtual void StartupMessage(const std::string& text);
    // Processes the command-line file: FALSE ends the start.
    virtual BOOL OpenCommandLineFile(CCommandLineInfo& info);
    // The shell commands of the command line besides open: print the file
    // ("/p", "/pt file printer") and end, or remove the program's registry
    // entries ("/Unregister") and end. FALSE: the start ends.
    BOOL PrintCommandLineFile(const std::string& path, const std::string& printer);
    BOOL UnregisterProgram();
    // Opens the file as a page and prints it on the printer (empty: the
    // default one) once it has loaded; false when it could not.
    bool PrintFile(const std::string& path, const std::string& printer);
    // The DDE service through which the desktop's shell opens and prints files.
    void StartShellDde();
    bool RunShellDdeCommand(const ShellDdeCommand& command);
    // Hands the command-line file to a running program; TRUE when it took it
    // (or there was nothing to hand over and it was raised).
    virtual bool HandOffToRunningInstance(const std::string& file, bool queueIt);

    // Lists one chosen file (see ListChosenFiles): its first row, -1 when
    // none; what is said of it is added to `said`.
    int ListChosenFile(const std::string& path, std::vector<std::string>& said);
    int ListPdfFile(const std::string& path, std::vector<std::string>& said);
    // Writes pages 1..pages of the open PDF as one-page files into `folder`,
    // listing each; the split progress window can stop it. The row of the
    // first page listed, -1 when none was; `failed` gets the pages that could
    // not be written or listed.
    int SplitPdfIntoPages(const std::string& path, int pages, const std::string& folder, const std::string& password,
                          std::vector<int>& failed);

    // Whether the open page has layout regions.
    bool PageHasLayout() const;
    // Enters `parent` + "\" + `name`, creating it when missing; the start-up
    // message when neither works.
    bool makeFolder(const std::string& parent, const std::string& name, const std::string& message);

    afx_msg void OnNewTask();
    afx_msg void OnScan();
    afx_msg void OnSelectScanner();
    afx_msg void OnOpenImages();
    afx_msg void OnNoAction();
    afx_msg void OnRecentFile(UINT id);
    afx_msg void OnUpdateAlwaysEnabled(CCmdUI* ui);
    afx_msg void OnUpdateSaveProject(CCmdUI* ui);
    afx_msg void OnUpdateHasImages(CCmdUI* ui);
    afx_msg void OnUpdateTaskCommandB(CCmdUI* ui);
    afx_msg void OnRecogStart();
    afx_msg void OnUpdateRecogStart(CCmdUI* ui);
    afx_msg void OnSplitHandwriting();
    afx_msg void OnUpdateSplitHandwriting(CCmdUI* ui);
    afx_msg void OnRecogLayout();
    afx_msg void OnUpdateRecogLayout(CCmdUI* ui);
    afx_msg void OnRecogCancelLayout();
    afx_msg void OnUpdateRecogCancelLayout(CCmdUI* ui);
    afx_msg void OnPageNext();
    afx_msg void OnUpdatePageNext(CCmdUI* ui);
    afx_msg void OnPagePrev();
    afx_msg void OnUpdatePagePrev(CCmdUI* ui);
    afx_msg void OnSelectAll();
    afx_msg void OnOutputToFormat();
    afx_msg void OnImageRename();
    afx_msg void OnCharInput();
    afx_msg void OnPdfToRtf();
    afx_msg void OnPdfToTxt();
    afx_msg void OnUpdatePdfToRtf(CCmdUI* ui);
    afx_msg void OnUpdatePdfToTxt(CCmdUI* ui);
    afx_msg void OnAppUpdate();
    afx_msg void OnAppAbout();
    afx_msg void OnSetExternEditor();
    afx_msg void OnOutputSameName();
    afx_msg void OnSystemConfig();
    DECLARE_MESSAGE_MAP()

private:
    void ShowSplash();
    void HideSplash();
    // True while the splash wants more idle time (its 500 ms are not over).
    bool SplashWantsIdle();

    void closeMutex();

    std::unique_ptr<CQueueFile> queue_;
    CSplashDlg splash_;
    DWORD splashTicks_ = 0;
    // The records of split PDF page rows (the rows hold their addresses).
    std::deque<PdfPageRecord> pdfRecords_;
    std::unique_ptr<CUiPdfPrompts> pdfPrompts_;
    std::unique_ptr<CCharacterInputProgram> characterInput_;  // made on the first command
    CScribantCommands commands_{m_task};
    COcrDoc* document_ = nullptr;
    CTextView* textView_ = nullptr;
    HDIB scannedDib_ = nullptr;
    int waitDepth_ = 0;
    bool queuePending_ = false;
    bool openingQueued_ = false;
    // The batch window runs (its pages open in the views, which clears m_bBusy).
    bool batchRunning_ = false;  // OpenQueuedImages is under way (it pumps while pages open)
    // This start only handed its file to the running program (or raised it):
    // the settings, the recent files and the work folder are the running
    // program's, and its exit leaves them alone.
    bool handedOff_ = false;
    // This start removed the program's registry entries: its exit writes none back.
    bool unregistered_ = false;
    CShellDdeServer ddeServer_;
};

CScribantApp* ScribantApp();
