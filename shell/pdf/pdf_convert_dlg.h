// The PDF conversion dialog (template 279): a thin window over
// CPdfConvertController. The caller gives the mode, the paths and the
// settings it keeps; after IDOK it reads the target folder, the selected
// paths and the page range, and the settings hold the folder and the
// open-after choice.
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/pdf/pdf_convert_controller.h"

#include <memory>
#include <string>
#include <vector>

#define IDD_PDF_CONVERT 279
#define IDC_CONVERT_FILES 1129
#define IDC_CONVERT_OPEN_AFTER 1130
#define IDC_CONVERT_ALL_PAGES 1131
#define IDC_CONVERT_PAGE_RANGE 1132
#define IDC_CONVERT_FIRST 1133
#define IDC_CONVERT_LAST 1134
#define IDC_CONVERT_BROWSE 1135
#define IDC_CONVERT_FOLDER 1136
#define IDS_BROWSE_FOLDER_TITLE 61456
#define IDS_BROWSE_FOLDER_PROMPT 61460
// The caption and check-box text of the text mode.
#define IDS_PDF_TO_TXT_CAPTION 61900
#define IDS_PDF_OPEN_TXT 61901

// What the conversion keeps between runs.
struct PdfConversionSettings {
    int autoOpenRtf = 0;
    int autoOpenTxt = 0;
    std::string outputPath;  // the last target folder; empty: the data folder's "\OUTPUT\"
    std::string dataFolder;
};

class CPdfConvertDlg : public CDialog {
public:
    CPdfConvertDlg(CWnd* parent, BOOL toRtf, const std::vector<std::string>& paths, PdfConversionSettings& settings);

    CPdfConvertController& Controller() { return *m_controller; }
    std::string TargetFolder() const { return m_controller->TargetFolder(); }
    std::vector<std::string> SelectedPaths() const { return m_controller->SelectedPaths(); }
    int FirstPage() const { return m_controller->FirstPage(); }
    int LastPage() const { return m_controller->LastPage(); }

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    afx_msg void OnAllPages();
    afx_msg void OnPageRange();
    afx_msg void OnBrowse();
    DECLARE_MESSAGE_MAP()

private:
    void ShowPageChoice();
    PdfConversionSettings& m_settings;
    std::unique_ptr<CPdfConvertController> m_controller;
};
