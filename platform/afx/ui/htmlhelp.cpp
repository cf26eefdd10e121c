#include "platform/afx/ui/htmlhelp.h"

#include <sys/stat.h>

#include <QDir>

#include <map>
#include <string>

#include "platform/afx/ui/html_view.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/win/path.h"

namespace afx_detail {

HelpReference ParseHelpReference(LPCSTR reference) {
    HelpReference out;
    std::string text = reference ? reference : "";
    // The pages: every "::" part; the window: what follows '>' in any part.
    std::vector<std::string> parts;
    for (size_t from = 0;;) {
        const size_t at = text.find("::", from);
        parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) break;
        from = at + 2;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string part = parts[i];
        if (const size_t gt = part.find('>'); gt != std::string::npos) {
            out.window = part.substr(gt + 1).c_str();
            part.erase(gt);
        }
        if (i == 0) {
            out.file = part.c_str();
            continue;
        }
        while (!part.empty() && (part.front() == '/' || part.front() == '\\')) part.erase(0, 1);
        if (!part.empty()) out.pages.emplace_back(part.c_str());
    }
    return out;
}

}  // namespace afx_detail

namespace {

std::map<std::string, HWND>& HelpWindows() {
    static std::map<std::string, HWND> windows;
    return windows;
}

bool NativeOf(const CString& path, std::string& native) { return suite::TryNativePath(path.GetString(), native); }

bool IsFolder(const std::string& native) {
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const CString& path) {
    std::string native;
    struct stat st {};
    return NativeOf(path, native) && ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The page to show: the first named page that exists, else "index.htm",
// else the first page of the folder by name.
CString PageToShow(const CString& folder, const std::string& nativeFolder, const std::vector<CString>& pages) {
    for (const CString& page : pages) {
        const CString path = folder + "\\" + page;
        if (IsFile(path)) return path;
    }
    if (IsFile(folder + "\\index.htm")) return folder + "\\index.htm";
    const QStringList found =
        QDir(QString::fromStdString(nativeFolder)).entryList({"*.htm", "*.html"}, QDir::Files, QDir::Name);
    if (found.isEmpty()) return {};
    return CString(QDir(QString::fromStdString(nativeFolder)).filePath(found.front()).toStdString().c_str());
}

}  // namespace

HWND HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    if (command == HH_CLOSE_ALL) {
        for (auto& [name, window] : HelpWindows())
            if (::IsWindow(window)) ::DestroyWindow(window);
        HelpWindows().clear();
        return nullptr;
    }
    if (command != HH_DISPLAY_TOPIC && command != HH_DISPLAY_TOC) return nullptr;
    afx_detail::HelpReference reference = afx_detail::ParseHelpReference(file);
    if (command == HH_DISPLAY_TOPIC && data) {
        afx_detail::HelpReference topic = afx_detail::ParseHelpReference((std::string("x::") + reinterpret_cast<LPCSTR>(data)).c_str());
        reference.pages = topic.pages;
    }
    std::string nativeFolder;
    CString page;
    if (NativeOf(reference.file, nativeFolder) && IsFolder(nativeFolder))
        page = PageToShow(reference.file, nativeFolder, reference.pages);
    if (page.IsEmpty()) {
        ::MessageBox(caller, ("Cannot open the help file: " + std::string(reference.file.GetString())).c_str(), "Help",
                     MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    HWND& window = HelpWindows()[nativeFolder];
    if (window && ::IsWindow(window)) {
        if (CHtmlBrowserCtrl* browser = AfxBrowserOfWindow(window)) browser->Navigate(page);
        ::ShowWindow(window, SW_SHOWNORMAL);
        return window;
    }
    window = AfxOpenBrowserWindow(caller, page);
    return window;
}
