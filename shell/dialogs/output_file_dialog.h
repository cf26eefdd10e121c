// The save dialog of "Output to format": the file dialog with the child
// template 273, whose check box 1110 "输出到外部编辑器" says whether the
// written file goes on to the external editor.
#pragma once

#include "platform/afx/afxwin.h"

#define IDC_OUTPUT_TO_EDITOR 1110

class COutputFileDialog : public CFileDialog {
public:
    static constexpr UINT kChildTemplate = 273;
    COutputFileDialog(LPCTSTR filter, CWnd* parent, BOOL toEditor);

    BOOL OnInitDialog() override;
    // Flipped by the check box.
    BOOL m_bOutputToEditor;

protected:
    afx_msg void OnToEditor();
    DECLARE_MESSAGE_MAP()
};
