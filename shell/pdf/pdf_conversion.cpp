#include "shell/pdf/pdf_conversion.h"

#include "imaging/pdf/loaded_library.h"
#include "imaging/pdf/pdf_page_access.h"
#include "shell/pdf/dlg_progress.h"

#include "outside/include/pdf_libraries.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "platform/win/process.h"
#include "platform/afx/core/resource.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

// What the progress callback needs of the file being converted.
struct ConversionState {
    bool writing = false;        // the converter has passed to writing
    bool unconvertible = false;  // a page of this file could not be converted whole
    int pageOffset = 0;          // first page - 1
    std::string logPath;
};

ConversionState& state() {
    static ConversionState s;
    return s;
}

// Appends `bytes` to the log (created when missing); nothing when it has no
// path or cannot be opened.
void appendToLog(const std::string& bytes) {
    const std::string& path = state().logPath;
    if (path.empty()) return;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void recreateLog() {
    const std::string& path = state().logPath;
    if (path.empty()) return;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

std::string formatted(UINT id, const char* value) {
    CString text;
    text.Format(id, value);
    return text.GetString();
}

std::string formatted(UINT id, int a, int b) {
    CString text;
    text.Format(id, a, b);
    return text.GetString();
}

// Whether the two paths name one file (the platform folds the case of names
// that do not exist as spelled, so the comparison goes through the disk).
bool sameFile(const std::string& a, const std::string& b) {
    const std::string na = suite::NativePath(a), nb = suite::NativePath(b);
    if (na == nb) return true;
    std::error_code error;
    return std::filesystem::equivalent(na, nb, error) && !error;
}

// Whether a UTF-16 text file holds anything but its mark and white space
// (a PDF of pictures only converts to no text at all).
bool holdsText(const std::string& path) {
    std::ifstream in(suite::NativePath(path), std::ios::binary);
    char unit[2];
    while (in.read(unit, 2)) {
        const unsigned code = static_cast<unsigned char>(unit[0]) | static_cast<unsigned char>(unit[1]) << 8;
        if (code != 0xFEFF && code != ' ' && code != '\t' && code != '\r' && code != '\n' && code != 0x3000) return true;
    }
    return false;
}

void showNotConverted(const std::vector<std::string>& names, UINT head = IDS_PDF_NOT_CONVERTED) {
    constexpr std::size_t kListed = 20;
    std::string text = AfxLoadString(head).str();
    for (std::size_t i = 0; i < names.size() && i < kListed; ++i) text += "\r\n" + names[i];
    if (names.size() > kListed) text += "\r\n...";
    AfxMessageBox(text.c_str(), MB_OK | MB_ICONWARNING);
}

HWND mainWindow() {
    CWnd* main = AfxGetMainWnd();
    return main ? main->GetSafeHwnd() : nullptr;
}

}  // namespace

std::string ConversionLogPath(const std::string& dataFolder) { return dataFolder + "\\CvtErr.txt"; }

void SetConversionLog(const std::string& path) { state().logPath = path; }

std::string PdfOutputName(const std::string& inputPath, bool toRtf) {
    std::string name = std::string(suite::PathLastPart(inputPath));
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name + (toRtf ? ".rtf" : ".txt");
}

void BeginConversionProgress(int pageOffset) {
    ConversionState& s = state();
    s.writing = false;
    s.unconvertible = false;
    s.pageOffset = pageOffset;
}

int PdfConvertProgress(int total, int current, int unconvertible) {
    if (current > total) return 1;
    CDlgProgress& progress = ConversionProgress();
    ConversionState& s = state();
    const int half = total / 2;
    if (current <= half) {
        const std::string text = formatted(IDS_PDF_PARSING, half, current);
        progress.SetPos(current);
        if (progress.IsStopped()) return 1;
        progress.SetText(text.c_str());
        if (unconvertible) {
            s.unconvertible = true;
            appendToLog(formatted(IDS_PDF_LOG_PAGE, current, current + s.pageOffset) + "\r\n\r\n");
        }
    } else {
        if (!s.writing) {
            s.writing = true;
            progress.ResetPercentage();
        }
        const std::string text = formatted(IDS_PDF_WRITING, half, current - half);
        progress.SetPos(current - half);
        if (progress.IsStopped()) return 1;
        progress.SetText(text.c_str());
    }
    AfxPumpMessages();
    return 0;
}

int ConvertPdfToRtf(int* unconvertible, const char* input, const char* output, int firstPage, int lastPage,
                    BOOL hasPassword, const char* password) {
    ConversionState& s = state();
    s.unconvertible = false;
    appendToLog(formatted(IDS_PDF_LOG_SOURCE, input ? input : "") + "\r\n");
    appendToLog(formatted(IDS_PDF_LOG_TARGET, output ? output : "") + "\r\n\r\n");
    int result = PDF_CONVERT_MISSING_ENTRY;
    {
        LoadedLibrary library(PDF_TO_RTF_LIBRARY_NAME);
        if (!library) {
            AfxMessageBox("Can not find Calvet.dll", MB_OK);
            if (unconvertible) *unconvertible = 0;
            return PDF_CONVERT_MISSING_ENTRY;
        }
        auto init = library.entry<PFN_PDFINIT>("pdfInit");
        auto convert = library.entry<PFN_CALVET>("calvet");
        auto term = library.entry<PFN_PDFTERM>("pdfTerm");
        if (init) init();
        if (init && convert) {
            BeginConversionProgress(firstPage - 1);
            CDlgProgress& progress = ConversionProgress();
            progress.Create(AfxGetMainWnd());
            progress.SetRange(lastPage - firstPage + 1);
            progress.SetFileName(input);
            result = convert(input, output, firstPage, lastPage, hasPassword, password, PdfConvertProgress);
            progress.Destroy();
            if (term) term();
            else if (result == 0) result = PDF_CONVERT_MISSING_ENTRY;
        }
    }
    if (!s.unconvertible) appendToLog(AfxLoadString(IDS_PDF_LOG_COMPLETE).str() + "\r\n\r\n");
    if (unconvertible) *unconvertible = s.unconvertible ? 1 : 0;
    return result;
}

int ConvertPdfToTxt(const char* input, const char* output, int firstPage, int lastPage, const char* password) {
    LoadedLibrary library(PDF_TO_TEXT_LIBRARY_NAME);
    if (!library) {
        AfxMessageBox("Can not find Derrow.dll", MB_OK);
        return PDF_CONVERT_MISSING_ENTRY;
    }
    auto init = library.entry<PFN_PDFINIT>("pdfInit");
    auto convert = library.entry<PFN_DERROW>("derrow");
    auto term = library.entry<PFN_PDFTERM>("pdfTerm");
    if (!init || !convert || !term) return PDF_CONVERT_MISSING_ENTRY;
    init();
    const int result = convert(input, output, firstPage, lastPage, password);
    term();
    return result;
}

BOOL ConvertPdfFiles(std::vector<std::string>& paths, BOOL toRtf, PdfConversionSettings& settings) {
    CPdfConvertDlg dialog(AfxGetMainWnd(), toRtf, paths, settings);
    if (dialog.DoModal() != IDOK) {
        paths.clear();
        return FALSE;
    }
    paths = dialog.SelectedPaths();
    const std::string folder = dialog.TargetFolder();
    const int rangeFirst = dialog.FirstPage(), rangeLast = dialog.LastPage();
    const bool whole = rangeFirst == 0 && rangeLast == -1;
    SetConversionLog(ConversionLogPath(settings.dataFolder));
    recreateLog();
    bool anyFailure = false, anyUnconvertible = false;
    std::vector<std::string> notConverted, noText;
    const bool openAfter = (toRtf ? settings.autoOpenRtf : settings.autoOpenTxt) != 0;
    for (const std::string& input : paths) {
        const std::string output = folder + PdfOutputName(input, toRtf != 0);
        if (sameFile(input, output)) {
            anyFailure = true;
            notConverted.emplace_back(suite::PathLastPart(input));
            continue;
        }
        int error = 0;
        std::string password;
        const int pages = OpenPdfWithPassword(&error, &password, input.c_str(), TRUE);
        if (pages <= 0 || error != 0) {
            notConverted.emplace_back(suite::PathLastPart(input));
            continue;
        }
        int first = 1, last = pages;
        if (!whole) {
            if (pages < rangeFirst) {
                notConverted.emplace_back(suite::PathLastPart(input));
                continue;
            }
            first = rangeFirst;
            last = std::min(rangeLast, pages);
        }
        int unconvertible = 0;
        const int result = toRtf ? ConvertPdfToRtf(&unconvertible, input.c_str(), output.c_str(), first, last,
                                                   password.empty() ? FALSE : TRUE, password.c_str())
                                 : ConvertPdfToTxt(input.c_str(), output.c_str(), first, last, password.c_str());
        if (result == 0 && !toRtf && !holdsText(output)) {
            // Nothing was converted: no empty file is left as if it were the text.
            DeleteFileA(output.c_str());
            anyFailure = true;
            noText.emplace_back(suite::PathLastPart(input));
        } else if (result != 0) {
            anyFailure = true;
            notConverted.emplace_back(suite::PathLastPart(input));
        } else if (!anyFailure && openAfter) {
            ShellExecuteA(mainWindow(), "open", output.c_str(), nullptr, std::string(suite::PathFolderPart(output)).c_str(), SW_SHOWNORMAL);
        }
        anyUnconvertible = anyUnconvertible || unconvertible != 0;
    }
    if (anyUnconvertible) {
        AfxMessageBox(IDS_PDF_PARTLY_CONVERTED, MB_OK | MB_ICONINFORMATION);
        ShellExecuteA(mainWindow(), "open", state().logPath.c_str(), nullptr, settings.dataFolder.c_str(), SW_SHOW);
    }
    if (!noText.empty()) showNotConverted(noText, IDS_PDF_NO_TEXT);
    if (!notConverted.empty()) {
        showNotConverted(notConverted);
    } else if (noText.empty() && !anyUnconvertible && !openAfter) {
        AfxMessageBox(IDS_PDF_DONE, MB_OK | MB_ICONINFORMATION);
    }
    return TRUE;
}
