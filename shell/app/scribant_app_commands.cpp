// The application's command table: the message map of CScribantApp and its
// handlers, which hand the work to the command rules, the task and the
// document.
#include <cstdio>
#include <vector>

#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/helpers/path_helpers.h"
#include "platform/afx/ui/commdlg.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "platform/win/process.h"
#include "shell/app/scribant_app.h"
#include "shell/dialogs/output_file_dialog.h"
#include "shell/app/scribant_commands.h"
#include "shell/app/scribant_ids.h"
#include "shell/batch/dlg_batch_recog.h"
#include "shell/settings/cfg_sheet.h"
#include "shell/frame/main_frame.h"
#include "platform/afx/core/resource.h"

BEGIN_MESSAGE_MAP(CScribantApp, CWinApp)
ON_COMMAND(ID_TASK_NEW, OnNewTask)
ON_COMMAND(ID_FILE_SCAN, OnScan)
ON_COMMAND(ID_FILE_SELECT_SCANNER, OnSelectScanner)
ON_COMMAND(ID_FILE_OPEN, OnOpenImages)
ON_COMMAND(ID_FILE_OPEN_PROJECT, OnNoAction)
ON_UPDATE_COMMAND_UI(ID_FILE_OPEN_PROJECT, OnUpdateAlwaysEnabled)
ON_COMMAND(ID_FILE_SAVE_PROJECT, OnNoAction)
ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_PROJECT, OnUpdateSaveProject)
ON_COMMAND(ID_PEN_SWITCH, OnNoAction)
ON_COMMAND(ID_RECOG_START, OnRecogStart)
ON_UPDATE_COMMAND_UI(ID_RECOG_START, OnUpdateRecogStart)
ON_COMMAND(ID_RECOG_SPLIT_HANDWRITING, OnSplitHandwriting)
ON_UPDATE_COMMAND_UI(ID_RECOG_SPLIT_HANDWRITING, OnUpdateSplitHandwriting)
ON_COMMAND(ID_RECOG_LAYOUT, OnRecogLayout)
ON_UPDATE_COMMAND_UI(ID_RECOG_LAYOUT, OnUpdateRecogLayout)
ON_COMMAND(ID_RECOG_CANCEL_LAYOUT, OnRecogCancelLayout)
ON_UPDATE_COMMAND_UI(ID_RECOG_CANCEL_LAYOUT, OnUpdateRecogCancelLayout)
ON_COMMAND(ID_PAGE_NEXT, OnPageNext)
ON_UPDATE_COMMAND_UI(ID_PAGE_NEXT, OnUpdatePageNext)
ON_COMMAND(ID_PAGE_PREV, OnPagePrev)
ON_UPDATE_COMMAND_UI(ID_PAGE_PREV, OnUpdatePagePrev)
ON_COMMAND(ID_FILE_SELECT_ALL, OnSelectAll)
ON_UPDATE_COMMAND_UI(ID_FILE_SELECT_ALL, OnUpdateHasImages)
ON_COMMAND(ID_OUTPUT_TO_FORMAT, OnOutputToFormat)
ON_UPDATE_COMMAND_UI(ID_OUTPUT_TO_FORMAT, OnUpdateHasImages)
ON_UPDATE_COMMAND_UI(ID_OUTPUT_SAME_NAME, OnUpdateHasImages)
ON_COMMAND(ID_IMAGE_RENAME, OnImageRename)
ON_UPDATE_COMMAND_UI(ID_IMAGE_RENAME, OnUpdateHasImages)
ON_COMMAND(ID_TASK_CMD_A, OnNoAction)
ON_UPDATE_COMMAND_UI(ID_TASK_CMD_A, OnUpdateHasImages)
ON_COMMAND(ID_TASK_CMD_B, OnNoAction)
ON_UPDATE_COMMAND_UI(ID_TASK_CMD_B, OnUpdateTaskCommandB)
ON_COMMAND(ID_CHAR_INPUT, OnCharInput)
ON_UPDATE_COMMAND_UI(ID_CHAR_INPUT, OnUpdateHasImages)
ON_COMMAND(ID_PDF_TO_RTF, OnPdfToRtf)
ON_UPDATE_COMMAND_UI(ID_PDF_TO_RTF, OnUpdatePdfToRtf)
ON_COMMAND(ID_PDF_TO_TXT, OnPdfToTxt)
ON_UPDATE_COMMAND_UI(ID_PDF_TO_TXT, OnUpdatePdfToTxt)
ON_COMMAND(ID_APP_UPDATE, OnAppUpdate)
ON_COMMAND(ID_SYSTEM_CONFIG, OnSystemConfig)
ON_COMMAND_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnRecentFile)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
ON_COMMAND(ID_SET_EXTERN_EDITOR, OnSetExternEditor)
ON_COMMAND(ID_OUTPUT_SAME_NAME, OnOutputSameName)
END_MESSAGE_MAP()

