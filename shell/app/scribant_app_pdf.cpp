// Opening a PDF named on the command line: a protected one asks for its
// password, a one-page file is listed like an image, and a longer one is
// split into one-page files listed one row a page.
#include <filesystem>

#include "ocrdoc/helpers/path_helpers.h"
#include "outside/include/pdf_libraries.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/win/path.h"
#include "shell/app/pdf_split.h"
#include "shell/app/scribant_app.h"
#include "shell/app/scribant_ids.h"
#include "shell/dialogs/pdf_split_progress_dlg.h"
#include "shell/frame/main_frame.h"
#include "shell/pdf/pdf_page_access.h"

BOOL CScribantApp::OpenPdfFile(const std::string& path) {
    int error = 0;
    std::string password;
    int pages = GetPdfPageCount(&error, path.c_str(), FALSE);
    if (pages == -1 && error == PDF_ERR_PASSWORD) {
        pages = OpenPdfWithPassword(&error, &password, path.c_str(), FALSE);
        if (pages == -1 && error == PDF_ERR_PASSWORD) {
            ClosePdfDocument();  // cancelled: nothing is opened
            return TRUE;
        }
    }
    if (pages <= 1) {
        ClosePdfDocument();
        m_settings.lastFilePath = path;
        return OpenImagePath(path);
    }
    CMainFrame* frame = MainFrame();
    if (!frame) return FALSE;
    const std::string folder = SplitFolderOf(m_strDataDir, path);
    CreateFolderPath(folder.c_str());
    int firstRow = -1;
    if (error != 0) {
        CString text;
        text.LoadString(IDS_PDF_UNSUPPORTED);
        AfxMessageBox(text.GetString(), MB_OK);
    } else {
        firstRow = SplitPdfIntoPages(path, pages, folder, password);
    }
    ClosePdfDocument();
    // A split that listed no page opens none.
    if (firstRow >= 0) {
        m_task.SelectImage(firstRow);
        frame->PageList().SetFocus();
        frame->PageList().SelectItem(firstRow);
    }
    return TRUE;
}

int CScribantApp::SplitPdfIntoPages(const std::string& path, int pages, const std::string& folder,
                                    const std::string& password) {
    const std::string stem = PathStem(path);
    CPdfSplitProgressDlg progress;
    progress.Create(nullptr);
    progress.SetRange(pages);
    progress.SetFileName(stem);
    int firstRow = -1;
    CFileListCtrl& list = MainFrame()->PageList();
    for (int page = 1; page <= pages; ++page) {
        if (!progress.Step(page, pages, page - 1)) break;
        const std::string name = stem + "_" + FormatPageCounter(page);
        DeletePageFiles(folder, name);
        const std::string file = folder + name + ".pdf";
        int error = 0;
        if (RenderPdfPageToFile(&error, page, file.c_str(), 1, 0, 300)) {
            pdfRecords_.push_back(PdfPageRecord{path, page, 1, password});
            const int before = list.GetItemCount();
            if (m_task.AddImageToList(file, reinterpret_cast<std::uintptr_t>(&pdfRecords_.back())) &&
                firstRow < 0) {
                // A page listed by an earlier split keeps its row.
                firstRow = list.GetItemCount() > before ? before : list.FindItem(file);
                m_settings.lastFilePath = file;
            }
        }
        AfxPumpMessages();
    }
    progress.Destroy();
    return firstRow;
}
