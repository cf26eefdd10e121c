// Common dialogs over Qt's, the tray icon, and printing through Qt's printer.
#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSystemTrayIcon>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/afx/core/afxgdi.h"
#include "platform/win/path.h"
#include "platform/afx/core/dc_qt.h"
#include "platform/afx/ui/app.h"
#include "platform/afx/ui/commdlg.h"
#include "platform/afx/ui/docview.h"
#include "platform/afx/ui/folder_browser.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/win/atomic_file.h"
#include "platform/win/codepage.h"

using namespace afx_detail;

namespace {
// "Desc|*.a;*.b|Other|*.*||" -> Qt's "Desc (*.a *.b);;Other (*)".
QString QtFilter(const CString& filter, QStringList* list) {
    std::vector<CString> parts;
    CString rest = filter;
    while (!rest.IsEmpty()) {
        int bar = rest.Find('|');
        if (bar < 0) {
            parts.push_back(rest);
            break;
        }
        parts.push_back(rest.Left(bar));
        rest = rest.Mid(bar + 1);
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].IsEmpty() && parts[i + 1].IsEmpty()) break;
        QString patterns = ToQ(parts[i + 1]).trimmed();
        patterns.replace(';', ' ');
        if (patterns == "*.*") patterns = "*";
        list->append(ToQ(parts[i]).trimmed() + " (" + patterns + ")");
    }
    return list->join(";;");
}

// The position of the last folder separator of a path, -1 when none (a
// trail byte 0x5C of a double-byte character is no separator).
int LastSeparator(const CString& path) { return static_cast<int>(suite::PathFolderPart(path.str()).size()) - 1; }

// The folder of a path ("/" for a file at the root, "" without a folder).
CString FolderOf(const CString& path) {
    int cut = LastSeparator(path);
    if (cut < 0) return CString();
    return cut == 0 ? path.Left(1) : path.Left(cut);
}

CString NameOf(const CString& path) { return path.Mid(LastSeparator(path) + 1); }

bool IsAbsolute(const std::string& path) {
    return !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
}

CString Joined(const CString& folder, const CString& name) {
    if (folder.IsEmpty()) return name;
    int last = LastSeparator(folder);
    return last == folder.GetLength() - 1 ? folder + name : folder + "/" + name;
}

// A filter the caller wrote into the record itself: "Desc\0*.a\0...\0\0", or
// the '|' form; returned in the '|' form.
CString RecordFilter(LPCSTR filter) {
    if (std::strchr(filter, '|')) return CString(filter);
    CString out;
    for (const char* p = filter; *p; p += std::strlen(p) + 1) out += CString(p) + "|";
    return out + "|";
}
}  // namespace

// File dialogs.
IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

CFileDialog::CFileDialog(BOOL open, LPCTSTR defExt, LPCTSTR fileName, DWORD flags, LPCTSTR filter, CWnd* parent)
    : m_bOpenFileDialog(open), m_strFilter(filter), m_strDefExt(defExt) {
    m_pParentWnd = parent;
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = flags;
    m_ofn.lpstrFile = m_szFile;
    m_ofn.nMaxFile = sizeof m_szFile;
    if (fileName) std::snprintf(m_szFile, sizeof m_szFile, "%s", fileName);
    m_ofn.lpstrDefExt = defExt ? m_strDefExt.GetString() : nullptr;
}

// The name in the caller's buffer (the initial name, or the last answer).
static CString BufferName(const OPENFILENAME& ofn) {
    if (!ofn.lpstrFile || ofn.nMaxFile == 0) return CString();
    return CString(std::string(ofn.lpstrFile, strnlen(ofn.lpstrFile, ofn.nMaxFile)).c_str());
}

