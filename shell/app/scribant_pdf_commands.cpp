// The PDF conversion commands of the application: which files the page
// list offers, and the run of the conversion with the program's settings.
#include "platform/afx/ui/msgbox.h"
#include "platform/win/codepage.h"
#include "shell/app/scribant_app.h"
#include "shell/pdf/pdf_conversion.h"

void CScribantApp::OnPdfToRtf() { ConvertSelectedPdfs(TRUE); }
void CScribantApp::OnPdfToTxt() { ConvertSelectedPdfs(FALSE); }
void CScribantApp::OnUpdatePdfToRtf(CCmdUI* ui) { ui->Enable(m_task.HasImages() && PdfSelected()); }
void CScribantApp::OnUpdatePdfToTxt(CCmdUI* ui) { ui->Enable(m_task.HasImages() && PdfSelected()); }

bool CScribantApp::PdfSelected() const {
    for (int row : PageListSelectedRows()) {
        const std::string path = PageListItemText(row, 0);
        if (path.size() >= 3 && suite::AnsiCompareNoCase(std::string_view(path).substr(path.size() - 3), "pdf") == 0)
            return true;
    }
    return false;
}

BOOL CScribantApp::ConvertSelectedPdfs(BOOL toRtf) {
    std::vector<std::string> paths;
    for (int row : PageListSelectedRows()) {
        const std::string path = PageListItemText(row, 0);
        if (path.empty()) continue;
        bool repeated = false;
        for (const std::string& known : paths) repeated = repeated || suite::AnsiCompareNoCase(known, path) == 0;
        if (!repeated) paths.push_back(path);
    }
    if (paths.empty()) {
        AfxMessageBox(IDS_PDF_NONE_SELECTED, MB_OK);
        return FALSE;
    }
    return ConvertPdfFiles(paths, toRtf);
}

BOOL CScribantApp::ConvertPdfFiles(std::vector<std::string>& paths, BOOL toRtf) {
    PdfConversionSettings settings{m_bAutoOpenRtf, m_bAutoOpenTxt, m_strOutputPath, m_strDataDir};
    const BOOL converted = ::ConvertPdfFiles(paths, toRtf, settings);
    m_bAutoOpenRtf = settings.autoOpenRtf;
    m_bAutoOpenTxt = settings.autoOpenTxt;
    m_strOutputPath = settings.outputPath;
    return converted;
}