int CScribantApp::RunBatchRecognitionDialog() {
    CDlgBatchRecog dialog(IDD_BATCH_COUNTER, CDlgBatchRecog::kCounterMode, MainFrame(), CurrentDocument());
    m_bBusy = true;
    batchRunning_ = true;
    const int result = static_cast<int>(dialog.DoModal());
    batchRunning_ = false;
    m_bBusy = false;
    return result;
}

void CScribantApp::OnSystemConfig() { RunSettingsSheet(*this, m_settings, MainFrame()); }

void CScribantApp::OnNoAction() {}
void CScribantApp::OnRecentFile(UINT) {}
void CScribantApp::OnUpdateAlwaysEnabled(CCmdUI* ui) { ui->Enable(TRUE); }
void CScribantApp::OnUpdateSaveProject(CCmdUI* ui) { ui->Enable(m_task.m_bJobModified != 0); }
void CScribantApp::OnUpdateHasImages(CCmdUI* ui) { ui->Enable(commands_.HasImages()); }
void CScribantApp::OnUpdateTaskCommandB(CCmdUI* ui) { ui->Enable(commands_.CanTaskCommandB()); }
void CScribantApp::OnRecogStart() { commands_.RecognizeStart(); }
void CScribantApp::OnUpdateRecogStart(CCmdUI* ui) { ui->Enable(commands_.CanRecognize()); }
void CScribantApp::OnSplitHandwriting() { commands_.SplitHandwriting(); }
void CScribantApp::OnUpdateSplitHandwriting(CCmdUI* ui) { ui->Enable(commands_.CanSplitHandwriting()); }
void CScribantApp::OnRecogLayout() { commands_.Layout(); }
void CScribantApp::OnUpdateRecogLayout(CCmdUI* ui) { ui->Enable(commands_.CanLayout(PageHasLayout())); }
void CScribantApp::OnRecogCancelLayout() { commands_.CancelLayout(); }
void CScribantApp::OnUpdateRecogCancelLayout(CCmdUI* ui) { ui->Enable(commands_.CanCancelLayout(PageHasLayout())); }
void CScribantApp::OnPageNext() { commands_.NextPage(); }
void CScribantApp::OnUpdatePageNext(CCmdUI* ui) { ui->Enable(commands_.CanNextPage()); }
void CScribantApp::OnPagePrev() { commands_.PrevPage(); }
void CScribantApp::OnUpdatePagePrev(CCmdUI* ui) { ui->Enable(commands_.CanPrevPage()); }
void CScribantApp::OnImageRename() { m_task.RenameToScanNames(); }

bool CScribantApp::PageHasLayout() const { return document_ && document_->m_bHasLayout; }

void CScribantApp::OnSelectAll() {
    if (CMainFrame* frame = MainFrame()) frame->PageList().SelectAll();
}

void CScribantApp::OnCharInput() {
    // The character-input program is an outside program; whether it started is not examined.
    if (!characterInput_) characterInput_ = std::make_unique<CCharacterInputProgram>(m_strAppDir);
    characterInput_->Start();
}

void CScribantApp::OnScan() {
    // The queue file is left alone: paths handed over by other starts are
    // still to be opened.
    const std::string name = commands_.PrepareScanName();
    if (name.empty()) return;
    if (!m_scanner.IsSourceOpen()) m_scanner.ResetSource();
    // The pages arrive later as WM_SCANIMAGE at the main frame.
    if (m_scanner.Acquire(m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr, 1, 1) == 0)
        AfxMessageBox(AfxLoadString(IDS_CHECK_SCANNER).GetString(), MB_OK);
}

