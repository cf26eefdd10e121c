// The files a user chooses, however they come (the Open dialog, the command
// line, a hand-off from a second start): images listed as they are, PDF
// files split into one-page files listed one row a page, anything else
// refused in the interface's own words, naming the file and why.
#include <cstdio>
#include <filesystem>

#include "imaging/codecs/image_file_type.h"
#include "imaging/pdf/pdf_page_access.h"
#include "ocrdoc/helpers/path_helpers.h"
#include "outside/include/pdf_libraries.h"
#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "shell/app/pdf_split.h"
#include "shell/app/scribant_app.h"
#include "shell/app/scribant_ids.h"
#include "shell/dialogs/pdf_split_progress_dlg.h"
#include "shell/frame/main_frame.h"
#include "platform/afx/core/resource.h"

namespace {

// A string of the table with its one "%s" or "%d" filled.
std::string Filled(UINT id, const std::string& text) {
    const std::string format = AfxLoadString(id).str();
    std::vector<char> buffer(format.size() + text.size() + 1);
    std::snprintf(buffer.data(), buffer.size(), format.c_str(), text.c_str());
    return buffer.data();
}
std::string Filled(UINT id, int number) {
    const std::string format = AfxLoadString(id).str();
    std::vector<char> buffer(format.size() + 32);
    std::snprintf(buffer.data(), buffer.size(), format.c_str(), number);
    return buffer.data();
}

bool IsPdf(const std::string& path) { return suite::AnsiToLower(std::string(suite::PathLastPart(path))).ends_with(".pdf"); }

}  // namespace

std::string CScribantApp::ChosenFileRefusal(const std::string& path, UINT why) {
    return Filled(IDS_FILE_REFUSED, path) + "\n" + AfxLoadString(why).str();
}

BOOL CScribantApp::ListChosenFiles(const std::vector<std::string>& paths) {
    CMainFrame* frame = MainFrame();
    if (!frame) return FALSE;
    std::vector<std::string> said;
    int open = -1;
    for (const std::string& path : paths) {
        const int row = ListChosenFile(path, said);
        if (open < 0) open = row;
    }
    if (!said.empty()) {
        std::string text;
        for (const std::string& line : said) text += (text.empty() ? "" : "\n\n") + line;
        MessageBox(text, "", MB_OK | MB_ICONEXCLAMATION);
    }
    if (open < 0) return FALSE;
    m_task.SelectImage(open);
    frame->PageList().SetFocus();
    frame->PageList().SelectItem(open);
    return TRUE;
}

int CScribantApp::ListChosenFile(const std::string& path, std::vector<std::string>& said) {
    CFileListCtrl& list = MainFrame()->PageList();
    // A listed file keeps its row: adding it again would reset its columns.
    if (const int row = list.FindItem(path); row >= 0) return row;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        said.push_back(ChosenFileRefusal(path, IDS_FILE_MISSING));
        return -1;
    }
    if (IsPdf(path)) return ListPdfFile(path, said);
    int type = IMGTYPE_UNKNOWN;
    // What the codecs read decides; the edited page and the project file
    // kept beside an image are no pages of their own.
    if (!GetImageFileType(path.c_str(), &type, false) || type == IMGTYPE_BKI || type == IMGTYPE_PST) {
        said.push_back(ChosenFileRefusal(path, IDS_FILE_NOT_IMAGE));
        return -1;
    }
    m_settings.lastFilePath = path;
    const int n = list.GetItemCount();
    if (!m_task.AddImageToList(path, 0)) return -1;
    return list.GetItemCount() > n ? n : list.FindItem(path);
}

int CScribantApp::ListPdfFile(const std::string& path, std::vector<std::string>& said) {
    int error = 0;
    std::string password;
    int pages = GetPdfPageCount(&error, path.c_str(), FALSE);
    if (pages == -1 && error == PDF_ERR_PASSWORD) {
        pages = OpenPdfWithPassword(&error, &password, path.c_str(), FALSE);
        if (pages == -1 && error == PDF_ERR_PASSWORD) {
            ClosePdfDocument();  // cancelled: nothing is opened, nothing said
            return -1;
        }
    }
    if (pages == 1) {
        ClosePdfDocument();
        m_settings.lastFilePath = path;
        const int n = MainFrame()->PageList().GetItemCount();
        if (!m_task.AddImageToList(path, 0)) return -1;
        return n;
    }
    if (pages < 1 || error != 0) {
        ClosePdfDocument();
        said.push_back(ChosenFileRefusal(path, IDS_PDF_UNSUPPORTED));
        return -1;
    }
    const std::string folder = SplitFolderOf(m_strDataDir, path);
    CreateFolderPath(folder.c_str());
    std::vector<int> failed;
    const int first = SplitPdfIntoPages(path, pages, folder, password, failed);
    ClosePdfDocument();
    if (first < 0 && !failed.empty()) {
        said.push_back(Filled(IDS_PDF_NO_PAGE, path));
    } else if (!failed.empty()) {
        std::string line = Filled(IDS_PDF_PAGES_FAILED, path) + "\n";
        for (std::size_t i = 0; i < failed.size(); ++i) line += (i ? ", " : "") + Filled(IDS_PDF_PAGE_NUMBER, failed[i]);
        said.push_back(line);
    }
    return first;
}

int CScribantApp::SplitPdfIntoPages(const std::string& path, int pages, const std::string& folder,
                                    const std::string& password, std::vector<int>& failed) {
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
        int row = -1;
        if (RenderPdfPageToFile(&error, page, file.c_str(), 1, 0, 300)) {
            pdfRecords_.push_back(PdfPageRecord{path, page, 1, password});
            const int before = list.GetItemCount();
            if (m_task.AddImageToList(file, reinterpret_cast<std::uintptr_t>(&pdfRecords_.back())))
                // A page listed by an earlier split keeps its row.
                row = list.GetItemCount() > before ? before : list.FindItem(file);
        }
        if (row < 0) failed.push_back(page);
        if (row >= 0 && firstRow < 0) {
            firstRow = row;
            m_settings.lastFilePath = file;
        }
        AfxPumpMessages();
    }
    progress.Destroy();
    return firstRow;
}