INT_PTR CFileDialog::DoModal() {
    CString title = m_ofn.lpstrTitle ? CString(m_ofn.lpstrTitle) : m_strTitle;
    CString filter = m_ofn.lpstrFilter && m_strFilter.IsEmpty() ? RecordFilter(m_ofn.lpstrFilter) : m_strFilter;
    CString defExt = m_ofn.lpstrDefExt ? CString(m_ofn.lpstrDefExt) : m_strDefExt;
    // The dialog starts in the initial folder, else in that of the initial name.
    CString initialName = BufferName(m_ofn);
    CString folder = m_ofn.lpstrInitialDir ? CString(m_ofn.lpstrInitialDir) : m_strInitialDir;
    if (folder.IsEmpty()) folder = FolderOf(initialName);
    QStringList names;
    QtFilter(filter, &names);
    std::vector<std::string> chosen;
    bool ok = false;
    // The child template's controls: this object is their (hidden) dialog.
    CDialogTemplate child;
    bool withChild = false;
    if ((m_ofn.Flags & OFN_ENABLETEMPLATE) && m_ofn.lpTemplateName &&
        AfxLoadDialogTemplate(m_ofn.hInstance ? m_ofn.hInstance : AfxGetResourceHandle(), m_ofn.lpTemplateName, child)) {
        child.style = (child.style & ~static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) | WS_POPUP;
        withChild = CreateFromTemplate(child, nullptr, false) != FALSE;
    }
    struct ChildGoes {
        CFileDialog* dialog;
        bool made;
        ~ChildGoes() {
            if (made && dialog->m_hWnd) dialog->DestroyWindow();
        }
    } childGoes{this, withChild};
    if (AfxTestScript::Enabled()) {
        void (*action)(CWnd*, void*) = nullptr;
        void* data = nullptr;
        if (withChild && AfxTestScript::TakeDialogAction(&action, &data)) action(this, data);
        AfxShownRecord rec;
        rec.kind = "file";
        rec.title = title.GetString();
        rec.text = filter.GetString();
        rec.type = m_ofn.Flags;
        rec.folder = folder.GetString();
        rec.name = NameOf(initialName).GetString();
        ok = AfxTestScript::TakeFiles(&chosen) && !chosen.empty();
        rec.result = ok ? IDOK : IDCANCEL;
        AfxTestScript::Record(rec);
        // A bare name is typed into the dialog: it lies in the dialog's folder.
        CString base = folder.IsEmpty() ? FromQ(QDir::currentPath()) : folder;
        for (std::string& p : chosen)
            if (!IsAbsolute(p)) p = Joined(base, CString(p.c_str())).GetString();
        if (!names.isEmpty() && (m_ofn.nFilterIndex < 1 || m_ofn.nFilterIndex > static_cast<DWORD>(names.size()))) m_ofn.nFilterIndex = 1;
    } else if (!NobodyToAsk("file dialog", title.GetString())) {
        QFileDialog dlg(m_pParentWnd && m_pParentWnd->m_pWidget ? m_pParentWnd->m_pWidget->window() : nullptr, ToQ(title));
        dlg.setNameFilters(names);
        if (!names.isEmpty() && m_ofn.nFilterIndex >= 1 && m_ofn.nFilterIndex <= static_cast<DWORD>(names.size()))
            dlg.selectNameFilter(names[static_cast<int>(m_ofn.nFilterIndex) - 1]);
        dlg.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dlg.setFileMode(m_bOpenFileDialog ? ((m_ofn.Flags & OFN_ALLOWMULTISELECT) ? QFileDialog::ExistingFiles
                                                                                   : QFileDialog::ExistingFile)
                                          : QFileDialog::AnyFile);
        dlg.setOption(QFileDialog::DontConfirmOverwrite, !(m_ofn.Flags & OFN_OVERWRITEPROMPT));
        // The dialog adds the extension itself, so that it asks about overwriting the final name.
        if (!m_bOpenFileDialog && !defExt.IsEmpty()) dlg.setDefaultSuffix(ToQ(defExt));
        // The program speaks of Windows-style paths; the dialog needs the
        // file system's own, or it starts in whatever folder is current.
        if (!folder.IsEmpty()) dlg.setDirectory(QString::fromStdString(suite::NativePathOfEither(folder.GetString())));
        if (!initialName.IsEmpty())
            dlg.selectFile(QString::fromStdString(suite::NativePathOfEither(initialName.GetString())));
        if (withChild && m_pWidget) {
            // Qt's own dialog, so that the child's controls can sit in its layout.
            dlg.setOption(QFileDialog::DontUseNativeDialog, true);
            if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout())) {
                m_pWidget->setParent(&dlg);
                m_pWidget->setWindowFlags(Qt::Widget);
                grid->addWidget(m_pWidget, grid->rowCount(), 0, 1, grid->columnCount());
                m_pWidget->show();
            }
        }
        ok = dlg.exec() == QDialog::Accepted;
        // The child goes back to being a window of its own before the dialog goes.
        if (withChild && m_pWidget && m_pWidget->parent() == &dlg) {
            m_pWidget->hide();
            m_pWidget->setParent(nullptr);
        }
        if (ok) {
            for (const QString& f : dlg.selectedFiles()) chosen.push_back(FromQ(QDir::toNativeSeparators(f)).GetString());
            int index = names.indexOf(dlg.selectedNameFilter());
            if (index >= 0) m_ofn.nFilterIndex = static_cast<DWORD>(index + 1);
        }
    }
    if (!ok || chosen.empty()) return IDCANCEL;
    std::vector<CString> paths;
    for (std::string& p : chosen) {
        CString path(p.c_str());
        // A saved name without an extension takes the default one.
        if (!m_bOpenFileDialog && !defExt.IsEmpty() && NameOf(path).Find('.') < 0) path += CString(".") + defExt;
        paths.push_back(path);
    }
    // The caller's buffer gets the path, or for several files the folder then the names, NUL-separated.
    std::string out;
    if (paths.size() == 1) {
        out = paths[0].GetString();
        out.push_back('\0');
    } else {
        out = FolderOf(paths[0]).GetString();
        out.push_back('\0');
        for (const CString& p : paths) {
            out += NameOf(p).GetString();
            out.push_back('\0');
        }
    }
    out.push_back('\0');
    if (m_ofn.lpstrFile && m_ofn.nMaxFile > 0) {
        if (out.size() > m_ofn.nMaxFile) return IDCANCEL;  // the buffer is too small: nothing chosen
        std::memcpy(m_ofn.lpstrFile, out.data(), out.size());
    }
    m_paths = std::move(paths);
    const CString& first = m_paths[0];
    m_ofn.nFileOffset = static_cast<WORD>(LastSeparator(first) + 1);
    int dot = first.ReverseFind('.');
    m_ofn.nFileExtension = static_cast<WORD>(dot >= m_ofn.nFileOffset ? dot + 1 : 0);
    return IDOK;
}