void CScribantApp::OnSelectScanner() { m_scanner.SelectSource(); }

BOOL CScribantApp::PromptImageFileName(BOOL open, const char* defaultExt, std::string& name, DWORD flags,
                                       UINT filterId) {
    CFileDialog dialog(open, defaultExt, name.c_str(), flags, AfxLoadString(filterId).GetString(), m_pMainWnd);
    if (dialog.DoModal() != IDOK) return FALSE;
    name = dialog.GetPathName().GetString();
    if (suite::PathLastPart(name).find('.') == std::string_view::npos) {
        static const char* const kExtensions[] = {".tif", ".bmp", ".jpg"};
        const DWORD index = dialog.m_ofn.nFilterIndex;
        if (index >= 1 && index <= 3) name += kExtensions[index - 1];
    }
    return TRUE;
}

void CScribantApp::OnOpenImages() {
    std::string& last = m_settings.lastFilePath;
    if (last.empty() || !PathFileExistsA(last.c_str())) last = m_strDataDir + "\\IMAGE\\";
    const bool isFolder = suite::IsPathSeparator(last.back());
    CFileDialog dialog(TRUE, nullptr, isFolder ? nullptr : last.c_str(), 0x120Cu, AfxLoadString(61219).GetString(),
                       m_pMainWnd);
    const CString title = AfxLoadString(61208);
    dialog.m_ofn.lpstrTitle = title.GetString();
    if (isFolder) dialog.m_strInitialDir = last.c_str();
    if (dialog.DoModal() != IDOK) return;
    AfxPumpMessages();
    std::vector<std::string> paths;
    POSITION pos = dialog.GetStartPosition();
    while (pos) paths.emplace_back(dialog.GetNextPathName(pos).GetString());
    if (paths.empty()) paths.emplace_back(dialog.GetPathName().GetString());
    ListChosenFiles(paths);
}

void CScribantApp::OnOutputToFormat() {
    const CString filter = AfxLoadString(61237);
    const CString title = AfxLoadString(61209);
    // The dialog starts in the output folder, made again when it went; a
    // bare name never lands in some other folder.
    std::string folder = m_strDataDir + "\\output";
    if (!PathFileExistsA(folder.c_str()) && !CreateFolderPath(folder.c_str())) folder = m_strDataDir;
    std::string chosen;
    bool toEditor = m_settings.outputToExe;
    for (;;) {
        COutputFileDialog dialog(filter.GetString(), m_pMainWnd, toEditor ? TRUE : FALSE);
        dialog.m_ofn.lpstrTitle = title.GetString();
        dialog.m_strInitialDir = folder.c_str();
        if (!chosen.empty()) std::snprintf(dialog.m_ofn.lpstrFile, dialog.m_ofn.nMaxFile, "%s", chosen.c_str());
        if (dialog.DoModal() != IDOK) return;
        AfxPumpMessages();
        toEditor = dialog.m_bOutputToEditor != FALSE;
        chosen = dialog.GetPathName().GetString();
        // A bare name takes the extension of the kind of file chosen.
        if (suite::PathLastPart(chosen).find('.') == std::string_view::npos) {
            static const char* const kExtensions[] = {".txt", ".rtf", ".htm", ".xls"};
            const DWORD index = dialog.m_ofn.nFilterIndex;
            chosen += kExtensions[index >= 1 && index <= 4 ? index - 1 : 0];
        }
        // An existing file is replaced only when the user says so.
        if (!PathFileExistsA(chosen.c_str())) break;
        char question[1200];
        std::snprintf(question, sizeof question, AfxLoadString(IDS_REPLACE_OUTPUT).GetString(), chosen.c_str());
        if (MessageBox(question, "", MB_YESNO | MB_ICONQUESTION) == IDYES) break;
        folder = chosen.substr(0, chosen.size() - suite::PathLastPart(chosen).size());
    }
    m_settings.outputToExe = toEditor;
    m_task.ExportSelected(chosen);
}
