// The external editor's settings (template 138): the editor program's path
// (edit 1036, chosen with CExeFileDialog through button 1029) and the file
// type the text goes to it as (combo 1096: HTML, PDF, RTF, text).
#pragma once

#include <string>

#include "platform/afx/afxwin.h"

#define IDC_EDITOR_PATH 1036
#define IDC_EDITOR_FILE_TYPE 1096
#define IDC_EDITOR_BROWSE 1029

// The open dialog of a program file: "*.EXE", titled "浏览".
class CExeFileDialog : public CFileDialog {
public:
    CExeFileDialog(const std::string& fileName, CWnd* parent);
};

class CDlgExternEditor : public CDialog {
public:
    static constexpr UINT kTemplate = 138;
    CDlgExternEditor(CWnd* parent, std::string path, int fileType);

    BOOL OnInitDialog() override;
    void OnOK() override;

    std::string m_strPath;
    int m_nFileType;

protected:
    afx_msg void OnBrowse();
    afx_msg void OnFileTypeChanged();
    DECLARE_MESSAGE_MAP()
};