// Before the first answer (and after a cancel) the name is the one in the buffer.
CString CFileDialog::GetPathName() const { return m_paths.empty() ? BufferName(m_ofn) : m_paths[0]; }
CString CFileDialog::GetFileName() const { return NameOf(GetPathName()); }
CString CFileDialog::GetFileExt() const {
    CString n = GetFileName();
    int dot = n.ReverseFind('.');
    return dot >= 0 ? n.Mid(dot + 1) : CString();
}
CString CFileDialog::GetFileTitle() const {
    CString n = GetFileName();
    int dot = n.ReverseFind('.');
    return dot >= 0 ? n.Left(dot) : n;
}
POSITION CFileDialog::GetStartPosition() const { return m_paths.empty() ? nullptr : reinterpret_cast<POSITION>(1); }
CString CFileDialog::GetNextPathName(POSITION& pos) const {
    size_t i = reinterpret_cast<size_t>(pos) - 1;
    if (i >= m_paths.size()) {
        pos = nullptr;
        return CString();
    }
    pos = i + 1 < m_paths.size() ? reinterpret_cast<POSITION>(i + 2) : nullptr;
    return m_paths[i];
}

// The document commands' file dialogs.
namespace afx_detail {
BOOL SaveAsDialog(CDocument* doc, CString& path) {
    CString filter, ext;
    if (CDocTemplate* t = doc->GetDocTemplate()) {
        CString name, pattern;
        t->GetDocString(name, CDocTemplate::filterName);
        t->GetDocString(pattern, CDocTemplate::filterExt);
        if (!pattern.IsEmpty()) {
            filter = name + "|*" + pattern + "|";
            ext = pattern.Mid(pattern.Find('.') + 1);
        }
    }
    filter += "All Files (*.*)|*.*||";
    CFileDialog dlg(FALSE, ext.IsEmpty() ? nullptr : ext.GetString(), doc->GetTitle(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter);
    if (dlg.DoModal() != IDOK) return FALSE;
    path = dlg.GetPathName();
    return TRUE;
}

BOOL OpenDialog(CString& path) {
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, "All Files (*.*)|*.*||");
    if (dlg.DoModal() != IDOK) return FALSE;
    path = dlg.GetPathName();
    return TRUE;
}
}  // namespace afx_detail

