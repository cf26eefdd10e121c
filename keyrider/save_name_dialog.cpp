#include "keyrider/save_name_dialog.h"

#include <strings.h>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/commdlg.h"
#include "platform/win/path.h"

namespace keyrider {

std::string SaveDialogFilter(const std::string& extension) {
    struct Row {
        const char* extension;
        const char* filter;
    };
    static const Row kRows[] = {
        {"bmp", "Windows Bitmap (*.bmp)|*.bmp||"},
        {"jpg", "JPEG File (*.jpg)|*.jpg||"},
        {"pdf", "Image Only PDF (*.pdf)|*.pdf||"},
        {"png", "Portable Network Graphics (*.png)|*.png||"},
        {"tif", "Tagged Image File Format (*.tif)|*.tif||"},
    };
    for (const Row& r : kRows)
        if (strcasecmp(r.extension, extension.c_str()) == 0) return r.filter;
    return {};
}

bool AskSaveName(std::string& path, const std::string& extension, CWnd* owner) {
    const std::string filter = SaveDialogFilter(extension);
    // The start: a folder (ends in a separator) or a file name in one.
    std::string folder, name;
    folder = suite::PathFolderPart(path), name = suite::PathLastPart(path);
    CFileDialog dialog(FALSE, extension.empty() ? nullptr : extension.c_str(), name.c_str(),
                       OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                       filter.empty() ? nullptr : filter.c_str(), owner);
    if (!folder.empty()) dialog.m_ofn.lpstrInitialDir = folder.c_str();
    if (dialog.DoModal() != IDOK) return false;
    path = dialog.GetPathName().GetString();
    return !path.empty();
}

}  // namespace keyrider
