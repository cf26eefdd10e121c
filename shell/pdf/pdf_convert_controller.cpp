#include "shell/pdf/pdf_convert_controller.h"

#include "ocrdoc/helpers/path_helpers.h"
#include "platform/win/files.h"

#include <cctype>
#include <cstdlib>

namespace {

std::string withTrailingBackslash(std::string folder) {
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
    return folder;
}

// "\x", "/x" or a drive prefix "C:\": a folder that does not hang on the
// program's working folder.
bool isAbsolute(const std::string& folder) {
    if (!folder.empty() && (folder[0] == '\\' || folder[0] == '/')) return true;
    return folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) && folder[1] == ':' &&
           (folder[2] == '\\' || folder[2] == '/');
}

}  // namespace

CPdfConvertController::CPdfConvertController(bool toRtf, const std::vector<std::string>& paths,
                                             const std::string& outputPath, const std::string& dataFolder,
                                             bool autoOpen)
    : m_toRtf(toRtf), m_autoOpen(autoOpen) {
    for (const std::string& path : paths) {
        const std::size_t cut = path.find_last_of("\\/");
        PdfConvertRow row;
        if (cut == std::string::npos) {
            row.name = path;
        } else {
            row.folder = path.substr(0, cut + 1);
            row.name = path.substr(cut + 1);
        }
        m_rows.push_back(std::move(row));
    }
    m_folderText = outputPath.empty() ? dataFolder + "\\OUTPUT\\" : outputPath;
}

void CPdfConvertController::SelectRow(int row, bool selected) {
    if (row >= 0 && row < static_cast<int>(m_rows.size())) m_rows[static_cast<std::size_t>(row)].selected = selected;
}

void CPdfConvertController::ChooseFolder(const std::string& folder) {
    if (!folder.empty()) m_folderText = withTrailingBackslash(folder);
}

int CPdfConvertController::ReadPage(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t end = text.size();
    while (end > i && text[end - 1] == ' ') --end;
    bool negative = false;
    if (i < end && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == end || end - i > 9) return 0;
    long value = 0;
    for (; i < end; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
        value = value * 10 + (text[i] - '0');
    }
    return static_cast<int>(negative ? -value : value);
}

unsigned CPdfConvertController::Accept(const std::string& folderText, const std::string& firstText,
                                       const std::string& lastText, bool autoOpen) {
    bool any = false;
    for (const PdfConvertRow& row : m_rows) any = any || row.selected;
    if (!any) return IDS_PDF_SELECT_ONE;
    m_folderText = folderText;
    const std::string folder = withTrailingBackslash(folderText);
    int first = 0, last = -1;
    if (!m_whole) {
        first = ReadPage(firstText);
        last = ReadPage(lastText);
        // Page numbers start at 1: a negative number is as wrong as 0.
        if (first < 1 || last < 1 || last < first) return IDS_PDF_RANGE_ERROR;
    }
    m_autoOpen = autoOpen;
    if (folderText.empty() || folder.size() > kMaxFolder || !isAbsolute(folder)) return IDS_PDF_FOLDER_ERROR;
    if (!PathIsDirectoryA(folder.c_str()) && (!CreateFolderPath(folder.c_str()) || !PathIsDirectoryA(folder.c_str()))) return IDS_PDF_FOLDER_ERROR;
    m_target = folder;
    m_first = first;
    m_last = last;
    m_selected.clear();
    for (const PdfConvertRow& row : m_rows)
        if (row.selected) m_selected.push_back(row.folder + row.name);
    return 0;
}