// Colours.
IMPLEMENT_DYNAMIC(CColorDialog, CDialog)

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) : m_color(initial), m_dwFlags(flags) { m_pParentWnd = parent; }

INT_PTR CColorDialog::DoModal() {
    if (AfxTestScript::Enabled()) {
        AfxShownRecord rec;
        rec.kind = "color";
        int answer = IDCANCEL;
        AfxTestScript::TakeAnswer(&answer);
        std::vector<std::string> files;
        // A queued "#RRGGBB" is the colour chosen.
        if (answer == IDOK && AfxTestScript::TakeFiles(&files) && !files.empty() && files[0].size() == 7 && files[0][0] == '#') {
            unsigned v = static_cast<unsigned>(std::strtoul(files[0].c_str() + 1, nullptr, 16));
            m_color = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        }
        rec.result = answer;
        AfxTestScript::Record(rec);
        return answer == IDOK ? IDOK : IDCANCEL;
    }
    if (NobodyToAsk("colour dialog", "")) return IDCANCEL;
    QColor c = QColorDialog::getColor(QColor(GetRValue(m_color), GetGValue(m_color), GetBValue(m_color)),
                                      m_pParentWnd && m_pParentWnd->m_pWidget ? m_pParentWnd->m_pWidget->window() : nullptr);
    if (!c.isValid()) return IDCANCEL;
    m_color = RGB(static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()), static_cast<BYTE>(c.blue()));
    return IDOK;
}

// Folders.
LPITEMIDLIST SHBrowseForFolder(BROWSEINFO* info) {
    if (!info) return nullptr;
    std::string folder;
    if (info->lpfn && (AfxTestScript::Enabled() || !NobodyToAsk("folder browser", info->lpszTitle))) {
        folder = afx_detail::RunFolderBrowser(*info);
        if (folder.empty()) return nullptr;
    } else if (AfxTestScript::Enabled()) {
        AfxShownRecord rec;
        rec.kind = "folder";
        rec.title = info->lpszTitle ? info->lpszTitle : "";
        std::vector<std::string> chosen;
        bool ok = AfxTestScript::TakeFiles(&chosen) && !chosen.empty();
        rec.result = ok ? IDOK : IDCANCEL;
        AfxTestScript::Record(rec);
        if (!ok) return nullptr;
        folder = chosen[0];
    } else {
        if (NobodyToAsk("folder browser", info->lpszTitle)) return nullptr;
        CWnd* owner = CWnd::FromHandlePermanent(info->hwndOwner);
        QString dir = QFileDialog::getExistingDirectory(owner && owner->m_pWidget ? owner->m_pWidget->window() : nullptr,
                                                        ToQ(info->lpszTitle));
        if (dir.isEmpty()) return nullptr;
        folder = FromQ(QDir::toNativeSeparators(dir)).GetString();
    }
    if (info->pszDisplayName) {
        size_t cut = folder.find_last_of("/\\");
        std::string name = cut == std::string::npos ? folder : folder.substr(cut + 1);
        std::snprintf(info->pszDisplayName, MAX_PATH, "%s", name.c_str());
    }
    char* block = static_cast<char*>(std::malloc(folder.size() + 1));
    if (!block) return nullptr;
    std::memcpy(block, folder.c_str(), folder.size() + 1);
    return reinterpret_cast<LPITEMIDLIST>(block);
}

