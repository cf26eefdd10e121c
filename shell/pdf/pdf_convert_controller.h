// The PDF conversion dialog without its window: the rows of the files to
// convert (each keeping its folder apart from the name it shows), the
// whole-document or page-range choice, the target folder and the open-after
// check box, and the checks of OK.
#pragma once

#include <string>
#include <vector>

// Strings of the dialog's refusals.
#define IDS_PDF_RANGE_ERROR 61475
#define IDS_PDF_FOLDER_ERROR 61476
#define IDS_PDF_SELECT_ONE 61487

struct PdfConvertRow {
    std::string folder;  // up to and including the last backslash (or slash)
    std::string name;    // what the row shows
    bool selected = true;
};

class CPdfConvertController {
public:
    // `toRtf` picks the mode; `outputPath` is the remembered target folder
    // (empty: the data folder's "\OUTPUT\"); `autoOpen` the mode's open-after
    // setting.
    CPdfConvertController(bool toRtf, const std::vector<std::string>& paths, const std::string& outputPath,
                          const std::string& dataFolder, bool autoOpen);

    bool ToRtf() const { return m_toRtf; }
    const std::vector<PdfConvertRow>& Rows() const { return m_rows; }
    void SelectRow(int row, bool selected);

    // "Whole document" checked: the page edits are disabled.
    bool WholeDocument() const { return m_whole; }
    void SetWholeDocument(bool whole) { m_whole = whole; }
    bool PageEditsEnabled() const { return !m_whole; }

    const std::string& FolderText() const { return m_folderText; }
    bool AutoOpen() const { return m_autoOpen; }
    // A folder chosen in the folder browser, with a trailing backslash added.
    void ChooseFolder(const std::string& folder);

    // OK with the texts of the folder and page edits and the check box: 0 when
    // the dialog may end (the folder exists, created when missing), else the
    // string of the message to show while it stays.
    unsigned Accept(const std::string& folderText, const std::string& firstText, const std::string& lastText,
                    bool autoOpen);

    // After an accepted OK: the target folder (ending in a backslash), the
    // paths of the selected rows in row order, the page range (0 and -1 for
    // the whole document) and the check box.
    const std::string& TargetFolder() const { return m_target; }
    const std::vector<std::string>& SelectedPaths() const { return m_selected; }
    int FirstPage() const { return m_first; }
    int LastPage() const { return m_last; }

    // A page edit's text as a page number: a whole number of at most nine
    // digits with an optional sign, spaces around allowed; anything else 0.
    static int ReadPage(const std::string& text);
    // Folder texts longer than this (with the trailing backslash) are refused:
    // the names of the files inside would not fit a path.
    static constexpr std::size_t kMaxFolder = 259;

private:
    bool m_toRtf;
    std::vector<PdfConvertRow> m_rows;
    bool m_whole = true;
    std::string m_folderText;
    bool m_autoOpen;
    std::string m_target;
    std::vector<std::string> m_selected;
    int m_first = 0;
    int m_last = -1;
};