BOOL SHGetPathFromIDList(LPCITEMIDLIST list, LPSTR path) {
    if (!list || !path) return FALSE;
    const char* s = reinterpret_cast<const char*>(list);
    if (std::strlen(s) >= MAX_PATH) return FALSE;
    std::strcpy(path, s);
    return TRUE;
}

void CoTaskMemFree(void* block) { std::free(block); }

// Tray icons.
namespace {
struct TrayEntry {
    QSystemTrayIcon* icon = nullptr;
    UINT callback = 0;
};
std::map<std::pair<HWND, UINT>, TrayEntry>& Tray() {
    static std::map<std::pair<HWND, UINT>, TrayEntry> m;
    return m;
}

// With SUITE_TRAY_LOG naming a file, each change of an icon is appended to it
// as one line "add|modify|delete <process id> <uID> <tooltip>", so that a
// program's icon can be checked from another process.
void LogTrayChange(const char* change, UINT id, const QString& tooltip) {
    const char* path = std::getenv("SUITE_TRAY_LOG");
    if (!path || !*path) return;
    std::string line = std::string(change) + " " + std::to_string(::getpid()) + " " + std::to_string(id) + " " +
                       FromQ(tooltip).GetString() + "\n";
    // One append of the whole line, so that lines of several processes never mix.
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    ssize_t written = ::write(fd, line.data(), line.size());
    (void)written;
    ::close(fd);
}
}  // namespace

BOOL Shell_NotifyIcon(DWORD message, NOTIFYICONDATA* data) {
    if (!data) return FALSE;
    EnsureApplication();
    auto key = std::make_pair(data->hWnd, data->uID);
    auto& tray = Tray();
    // An icon can be removed after its window went; it is added or changed only for a live one.
    if (message != NIM_DELETE && !IsWindow(data->hWnd)) return FALSE;
    if (message == NIM_DELETE) {
        auto it = tray.find(key);
        if (it == tray.end()) return FALSE;
        LogTrayChange("delete", data->uID, it->second.icon ? it->second.icon->toolTip() : QString());
        delete it->second.icon;
        tray.erase(it);
        return TRUE;
    }
    if (message != NIM_ADD && message != NIM_MODIFY) return FALSE;
    if ((message == NIM_ADD) == (tray.count(key) != 0)) return FALSE;
    TrayEntry& e = tray[key];
    if (!e.icon) {
        e.icon = new QSystemTrayIcon;
        HWND hwnd = data->hWnd;
        UINT id = data->uID;
        QObject::connect(e.icon, &QSystemTrayIcon::activated, e.icon, [hwnd, id](QSystemTrayIcon::ActivationReason r) {
            auto it = Tray().find({hwnd, id});
            if (it == Tray().end() || !it->second.callback) return;
            LPARAM what = r == QSystemTrayIcon::DoubleClick ? WM_LBUTTONDBLCLK : r == QSystemTrayIcon::Context ? WM_RBUTTONUP : WM_LBUTTONUP;
            ::PostMessage(hwnd, it->second.callback, id, what);
        });
    }
    if (data->uFlags & NIF_MESSAGE) e.callback = data->uCallbackMessage;
    if (data->uFlags & NIF_ICON) e.icon->setIcon(QIcon(QPixmap::fromImage(IconImage(data->hIcon))));
    if (data->uFlags & NIF_TIP) {
        // The tip field need not hold its terminator.
        std::string tip(data->szTip, strnlen(data->szTip, sizeof data->szTip));
        e.icon->setToolTip(ToQ(tip.c_str()));
    }
    // Without a notification area the icon is kept (and can be changed or removed) but not shown.
    if (QSystemTrayIcon::isSystemTrayAvailable()) e.icon->show();
    LogTrayChange(message == NIM_ADD ? "add" : "modify", data->uID, e.icon->toolTip());
    return TRUE;
}

// Printing.
namespace {
struct PrinterDC {
    QImage page;
    HDC dc = nullptr;
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<QPainter> painter;
    // A PDF file is written under a temporary name and takes its own at EndDoc,
    // so that a failed or aborted document leaves no half-written file.
    std::unique_ptr<suite::AtomicFile> file;
    CString output;  // the file or printer the document goes to
    QString printerName;  // a printer of the machine; empty: the default one
    bool pdfFile = false;  // the PDF file printer was asked for
    bool inDoc = false, inPage = false, anyPage = false;
};
std::map<HDC, PrinterDC*>& Printers() {
    static std::map<HDC, PrinterDC*> m;
    return m;
}
CString g_lastOutput;
constexpr int kDpi = 150;
}  // namespace

HDC AfxCreatePrinterDCFor(LPCSTR printerName) {
    HDC dc = AfxCreatePrinterDC();
    auto it = Printers().find(dc);
    if (it == Printers().end() || !printerName || !*printerName) return dc;
    if (std::strcmp(printerName, kPdfFilePrinter) == 0) it->second->pdfFile = true;
    else if (!QPrinterInfo::printerInfo(ToQ(printerName)).isNull()) it->second->printerName = ToQ(printerName);
    else it->second->pdfFile = true;  // an unknown printer: never some other printer
    return dc;
}

CString AfxDefaultPrinterName() {
    EnsureApplication();
    const QString name = QPrinterInfo::defaultPrinterName();
    return name.isEmpty() ? CString(kPdfFilePrinter) : CString(name.toLocal8Bit().constData());
}

BOOL EnumPrintersA(DWORD, LPSTR, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
    if (level != 2 || !needed || !returned) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    EnsureApplication();
    struct Row {
        std::string name, driver, port;
    };
    std::vector<Row> rows;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
        rows.push_back({info.printerName().toStdString(), info.makeAndModel().toStdString(), info.printerName().toStdString()});
    rows.push_back({kPdfFilePrinter, "PDF", "FILE:"});
    DWORD total = DWORD(rows.size() * sizeof(PRINTER_INFO_2A));
    for (const Row& r : rows) total += DWORD(r.name.size() + r.driver.size() + r.port.size() + 3);
    *needed = total;
    *returned = 0;
    if (!buffer || size < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* records = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
    char* text = reinterpret_cast<char*>(buffer + rows.size() * sizeof(PRINTER_INFO_2A));
    auto put = [&](const std::string& s) {
        char* at = text;
        std::memcpy(text, s.c_str(), s.size() + 1);
        text += s.size() + 1;
        return at;
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        records[i] = PRINTER_INFO_2A{};
        records[i].pPrinterName = put(rows[i].name);
        records[i].pDriverName = put(rows[i].driver);
        records[i].pPortName = put(rows[i].port);
    }
    *returned = DWORD(rows.size());
    return TRUE;
}

HDC AfxCreatePrinterDC() {
    EnsureApplication();
    auto* p = new PrinterDC;
    p->page = QImage(static_cast<int>(8.27 * kDpi), static_cast<int>(11.69 * kDpi), QImage::Format_RGB32);
    p->page.setDotsPerMeterX(static_cast<int>(kDpi / 0.0254));
    p->page.setDotsPerMeterY(static_cast<int>(kDpi / 0.0254));
    p->page.fill(Qt::white);
    p->dc = AfxCreateImageDC(&p->page, QPoint(0, 0), p->page.rect());
    if (!p->dc) {
        delete p;
        return nullptr;
    }
    Printers()[p->dc] = p;
    return p->dc;
}

int StartDoc(HDC dc, const DOCINFO* info) {
    auto it = Printers().find(dc);
    if (it == Printers().end() || it->second->inDoc) return SP_ERROR;
    PrinterDC* p = it->second;
    p->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QString out;
    if (info && info->lpszOutput) out = ToQ(info->lpszOutput);
    else if (const char* env = std::getenv("SUITE_PRINT_PDF"); env && *env) out = QString::fromLocal8Bit(env);
    if (!p->printerName.isEmpty()) p->printer->setPrinterName(p->printerName);
    bool toFile = !out.isEmpty() || p->pdfFile || QPrinterInfo::availablePrinterNames().isEmpty();
    if (toFile) {
        if (out.isEmpty()) {
            QString name = info && info->lpszDocName ? ToQ(info->lpszDocName) : QString("document");
            name.replace(QRegularExpression("[\\\\/:*?\"<>|]"), "_");
            out = QDir::temp().filePath(name + ".pdf");
        }
        p->file = std::make_unique<suite::AtomicFile>(FromQ(out).GetString());
        if (!p->file->Stream()) {
            p->file.reset();
            p->printer.reset();
            return SP_ERROR;
        }
        p->file->CloseStream();
        p->printer->setOutputFormat(QPrinter::PdfFormat);
        p->printer->setOutputFileName(QString::fromStdString(p->file->NativeTempPath()));
        // The page image is the whole sheet.
        p->printer->setFullPage(true);
    }
    p->printer->setDocName(info && info->lpszDocName ? ToQ(info->lpszDocName) : QString("document"));
    p->printer->setPageSize(QPageSize(QPageSize::A4));
    p->painter = std::make_unique<QPainter>();
    if (!p->painter->begin(p->printer.get())) {
        p->painter.reset();
        p->printer.reset();
        p->file.reset();
        return SP_ERROR;
    }
    p->output = toFile ? FromQ(out) : FromQ(p->printer->printerName());
    p->inDoc = true;
    p->anyPage = false;
    return 1;
}

int StartPage(HDC dc) {
    auto it = Printers().find(dc);
    if (it == Printers().end() || !it->second->inDoc || it->second->inPage) return SP_ERROR;
    it->second->page.fill(Qt::white);
    it->second->inPage = true;
    return 1;
}

int EndPage(HDC dc) {
    auto it = Printers().find(dc);
    if (it == Printers().end() || !it->second->inPage) return SP_ERROR;
    PrinterDC* p = it->second;
    if (p->anyPage) p->printer->newPage();
    QRect target = p->painter->viewport();
    p->painter->drawImage(target, p->page);
    p->anyPage = true;
    p->inPage = false;
    return 1;
}

int EndDoc(HDC dc) {
    auto it = Printers().find(dc);
    if (it == Printers().end() || !it->second->inDoc) return SP_ERROR;
    PrinterDC* p = it->second;
    if (p->inPage) EndPage(dc);
    bool ok = p->painter->end();
    p->painter.reset();
    p->printer.reset();
    if (p->file) ok = ok && p->file->Commit();
    p->file.reset();
    p->inDoc = false;
    if (!ok) return SP_ERROR;
    g_lastOutput = p->output;
    return 1;
}

int AbortDoc(HDC dc) {
    auto it = Printers().find(dc);
    if (it == Printers().end()) return SP_ERROR;
    PrinterDC* p = it->second;
    if (p->painter) p->painter->end();
    p->painter.reset();
    p->printer.reset();
    p->file.reset();  // removes what was written
    p->inDoc = p->inPage = false;
    return 1;
}

CString AfxLastPrintOutput() { return g_lastOutput; }

namespace {
void DeletePrinterDC(HDC dc) {
    auto it = Printers().find(dc);
    if (it == Printers().end()) return;
    if (it->second->inDoc) AbortDoc(dc);
    ::DeleteDC(dc);
    delete it->second;
    Printers().erase(it);
}
}  // namespace

BOOL AfxDeletePrinterDC(HDC dc) {
    if (Printers().find(dc) == Printers().end()) return FALSE;
    DeletePrinterDC(dc);
    return TRUE;
}

IMPLEMENT_DYNAMIC(CPrintDialog, CDialog)

CPrintDialog::CPrintDialog(BOOL setupOnly, DWORD flags, CWnd* parent) : m_dwFlags(flags), m_bPrintSetupOnly(setupOnly) {
    m_pParentWnd = parent;
}

CPrintDialog::~CPrintDialog() {
    if (m_hDC) DeletePrinterDC(m_hDC);
}

INT_PTR CPrintDialog::DoModal() {
    int answer = IDOK;
    if (AfxTestScript::Enabled()) {
        // Like every scripted dialog, one without a queued answer is cancelled.
        AfxShownRecord rec;
        rec.kind = "print";
        if (!AfxTestScript::TakeAnswer(&answer)) answer = IDCANCEL;
        rec.result = answer;
        AfxTestScript::Record(rec);
    } else if (!QPrinterInfo::availablePrinterNames().isEmpty()) {
        if (NobodyToAsk("print dialog", "")) return IDCANCEL;
        QPrinter printer;
        QPrintDialog dlg(&printer, m_pParentWnd && m_pParentWnd->m_pWidget ? m_pParentWnd->m_pWidget->window() : nullptr);
        answer = dlg.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
        m_strDevice = FromQ(printer.printerName());
    }
    // Without a printer the document goes to a PDF file: nothing to ask.
    if (answer != IDOK) return IDCANCEL;
    if (!m_bPrintSetupOnly) CreatePrinterDC();
    return IDOK;
}

BOOL CPrintDialog::GetDefaults() {
    m_strDevice = QPrinterInfo::defaultPrinterName().isEmpty() ? CString("PDF") : FromQ(QPrinterInfo::defaultPrinterName());
    return CreatePrinterDC() != nullptr;
}

HDC CPrintDialog::GetPrinterDC() const { return m_hDC; }

HDC CPrintDialog::CreatePrinterDC() {
    if (m_hDC) DeletePrinterDC(m_hDC);
    m_hDC = AfxCreatePrinterDC();
    return m_hDC;
}

CPrintInfo::CPrintInfo() : m_pPD(new CPrintDialog(FALSE)) {}
CPrintInfo::~CPrintInfo() { delete m_pPD; }

// The view's print command: prepare, then each page through OnPrepareDC and OnPrint.
BOOL CView::DoPreparePrinting(CPrintInfo* info) {
    if (info->m_bDirect || info->m_bPreview) return info->m_pPD->GetDefaults();
    return info->m_pPD->DoModal() == IDOK && info->m_pPD->GetPrinterDC() != nullptr;
}

void CView::OnFilePrint() {
    CPrintInfo info;
    const MSG* msg = GetCurrentMessage();
    info.m_bDirect = msg && LOWORD(msg->wParam) == ID_FILE_PRINT_DIRECT;
    if (!OnPreparePrinting(&info)) return;
    HDC hdc = info.m_pPD->GetPrinterDC();
    CDC* dc = CDC::FromHandle(hdc);
    if (!dc) return;
    OnBeginPrinting(dc, &info);
    CString title = m_pDocument ? m_pDocument->GetTitle() : CString("document");
    DOCINFO di{sizeof(DOCINFO), title.GetString(), nullptr, nullptr, 0};
    if (StartDoc(hdc, &di) == SP_ERROR) {
        OnEndPrinting(dc, &info);
        AfxMessageBox("The document could not be printed.", MB_ICONEXCLAMATION);
        return;
    }
    QImage* page = AfxDCImage(hdc);
    info.m_rectDraw = CRect(0, 0, page ? page->width() : 0, page ? page->height() : 0);
    bool failed = false;
    for (info.m_nCurPage = info.GetFromPage(); info.m_nCurPage <= info.GetToPage(); ++info.m_nCurPage) {
        OnPrepareDC(dc, &info);
        if (!info.m_bContinuePrinting) break;
        if (StartPage(hdc) == SP_ERROR) {
            failed = true;
            break;
        }
        OnPrint(dc, &info);
        if (EndPage(hdc) == SP_ERROR) {
            failed = true;
            break;
        }
        // Without a page count the first page ends the document.
        if (info.GetMaxPage() == 0xFFFF) break;
    }
    if (failed) AbortDoc(hdc);
    else if (EndDoc(hdc) == SP_ERROR) failed = true;
    OnEndPrinting(dc, &info);
    if (failed) AfxMessageBox("The document could not be printed.", MB_ICONEXCLAMATION);
}

void CView::OnFilePrintPreview() { OnFilePrint(); }
